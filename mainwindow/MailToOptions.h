#pragma once
// The dialog in which the user keeps the lines that the feedback mail may put into its body and ticks
// the ones to use. Data in and out are "text=1" (ticked) and "text=0" lines in list order. A line
// whose text the settings file cannot store as a name, or that another line already has, is refused
// with a message.
#include "mainwindow/CustomizeForms.h"

#include <QStringList>

class QFrame;
class QLabel;
class QPushButton;
class QToolBar;
class TEditCheckListView;

class TfrmMailToOptions : public TCustomizeForm {
    Q_OBJECT
public:
    explicit TfrmMailToOptions(QWidget *owner);
    ~TfrmMailToOptions() override;

    // [Font], [MailToOptions] Caption, lblNote, the row commands' hints and the refusal messages,
    // [Const] OK/Cancel/Apply.
    void ApplyLanguage(const TMemIni &table);

    // One line per entry's name (the first of names equal without regard to letter case), ticked when
    // that first entry's value is exactly "1"; then Apply is disabled.
    void SetStrings(const QStringList &entries);
    // "text=1" or "text=0" per line, in list order.
    QStringList GetStrings() const;

    QLabel *lblNote = nullptr;
    QToolBar *ToolBar1 = nullptr;
    TEditCheckListView *EditCheckListView = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *btbtnOK = nullptr;
    QPushButton *btbtnCancel = nullptr;
    QPushButton *btbtnApply = nullptr;
    QAction *actInsert = nullptr;
    QAction *actAppend = nullptr;
    QAction *actDelete = nullptr;
    QAction *actUp = nullptr;
    QAction *actDown = nullptr;

private:
    void actInsertExecute();
    void actAppendExecute();
    void actDeleteExecute();
    void Move(int delta);

    QString FNameInvalidText;
    QString FNameRepeatedText;
    QString FNameNulText;
};
