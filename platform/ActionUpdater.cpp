#include "platform/ActionUpdater.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QThread>

namespace {

QList<QPointer<QObject>> &quietTimers()
{
    static QList<QPointer<QObject>> timers;
    return timers;
}

} // namespace

ActionUpdater::ActionUpdater(QObject *parent)
    : QObject(parent)
{
    if (auto *dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &ActionUpdater::idle);
    QCoreApplication::instance()->installEventFilter(this);
}

void ActionUpdater::addQuietTimer(QObject *timer)
{
    quietTimers().removeAll(nullptr);
    if (timer && !quietTimers().contains(timer))
        quietTimers().append(timer);
}

bool ActionUpdater::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_stirred && !(event->type() == QEvent::Timer && quietTimers().contains(watched)))
        m_stirred = true;
    return QObject::eventFilter(watched, event);
}

void ActionUpdater::idle()
{
    if (m_stirred)
        updateAll();
}

void ActionUpdater::add(QAction *action, std::function<void(QAction *)> update)
{
    m_entries.push_back({action, std::move(update)});
}

void ActionUpdater::updateAll()
{
    if (m_running)
        return;
    m_running = true;
    m_stirred = false;
    std::erase_if(m_entries, [](const Entry &e) { return e.action.isNull(); });
    for (const Entry &e : m_entries) {
        if (!e.action)
            continue;
        try {
            e.update(e.action);
        } catch (...) {
            // an update handler that fails leaves its action as it was
        }
    }
    m_running = false;
}
