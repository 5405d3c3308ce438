#pragma once
// The bookmark dialog: the title and address of one bookmark, edited before it is added or changed.
// Enter in an edit box does not close it (there is no default button); Esc cancels.
#include <QDialog>
#include <memory>

class TMemIni;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
namespace Ui {
class TfrmBookmark;
}

class TfrmBookmark : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBookmark(QWidget *owner = nullptr);
    ~TfrmBookmark() override;

    QString Title() const;
    void SetTitle(const QString &value);
    // The address; an empty box reads as "about:blank".
    QString Url() const;
    void SetUrl(const QString &value);

    // Font from [Font], captions from [Bookmark] and the buttons from [Const]; a missing key leaves
    // the font as it is and a caption empty.
    void ApplyLanguage(const TMemIni &table);

    QLabel *lblTitle;
    QLabel *lblAddress;
    QFrame *Bevel1;
    QLineEdit *EditTitle;
    QLineEdit *EditAddress;
    QPushButton *btbtnOK;
    QPushButton *btbtnCancel;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfrmBookmark> m_ui;
    QSize m_designSize;
};
