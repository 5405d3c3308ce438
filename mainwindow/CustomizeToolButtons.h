#pragma once
// The dialog in which the user chooses the buttons of the customisable tool bar, their order and
// separators, and how the bar draws them. The main window hands it plain data: the template buttons
// (a layout names a button by its template position, its id), the buttons the bar shows now, and the
// images by index. The result is the layout string (ids joined by ";", -1 for a separator) and the
// two drawing choices.
//
// The left list holds the separator item first and then the buttons not shown, in id order; the
// right list holds the shown buttons and ends with an end marker, the insertion point at the end.
#include "mainwindow/CustomizeForms.h"

#include <QIcon>
#include <QList>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// One button of a tool bar as the dialog sees it.
struct TToolButtonData {
    bool Separator = false;
    QString Caption;
    int ImageIndex = -1;
    bool HasAction = true;
    bool ActionVisible = true;
    // A button the user can place: not a separator, with an action that is visible.
    bool Usable() const { return !Separator && HasAction && ActionVisible; }
};

class TfrmCustomizeToolButtons : public TCustomizeForm {
    Q_OBJECT
public:
    explicit TfrmCustomizeToolButtons(QWidget *owner);
    ~TfrmCustomizeToolButtons() override;

    // [Font], [CustomizeToolButtons] Caption, Separator, the button, label and list texts, [Const]
    // OK/Cancel/Apply. Empties both drop-down lists, so set ToolBarIcon and ToolBarText afterwards.
    void ApplyLanguage(const TMemIni &table);

    // The data the lists are filled from when the dialog is shown.
    QList<QIcon> FImages;
    QList<TToolButtonData> FBackupToolBar; // the templates, by id
    QList<TToolButtonData> FToolBar;       // the buttons the bar shows now

    // The layout of the shown list without its end marker.
    QString ToolButtons() const;
    // The index of the icon list (0 small, 1 large) and of the text list (0 labels, 1 labels on the
    // right, 2 none); -1 when nothing is chosen.
    int ToolBarIcon() const;
    void SetToolBarIcon(int value);
    int ToolBarText() const;
    void SetToolBarText(int value);

    // The separator item's caption, set by ApplyLanguage for the rest of the program's run.
    static QString SeparatorText();

    QLabel *lblButtonHide = nullptr;
    QLabel *lblButtonShow = nullptr;
    QListWidget *lstHide = nullptr;
    QListWidget *lstShow = nullptr;
    QPushButton *bbAdd = nullptr;
    QPushButton *bbDelete = nullptr;
    QPushButton *bbOk = nullptr;
    QPushButton *bbCancel = nullptr;
    QPushButton *bbReset = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *bbUp = nullptr;
    QPushButton *bbDown = nullptr;
    QLabel *lblIcon = nullptr;
    QComboBox *cmbIcon = nullptr;
    QLabel *lblText = nullptr;
    QComboBox *cmbText = nullptr;
    QAction *actInsert = nullptr;
    QAction *actDelete = nullptr;
    QAction *actReset = nullptr;
    QAction *actUp = nullptr;
    QAction *actDown = nullptr;

    // The id an item stands for (-1 for a separator item and the end marker).
    static int ItemId(const QListWidgetItem *item);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void actInsertExecute();
    void actDeleteExecute();
    void actUpExecute();
    void actDownExecute();
    void actResetExecute();
    void Swap(int delta);
    QListWidgetItem *NewItem(const QString &caption, int image, int id) const;
    QListWidgetItem *SeparatorItem() const;
};
