#include "mainwindow/CustomizeToolButtons.h"

#include "settings/MemInis.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int IdRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;

QString &separatorText()
{
    static QString text;
    return text;
}

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void selectRow(QListWidget *list, int row)
{
    if (row < 0 || row >= list->count())
        return;
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    list->scrollToItem(list->item(row));
}

QListWidget *newList(QWidget *parent, const char *name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setIconSize(QSize(16, 16));
    list->setMinimumWidth(165);
    return list;
}

} // namespace

TfrmCustomizeToolButtons::TfrmCustomizeToolButtons(QWidget *owner)
    : TCustomizeForm(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmCustomizeToolButtons"));
    QFont formFont = font();
    formFont.setPixelSize(12);
    setFont(formFont);

    lstHide = newList(this, "lstHide");
    lstShow = newList(this, "lstShow");
    lblButtonHide = new QLabel(this);
    lblButtonHide->setObjectName(QStringLiteral("lblButtonHide"));
    lblButtonHide->setBuddy(lstHide);
    lblButtonShow = new QLabel(this);
    lblButtonShow->setObjectName(QStringLiteral("lblButtonShow"));
    lblButtonShow->setBuddy(lstShow);
    lblIcon = new QLabel(this);
    lblIcon->setObjectName(QStringLiteral("lblIcon"));
    cmbIcon = new QComboBox(this);
    cmbIcon->setObjectName(QStringLiteral("cmbIcon"));
    lblIcon->setBuddy(cmbIcon);
    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    cmbText = new QComboBox(this);
    cmbText->setObjectName(QStringLiteral("cmbText"));
    lblText->setBuddy(cmbText);
    // only a choice the user makes is a change
    connect(cmbIcon, &QComboBox::activated, this, [this] { Changed(); });
    connect(cmbText, &QComboBox::activated, this, [this] { Changed(); });

    auto shown = [this] { return selectedRow(lstShow); };
    actInsert = NewAction("actInsert", [this] { actInsertExecute(); });
    actDelete = NewAction(
        "actDelete", [this] { actDeleteExecute(); },
        [this, shown] { return lstShow->count() > 1 && shown() >= 0 && shown() < lstShow->count() - 1; });
    actReset = NewAction("actReset", [this] { actResetExecute(); });
    actUp = NewAction(
        "actUp", [this] { actUpExecute(); },
        [this, shown] { return lstShow->count() > 1 && shown() > 0 && shown() < lstShow->count() - 1; });
    actDown = NewAction(
        "actDown", [this] { actDownExecute(); },
        [this, shown] { return lstShow->count() > 2 && shown() >= 0 && shown() < lstShow->count() - 2; });

    bbAdd = NewButton("bbAdd", actInsert);
    bbDelete = NewButton("bbDelete", actDelete);
    bbOk = NewButton("bbOk", actOK);
    bbCancel = NewButton("bbCancel", actCancel);
    bbReset = NewButton("bbReset", actReset);
    Button1 = NewButton("Button1", actApply);
    bbUp = NewButton("bbUp", actUp);
    bbDown = NewButton("bbDown", actDown);
    // a dialog without a close box: Esc is its way out besides Cancel
    bbOk->setDefault(true);

    auto *middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(bbAdd);
    middle->addWidget(bbDelete);
    middle->addStretch();
    auto *right = new QVBoxLayout;
    for (QPushButton *b : {bbOk, bbCancel, bbReset, Button1})
        right->addWidget(b);
    right->addStretch();
    right->addWidget(bbUp);
    right->addWidget(bbDown);
    auto *grid = new QGridLayout(this);
    grid->addWidget(lblButtonHide, 0, 0);
    grid->addWidget(lblButtonShow, 0, 2);
    grid->addWidget(lstHide, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(lstShow, 1, 2);
    grid->addLayout(right, 1, 3);
    auto *options = new QGridLayout;
    options->addWidget(lblIcon, 0, 0);
    options->addWidget(cmbIcon, 0, 1);
    options->addWidget(lblText, 1, 0);
    options->addWidget(cmbText, 1, 1);
    options->setColumnStretch(2, 1);
    grid->addLayout(options, 2, 0, 1, 4);
    grid->setRowStretch(1, 1);
    resize(578, 273);

    // FormCreate
    cmbText->setCurrentIndex(1);
}

TfrmCustomizeToolButtons::~TfrmCustomizeToolButtons() = default;

QString TfrmCustomizeToolButtons::SeparatorText()
{
    return separatorText();
}

void TfrmCustomizeToolButtons::ApplyLanguage(const TMemIni &table)
{
    const QString section = QStringLiteral("CustomizeToolButtons");
    auto text = [&](const char *key) { return table.ReadString(section, QString::fromLatin1(key), QString()); };
    ApplyFontAndButtons(table);
    setWindowTitle(text("Caption"));
    separatorText() = text("Separator");
    for (QAction *a : {actInsert, actDelete, actReset, actUp, actDown})
        a->setText(table.ReadString(section, a->objectName(), QString()));
    for (QLabel *l : {lblButtonHide, lblButtonShow, lblIcon, lblText})
        l->setText(table.ReadString(section, l->objectName(), QString()));
    cmbIcon->clear();
    cmbIcon->addItems({text("cmbIcon1"), text("cmbIcon2")});
    cmbIcon->setCurrentIndex(-1);
    cmbText->clear();
    cmbText->addItems({text("cmbText1"), text("cmbText2"), text("cmbText3")});
    cmbText->setCurrentIndex(-1);
}

int TfrmCustomizeToolButtons::ToolBarIcon() const
{
    return cmbIcon->currentIndex();
}

void TfrmCustomizeToolButtons::SetToolBarIcon(int value)
{
    cmbIcon->setCurrentIndex(value >= 0 && value < cmbIcon->count() ? value : -1);
}

int TfrmCustomizeToolButtons::ToolBarText() const
{
    return cmbText->currentIndex();
}

void TfrmCustomizeToolButtons::SetToolBarText(int value)
{
    cmbText->setCurrentIndex(value >= 0 && value < cmbText->count() ? value : -1);
}

int TfrmCustomizeToolButtons::ItemId(const QListWidgetItem *item)
{
    return item ? item->data(IdRole).toInt() : -1;
}

QListWidgetItem *TfrmCustomizeToolButtons::NewItem(const QString &caption, int image, int id) const
{
    auto *item = new QListWidgetItem(caption);
    item->setData(IdRole, id);
    item->setData(ImageRole, image);
    if (image >= 0 && image < FImages.size())
        item->setIcon(FImages.at(image));
    return item;
}

QListWidgetItem *TfrmCustomizeToolButtons::SeparatorItem() const
{
    return NewItem(separatorText(), -1, -1);
}

QString TfrmCustomizeToolButtons::ToolButtons() const
{
    QStringList ids;
    for (int i = 0; i < lstShow->count() - 1; ++i)
        ids.append(QString::number(ItemId(lstShow->item(i))));
    return ids.join(u';');
}

void TfrmCustomizeToolButtons::showEvent(QShowEvent *event)
{
    FormShow();
    TCustomizeForm::showEvent(event);
}

void TfrmCustomizeToolButtons::FormShow()
{
    lstHide->clear();
    lstShow->clear();
    lstHide->addItem(SeparatorItem());
    for (int id = 0; id < FBackupToolBar.size(); ++id) {
        const TToolButtonData &b = FBackupToolBar.at(id);
        if (b.Usable())
            lstHide->addItem(NewItem(b.Caption, b.ImageIndex, id));
    }
    for (const TToolButtonData &b : std::as_const(FToolBar)) {
        if (b.Separator) {
            lstShow->addItem(SeparatorItem());
            continue;
        }
        if (!b.Usable())
            continue;
        // the hidden item of the same image gives the button its id; a second copy of a button
        // finds none and is left out rather than stored as a separator
        int found = -1;
        for (int i = 1; i < lstHide->count() && found < 0; ++i)
            if (lstHide->item(i)->data(ImageRole).toInt() == b.ImageIndex)
                found = i;
        if (found < 0)
            continue;
        lstShow->addItem(NewItem(b.Caption, b.ImageIndex, ItemId(lstHide->item(found))));
        delete lstHide->takeItem(found);
    }
    lstShow->addItem(SeparatorItem()); // the end marker
    selectRow(lstHide, 0);
    selectRow(lstShow, 0);
    actApply->setEnabled(false);
}

void TfrmCustomizeToolButtons::actInsertExecute()
{
    const int from = selectedRow(lstHide);
    const int at = selectedRow(lstShow);
    if (from < 0 || at < 0)
        return;
    const QListWidgetItem *source = lstHide->item(from);
    const int id = ItemId(source);
    lstShow->insertItem(at, NewItem(source->text(), source->data(ImageRole).toInt(), id));
    selectRow(lstShow, at);
    if (id != -1) {
        delete lstHide->takeItem(from);
        selectRow(lstHide, std::min(from, lstHide->count() - 1));
    }
    Changed();
}

void TfrmCustomizeToolButtons::actDeleteExecute()
{
    const int at = selectedRow(lstShow);
    if (at < 0 || at >= lstShow->count() - 1)
        return;
    const QListWidgetItem *shownItem = lstShow->item(at);
    const int id = ItemId(shownItem);
    if (id != -1) {
        int to = 1;
        while (to < lstHide->count() && ItemId(lstHide->item(to)) <= id)
            ++to;
        lstHide->insertItem(to, NewItem(shownItem->text(), shownItem->data(ImageRole).toInt(), id));
        selectRow(lstHide, to);
    } else {
        selectRow(lstHide, 0);
    }
    delete lstShow->takeItem(at);
    selectRow(lstShow, at);
    Changed();
}

void TfrmCustomizeToolButtons::Swap(int delta)
{
    const int at = selectedRow(lstShow);
    const int other = at + delta;
    if (at < 0 || other < 0 || other >= lstShow->count() - 1 || at >= lstShow->count() - 1)
        return;
    QListWidgetItem *a = lstShow->takeItem(std::max(at, other));
    lstShow->insertItem(std::min(at, other), a);
    selectRow(lstShow, other);
    Changed();
}

void TfrmCustomizeToolButtons::actUpExecute()
{
    Swap(-1);
}

void TfrmCustomizeToolButtons::actDownExecute()
{
    Swap(1);
}

void TfrmCustomizeToolButtons::actResetExecute()
{
    lstHide->clear();
    lstShow->clear();
    lstHide->addItem(SeparatorItem());
    selectRow(lstHide, 0);
    for (int id = 0; id < FBackupToolBar.size(); ++id) {
        const TToolButtonData &b = FBackupToolBar.at(id);
        if (b.Separator)
            lstShow->addItem(SeparatorItem());
        else if (b.Usable())
            lstShow->addItem(NewItem(b.Caption, b.ImageIndex, id));
    }
    lstShow->addItem(SeparatorItem());
    selectRow(lstShow, 0);
    Changed();
}
