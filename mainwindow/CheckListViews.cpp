#include "mainwindow/CheckListViews.h"

namespace {
constexpr int SeenCheckRole = Qt::UserRole + 1;
constexpr int SeenTextRole = Qt::UserRole + 2;
} // namespace

TCustomCheckListView::TCustomCheckListView(QWidget *parent)
    : QListWidget(parent)
{
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) { ItemChanged(item); });
}

void TCustomCheckListView::Seen(QListWidgetItem *item)
{
    item->setData(SeenCheckRole, int(item->checkState()));
    item->setData(SeenTextRole, item->text());
}

void TCustomCheckListView::ItemChanged(QListWidgetItem *item)
{
    const bool checkChanged = item->data(SeenCheckRole).toInt() != int(item->checkState());
    const bool textChanged = item->data(SeenTextRole).toString() != item->text();
    if (!checkChanged && !textChanged)
        return; // the seen values themselves, or another role
    {
        const QSignalBlocker quiet(this);
        Seen(item);
    }
    if (textChanged)
        CaptionChanged(item);
    if (checkChanged && OnCheckedChange)
        OnCheckedChange(this, item);
}

void TCustomCheckListView::CaptionChanged(QListWidgetItem *)
{}
