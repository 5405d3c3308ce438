// Searching and replacing in the rich-edit control: ranges in both directions, whole words and letter
// case, the dialogs' find next, replace and replace all with their notifications, and what a search
// that finds nothing reports.
#include "notes/MMRxRichEdit.h"
#include "notes/NotesTestSupport.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using namespace notestest;

namespace {

class Find : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit.SetSelText(QStringLiteral("Cat cat concat cat."));
        edit.SetSelection(0, 0, false);
    }
    // The dialog the control shows, filled in as a user would.
    TRichEditReplaceDialog *replaceDialog(const QString &find, const QString &replace, TFindOptions options = frDown)
    {
        TRichEditReplaceDialog *d = edit.ReplaceDialog(find, replace);
        d->SetOptions(options);
        return d;
    }
    std::pair<int, int> selection() const
    {
        int a = 0, b = 0;
        edit.GetSelection(a, b);
        return {a, b};
    }

    TMMRxRichEdit edit;
};

TEST_F(Find, FindTextHonoursItsRangeDirectionAndOptions)
{
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 0, 100, {}), 0);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 0, 100, stMatchCase), 4);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, 100, stWholeWord), 15);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, 100, {}), 11); // inside "concat"
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, 8, {}), -1);   // "concat" ends past the range
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 5, 9, {}), 11);
    // backward: the match nearest the start point that ends before it
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 15, 16, stBackward), 11);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 16, 17, stBackward | stWholeWord), 4);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 6, 7, stBackward), 0);
    EXPECT_EQ(edit.FindText(QStringLiteral("cat"), 15, 3, stBackward), -1); // "concat" starts too early
    EXPECT_EQ(edit.FindText(QString(), 0, 100, {}), -1);
    EXPECT_EQ(selection(), std::make_pair(0, 0)); // nothing selected without stSetSelection
    EXPECT_EQ(edit.FindText(QStringLiteral("concat"), 0, 100, stSetSelection), 8);
    EXPECT_EQ(selection(), std::make_pair(8, 14));
}

TEST_F(Find, FindNextWalksBothWaysAndReportsTheEnd)
{
    MessageBoxAnswers answers;
    EXPECT_FALSE(edit.CanFindNext());
    EXPECT_FALSE(edit.FindNext()); // no dialog used yet: nothing shown
    EXPECT_TRUE(answers.Texts.isEmpty());

    TRichEditFindDialog *dialog = edit.FindDialog(QStringLiteral("cat"));
    dialog->SetOptions(frDown | frWholeWord);
    dialog->ClickFindNext();
    EXPECT_EQ(selection(), std::make_pair(0, 3));
    EXPECT_TRUE(edit.CanFindNext());
    EXPECT_TRUE(edit.FindNext());
    EXPECT_TRUE(edit.FindNext());
    EXPECT_EQ(selection(), std::make_pair(15, 18));
    // on the last match, forward finds nothing, says so once, and the selection stays
    EXPECT_FALSE(edit.FindNext());
    ASSERT_EQ(answers.Texts.size(), 1);
    EXPECT_EQ(answers.Texts[0], QString::fromUtf8("テキストファイル \"cat\" が見つかりません。"));
    EXPECT_EQ(selection(), std::make_pair(15, 18));

    dialog->SetOptions(frWholeWord); // up
    EXPECT_TRUE(edit.FindNext());
    EXPECT_EQ(selection(), std::make_pair(4, 7));

    // a dialog without text never searches
    dialog->SetFindText(QString());
    EXPECT_FALSE(edit.CanFindNext());
    dialog->ClickFindNext();
    EXPECT_EQ(answers.Texts.size(), 1);

    // the owner's handler replaces the built-in message
    QString reported;
    edit.OnTextNotFound = [&](TMMRxCustomRichEdit *, const QString &text) { reported = text; };
    dialog->SetFindText(QStringLiteral("dog"));
    dialog->ClickFindNext();
    EXPECT_EQ(reported, "dog");
    EXPECT_EQ(answers.Texts.size(), 1);
}

TEST_F(Find, TheDialogsShareTheirFindTextAndStayModeless)
{
    TRichEditFindDialog *find = edit.FindDialog(QStringLiteral("concat"));
    EXPECT_TRUE(find->isVisible());
    EXPECT_FALSE(find->isModal());
    TRichEditReplaceDialog *replace = edit.ReplaceDialog(QString(), QStringLiteral("x"));
    EXPECT_EQ(replace->FindText(), "concat");
    EXPECT_EQ(edit.FindDialog(QString()), find); // one of each per control
    int closed = 0;
    edit.OnCloseFindDialog = [&](TMMRxCustomRichEdit *, TRichEditFindDialog *d) { closed += d == replace; };
    replace->reject();
    EXPECT_EQ(closed, 1);
}

TEST_F(Find, ReplaceReplacesTheShownMatchThenShowsTheNext)
{
    MessageBoxAnswers answers;
    TRichEditReplaceDialog *dialog = replaceDialog(QStringLiteral("cat"), QStringLiteral("dog"), frDown | frWholeWord);
    // nothing selected: the next match is found and replaced
    dialog->ClickReplace();
    EXPECT_EQ(edit.Text(), "dog cat concat cat.");
    // the selection is a match: it is replaced and the one after it is shown
    edit.SetSelection(4, 7, false);
    dialog->ClickReplace();
    EXPECT_EQ(edit.Text(), "dog dog concat cat.");
    EXPECT_EQ(selection(), std::make_pair(15, 18));
    dialog->ClickReplace();
    EXPECT_EQ(edit.Text(), "dog dog concat dog.");
    EXPECT_EQ(answers.Texts.size(), 1); // no match after the last one
}

TEST_F(Find, ReplaceAllCountsEveryMatchAndNotifiesOnce)
{
    int changes = 0, selections = 0;
    edit.OnChange = [&](TMMRxCustomRichEdit *) { ++changes; };
    edit.OnSelectionChange = [&](TMMRxCustomRichEdit *) { ++selections; };
    MessageBoxAnswers answers;

    TRichEditReplaceDialog *dialog = replaceDialog(QStringLiteral("dog"), QStringLiteral("x"));
    dialog->ClickReplaceAll();
    EXPECT_EQ(answers.Texts.size(), 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(selections, 0);

    // from the caret to the end: the first "Cat" lies before it
    edit.SetSelection(2, 2, false);
    selections = 0;
    dialog->SetFindText(QStringLiteral("cat"));
    dialog->SetReplaceText(QStringLiteral("bird"));
    dialog->ClickReplaceAll();
    EXPECT_EQ(edit.Text(), "Cat bird conbird bird.");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(selection(), std::make_pair(17, 21)); // the last replacement
    EXPECT_EQ(answers.Texts.size(), 1);
    EXPECT_TRUE(edit.OnSelectionChange != nullptr);

    // one undo step takes every replacement back
    edit.Undo();
    EXPECT_EQ(edit.Text(), "Cat cat concat cat.");

    // backward from the end, with case: only lower-case matches
    edit.SetSelection(edit.TextLength(), edit.TextLength(), false);
    dialog->SetOptions(frMatchCase);
    dialog->SetReplaceText(QStringLiteral("cat-cat"));
    dialog->ClickReplaceAll();
    EXPECT_EQ(edit.Text(), "Cat cat-cat concat-cat cat-cat.");
}

TEST_F(Find, ReplaceAllStopsAtProtectedText)
{
    edit.OnProtectChange = [](TMMRxCustomRichEdit *, int, int, bool &allow) { allow = false; };
    edit.SetSelection(4, 7, false);
    TRichCharFormat f;
    f.Mask = richedit::CFM_PROTECTED;
    f.Effects = richedit::CFE_PROTECTED;
    edit.SelAttributes().SetAttributes(f);
    edit.SetSelection(0, 0, false);
    MessageBoxAnswers answers;
    TRichEditReplaceDialog *dialog = replaceDialog(QStringLiteral("cat"), QStringLiteral("x"), frDown | frWholeWord);
    dialog->ClickReplaceAll();
    EXPECT_EQ(edit.Text(), "x cat concat cat.");
}

} // namespace
