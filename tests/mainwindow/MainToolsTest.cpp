// The Tools menu's mail, customise and reset commands of the main window over a real settings file,
// with the dialogs answered through their widgets and the mail hand-over recorded.
#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "mainwindow/CustomizeDialog.h"
#include "mainwindow/CustomizeToolButtons.h"
#include "mainwindow/EditCheckListViews.h"
#include "mainwindow/MailCommands.h"
#include "mainwindow/MailToOptions.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/MainWindowTestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/MailClient.h"
#include "platform/PlatformStore.h"
#include "platform/ProfileIni.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// Starts nothing; notes what would have been started.
struct StarterRecorder {
    QList<QStringList> started;
    mailclient::ScopedStarter guard{[this](const QString &program, const QStringList &arguments) {
        started.append(QStringList{program} + arguments);
        return true;
    }};
};

// Answers the dialogs with the given steps while it lives.
struct DialogAnswer {
    explicit DialogAnswer(std::function<void(QDialog &)> steps)
        : runner([steps](QDialog &d) {
            d.show();
            steps(d);
            return d.result();
        })
    {}
    dialogrunner::ScopedRunner runner;
};

class MainToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        systemlocale::setOverride(QStringLiteral("en_US.UTF-8"));
        platformstore::setFolder(dir.path() + "/registry");
        platformstore::setMailHandlerQuery([] { return QStringLiteral("mailer.desktop"); });
        mainwindowtest::openMainWindow(dir.path() + "/brivo.ini");
    }
    void TearDown() override
    {
        mainwindowtest::closeMainWindow();
        platformstore::setMailHandlerQuery({});
        systemlocale::setOverride(std::nullopt);
        platformstore::setFolder(QString());
    }
    void run(const char *command)
    {
        frmMain->UpdateActions();
        QAction *a = frmMain->action(QString::fromLatin1(command));
        ASSERT_NE(a, nullptr) << command;
        ASSERT_TRUE(a->isEnabled()) << command;
        a->trigger();
    }
    QStringList linkCaptions() const
    {
        QStringList captions;
        for (QAction *holder : frmMain->linksBar()->actions())
            if (holder->isVisible())
                if (auto *b = qobject_cast<QToolButton *>(frmMain->linksBar()->widgetForAction(holder)))
                    captions.append(b->text());
        return captions;
    }
    // The defaults as the build ships them beside the program.
    ProfileIni shipped()
    {
        const QString target = dir.path() + "/shipped/brivo.ini";
        QProcess cmake;
        cmake.start("cmake", {"-DSOURCE_DIR=" BRIVO_SOURCE_DIR "/resources/defaults", "-DTARGET=" + target, "-P",
                              BRIVO_SOURCE_DIR "/resources/ShipDefaults.cmake"});
        EXPECT_TRUE(cmake.waitForFinished(30000));
        EXPECT_EQ(cmake.exitCode(), 0) << cmake.readAllStandardError().toStdString();
        return ProfileIni(target);
    }
    QTemporaryDir dir;
};

TEST_F(MainToolsTest, TheCustomiseCommandsStoreWhatTheirDialogsApply)
{
    // links: a new line typed into the grid, OK
    {
        DialogAnswer answer([](QDialog &d) {
            auto &dialog = dynamic_cast<TfrmCustomizeDialog &>(d);
            EXPECT_EQ(dialog.parentWidget(), frmMain);
            EXPECT_FALSE(dialog.windowTitle().isEmpty());
            dialog.actAppend->trigger();
            QTest::keyClicks(dialog.CellEditor(), "Home");
            QTest::keyClick(dialog.CellEditor(), Qt::Key_Tab);
            QTest::keyClicks(dialog.CellEditor(), "https://home.example/");
            QTest::mouseClick(dialog.bbOK, Qt::LeftButton);
        });
        run("actCustomizeLinks");
    }
    EXPECT_EQ(BrivoIni->Links, QStringList({"Home=https://home.example/"}));
    EXPECT_TRUE(readBytes(BrivoIni->FileName).contains("[Links]\nHome=https://home.example/"));
    EXPECT_EQ(linkCaptions(), QStringList({"Home"}));

    // search engines through the links bar's own edit command's twin: Apply, then Cancel
    {
        DialogAnswer answer([](QDialog &d) {
            auto &dialog = dynamic_cast<TfrmCustomizeDialog &>(d);
            dialog.actAppend->trigger();
            QTest::keyClicks(dialog.CellEditor(), "Find");
            QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
            dialog.actAppend->trigger();
            QTest::keyClicks(dialog.CellEditor(), "Lost");
            QTest::mouseClick(dialog.bbCancel, Qt::LeftButton);
        });
        run("actCustomizeSearchs");
    }
    EXPECT_EQ(BrivoIni->Searchs, QStringList({"Find="}));

    // the links bar's pop-up command opens the links dialog
    {
        QStringList seen;
        DialogAnswer answer([&seen](QDialog &d) {
            seen = dynamic_cast<TfrmCustomizeDialog &>(d).Strings();
            d.reject();
        });
        run("actLinkEdit");
        EXPECT_EQ(seen, QStringList({"Home=https://home.example/"}));
    }

    // mail-body lines: one appended and ticked, OK
    BrivoIni->SetMailBody({"Greeting=1", "Signature=0"});
    {
        DialogAnswer answer([](QDialog &d) {
            auto &dialog = dynamic_cast<TfrmMailToOptions &>(d);
            dialog.EditCheckListView->setFocus();
            dialog.EditCheckListView->setCurrentRow(1);
            QTest::keyClick(dialog.EditCheckListView, Qt::Key_Space);
            QTest::mouseClick(dialog.btbtnOK, Qt::LeftButton);
        });
        run("actMailToOptions");
    }
    EXPECT_EQ(BrivoIni->MailBody, QStringList({"Greeting=1", "Signature=1"}));
    EXPECT_TRUE(readBytes(BrivoIni->FileName).contains("[MailBody]\nGreeting=1\nSignature=1\n"));

    // tool buttons: the template's whole layout, with labels on the right
    {
        DialogAnswer answer([](QDialog &d) {
            auto &dialog = dynamic_cast<TfrmCustomizeToolButtons &>(d);
            EXPECT_EQ(dialog.ToolButtons(), u"0") << "the bar's one button";
            QTest::mouseClick(dialog.bbReset, Qt::LeftButton);
            dialog.SetToolBarText(1);
            QTest::mouseClick(dialog.bbOk, Qt::LeftButton);
        });
        run("actCustomizeToolButtons");
    }
    EXPECT_EQ(BrivoIni->ToolButtons, u"0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;16;-1;18;-1;20;21;22");
    EXPECT_EQ(BrivoIni->ToolbarText, 1);
    EXPECT_EQ(frmMain->toolButtonsBar()->actions().size(), 23);
}

TEST_F(MainToolsTest, ResetRestoresTheShippedDefaultsAndTheBarsFollow)
{
    ProfileIni defaults = shipped();
    const QStringList links = defaults.readSectionValues("Links");
    const QStringList searchs = defaults.readSectionValues("Searchs");
    const QString layout = defaults.readString("Main", "ToolButtons", QString());
    ASSERT_FALSE(links.isEmpty());
    ASSERT_FALSE(searchs.isEmpty());
    ASSERT_FALSE(layout.isEmpty());

    BrivoIni->SetLinks({"Mine=https://mine.example/"});
    BrivoIni->SetSearchs({"Mine=https://mine.example/?q=%s"});
    BrivoIni->SetToolButtons("0");
    frmMain->UpdateLinkButtons();
    run("actResetSetting");
    EXPECT_EQ(BrivoIni->Links, links);
    EXPECT_EQ(BrivoIni->Searchs, searchs);
    EXPECT_EQ(BrivoIni->ToolButtons, layout);
    EXPECT_EQ(linkCaptions().size(), links.size());
    EXPECT_EQ(frmMain->toolButtonsBar()->actions().size(), layout.split(u';').size());
    // what the file holds now is what a fresh start reads
    TBrivoIni again(BrivoIni->FileName);
    EXPECT_EQ(again.Links, links);
    EXPECT_EQ(again.Searchs, searchs);
    EXPECT_EQ(again.ToolButtons, layout);
}

TEST_F(MainToolsTest, AShippedSettingsFileStaysOnceItIsThere)
{
    const QString target = dir.path() + "/shipped/brivo.ini";
    shipped();
    writeBytes(target, "[Links]\nMine=https://mine.example/\n");
    shipped();
    EXPECT_EQ(readBytes(target), "[Links]\nMine=https://mine.example/\n");
    EXPECT_TRUE(QFileInfo::exists(QCoreApplication::applicationDirPath() + "/../bin/brivo.ini"))
        << "the build places the default settings beside the program";
}

TEST_F(MainToolsTest, MailGoesToTheMailProgramAndFallsBackToItsMailtoCommand)
{
    StarterRecorder starts;
    QList<QStringList> handed;
    mailclient::RunOutcome outcome{true, true, 0};
    mailclient::ScopedRunner runner([&](const QString &, const QStringList &arguments) {
        handed.append(arguments);
        return outcome;
    });
    BrivoIni->SetMailBody({"First=1", "Second=0", "Third=1"});
    EXPECT_EQ(MailBodyText(BrivoIni->MailBody), u"First\r\nThird\r\n");
    platformstore::writeString(Hive::LocalMachine,
                               "Software\\Clients\\Mail\\mailer\\Protocols\\mailto\\shell\\open\\command", QString(),
                               "\"/opt/Mail Box/mailer\" -compose \"%1\" --to=%1 %u");
    run("actMailTo");
    ASSERT_EQ(handed.size(), 1);
    const QString uri = handed.first().last();
    EXPECT_TRUE(uri.startsWith("mailto:" + QUrl::toPercentEncoding(MailToAddressText, "@")));
    EXPECT_TRUE(uri.contains("body=First%0D%0AThird%0D%0A"));
    EXPECT_TRUE(starts.started.isEmpty()) << "no fallback after a hand-over";

    // no mail program for the desktop, or no xdg-email: the mailto command runs, address in both places
    for (const mailclient::RunOutcome failed : {mailclient::RunOutcome{true, true, 3}, mailclient::RunOutcome{}}) {
        outcome = failed;
        starts.started.clear();
        run("actMailTo");
        ASSERT_EQ(starts.started.size(), 1);
        EXPECT_EQ(starts.started.first(),
                  QStringList({"/opt/Mail Box/mailer", "-compose", "MailTo:" + MailToAddressText,
                               "--to=MailTo:" + MailToAddressText}));
    }
}

TEST_F(MainToolsTest, TheUsersCancelEndsTheMailCommandAndAnErrorStartsTheFallback)
{
    StarterRecorder starts;
    platformstore::writeString(Hive::LocalMachine,
                               "Software\\Clients\\Mail\\mailer\\Protocols\\mailto\\shell\\open\\command", QString(),
                               "mailer %1");
    QList<int> answers = {mailclient::UserAbort, mailclient::Success, mailclient::Failure,
                          mailclient::AttachmentNotFound};
    QStringList bodies;
    mailclient::ScopedBackend backend([&](const mailclient::Message &message) {
        bodies.append(message.body);
        EXPECT_EQ(message.to, QStringList({MailToAddressText}));
        EXPECT_EQ(message.subject, MailSubjectText);
        return answers.takeFirst();
    });
    run("actMailTo");
    run("actMailTo");
    EXPECT_TRUE(starts.started.isEmpty()) << "neither a cancel nor a sent mail runs the fallback";
    run("actMailTo");
    run("actMailTo");
    EXPECT_EQ(starts.started, QList<QStringList>(2, {"mailer", "MailTo:" + MailToAddressText}));
    EXPECT_EQ(bodies.size(), 4);
}

TEST_F(MainToolsTest, TheMailCommandStartsTheClientsCommandWithoutAShell)
{
    StarterRecorder starts;
    // the desktop entry answers when the store has no command of its own
    writeBytes(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + "/mailer.desktop",
               "[Desktop Entry]\nType=Application\nExec=mailer-bin --profile \"my box\" %u\n");
    run("actMail");
    ASSERT_EQ(starts.started.size(), 1);
    EXPECT_EQ(starts.started.first(), QStringList({"mailer-bin", "--profile", "my box"}));
    platformstore::writeString(Hive::LocalMachine, "Software\\Clients\\Mail\\mailer\\shell\\open\\command", QString(),
                               "sh -c 'x; rm -rf ~' $(id)");
    run("actMail");
    EXPECT_EQ(starts.started.last(), QStringList({"sh", "-c", "'x;", "rm", "-rf", "~'", "$(id)"}));

    // without a mail client nothing runs (the user is told so)
    platformstore::writeString(Hive::LocalMachine, "SOFTWARE\\Clients\\Mail", QString(), QString());
    starts.started.clear();
    dialogrunner::ScopedRunner boxes(testsupport::answeringMessageBoxes(
        [](const QString &, const QString &, unsigned) { return messageboxes::IdOK; }));
    mailclient::ScopedRunner runner([](const QString &, const QStringList &) {
        ADD_FAILURE() << "nothing is handed over without a mail client";
        return mailclient::RunOutcome{};
    });
    run("actMail");
    run("actMailTo");
    EXPECT_TRUE(starts.started.isEmpty());
}

TEST_F(MainToolsTest, TheMailCommandsTellTheUserWhatIsMissingInsteadOfDoingNothing)
{
    StarterRecorder starts;
    QStringList told;
    dialogrunner::ScopedRunner boxes(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned) {
            told.append(text);
            return messageboxes::IdOK;
        }));
    mailclient::ScopedBackend backend([](const mailclient::Message &) { return int(mailclient::Failure); });

    // a mail program the desktop names but which has neither a command nor a desktop entry
    platformstore::setMailHandlerQuery([] { return QStringLiteral("absent-mailer.desktop"); });
    run("actMail");
    run("actMailTo");
    ASSERT_EQ(told.size(), 2);
    for (const QString &text : told)
        EXPECT_TRUE(text.contains("absent-mailer") && text.contains("could not be started")) << text.toStdString();

    // no mail program at all
    told.clear();
    platformstore::writeString(Hive::LocalMachine, "SOFTWARE\\Clients\\Mail", QString(), QString());
    run("actMail");
    run("actMailTo");
    ASSERT_EQ(told.size(), 2);
    for (const QString &text : told)
        EXPECT_TRUE(text.contains("No mail program")) << text.toStdString();
    EXPECT_TRUE(starts.started.isEmpty());

    // a mail program that starts says nothing
    told.clear();
    platformstore::writeString(Hive::LocalMachine, "SOFTWARE\\Clients\\Mail", QString(), "mailer");
    platformstore::writeString(Hive::LocalMachine, "Software\\Clients\\Mail\\mailer\\shell\\open\\command", QString(),
                               "mailer-bin");
    run("actMail");
    EXPECT_EQ(starts.started, QList<QStringList>({{"mailer-bin"}}));
    EXPECT_TRUE(told.isEmpty());
}

} // namespace
