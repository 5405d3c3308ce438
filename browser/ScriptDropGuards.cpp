#include "browser/ScriptDropGuards.h"

#include "settings/DragPayloads.h"

#include <QChildEvent>
#include <QDropEvent>
#include <QWidget>

TScriptDropGuard::TScriptDropGuard(QWidget *widget)
    : QObject(widget)
{
    watch(widget);
}

void TScriptDropGuard::watch(QObject *object)
{
    object->installEventFilter(this); // installing twice keeps one filter
    for (QObject *child : object->children())
        if (child->isWidgetType())
            watch(child);
}

bool TScriptDropGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (QObject *child = static_cast<QChildEvent *>(event)->child(); child->isWidgetType())
            watch(child);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!dragpayload::carriesRefusedAddress(*drop->mimeData()))
            break;
        drop->setDropAction(Qt::IgnoreAction);
        drop->ignore();
        if (event->type() == QEvent::DragEnter)
            dragpayload::reportRefused(qobject_cast<QWidget *>(watched));
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
