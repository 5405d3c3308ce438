#pragma once
// Runs the update handlers of actions whenever the event loop is about to wait for new events, so
// every enabled, checked and visible state follows the program's state without each command
// having to announce its changes. A wake-up that delivered nothing but the ticks of a quiet timer
// (an animation that changes no state a handler reads) runs none.
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;

class ActionUpdater : public QObject {
    Q_OBJECT
public:
    explicit ActionUpdater(QObject *parent = nullptr);
    // The handler runs for the action until the action or this object is destroyed.
    void add(QAction *action, std::function<void(QAction *)> update);
    // Runs every handler now.
    void updateAll();
    // The timer's ticks change nothing the handlers read: a pass of the loop with nothing else
    // skips them. Holds until the timer is destroyed.
    static void addQuietTimer(QObject *timer);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        QPointer<QAction> action;
        std::function<void(QAction *)> update;
    };
    void idle();

    std::vector<Entry> m_entries;
    bool m_running = false;
    // something other than a quiet timer's tick was delivered since the handlers last ran
    bool m_stirred = true;
};
