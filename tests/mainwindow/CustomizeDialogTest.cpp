// The name-value dialog driven through its widgets: cell editors, row commands, the apply pattern
// on the settings file's bytes, and the names the settings file cannot store.
#include "mainwindow/CustomizeDialog.h"

#include "common/TestSupport.h"
#include "mainwindow/DialogTestSupport.h"
#include "platform/ProfileIni.h"
#include "settings/BrivoInisCompact.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::readBytes;

namespace {

class CustomizeDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ini = std::make_unique<TBrivoIni>(dir.path() + "/brivo.ini");
        ini->SetLinks({"Home=https://home.example/", "News=https://news.example/", "Mail=https://mail.example/"});
        dialog = std::make_unique<TfrmCustomizeDialog>(nullptr);
        dialog->SetStrings(ini->Links);
        dialog->OnApply = [this](QDialog *sender) {
            ++applies;
            EXPECT_EQ(sender, dialog.get());
            ini->SetLinks(dialog->Strings());
        };
        dialog->show();
        dialog->UpdateActions();
    }
    QByteArray fileBytes() const { return readBytes(ini->FileName); }
    QStringList reread() const { return ProfileIni(ini->FileName).readSectionValues(QStringLiteral("Links")); }
    // Types into the current cell's editor, one key at a time.
    void type(const QString &text)
    {
        QLineEdit *editor = dialog->CellEditor();
        ASSERT_NE(editor, nullptr) << "no cell editor open";
        QTest::keyClicks(editor, text);
    }
    void go(int line, int column)
    {
        dialog->ValueListEditor->setCurrentIndex(dialog->ValueListEditor->model()->index(line, column));
        dialog->UpdateActions();
    }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    QTemporaryDir dir;
    std::unique_ptr<TBrivoIni> ini;
    std::unique_ptr<TfrmCustomizeDialog> dialog;
    int applies = 0;
};

TEST_F(CustomizeDialogTest, OkAppliesOnlyPendingChangesAndCancelKeepsEarlierApplies)
{
    const QByteArray before = fileBytes();
    EXPECT_FALSE(dialog->actApply->isEnabled());
    click(dialog->bbOK);
    EXPECT_EQ(applies, 0);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(fileBytes(), before);

    dialog->show();
    go(1, 1);
    QLineEdit *editor = dialog->CellEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    type("https://news.example/today");
    // every keystroke reaches the list, before the editor closes
    EXPECT_EQ(dialog->Strings().at(1), u"News=https://news.example/today");
    EXPECT_TRUE(dialog->actApply->isEnabled());
    EXPECT_TRUE(dialog->BitBtn3->isEnabled());
    click(dialog->BitBtn3);
    EXPECT_EQ(applies, 1);
    EXPECT_FALSE(dialog->actApply->isEnabled());
    EXPECT_TRUE(fileBytes().contains("News=https://news.example/today"));
    click(dialog->bbOK);
    EXPECT_EQ(applies, 1);

    dialog->show();
    go(0, 0);
    dialog->CellEditor()->selectAll();
    type("Start");
    click(dialog->bbCancel);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(applies, 1);
    EXPECT_TRUE(fileBytes().contains("Home=https://home.example/"));
    EXPECT_TRUE(fileBytes().contains("News=https://news.example/today"));
}

TEST_F(CustomizeDialogTest, RowCommandsKeepNamesWithTheirValues)
{
    go(0, 1);
    dialog->actInsert->trigger();
    EXPECT_EQ(dialog->Strings().first(), u"=");
    EXPECT_EQ(dialog->CurrentLine(), 0);
    EXPECT_EQ(dialog->ValueListEditor->currentIndex().column(), 0);
    type("Top");
    dialog->actDelete->trigger();
    EXPECT_EQ(dialog->Strings().size(), 3);

    go(0, 0);
    dialog->actAppend->trigger();
    EXPECT_EQ(dialog->Strings().size(), 4);
    EXPECT_EQ(dialog->CurrentLine(), 3);
    type("Wiki");
    QTest::keyClick(dialog->CellEditor(), Qt::Key_Tab);
    type("https://wiki.example/");
    EXPECT_EQ(dialog->Strings().last(), u"Wiki=https://wiki.example/");

    // Move Up walks the line to the top; each step keeps it current
    dialog->UpdateActions();
    EXPECT_FALSE(dialog->actMoveDown->isEnabled());
    for (int i = 0; i < 3; ++i) {
        dialog->UpdateActions();
        ASSERT_TRUE(dialog->actMoveUp->isEnabled()) << i;
        dialog->actMoveUp->trigger();
    }
    dialog->UpdateActions();
    EXPECT_FALSE(dialog->actMoveUp->isEnabled());
    EXPECT_TRUE(dialog->actMoveDown->isEnabled());
    EXPECT_EQ(dialog->Strings(), QStringList({"Wiki=https://wiki.example/", "Home=https://home.example/",
                                              "News=https://news.example/", "Mail=https://mail.example/"}));
    dialog->actMoveDown->trigger();
    EXPECT_EQ(dialog->CurrentLine(), 1);
    EXPECT_EQ(dialog->Strings().at(1), u"Wiki=https://wiki.example/");

    dialog->SetStrings({});
    dialog->UpdateActions();
    EXPECT_FALSE(dialog->actMoveUp->isEnabled());
    EXPECT_FALSE(dialog->actMoveDown->isEnabled());
    EXPECT_FALSE(dialog->actApply->isEnabled());
    dialog->actDelete->trigger(); // nothing to delete
    dialog->actInsert->trigger();
    EXPECT_EQ(dialog->Strings(), QStringList({"="}));
}

TEST_F(CustomizeDialogTest, PastedTextStopsAtItsFirstLineBreak)
{
    go(2, 1);
    QLineEdit *editor = dialog->CellEditor();
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    QApplication::clipboard()->setText("https://x.example/\r\nsecond line\nthird");
    dialog->UpdateActions();
    ASSERT_TRUE(dialog->actEditPaste->isEnabled());
    dialog->actEditPaste->trigger();
    EXPECT_EQ(editor->text(), u"https://x.example/https://mail.example/");
    EXPECT_EQ(dialog->Strings().at(2), u"Mail=https://x.example/https://mail.example/");
    dialog->UpdateActions();
    ASSERT_TRUE(dialog->actEditUndo->isEnabled());
    dialog->actEditUndo->trigger();
    EXPECT_EQ(dialog->Strings().at(2), u"Mail=https://mail.example/");
}

TEST_F(CustomizeDialogTest, NamesTheFileCannotStoreAreRefusedWithAMessage)
{
    const QByteArray before = fileBytes();
    const QList<std::pair<QString, QString>> bad = {
        {"a=b", "="}, {"[Main]", "["}, {";comment", ";"}, {"  ", "no name"}, {"HOME", "repeated"}};
    for (const auto &[name, why] : bad) {
        MessageCatcher messages;
        dialog->SetStrings({"Home=https://home.example/", "x=https://x.example/"});
        go(1, 0);
        dialog->CellEditor()->selectAll();
        type(name);
        click(dialog->bbOK);
        EXPECT_EQ(messages.texts.size(), 1) << why.toStdString();
        EXPECT_EQ(applies, 0) << why.toStdString();
        EXPECT_TRUE(dialog->isVisible()) << why.toStdString();
        EXPECT_TRUE(dialog->actApply->isEnabled()) << why.toStdString();
        EXPECT_EQ(dialog->CurrentLine(), 1) << why.toStdString();
        EXPECT_EQ(fileBytes(), before) << why.toStdString();
    }
}

TEST_F(CustomizeDialogTest, ANameHoldingANulIsRefusedWithThatReason)
{
    const QByteArray before = fileBytes();
    MessageCatcher messages;
    dialog->SetStrings({QStringLiteral("Ti") + QChar(0) + QStringLiteral("tle=https://t.example/")});
    go(0, 1);
    dialog->CellEditor()->end(false);
    type(" ");
    click(dialog->BitBtn3);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("NUL"))) << messages.texts[0].toStdString();
    EXPECT_FALSE(messages.texts[0].contains(QStringLiteral("\"[\""))) << "the reason of another refusal";
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("Ti") + QChar(0x2400) + QStringLiteral("tle")))
        << "the name is shown with its NUL made visible";
    EXPECT_EQ(applies, 0);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(CustomizeDialogTest, TheAppliedListIsWhatTheFileReadsBack)
{
    MessageCatcher messages;
    dialog->SetStrings({"  Spaced  =  https://spaced.example/  ", "Quoted=\"https://quoted.example/\"", "=",
                        "Plain=https://plain.example/a=b"});
    go(0, 0);
    dialog->CellEditor()->end(false);
    type(" ");
    click(dialog->BitBtn3);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_EQ(applies, 1);
    EXPECT_EQ(dialog->Strings(), QStringList({"Spaced=https://spaced.example/", "Quoted=https://quoted.example/",
                                              "Plain=https://plain.example/a=b"}));
    EXPECT_EQ(ini->Links, reread());
}

TEST_F(CustomizeDialogTest, AValueWithANulOrLineBreakIsAppliedAsTheFileKeepsIt)
{
    MessageCatcher messages;
    dialog->SetStrings({QStringLiteral("Nul=\"https://nul.exampl") + QChar(0) + QStringLiteral("e/\""),
                        QStringLiteral("Break=https://a.example/\r\nmore")});
    go(0, 0);
    dialog->CellEditor()->end(false);
    type(" ");
    click(dialog->BitBtn3);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_EQ(applies, 1);
    EXPECT_EQ(dialog->Strings(), QStringList({"Nul=https://nul.example/", "Break=https://a.example/  more"}));
    EXPECT_EQ(reread(), dialog->Strings());
}

TEST_F(CustomizeDialogTest, RowsAreAddedAndDeletedFromTheKeyboard)
{
    auto key = [this](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QWidget *target = dialog->CellEditor() ? static_cast<QWidget *>(dialog->CellEditor())
                                               : static_cast<QWidget *>(dialog->ValueListEditor);
        QTest::keyClick(target, k, mods);
        QCoreApplication::processEvents();
    };
    // Insert: an empty line before the current one, its name cell current
    go(1, 1);
    key(Qt::Key_Insert);
    EXPECT_EQ(dialog->Strings(), QStringList({"Home=https://home.example/", "=", "News=https://news.example/",
                                              "Mail=https://mail.example/"}));
    EXPECT_EQ(dialog->CurrentLine(), 1);
    EXPECT_EQ(dialog->ValueListEditor->currentIndex().column(), 0);
    type("Blog");
    // Ctrl+Delete: the current line goes
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialog->Strings(),
              QStringList({"Home=https://home.example/", "News=https://news.example/", "Mail=https://mail.example/"}));
    EXPECT_TRUE(dialog->actApply->isEnabled());
    // Down past the last line adds one; Down on that still empty line adds no second
    go(2, 1);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(dialog->Strings().size(), 4);
    EXPECT_EQ(dialog->CurrentLine(), 3);
    type("Docs");
    ASSERT_TRUE(dialog->CellEditor());
    QTest::keyClick(dialog->CellEditor(), Qt::Key_Tab);
    type("https://docs.example/");
    EXPECT_EQ(dialog->Strings().last(), "Docs=https://docs.example/");
    // Down inside the list only moves
    go(0, 0);
    key(Qt::Key_Down);
    EXPECT_EQ(dialog->CurrentLine(), 1);
    EXPECT_EQ(dialog->Strings().size(), 4);
    // an emptied grid takes a first line from the keyboard too
    for (int i = 0; i < 4; ++i)
        key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_TRUE(dialog->Strings().isEmpty());
    dialog->ValueListEditor->setFocus();
    key(Qt::Key_Insert);
    EXPECT_EQ(dialog->Strings(), QStringList({"="}));
}

TEST(CustomizeDialogLanguage, EveryTableNamesTheDialogAndItsColumns)
{
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        TfrmCustomizeDialog dialog(nullptr);
        dialog.ApplyLanguage(table);
        EXPECT_FALSE(dialog.windowTitle().isEmpty()) << name;
        QAbstractItemModel *model = dialog.ValueListEditor->model();
        EXPECT_FALSE(model->headerData(0, Qt::Horizontal).toString().isEmpty()) << name;
        EXPECT_FALSE(model->headerData(1, Qt::Horizontal).toString().isEmpty()) << name;
        EXPECT_FALSE(dialog.actMoveUp->toolTip().isEmpty()) << name;
        EXPECT_FALSE(dialog.bbCancel->text().isEmpty()) << name;
    }
    // a table without the section blanks the texts
    TMemIni empty;
    TfrmCustomizeDialog dialog(nullptr);
    dialog.ApplyLanguage(empty);
    EXPECT_EQ(dialog.windowTitle(), QString());
    EXPECT_EQ(dialog.bbOK->text(), QString());
}

} // namespace
