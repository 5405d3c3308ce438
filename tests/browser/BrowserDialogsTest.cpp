// The browser control's dialogs reach the program's own message boxes.
#include "browser/BrowserDialogs.h"

#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "platform/MessageBoxes.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(BrowserDialogs, MessageBoxesGoThroughTheProgramsBoxes)
{
    QStringList asked;
    unsigned flagsSeen = 0;
    dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &caption, unsigned flags) {
            asked << caption << text;
            flagsSeen = flags;
            return int(messageboxes::IdCancel);
        }));
    const auto answer =
        browserDialogs().messageBox(nullptr, QStringLiteral("Brivo"), QStringLiteral("sure?"), QMessageBox::Question,
                                    QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    EXPECT_EQ(answer, QMessageBox::Cancel);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Brivo"), QStringLiteral("sure?")}));
    EXPECT_EQ(flagsSeen, unsigned(messageboxes::OKCancel | messageboxes::IconQuestion));
}

// Every dialog of the browser control reaches the runner a test installs, none is shown on its own.
TEST(BrowserDialogs, EveryDialogGoesThroughTheRunner)
{
    QStringList seen;
    dialogrunner::ScopedRunner runner([&](QDialog &dialog) {
        seen << QString::fromLatin1(dialog.metaObject()->className());
        if (auto *input = qobject_cast<QInputDialog *>(&dialog)) {
            EXPECT_EQ(input->textValue(), "old");
            input->setTextValue(QStringLiteral("typed"));
        } else if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
            files->selectFile(QStringLiteral("/tmp/chosen.html"));
        } else if (dialog.objectName() == u"credentials") {
            dialog.findChild<QLineEdit *>(QStringLiteral("user"))->setText(QStringLiteral("alice"));
            dialog.findChild<QLineEdit *>(QStringLiteral("password"))->setText(QStringLiteral("secret"));
        } else if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            EXPECT_EQ(static_cast<QAbstractButton *>(box->defaultButton()), box->button(QMessageBox::No));
            return int(QMessageBox::No);
        } else {
            return int(QDialog::Rejected);
        }
        return int(QDialog::Accepted);
    });
    TBrowserDialogs &dialogs = browserDialogs();
    QString value = QStringLiteral("old");
    EXPECT_TRUE(dialogs.prompt(nullptr, QStringLiteral("Brivo"), QStringLiteral("name?"), value));
    EXPECT_EQ(value, "typed");
    EXPECT_EQ(dialogs.saveFileName(nullptr, QStringLiteral("Save"), QString(), {QStringLiteral("All (*)")}, nullptr),
              "/tmp/chosen.html");
    QString user;
    QString password;
    EXPECT_TRUE(dialogs.credentials(nullptr, QStringLiteral("Brivo"), QStringLiteral("site"), user, password));
    EXPECT_EQ(user + u':' + password, "alice:secret");
    // a question whose safe answer is No is the program's own box, answered all the same
    EXPECT_EQ(dialogs.messageBox(nullptr, QStringLiteral("Brivo"), QStringLiteral("allow?"), QMessageBox::Question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No),
              QMessageBox::No);
    QPrinter printer;
    EXPECT_FALSE(dialogs.printDialog(nullptr, printer));
    QString header;
    QString footer;
    EXPECT_FALSE(dialogs.pageSetupDialog(nullptr, printer, header, footer));
    EXPECT_EQ(seen, (QStringList{"QInputDialog", "QFileDialog", "QDialog", "QMessageBox", "QPrintDialog",
                                 "QPageSetupDialog"}));
}

// A page's own question holds the page while it is open, but takes the user's input itself, also when
// it was made for the page's own control (a download's save dialog was shown held with the page: no
// button, key or name could be used, so no download could be saved).
TEST(BrowserDialogs, APagesOwnQuestionTakesInputWhileItsPageIsHeld)
{
    const dialogrunner::ScopedRunner shown(nullptr); // shown as the program shows it
    QWidget window;
    auto *page = new QWidget(&window);
    window.show();
    QFileDialog question(page, QStringLiteral("Save As"));
    question.setOption(QFileDialog::DontUseNativeDialog);
    bool held = false;
    bool takesInput = false;
    QTimer::singleShot(0, &question, [&] {
        held = !page->isEnabled();
        takesInput = question.isVisible() && question.isEnabled();
        question.reject();
    });
    EXPECT_EQ(browserDialogs().runForPage(page, question), int(QDialog::Rejected));
    EXPECT_TRUE(held) << "the page was not held while its question was open";
    EXPECT_TRUE(takesInput) << "the question was held with its page";
    EXPECT_TRUE(page->isEnabled()) << "the page was not let go again";
}
