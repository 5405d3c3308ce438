// The mail-body options dialog over the settings file: data in and out, the apply pattern on the
// file's bytes, and the lines it refuses.
#include "mainwindow/MailToOptions.h"

#include "common/TestSupport.h"
#include "mainwindow/DialogTestSupport.h"
#include "mainwindow/EditCheckListViews.h"
#include "settings/BrivoInisCompact.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::readBytes;

namespace {

class MailToOptionsTest : public ::testing::Test {
protected:
    void open(const QStringList &entries)
    {
        ini = std::make_unique<TBrivoIni>(dir.path() + "/brivo.ini");
        ini->SetMailBody(entries);
        dialog = std::make_unique<TfrmMailToOptions>(nullptr);
        dialog->SetStrings(ini->MailBody);
        dialog->OnApply = [this](QDialog *) {
            ++applies;
            ini->SetMailBody(dialog->GetStrings());
        };
        dialog->show();
        dialog->UpdateActions();
    }
    QByteArray section() const
    {
        const QByteArray bytes = readBytes(ini->FileName);
        return bytes.mid(bytes.indexOf("[MailBody]"));
    }
    TEditCheckListStrings &lines() { return *dialog->EditCheckListView->Strings(); }
    void select(int index)
    {
        dialog->EditCheckListView->SetSelectedIndex(index);
        dialog->UpdateActions();
    }
    QLineEdit *editor() const
    {
        for (QLineEdit *e : dialog->EditCheckListView->viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    void typeAndEnter(const QString &text)
    {
        QLineEdit *e = editor();
        ASSERT_NE(e, nullptr) << "no editor open";
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        // the editor commits through a posted call, and the removal of an emptied line follows it
        for (int round = 0; round < 2; ++round)
            QCoreApplication::sendPostedEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<TBrivoIni> ini;
    std::unique_ptr<TfrmMailToOptions> dialog;
    int applies = 0;
};

TEST_F(MailToOptionsTest, TicksComeInAndGoOutAsOneOrZero)
{
    open({"Greeting=1", "Signature=0"});
    EXPECT_EQ(lines().Lines(), QStringList({"Greeting", "Signature"}));
    EXPECT_TRUE(lines().GetChecked(0));
    EXPECT_FALSE(lines().GetChecked(1));
    const QByteArray before = section();
    QTest::mouseClick(dialog->btbtnOK, Qt::LeftButton);
    EXPECT_EQ(applies, 0);
    EXPECT_EQ(section(), before);

    dialog->show();
    // selecting another line is no change
    select(1);
    select(0);
    EXPECT_FALSE(dialog->actApply->isEnabled());
    dialog->EditCheckListView->setFocus();
    QTest::keyClick(dialog->EditCheckListView, Qt::Key_Space);
    EXPECT_TRUE(dialog->actApply->isEnabled());
    QTest::mouseClick(dialog->btbtnApply, Qt::LeftButton);
    EXPECT_EQ(applies, 1);
    EXPECT_EQ(section(), "[MailBody]\nGreeting=0\nSignature=0\n");
    EXPECT_FALSE(dialog->actApply->isEnabled());
}

TEST_F(MailToOptionsTest, OnlyExactlyOneTicksAndTheFirstOfEqualNamesDecides)
{
    open({});
    dialog->SetStrings({"Yes=yes", "Spaced=1 ", "Name=1", "NAME=0", "After=1"});
    EXPECT_EQ(lines().Lines(), QStringList({"Yes", "Spaced", "Name", "After"}));
    EXPECT_EQ(dialog->GetStrings(), QStringList({"Yes=0", "Spaced=0", "Name=1", "After=1"}));
    EXPECT_FALSE(dialog->actApply->isEnabled());
}

TEST_F(MailToOptionsTest, RowCommandsFollowTheSelection)
{
    open({"A=1", "B=0", "C=1"});
    select(-1);
    EXPECT_FALSE(dialog->actDelete->isEnabled());
    EXPECT_FALSE(dialog->actUp->isEnabled());
    EXPECT_FALSE(dialog->actDown->isEnabled());
    select(0);
    EXPECT_FALSE(dialog->actUp->isEnabled());
    EXPECT_TRUE(dialog->actDown->isEnabled());
    dialog->actDown->trigger();
    EXPECT_EQ(dialog->GetStrings(), QStringList({"B=0", "A=1", "C=1"}));
    EXPECT_EQ(dialog->EditCheckListView->SelectedIndex(), 1);
    select(2);
    EXPECT_FALSE(dialog->actDown->isEnabled());
    dialog->actDelete->trigger();
    EXPECT_EQ(dialog->GetStrings(), QStringList({"B=0", "A=1"}));
    EXPECT_TRUE(dialog->actApply->isEnabled());

    // a new line takes the text typed into its editor, before the selected line
    select(1);
    dialog->actInsert->trigger();
    typeAndEnter("Inserted");
    dialog->actAppend->trigger();
    typeAndEnter("Appended");
    EXPECT_EQ(dialog->GetStrings(), QStringList({"B=0", "Inserted=0", "A=1", "Appended=0"}));
}

TEST_F(MailToOptionsTest, LinesTheFileCannotHoldAreRefusedWithAMessage)
{
    open({"Greeting=1", "Signature=0"});
    for (const char *bad : {"a=b", "[Main]", ";note", "signature"}) {
        MessageCatcher messages;
        dialog->EditCheckListView->EditLine(0);
        typeAndEnter(QString::fromLatin1(bad));
        EXPECT_EQ(messages.texts.size(), 1) << bad;
        EXPECT_EQ(lines().Lines(), QStringList({"Greeting", "Signature"})) << bad;
    }
    EXPECT_FALSE(dialog->actApply->isEnabled());
    // emptying a line by editing removes it, which is a change
    dialog->EditCheckListView->EditLine(0);
    typeAndEnter(QString());
    EXPECT_EQ(lines().Lines(), QStringList({"Signature"}));
    EXPECT_TRUE(dialog->actApply->isEnabled());
}

TEST_F(MailToOptionsTest, ALineHoldingANulIsRefusedWithThatReason)
{
    open({"Greeting=1"});
    MessageCatcher messages;
    dialog->EditCheckListView->EditLine(0);
    QLineEdit *e = editor();
    ASSERT_NE(e, nullptr) << "no editor open";
    e->setText(QStringLiteral("Hel") + QChar(0) + QStringLiteral("lo"));
    QTest::keyClick(e, Qt::Key_Return);
    for (int round = 0; round < 2; ++round)
        QCoreApplication::sendPostedEvents();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("NUL"))) << messages.texts[0].toStdString();
    EXPECT_FALSE(messages.texts[0].contains(QStringLiteral("\"[\""))) << "the reason of another refusal";
    EXPECT_EQ(lines().Lines(), QStringList({"Greeting"}));
}

TEST(MailToOptionsLanguage, EveryTableTitlesTheDialog)
{
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        TfrmMailToOptions dialog(nullptr);
        dialog.ApplyLanguage(table);
        EXPECT_FALSE(dialog.windowTitle().isEmpty()) << name;
        EXPECT_FALSE(dialog.lblNote->text().isEmpty()) << name;
        EXPECT_FALSE(dialog.actDown->toolTip().isEmpty()) << name;
        EXPECT_FALSE(dialog.btbtnApply->text().isEmpty()) << name;
    }
}

} // namespace
