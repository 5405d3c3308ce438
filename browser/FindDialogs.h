#pragma once
// The find dialog over a page: modeless, with next, previous and match case, and the number of
// matches found.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TIEBrowser;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(TIEBrowser *browser);

    QLineEdit *textEdit() const { return m_text; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QLabel *resultLabel() const { return m_result; }
    void findNext();
    void findPrevious();

protected:
    // Esc is the dialog's own: a tool window sees the shortcuts of the window it belongs to, whose Esc
    // (Stop) would otherwise take it.
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showResult(int matches, int activeMatch);

    TIEBrowser *m_browser;
    QLineEdit *m_text;
    QCheckBox *m_matchCase;
    QPushButton *m_next;
    QPushButton *m_previous;
    QLabel *m_result;
};
