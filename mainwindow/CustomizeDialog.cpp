#include "mainwindow/CustomizeDialog.h"

#include "platform/ActionUpdater.h"
#include "platform/ProfileIni.h"
#include "platform/TextRules.h"
#include "settings/MemInis.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>

namespace {

// A value as the settings file reads it back.
QString storedValue(const QString &value)
{
    // a NUL or line break pasted into a cell is stored as the file stores it (dropped, a blank)
    QString v = trimBlanks(ProfileIni::storableValue(value));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.left(ProfileIni::MaxValueLength);
}

// Hands the key presses of the object it watches to a handler; a key the handler takes goes no further.
class TKeyFilter : public QObject {
public:
    TKeyFilter(QObject *parent, std::function<bool(const QKeyEvent &)> handler)
        : QObject(parent)
        , m_handler(std::move(handler))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && m_handler(*static_cast<QKeyEvent *>(event)))
            return true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(const QKeyEvent &)> m_handler;
};

} // namespace

// The grid's rows: one name and one value per line.
class TValueListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Row {
        QString name;
        QString value;
    };
    QList<Row> rows;
    QString titles[2];

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        const Row &r = rows.at(index.row());
        return index.column() == 0 ? r.name : r.value;
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        Row &r = rows[index.row()];
        QString &cell = index.column() == 0 ? r.name : r.value;
        const QString text = firstLine(value.toString());
        if (cell == text)
            return true;
        cell = text;
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2)
            return titles[section];
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    void setTitle(int column, const QString &title)
    {
        titles[column] = title;
        emit headerDataChanged(Qt::Horizontal, column, column);
    }
    void insertLine(int at)
    {
        beginInsertRows({}, at, at);
        rows.insert(at, Row{});
        endInsertRows();
    }
    void removeLine(int at)
    {
        beginRemoveRows({}, at, at);
        rows.removeAt(at);
        endRemoveRows();
    }
    // Whole lines change places, so a name keeps its value.
    void swapLines(int a, int b)
    {
        std::swap(rows[a], rows[b]);
        emit dataChanged(index(std::min(a, b), 0), index(std::max(a, b), 1));
    }
    void setLines(const QStringList &lines)
    {
        beginResetModel();
        rows.clear();
        for (const QString &line : lines) {
            const qsizetype eq = line.indexOf(u'=');
            rows.append(eq < 0 ? Row{line, QString()} : Row{line.left(eq), line.mid(eq + 1)});
        }
        endResetModel();
    }
};

// Cell editors that hand every keystroke to the grid and keep one line of text.
class TCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QPointer<TOneLineEdit> editor;
    QObject *keyFilter = nullptr; // sees the editors' keys before they do

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *edit = new TOneLineEdit(parent);
        edit->setFrame(false);
        if (keyFilter)
            edit->installEventFilter(keyFilter);
        auto *self = const_cast<TCellDelegate *>(this);
        connect(edit, &QLineEdit::textEdited, self, [self, edit] { emit self->commitData(edit); });
        self->editor = edit;
        return edit;
    }
    void setEditorData(QWidget *editorWidget, const QModelIndex &index) const override
    {
        auto *edit = static_cast<QLineEdit *>(editorWidget);
        const QString text = index.data(Qt::EditRole).toString();
        if (edit->text() != text)
            edit->setText(text);
    }
    void setModelData(QWidget *editorWidget, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QLineEdit *>(editorWidget)->text(), Qt::EditRole);
    }
};

TfrmCustomizeDialog::TfrmCustomizeDialog(QWidget *owner)
    : TCustomizeForm(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
{
    setObjectName(QStringLiteral("frmCustomizeDialog"));
    resize(553, 297);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(11);
    setFont(formFont);

    FNameEmptyText = QStringLiteral("Line %d has no name. Give it a name or remove it.");
    FNameInvalidText = QStringLiteral("The name \"%s\" cannot be stored: a name holds no \"=\" and does not begin "
                                      "with \"[\" or \";\".");
    FNameRepeatedText = QStringLiteral("The name \"%s\" stands in more than one line.");
    FNameNulText = QStringLiteral("The name \"%s\" cannot be stored: it holds a NUL character (code 0), which the "
                                  "settings file cannot hold.");

    ValueListEditor = new QTableView(this);
    ValueListEditor->setObjectName(QStringLiteral("ValueListEditor"));
    FModel = new TValueListModel(ValueListEditor);
    FDelegate = new TCellDelegate(ValueListEditor);
    ValueListEditor->setModel(FModel);
    ValueListEditor->setItemDelegate(FDelegate);
    ValueListEditor->setSelectionMode(QAbstractItemView::SingleSelection);
    // the cell editor is always shown on the current cell
    ValueListEditor->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ValueListEditor->setTabKeyNavigation(true);
    ValueListEditor->verticalHeader()->hide();
    ValueListEditor->verticalHeader()->setDefaultSectionSize(ValueListEditor->fontMetrics().height() + 6);
    ValueListEditor->setColumnWidth(0, 147);
    ValueListEditor->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor->setColumnWidth(1, 384);
    // rows are added and deleted from the keyboard too, in the grid and in its cell editors
    FDelegate->keyFilter = new TKeyFilter(this, [this](const QKeyEvent &key) { return RowKey(key); });
    ValueListEditor->installEventFilter(FDelegate->keyFilter);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(FModel, signal, this, &TfrmCustomizeDialog::ValueListEditorStringsChange);
    connect(FModel, &QAbstractItemModel::dataChanged, this, &TfrmCustomizeDialog::ValueListEditorStringsChange);

    // the standard edit commands work on the open cell editor
    auto edit = [this](const char *name, auto command, auto enabled) {
        return NewAction(
            name,
            [this, command] {
                if (TOneLineEdit *e = CellEditor())
                    command(e);
            },
            [this, enabled] { return CellEditor() && enabled(CellEditor()); });
    };
    auto selection = [](TOneLineEdit *e) { return e->hasSelectedText(); };
    actEditUndo = edit(
        "actEditUndo", [](TOneLineEdit *e) { e->undo(); }, [](TOneLineEdit *e) { return e->isUndoAvailable(); });
    actEditCopy = edit(
        "actEditCopy", [](TOneLineEdit *e) { e->copy(); }, selection);
    actEditCut = edit(
        "actEditCut", [](TOneLineEdit *e) { e->cut(); }, selection);
    actEditPaste = edit(
        "actEditPaste", [](TOneLineEdit *e) { e->PasteLine(); },
        [](TOneLineEdit *) { return !QGuiApplication::clipboard()->text().isEmpty(); });
    actEditDelete = edit(
        "actEditDelete", [](TOneLineEdit *e) { e->del(); }, selection);
    actInsert = NewAction("actInsert", [this] { actInsertExecute(); });
    actAppend = NewAction("actAppend", [this] { actAppendExecute(); });
    actDelete = NewAction("actDelete", [this] { actDeleteExecute(); });
    actMoveUp = NewAction(
        "actMoveUp", [this] { actMoveUpExecute(); }, [this] { return CurrentLine() >= 1; });
    actMoveDown = NewAction(
        "actMoveDown", [this] { actMoveDownExecute(); },
        [this] { return CurrentLine() >= 0 && CurrentLine() < FModel->rowCount() - 1; });
    // the cell editor answers its own keys first; these reach the commands from the rest of the dialog
    const QList<std::pair<QAction *, const char *>> keys = {{actEditUndo, "Alt+Backspace"},
                                                            {actEditCopy, "Ctrl+C"},
                                                            {actEditCut, "Ctrl+X"},
                                                            {actEditPaste, "Ctrl+V"},
                                                            {actEditDelete, "Del"}};
    for (const auto &[a, key] : keys)
        a->setShortcut(QKeySequence(QString::fromLatin1(key)));
    SetGlyphs({{actEditUndo, "\u21B6"},
               {actEditCopy, "\u2750"},
               {actEditCut, "\u2702"},
               {actEditPaste, "\u25A4"},
               {actEditDelete, "\u2715"},
               {actInsert, "+"},
               {actAppend, "\u21A7"},
               {actDelete, "\u2212"},
               {actMoveUp, "\u25B2"},
               {actMoveDown, "\u25BC"}});
    ToolBar1 = NewToolBar({actEditUndo, nullptr, actEditCopy, actEditCut, actEditPaste, actEditDelete, nullptr,
                           actInsert, actAppend, actDelete, nullptr, actMoveUp, actMoveDown});
    bbOK = NewButton("bbOK", actOK);
    bbCancel = NewButton("bbCancel", actCancel);
    BitBtn3 = NewButton("BitBtn3", actApply);
    LayOut({ToolBar1, ValueListEditor}, 1, {bbOK, bbCancel, BitBtn3});
    Bevel1 = findChild<QFrame *>(QStringLiteral("Bevel1"));
}

TfrmCustomizeDialog::~TfrmCustomizeDialog() = default;

void TfrmCustomizeDialog::ApplyLanguage(const TMemIni &table)
{
    const QString section = QStringLiteral("CustomizeDialog");
    ApplyFontAndButtons(table);
    setWindowTitle(table.ReadString(section, QStringLiteral("Caption"), QString()));
    ApplyHints(table, section,
               {actEditUndo, actEditCopy, actEditCut, actEditPaste, actEditDelete, actAppend, actDelete, actMoveUp,
                actMoveDown, actInsert});
    FModel->setTitle(0, table.ReadString(section, QStringLiteral("Title"), QString()));
    FModel->setTitle(1, table.ReadString(section, QStringLiteral("Address"), QString()));
    FNameEmptyText = table.ReadString(section, QStringLiteral("NameEmpty"), FNameEmptyText);
    FNameInvalidText = table.ReadString(section, QStringLiteral("NameInvalid"), FNameInvalidText);
    FNameRepeatedText = table.ReadString(section, QStringLiteral("NameRepeated"), FNameRepeatedText);
    FNameNulText = table.ReadString(section, QStringLiteral("NameNul"), FNameNulText);
}

QStringList TfrmCustomizeDialog::Strings() const
{
    QStringList lines;
    for (const TValueListModel::Row &r : std::as_const(FModel->rows))
        lines.append(r.name + u'=' + r.value);
    return lines;
}

void TfrmCustomizeDialog::SetStrings(const QStringList &lines)
{
    FModel->setLines(lines);
    if (FModel->rowCount() > 0)
        SetCurrent(0, 0);
    actApply->setEnabled(false);
}

int TfrmCustomizeDialog::CurrentLine() const
{
    const QModelIndex current = ValueListEditor->currentIndex();
    return current.isValid() ? current.row() : -1;
}

TOneLineEdit *TfrmCustomizeDialog::CellEditor() const
{
    return FDelegate->editor;
}

void TfrmCustomizeDialog::SetCurrent(int line, int column)
{
    if (line < 0 || line >= FModel->rowCount())
        return;
    const QModelIndex index = FModel->index(line, column);
    if (ValueListEditor->currentIndex() == index) {
        if (!ValueListEditor->indexWidget(index))
            ValueListEditor->edit(index); // already current: make sure its editor is open
        return;
    }
    ValueListEditor->setCurrentIndex(index);
    ValueListEditor->scrollTo(index);
}

void TfrmCustomizeDialog::ValueListEditorStringsChange()
{
    Changed();
}

bool TfrmCustomizeDialog::RowKey(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        actInsertExecute();
        return true;
    }
    if (key.key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        actDeleteExecute();
        return true;
    }
    const int last = FModel->rowCount() - 1;
    if (key.key() == Qt::Key_Down && modifiers == Qt::NoModifier && CurrentLine() == last) {
        // past the last line a new one comes, unless that line is still wholly empty
        if (last < 0 || !FModel->rows.at(last).name.isEmpty() || !FModel->rows.at(last).value.isEmpty())
            actAppendExecute();
        return true;
    }
    return false;
}

void TfrmCustomizeDialog::actInsertExecute()
{
    const int at = std::max(CurrentLine(), 0);
    FModel->insertLine(at);
    SetCurrent(at, 0);
}

void TfrmCustomizeDialog::actAppendExecute()
{
    FModel->insertLine(FModel->rowCount());
    SetCurrent(FModel->rowCount() - 1, 0);
}

void TfrmCustomizeDialog::actDeleteExecute()
{
    const int line = CurrentLine();
    if (line < 0)
        return;
    const int column = ValueListEditor->currentIndex().column();
    FModel->removeLine(line);
    SetCurrent(std::min(line, FModel->rowCount() - 1), column);
}

void TfrmCustomizeDialog::MoveLine(int delta)
{
    const int line = CurrentLine();
    const int to = line + delta;
    if (line < 0 || to < 0 || to >= FModel->rowCount())
        return;
    const int column = ValueListEditor->currentIndex().column();
    FModel->swapLines(line, to);
    SetCurrent(to, column);
}

void TfrmCustomizeDialog::actMoveUpExecute()
{
    MoveLine(-1);
}

void TfrmCustomizeDialog::actMoveDownExecute()
{
    MoveLine(1);
}

bool TfrmCustomizeDialog::CanApply()
{
    // bring the rows into the form the settings file gives back
    for (int i = FModel->rowCount() - 1; i >= 0; --i) {
        const TValueListModel::Row &r = FModel->rows.at(i);
        const QString name = trimBlanks(r.name);
        const QString value = storedValue(r.value);
        if (name.isEmpty() && value.isEmpty()) {
            FModel->removeLine(i);
            continue;
        }
        FModel->setData(FModel->index(i, 0), name, Qt::EditRole);
        FModel->setData(FModel->index(i, 1), value, Qt::EditRole);
    }
    QSet<QString> seen; // names so far, folded as the settings file compares them
    for (int i = 0; i < FModel->rowCount(); ++i) {
        const QString &name = FModel->rows.at(i).name;
        QString refusal;
        switch (nameProblem(name)) {
        case TNameProblem::None:
            break;
        case TNameProblem::Empty:
            refusal = QString(FNameEmptyText).replace(QStringLiteral("%d"), QString::number(i + 1));
            break;
        case TNameProblem::LineBreak:
        case TNameProblem::Invalid:
            refusal = refusalText(FNameInvalidText, name);
            break;
        case TNameProblem::Nul:
            refusal = refusalText(FNameNulText, name);
            break;
        }
        const QString folded = textrules::foldAscii(name);
        if (refusal.isEmpty() && seen.contains(folded))
            refusal = refusalText(FNameRepeatedText, name);
        if (!refusal.isEmpty()) {
            SetCurrent(i, 0);
            Refuse(refusal);
            return false;
        }
        seen.insert(folded);
    }
    if (CurrentLine() < 0 && FModel->rowCount() > 0)
        SetCurrent(0, 0);
    return true;
}
