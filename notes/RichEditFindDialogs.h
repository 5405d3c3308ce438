#pragma once
// Modeless find and replace dialogs: the find text, the options of the search and the button the user
// pressed, handed to whoever owns the dialog through its events.
#include <QDialog>
#include <QFlags>
#include <functional>

class QCheckBox;
class QGridLayout;
class QVBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

enum TFindOption {
    frDown = 0x1,       // search toward the end (otherwise toward the start)
    frMatchCase = 0x4,  // letter case must match
    frWholeWord = 0x2,  // only whole words match
    frHideUpDown = 0x8, // no direction buttons
    frReplace = 0x10,   // set while the replace event runs for one replacement
    frReplaceAll = 0x20 // set while the replace event runs for Replace All
};
Q_DECLARE_FLAGS(TFindOptions, TFindOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFindOptions)

class TRichEditFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRichEditFindDialog(QWidget *parent = nullptr);

    QString FindText() const;
    void SetFindText(const QString &text);
    TFindOptions Options() const;
    void SetOptions(TFindOptions options);

    // Fired by Find Next (the find text is never empty then) and when the dialog closes.
    std::function<void(TRichEditFindDialog *)> OnFind;
    std::function<void(TRichEditFindDialog *)> OnClose;

    // Shows the dialog without making it modal and gives the find text the focus.
    void Execute();
    // Presses Find Next (as the Enter key does).
    void ClickFindNext();

protected:
    void done(int result) override;
    virtual void updateButtons();

    QGridLayout *m_form = nullptr;         // label and edit rows, then the options
    QVBoxLayout *m_buttonColumn = nullptr; // Find Next, then Cancel
    QLineEdit *m_findText = nullptr;
    QPushButton *m_findNext = nullptr;

private:
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QRadioButton *m_up = nullptr;
    QRadioButton *m_down = nullptr;
    QWidget *m_direction = nullptr;
    TFindOptions m_flags; // the options that have no box (frHideUpDown)
};

class TRichEditReplaceDialog : public TRichEditFindDialog {
    Q_OBJECT
public:
    explicit TRichEditReplaceDialog(QWidget *parent = nullptr);

    QString ReplaceText() const;
    void SetReplaceText(const QString &text);

    // Fired by Replace (with frReplace in the options) and by Replace All (with frReplaceAll).
    std::function<void(TRichEditFindDialog *)> OnReplace;

    void ClickReplace();
    void ClickReplaceAll();

protected:
    void updateButtons() override;

private:
    void fireReplace(TFindOption which);
    QLineEdit *m_replaceText = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_replaceAll = nullptr;
};
