#include "mainwindow/Hints.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QToolButton>

namespace hints {

namespace {

QString shortPart(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString longPart(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

class EmptyHintFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const QObject *source = watched;
        if (auto *button = qobject_cast<QToolButton *>(watched); button && button->defaultAction())
            source = button->defaultAction();
        const QVariant hint = source->property("Hint");
        return hint.isValid() && shortPart(hint.toString()).isEmpty();
    }
};

} // namespace

void setHint(QAction *action, const QString &hint)
{
    action->setProperty("Hint", hint);
    action->setToolTip(shortPart(hint));
    action->setStatusTip(longPart(hint));
}

void setHint(QWidget *widget, const QString &hint)
{
    widget->setProperty("Hint", hint);
    widget->setToolTip(shortPart(hint));
    widget->setStatusTip(longPart(hint));
}

QString hintOf(const QObject *object)
{
    return object->property("Hint").toString();
}

void installFilter()
{
    static EmptyHintFilter *filter = nullptr;
    if (!filter && qApp) {
        filter = new EmptyHintFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

} // namespace hints
