#pragma once
// TComboList: a one-line control that looks like a drop-down combo box whose list may hold several
// selected items at once. Its text always shows the selection (comma text in multi-select mode, the
// selected item's text otherwise), and text typed into it selects the items it names.
#include <QLineEdit>
#include <QList>
#include <QRect>
#include <QStringList>

class QListWidget;
class QPainter;
class TComboListBox;
class TDropDownForm;

// The control's rules without a window.
namespace combolist {

// Multi-select: the items the text selects. The trimmed text is read as comma text; from the last item
// to the first, an item is selected when a name equals its text without regard to case, and that name
// is used up (so of two equal items the later one is taken). When nothing is selected that way, the
// first item that begins with the whole untrimmed text (case-sensitive) is.
QList<bool> selectionFromText(const QStringList &items, const QString &text);

// Single-select: the item the text selects, or -1. First the item equal to the trimmed text without
// regard to case; else the first non-empty item the untrimmed text begins with (case-sensitive).
int indexFromText(const QStringList &items, const QString &text);

// Multi-select: the selected items' texts in index order as comma text; empty when none is selected.
QString textFromSelection(const QStringList &items, const QList<bool> &selected);

// The control's least height: the font height, a quarter of the smaller of the system and control font
// heights, four border widths, and one more pixel for fonts below 10 points.
int minimumHeight(int fontHeight, int systemFontHeight, int borderHeight, bool smallFont);

// The arrow button and the text area of a control of the given size.
QRect buttonRect(const QSize &size, int scrollBarWidth);
QRect textRect(const QSize &size, int scrollBarWidth);

struct DropDownGeometry {
    int rows = 0;
    QRect list;  // inside the pop-up
    QRect popup; // in screen coordinates
};

// Size and place of the pop-up for a control at controlGlobal (screen coordinates) on a screen with the
// given geometry: under the control when it fits above the screen's bottom edge, else over the control;
// left-aligned with it when it fits before the right edge, else right-aligned.
DropDownGeometry dropDownGeometry(int itemCount, int dropDownCount, int itemHeight, int frameWidth,
                                  const QRect &controlGlobal, const QRect &screen);

} // namespace combolist

class TComboList : public QLineEdit {
    Q_OBJECT
public:
    explicit TComboList(QWidget *parent = nullptr);
    ~TComboList() override;

    QStringList Items() const;
    // Copies the texts into the list; the text is left as it is.
    void setItems(const QStringList &items);

    bool MultiSelect() const;
    void setMultiSelect(bool value);

    int ItemIndex() const;
    void setItemIndex(int value);

    int ItemHeight() const;
    void setItemHeight(int value);

    int TopIndex() const;
    void setTopIndex(int value);

    bool DroppedDown() const;
    void setDroppedDown(bool value);

    int SelCount() const;
    bool Selected(int index) const;

    void setBiDiMode(Qt::LayoutDirection mode);

    // The most rows the open list shows; 0 or less counts as one.
    int DropDownCount = 8;

    virtual void DropDown();
    virtual void CloseUp();
    // Re-derives the list's selection from the shown text (after the items change, or before the
    // selection is read while text typed into the closed list has not been taken yet).
    void SyncSelectionFromText() { UpdateListFromText(); }

    // The arrow button and the text area, in the control's coordinates.
    QRect ButtonRect() const { return FButtonRect; }
    QRect GetClientRect() const;
    int MinimumHeight() const;
    bool Pressed() const { return FPressed; }
    bool MouseInButton() const { return FMouseInButton; }
    bool ListFollowsText() const { return FListFollowsText; }
    QWidget *DropDownForm() const;
    QListWidget *ListBox() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Asked before the list opens; setting *Enabled to false keeps it closed.
    void OnDropDown(bool *Enabled);
    // Raised once after the list has closed.
    void OnDropUp();

protected:
    virtual void DrawBorder(QPainter &canvas);
    virtual void DrawButton(QPainter &canvas);
    virtual void Paint(QPainter &canvas);
    virtual void DrawDropDownBorder(QPainter &canvas);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TComboListBox;
    friend class TDropDownForm;

    void UpdateListFromText();
    void UpdateTextFromList();
    void AdjustDropDown();
    void setListIndex(int index);
    void raiseToMinimumHeight();
    // Returns true when the key was used up.
    bool DropDownKeyPress(QKeyEvent *event);
    void ListMouseDown();
    void ListMouseUp();
    void ListDblClick();
    void DropDownHidden();
    void beginButtonTracking();
    void endButtonTracking();
    void trackButton(const QPointF &globalPos);

    QRect FButtonRect;
    bool FPressed = false;
    bool FMouseInButton = false;
    bool FListFollowsText = true;
    bool FTracking = false;
    bool FOpen = false;
    TComboListBox *FListBox = nullptr;
    TDropDownForm *FDropDownForm = nullptr;
    int FFrameWidth = 1;
};
