#pragma once
// The About box: the program's picture and name, and the version, copyright and home page read from
// the version block of the running executable. Clicking the home-page line ends the box with mrYes
// (the caller then opens the home page); OK, Enter, Esc and the close box end it with mrCancel.
// The box never deletes itself: whoever created it destroys it after the modal loop.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TFileVersion;
class TMemIni;
namespace Ui {
class TfrmAbout;
}

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int mrCancel = 2;
    static constexpr int mrYes = 6;

    // Reads the version block of exeName; by default the running executable's.
    explicit TfrmAbout(QWidget *owner, const QString &exeName = QString());
    ~TfrmAbout() override;

    // [Font] Name, Charset and Size to the form's font, [About] Caption, [Const] OK.
    void ApplyLanguage(const TMemIni &table);

    // Esc and the close box end the box like the OK button.
    void reject() override;

    QLabel *Image2 = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *lblProduct = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;
    QLabel *lblHomepage = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *btbtnOK = nullptr;
    TFileVersion *FileVersion = nullptr;

    // The picture the box shows, drawn in code.
    static QPixmap picture();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate(const QString &exeName);
    void btbtnOKClick();
    void lblHomepageClick();

    Ui::TfrmAbout *ui;
};
