#pragma once
// The dialog in which the user edits a list of "name=value" lines in a two-column grid: the links of
// the links bar and the search engines. Cell edits reach the list at every keystroke; rows are
// inserted, appended, deleted and moved by the tool bar's commands. Before an apply the list is
// brought into the form the settings file keeps (names and values without surrounding blanks, a
// value without enclosing quotes, rows left wholly empty dropped) and names the file cannot store
// (empty, with "=", beginning with "[" or ";", holding a NUL character) or that repeat an earlier name
// are refused with a message naming the reason, so the list handed to OnApply is exactly what the settings file reads
// back.
#include "mainwindow/CustomizeForms.h"

#include <QStringList>

class QFrame;
class QKeyEvent;
class TOneLineEdit;
class QPushButton;
class QTableView;
class QToolBar;
class TCellDelegate;
class TValueListModel;

class TfrmCustomizeDialog : public TCustomizeForm {
    Q_OBJECT
public:
    explicit TfrmCustomizeDialog(QWidget *owner);
    ~TfrmCustomizeDialog() override;

    // [Font], [CustomizeDialog] Caption, [Const] OK/Cancel/Apply, the row commands' hints, the column
    // titles Title and Address, and the refusal messages.
    void ApplyLanguage(const TMemIni &table);

    // The lines in row order. Setting replaces every row and disables Apply.
    QStringList Strings() const;
    void SetStrings(const QStringList &lines);

    // The line (0-based) of the current cell, or -1.
    int CurrentLine() const;
    // The cell editor while one is open.
    TOneLineEdit *CellEditor() const;

    QPushButton *bbOK = nullptr;
    QPushButton *bbCancel = nullptr;
    QPushButton *BitBtn3 = nullptr;
    QFrame *Bevel1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QTableView *ValueListEditor = nullptr;
    QAction *actEditUndo = nullptr;
    QAction *actEditCopy = nullptr;
    QAction *actEditCut = nullptr;
    QAction *actEditPaste = nullptr;
    QAction *actEditDelete = nullptr;
    QAction *actInsert = nullptr;
    QAction *actAppend = nullptr;
    QAction *actDelete = nullptr;
    QAction *actMoveUp = nullptr;
    QAction *actMoveDown = nullptr;

protected:
    bool CanApply() override;

private:
    // Insert adds a line before the current one, Down on the last line one after it, Ctrl+Delete
    // deletes the current line; false for any other key.
    bool RowKey(const QKeyEvent &key);
    void actInsertExecute();
    void actAppendExecute();
    void actDeleteExecute();
    void actMoveUpExecute();
    void actMoveDownExecute();
    void MoveLine(int delta);
    void SetCurrent(int line, int column);
    void ValueListEditorStringsChange();

    TValueListModel *FModel = nullptr;
    TCellDelegate *FDelegate = nullptr;
    QString FNameEmptyText;
    QString FNameInvalidText;
    QString FNameRepeatedText;
    QString FNameNulText;
};
