#pragma once
// A single-line edit that holds an integer between a minimum and a maximum. It refuses keys and
// pasted text that cannot be part of a number (with a beep), greys itself when disabled, and the
// up-down variant carries two small step buttons at its right edge; the arrow keys step too.
#include <QLineEdit>
#include <QTimer>
#include <functional>

// Counts in whole numbers between Min and Max (no range while they are equal). The value lives only
// in the text.
class TCustomNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomNumEdit(QWidget *parent = nullptr);

    // Empty text reads 0 and stays empty; other text is brought to a number in range, and the text
    // follows what was read.
    int GetValue();
    int Number() { return GetValue(); }
    // Sets the text to the value brought into range; a read-only edit beeps and keeps its text. Never
    // fails, even when a change handler does.
    void SetNumber(int value);
    int Max() const { return m_max; }
    void SetMax(int value);
    int Min() const { return m_min; }
    void SetMin(int value);
    bool BeepOnError() const { return m_beepOnError; }
    void SetBeepOnError(bool value) { m_beepOnError = value; }
    bool GrayOnDisable() const { return m_grayOnDisable; }
    void SetGrayOnDisable(bool value);
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool value) { m_autoSelect = value; }
    virtual void SetEnabled(bool value);

    int CheckValue(int value) const;
    // The whole text as a decimal integer; false (value = Min) when it is not one.
    bool TextToNumber(const QString &text, int &value) const;
    // Signs, digits, the locale's decimal separator and control characters other than carriage return.
    virtual bool IsValidChar(QChar key) const;

    // The paste and cut every path of the edit goes through (keys, menu, edit commands, the mouse's
    // selection paste, drops): a paste of anything but a whole number beeps and pastes nothing.
    virtual void PasteText(const QString &text);
    void PasteFromClipboard();
    virtual void CutToClipboard();

    // Called for every change of the text, also those the program makes.
    std::function<void(TCustomNumEdit *)> OnChange;

protected:
    void Beep() const;
    void updateColor();
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void changeEvent(QEvent *e) override;
    // A refused key (beeps).
    bool refuseKey(const QString &text);
    virtual bool editAllowed() const { return true; }

private:
    int m_max = 0;
    int m_min = 0;
    bool m_beepOnError = true;
    bool m_grayOnDisable = true;
    bool m_autoSelect = true;
};

// The two step buttons: a press on the upper half steps up, on the lower half down, repeated while held.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget *parent = nullptr);
    // +1 for up, -1 for down.
    std::function<void(int direction)> OnChanging;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void step();
    int m_pressed = 0;
    QTimer m_repeat;
};

class TCustomUpDownNumEdit : public TCustomNumEdit {
    Q_OBJECT
public:
    explicit TCustomUpDownNumEdit(QWidget *parent = nullptr);

    TUpDown *UpDown() const { return m_upDown; }
    int Increment() const { return m_increment; }
    void SetIncrement(int value) { m_increment = value; }
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool value) { m_editorEnabled = value; }
    void SetEnabled(bool value) override;
    // With the editor off, only stepping changes the text.
    bool IsValidChar(QChar key) const override;
    void PasteText(const QString &text) override;
    void CutToClipboard() override;
    // The smallest height that shows a line of the edit's font.
    int GetMinHeight() const;
    void UpDownChangingEx(int direction);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    bool editAllowed() const override { return m_editorEnabled; }

private:
    void SetEditRect();
    TUpDown *m_upDown;
    int m_increment = 1;
    bool m_editorEnabled = true;
};

class TUpDownNumEdit : public TCustomUpDownNumEdit {
    Q_OBJECT
public:
    using TCustomUpDownNumEdit::TCustomUpDownNumEdit;
};
