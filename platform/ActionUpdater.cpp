#include "platform/ActionUpdater.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCoreApplication>
#include <QThread>

ActionUpdater::ActionUpdater(QObject *parent)
    : QObject(parent)
{
    if (auto *dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &ActionUpdater::updateAll);
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
