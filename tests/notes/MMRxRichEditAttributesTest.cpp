// Text and paragraph attributes: units, the style rule, bullets, mirroring, default and word formats.
#include "notes/MMRxRichEdit.h"

#include <QTextBlock>
#include <gtest/gtest.h>

using namespace richedit;

namespace {

class Attributes : public ::testing::Test {
protected:
    void SetUp() override { edit.SetSelText(QStringLiteral("alpha beta\ngamma")); }
    TMMRxRichEdit edit;
};

} // namespace

TEST_F(Attributes, SizesAreTwipsBehindPoints)
{
    edit.SetSelection(0, 5, false);
    edit.SelAttributes().SetSize(11);
    EXPECT_EQ(edit.SelAttributes().GetAttributes().Height, 220);
    EXPECT_EQ(edit.SelAttributes().Size(), 11);

    TRichCharFormat f;
    f.Mask = CFM_SIZE;
    f.Height = 230;
    edit.SelAttributes().SetAttributes(f);
    EXPECT_EQ(edit.SelAttributes().Size(), 11);                  // 11.5 points read as 11
    EXPECT_EQ(edit.SelAttributes().GetAttributes().Height, 230); // and nothing was rounded away
    QTextCursor c(edit.document());
    c.setPosition(3);
    EXPECT_DOUBLE_EQ(c.charFormat().fontPointSize(), 11.5); // what is drawn
}

TEST_F(Attributes, EachStyleChangesOnlyItself)
{
    edit.SetSelection(0, 3, false);
    edit.SelAttributes().SetStyle(fsItalic);
    edit.SetSelection(0, 10, false); // italic on "alp" only
    EXPECT_FALSE(edit.SelAttributes().Style().testFlag(fsItalic));
    edit.SelAttributes().SetStyle(edit.SelAttributes().Style() | fsBold);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles(fsBold));
    edit.SetSelection(0, 3, false);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles(fsBold | fsItalic));
    edit.SetSelection(3, 10, false);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles(fsBold));
    edit.SetSelection(0, 10, false);
    edit.SelAttributes().SetStyle(edit.SelAttributes().Style() & ~TFontStyles(fsBold));
    edit.SetSelection(0, 3, false);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles(fsItalic));
}

TEST_F(Attributes, ColourNameCharsetPitchAndScriptStyle)
{
    edit.SetSelection(6, 10, false);
    EXPECT_FALSE(edit.SelAttributes().Color().isValid()); // automatic
    edit.SelAttributes().SetColor(QColor(10, 20, 30));
    EXPECT_EQ(edit.SelAttributes().Color(), QColor(10, 20, 30));
    edit.SelAttributes().SetColor(QColor());
    EXPECT_FALSE(edit.SelAttributes().Color().isValid());
    edit.SelAttributes().SetName(QStringLiteral("Courier New"));
    edit.SelAttributes().SetCharset(134);
    edit.SelAttributes().SetPitch(fpFixed);
    edit.SelAttributes().SetSubscriptStyle(2);
    EXPECT_EQ(edit.SelAttributes().Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(edit.SelAttributes().Charset(), 134);
    EXPECT_EQ(edit.SelAttributes().Pitch(), fpFixed);
    EXPECT_EQ(edit.SelAttributes().SubscriptStyle(), 2);
    edit.SelAttributes().SetSubscriptStyle(1);
    EXPECT_EQ(edit.SelAttributes().SubscriptStyle(), 1);
    // the run's neighbours keep their own character set
    edit.SetSelection(0, 5, false);
    EXPECT_EQ(edit.SelAttributes().Charset(), DEFAULT_CHARSET);
}

TEST_F(Attributes, DefaultAttributesTakeAFontInTheAutomaticColour)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(14);
    font.setBold(true);
    edit.DefAttributes().AssignFont(font);
    const TRichCharFormat d = edit.DefAttributes().GetAttributes();
    EXPECT_TRUE(d.effect(CFE_BOLD));
    EXPECT_TRUE(d.effect(CFE_AUTOCOLOR));
    EXPECT_EQ(d.Height, 280);
    EXPECT_EQ(d.FaceName, QStringLiteral("DejaVu Serif"));
    // text without formats of its own shows and reads the default
    edit.SetSelection(11, 16, false);
    EXPECT_EQ(edit.SelAttributes().Size(), 14);
    EXPECT_TRUE(edit.SelAttributes().Style().testFlag(fsBold));
    EXPECT_EQ(edit.document()->defaultFont().pointSize(), 14);
    QFont back;
    edit.DefAttributes().AssignTo(back);
    EXPECT_EQ(back.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(back.bold());
}

TEST_F(Attributes, TheControlsFontBecomesTheDefaultFormat)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPointSize(15);
    edit.setFont(font);
    EXPECT_EQ(edit.DefAttributes().Size(), 15);
    EXPECT_EQ(edit.DefAttributes().Name(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_FALSE(edit.DefAttributes().Color().isValid());
}

TEST_F(Attributes, WordAttributesReachTheWordAtTheCaret)
{
    edit.SetSelStart(7); // inside "beta"
    edit.WordAttributes().SetStyle(fsUnderline);
    EXPECT_EQ(edit.SelLength(), 0);
    edit.SetSelection(6, 10, false);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles(fsUnderline));
    edit.SetSelection(0, 5, false);
    EXPECT_EQ(edit.SelAttributes().Style(), TFontStyles());
}

TEST_F(Attributes, BulletsMoveTheLeftIndent)
{
    edit.SetSelStart(2);
    edit.Paragraph().SetLeftIndent(4);
    edit.Paragraph().SetNumbering(nsBullet);
    EXPECT_EQ(edit.Paragraph().Numbering(), nsBullet);
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 10);
    EXPECT_NE(edit.document()->firstBlock().textList(), nullptr);
    edit.Paragraph().SetNumbering(nsNone);
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 0);
    EXPECT_EQ(edit.document()->firstBlock().textList(), nullptr);
    // a wider indent stays
    edit.Paragraph().SetLeftIndent(24);
    edit.Paragraph().SetNumbering(nsBullet);
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 24);
    // and one undo step takes bullets and indent away together
    edit.Paragraph().SetNumbering(nsNone);
    edit.Undo();
    EXPECT_EQ(edit.Paragraph().Numbering(), nsBullet);
    EXPECT_EQ(edit.Paragraph().LeftIndent(), 24);
}

TEST_F(Attributes, IndentsAndTabsInPoints)
{
    edit.SetSelection(0, 12, false); // both paragraphs
    edit.Paragraph().SetFirstIndent(18);
    edit.Paragraph().SetLeftIndent(-9);
    edit.Paragraph().SetRightIndent(36);
    const TRichParaFormat f = edit.Paragraph().GetAttributes();
    EXPECT_EQ(f.StartIndent, 360);
    EXPECT_EQ(f.Offset, -180);
    EXPECT_EQ(f.RightIndent, 720);
    const QTextBlockFormat q = edit.document()->lastBlock().blockFormat();
    EXPECT_DOUBLE_EQ(q.leftMargin(), 12.0); // the further lines start at 9 points
    EXPECT_DOUBLE_EQ(q.textIndent(), 12.0); // the first line 9 points further in

    EXPECT_EQ(edit.Paragraph().TabCount(), 0);
    edit.Paragraph().SetTab(0, 36);
    EXPECT_EQ(edit.Paragraph().TabCount(), 1);
    EXPECT_EQ(edit.Paragraph().Tab(0), 36);
    edit.Paragraph().SetTab(3, 144);
    EXPECT_EQ(edit.Paragraph().TabCount(), 4);
    EXPECT_EQ(edit.Paragraph().Tab(3), 144);
    EXPECT_EQ(edit.Paragraph().Tab(0), 36);
}

TEST_F(Attributes, RightToLeftReadingMirrorsAlignment)
{
    edit.SetSelStart(1);
    edit.Paragraph().SetAlignment(paCenter);
    EXPECT_EQ(edit.Paragraph().Alignment(), paCenter);
    edit.SetBiDiMode(bdRightToLeft); // the paragraph takes the control's alignment, mirrored
    EXPECT_EQ(edit.Paragraph().Alignment(), paRightJustify);
    edit.Paragraph().SetAlignment(paLeftJustify);
    EXPECT_EQ(edit.Paragraph().GetAttributes().Alignment, PFA_RIGHT);
    EXPECT_EQ(edit.Paragraph().Alignment(), paRightJustify);
    edit.SetBiDiMode(bdRightToLeftNoAlign); // reading right to left without mirroring
    edit.Paragraph().SetAlignment(paLeftJustify);
    EXPECT_EQ(edit.Paragraph().Alignment(), paLeftJustify);
}

TEST_F(Attributes, AssignCopiesFormatsBetweenAttributeObjects)
{
    edit.SetSelection(0, 5, false);
    edit.SelAttributes().SetSize(20);
    edit.SelAttributes().SetStyle(fsItalic);
    edit.DefAttributes().Assign(edit.SelAttributes());
    EXPECT_EQ(edit.DefAttributes().Size(), 20);
    EXPECT_EQ(edit.DefAttributes().Style(), TFontStyles(fsItalic));

    edit.Paragraph().SetAlignment(paJustify);
    TMMRxRichEdit other;
    other.SetSelText(QStringLiteral("x"));
    other.Paragraph().Assign(edit.Paragraph());
    EXPECT_EQ(other.Paragraph().Alignment(), paJustify);
}
