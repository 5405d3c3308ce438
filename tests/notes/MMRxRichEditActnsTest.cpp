// The formatting commands: each changes exactly the selection's attribute, its check mark follows the
// selection, a bound editor is formatted while the focus is elsewhere, bullets follow the paragraph,
// and the font dialog keeps the automatic colour, fractional sizes and the character set.
#include "notes/MMRxRichEditActns.h"

#include "common/TestSupport.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/NotesTestSupport.h"
#include "notes/RichEditFontDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace notestest;

namespace {

class FormatActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        box = new QLineEdit(&window);
        rich = new TMMRxRichEditPrev(&window);
        layout->addWidget(box);
        layout->addWidget(rich);
        ASSERT_TRUE(showActive(window));
        rich->SetSelText("one two\nthree");
        ASSERT_TRUE(focus(rich));
    }
    static void run(TMMRichEditActionEx &a)
    {
        a.Update();
        a.trigger();
    }
    // The selection's character format apart from the given mask bits, to see that nothing else moved.
    TRichCharFormat others(quint32 mask) const
    {
        TRichCharFormat f = rich->SelAttributes().GetAttributes();
        f.Mask &= ~mask;
        f.Effects &= ~mask;
        // bold sets the weight with it, underline its kind
        f.Mask &= ~(richedit::CFM_WEIGHT | richedit::CFM_UNDERLINETYPE);
        f.Weight = 0;
        f.UnderlineType = 0;
        return f;
    }

    QWidget window;
    QLineEdit *box = nullptr;
    TMMRxRichEditPrev *rich = nullptr;
};

TEST_F(FormatActions, StylesChangeOnlyTheirOwnBitAndTheCheckFollowsTheSelection)
{
    TMMRichEditBoldEx bold(&window);
    TMMRichEditItalicEx italic(&window);
    TMMRichEditUnderlineEx underline(&window);
    TMMRichEditStrikeOutEx strike(&window);
    const struct {
        TMMRichEditActionEx *action;
        TFontStyle style;
    } cases[] = {{&bold, fsBold}, {&italic, fsItalic}, {&underline, fsUnderline}, {&strike, fsStrikeOut}};
    for (const auto &c : cases) {
        rich->SetSelection(0, 3, false);
        const TRichCharFormat before = others(quint32(c.style));
        c.action->Update();
        EXPECT_FALSE(c.action->isChecked());
        run(*c.action);
        EXPECT_TRUE(rich->SelAttributes().Style().testFlag(c.style)) << int(c.style);
        EXPECT_EQ(others(quint32(c.style)), before) << int(c.style);
        // the rest of the text is untouched
        rich->SetSelection(4, 7, false);
        c.action->Update();
        EXPECT_FALSE(c.action->isChecked()) << int(c.style);
        rich->SetSelection(0, 3, false);
        c.action->Update();
        EXPECT_TRUE(c.action->isChecked()) << int(c.style);
        run(*c.action);
        EXPECT_FALSE(rich->SelAttributes().Style().testFlag(c.style)) << int(c.style);
    }
}

TEST_F(FormatActions, ABoundEditorIsFormattedWhileTheFocusIsElsewhere)
{
    TMMRichEditBoldEx bold(&window);
    rich->SetSelection(0, 3, false);
    ASSERT_TRUE(focus(box));
    bold.Update();
    EXPECT_FALSE(bold.isEnabled()); // no editor bound, none focused
    bold.SetRichEdit(rich);
    bold.Update();
    EXPECT_TRUE(bold.isEnabled());
    run(bold);
    EXPECT_TRUE(rich->SelAttributes().Style().testFlag(fsBold));
    bold.Update();
    EXPECT_TRUE(bold.isChecked());

    // the binding goes with the editor
    delete rich;
    rich = nullptr;
    EXPECT_EQ(bold.RichEdit(), nullptr);
    bold.Update();
    EXPECT_FALSE(bold.isEnabled());
}

TEST_F(FormatActions, BulletsFollowTheParagraphNotTheCheckMark)
{
    TMMRichEditBulletsEx bullets(&window);
    rich->SetSelection(0, 0, false);
    rich->Paragraph().SetNumbering(nsBullet);
    bullets.setChecked(false); // the button shows no bullets
    bullets.trigger();         // enabled from the start: the check flips on, the paragraph loses its bullet
    EXPECT_EQ(rich->Paragraph().Numbering(), nsNone);
    run(bullets);
    EXPECT_EQ(rich->Paragraph().Numbering(), nsBullet);
    EXPECT_EQ(rich->Paragraph().LeftIndent(), 10);

    // a numbered paragraph gets bullets
    rich->Paragraph().SetNumbering(nsArabic);
    bullets.Update();
    EXPECT_FALSE(bullets.isChecked());
    run(bullets);
    EXPECT_EQ(rich->Paragraph().Numbering(), nsBullet);
}

TEST_F(FormatActions, SubscriptAndSuperscriptReplaceEachOther)
{
    TMMRichEditSubscriptEx sub(&window);
    TMMRichEditSuperscriptEx super(&window);
    TMMRichEditSubscriptNoneEx none(&window);
    rich->SetSelection(0, 3, false);
    run(sub);
    EXPECT_EQ(rich->SelAttributes().SubscriptStyle(), 1);
    super.Update();
    EXPECT_FALSE(super.isChecked());
    run(super);
    EXPECT_EQ(rich->SelAttributes().SubscriptStyle(), 2);
    run(super);
    EXPECT_EQ(rich->SelAttributes().SubscriptStyle(), 0);
    run(sub);
    run(none);
    EXPECT_EQ(rich->SelAttributes().SubscriptStyle(), 0);
    none.Update();
    EXPECT_TRUE(none.isChecked());
}

TEST_F(FormatActions, AlignmentsSetTheParagraphsAndCheckTheOneItHas)
{
    TMMRichEditAlignLeftEx left(&window);
    TMMRichEditAlignRightEx right(&window);
    TMMRichEditAlignCenterEx center(&window);
    TMMRichEditAlignJustifyEx justify(&window);
    const struct {
        TMMRichEditActionEx *action;
        TParaAlignment alignment;
    } cases[] = {{&right, paRightJustify}, {&center, paCenter}, {&justify, paJustify}, {&left, paLeftJustify}};
    for (const auto &c : cases) {
        rich->SetSelection(0, 0, false);
        run(*c.action);
        EXPECT_EQ(rich->Paragraph().Alignment(), c.alignment);
        for (const auto &other : cases) {
            other.action->Update();
            EXPECT_EQ(other.action->isChecked(), other.action == c.action) << int(c.alignment);
        }
        rich->SetSelection(9, 9, false); // the second paragraph keeps its own
        EXPECT_EQ(rich->Paragraph().Alignment(), paLeftJustify);
    }
}

TEST_F(FormatActions, TheFontDialogKeepsTheAutomaticColourFractionalSizesAndTheCharacterSet)
{
    TRichCharFormat start;
    start.Mask = richedit::CFM_SIZE | richedit::CFM_CHARSET | richedit::CFM_COLOR;
    start.Height = 210; // 10.5 points
    start.Charset = 128;
    start.Effects = richedit::CFE_AUTOCOLOR;
    rich->SetSelection(0, 3, false);
    rich->SelAttributes().SetAttributes(start);

    TMMRichEditFontEx font(&window);
    bool accept = true;
    QString face;
    const DialogAnswers answers([&](QDialog &d) {
        auto *dialog = qobject_cast<TRichEditFontDialog *>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        QFont f = dialog->Font();
        face = f.family();
        f.setItalic(true);
        dialog->SetFont(f);
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    });
    run(font);
    const TRichCharFormat after = rich->SelAttributes().GetAttributes();
    EXPECT_EQ(after.Height, 210);
    EXPECT_TRUE(after.effect(richedit::CFE_AUTOCOLOR));
    EXPECT_EQ(after.Charset, 128);
    EXPECT_TRUE(rich->SelAttributes().Style().testFlag(fsItalic));
    EXPECT_EQ(rich->SelAttributes().Name(), face);

    accept = false;
    rich->SetSelection(4, 7, false);
    const TRichCharFormat untouched = rich->SelAttributes().GetAttributes();
    run(font);
    EXPECT_EQ(rich->SelAttributes().GetAttributes(), untouched);
}

TEST_F(FormatActions, FindNextNeedsTheFocusedEditorToHaveASearch)
{
    TMMRichEditFindNextEx findNext(&window);
    findNext.SetRichEdit(rich);
    findNext.Update();
    EXPECT_FALSE(findNext.isEnabled());
    const MessageBoxAnswers boxes;
    TRichEditFindDialog *dialog = rich->FindDialog(QStringLiteral("two"));
    ASSERT_NE(dialog, nullptr);
    rich->FindEditText(dialog, false, false); // the search made with the dialog
    dialog->close();
    ASSERT_TRUE(focus(rich));
    findNext.Update();
    EXPECT_TRUE(findNext.isEnabled());
    rich->SetSelection(0, 0, false);
    run(findNext);
    EXPECT_EQ(rich->SelText(), "two");
    ASSERT_TRUE(focus(box));
    findNext.Update();
    EXPECT_FALSE(findNext.isEnabled());
}

} // namespace
