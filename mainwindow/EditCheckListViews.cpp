#include "mainwindow/EditCheckListViews.h"

#include "mainwindow/CustomizeForms.h"
#include "platform/TextRules.h"

#include <QLineEdit>
#include <QStyledItemDelegate>

// One-line editors whose text goes through the view's rules when editing ends.
class TLineDelegate : public QStyledItemDelegate {
public:
    TLineDelegate(TEditCheckListView *view)
        : QStyledItemDelegate(view)
        , FView(view)
    {}
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return new TOneLineEdit(parent);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        FView->Edit(index, static_cast<QLineEdit *>(editor)->text());
    }

private:
    TEditCheckListView *FView;
};

TEditCheckListStrings::TEditCheckListStrings(TEditCheckListView *owner)
    : FOwner(owner)
{}

int TEditCheckListStrings::GetCount() const
{
    return FOwner->count();
}

QString TEditCheckListStrings::Get(int index) const
{
    const QListWidgetItem *item = FOwner->item(index);
    return item ? item->text() : QString();
}

void TEditCheckListStrings::Clear()
{
    FOwner->CancelEdit();
    while (GetCount() > 0) {
        if (FOwner->OnDeletion)
            FOwner->OnDeletion(FOwner, GetCount() - 1);
        delete FOwner->takeItem(GetCount() - 1);
    }
}

void TEditCheckListStrings::Delete(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    if (FOwner->FEditing.isValid() && FOwner->FEditing.row() == index)
        FOwner->CancelEdit();
    const int selected = FOwner->SelectedIndex();
    if (FOwner->OnDeletion)
        FOwner->OnDeletion(FOwner, index);
    delete FOwner->takeItem(index);
    if (selected >= 0)
        FOwner->SetSelectedIndex(std::min(selected, GetCount() - 1));
}

int TEditCheckListStrings::IndexOf(const QString &s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (textrules::sameText(Get(i), s))
            return i;
    return -1;
}

int TEditCheckListStrings::Insert(int index, const QString &s)
{
    if (IndexOf(s) >= 0)
        return -1; // before the edit is ended: an empty line being edited stays
    FOwner->CancelEdit();
    if (index < 0 || index > GetCount())
        index = GetCount();
    auto *item = new QListWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setText(s);
    TEditCheckListView::Seen(item);
    FOwner->insertItem(index, item);
    FOwner->CaptionChanged(item);
    if (s.isEmpty()) {
        FOwner->SetSelectedIndex(index);
        FOwner->setFocus();
        FOwner->EditLine(index);
    }
    return index;
}

bool TEditCheckListStrings::GetChecked(int index) const
{
    const QListWidgetItem *item = FOwner->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TEditCheckListStrings::SetChecked(int index, bool value)
{
    if (QListWidgetItem *item = FOwner->item(index))
        item->setCheckState(value ? Qt::Checked : Qt::Unchecked);
}

void TEditCheckListStrings::MoveItem(int curIndex, int newIndex)
{
    const int count = GetCount();
    if (curIndex < 0 || curIndex >= count || newIndex < 0 || newIndex >= count || curIndex == newIndex)
        return;
    FOwner->CancelEdit();
    QListWidgetItem *a = FOwner->item(curIndex);
    QListWidgetItem *b = FOwner->item(newIndex);
    const QString text = a->text();
    a->setText(b->text());
    b->setText(text);
    const int selected = FOwner->SelectedIndex();
    if (selected == curIndex)
        FOwner->SetSelectedIndex(newIndex);
    else if (selected == newIndex)
        FOwner->SetSelectedIndex(curIndex);
    const Qt::CheckState state = a->checkState();
    a->setCheckState(b->checkState());
    b->setCheckState(state);
}

void TEditCheckListStrings::Assign(const QStringList &lines)
{
    Clear();
    for (const QString &line : lines)
        Add(line);
}

QStringList TEditCheckListStrings::Lines() const
{
    QStringList lines;
    for (int i = 0; i < GetCount(); ++i)
        lines.append(Get(i));
    return lines;
}

TEditCheckListView::TEditCheckListView(QWidget *parent)
    : TCustomCheckListView(parent)
    , FStrings(new TEditCheckListStrings(this))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setItemDelegate(new TLineDelegate(this));
}

TEditCheckListView::~TEditCheckListView()
{
    delete FStrings;
}

void TEditCheckListView::SetStrings(const QStringList &value)
{
    setUpdatesEnabled(false);
    FStrings->Assign(value);
    setUpdatesEnabled(true);
}

int TEditCheckListView::SelectedIndex() const
{
    const QList<QListWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

void TEditCheckListView::SetSelectedIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentItem(nullptr);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TEditCheckListView::CancelEdit()
{
    if (!FEditing.isValid())
        return;
    if (QWidget *editor = indexWidget(FEditing))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    FEditing = QPersistentModelIndex();
}

void TEditCheckListView::EditLine(int index)
{
    const QModelIndex i = model()->index(index, 0);
    if (i.isValid())
        edit(i, AllEditTriggers, nullptr);
}

bool TEditCheckListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool started = TCustomCheckListView::edit(index, trigger, event);
    if (started)
        FEditing = index;
    return started;
}

void TEditCheckListView::Edit(const QModelIndex &index, const QString &text)
{
    QListWidgetItem *line = item(index.row());
    if (!line)
        return;
    const QString taken = trimBlanks(text);
    if (!taken.isEmpty()) {
        const int other = FStrings->IndexOf(taken);
        TEditRefusal why = TEditRefusal::NotAllowed;
        bool refused = false;
        if (other >= 0 && other != index.row()) {
            refused = true;
            why = TEditRefusal::Repeated;
        } else if (TextAllowed && !TextAllowed(taken)) {
            refused = true;
        }
        if (refused) {
            if (OnEditRefused)
                OnEditRefused(this, index.row(), taken, why);
            return;
        }
    }
    line->setText(taken);
}

void TEditCheckListView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    const QPersistentModelIndex edited = FEditing;
    FEditing = QPersistentModelIndex();
    TCustomCheckListView::closeEditor(editor, hint);
    if (edited.isValid() && edited.data(Qt::DisplayRole).toString().isEmpty()) {
        // removed once the editor's own close has finished
        QMetaObject::invokeMethod(
            this, [this, edited] { RemoveEmptied(edited); }, Qt::QueuedConnection);
    }
}

void TEditCheckListView::RemoveEmptied(const QPersistentModelIndex &index)
{
    if (index.isValid() && index.data(Qt::DisplayRole).toString().isEmpty() && !(FEditing == index))
        FStrings->Delete(index.row());
}

void TEditCheckListView::CaptionChanged(QListWidgetItem *item)
{
    if (OnStringsChange)
        OnStringsChange(this, item);
}
