#pragma once
// Runs the update handlers of actions whenever the event loop is about to wait for new events, so
// every enabled, checked and visible state follows the program's state without each command
// having to announce its changes.
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

private:
    struct Entry {
        QPointer<QAction> action;
        std::function<void(QAction *)> update;
    };
    std::vector<Entry> m_entries;
    bool m_running = false;
};
