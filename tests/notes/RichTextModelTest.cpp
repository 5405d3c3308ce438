// The formatting model and its projection onto Qt formats; document building and walking.
#include "notes/RichTextModel.h"

#include "notes/ParagraphNumbers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

using namespace richedit;

namespace {

TRichCharFormat unusualCharFormat()
{
    TRichCharFormat f;
    f.Mask = CFM_ALL;
    f.Effects = CFE_BOLD | CFE_UNDERLINE | CFE_PROTECTED | CFE_HIDDEN | CFE_SUPERSCRIPT | CFE_AUTOBACKCOLOR;
    f.Height = 230;
    f.TextColor = qRgb(0x12, 0x34, 0x56);
    f.Charset = 128;
    f.PitchAndFamily = FIXED_PITCH | 0x30;
    f.UnderlineType = CFU_UNDERLINEDOTTED;
    f.FaceName = QStringLiteral("MS Gothic");
    f.Weight = 700;
    f.Offset = -40;
    return f;
}

struct Collected : TRichDocumentVisitor {
    QStringList events;
    QList<TRichCharFormat> formats;
    QList<TRichParaFormat> paras;
    QList<TRichObject> objects;
    void BeginParagraph(const TRichParaFormat &f) override
    {
        paras.append(f);
        events << QStringLiteral("[");
    }
    void Text(QStringView text, const TRichCharFormat &f) override
    {
        events << text.toString();
        formats.append(f);
    }
    void Object(const TRichObject &o, const TRichCharFormat &) override
    {
        objects.append(o);
        events << QStringLiteral("<obj>");
    }
    void EndParagraph(bool last) override { events << (last ? QStringLiteral("]$") : QStringLiteral("]")); }
};

} // namespace

TEST(RichTextModel, CharFormatSurvivesTheQtProjectionExactly)
{
    const TRichCharFormat f = unusualCharFormat();
    QTextCharFormat q;
    ApplyCharFormat(f, q);
    EXPECT_EQ(CharFormatOf(q, StandardCharFormat()), f);
    // and what Qt draws follows the model
    EXPECT_DOUBLE_EQ(q.fontPointSize(), 11.5);
    EXPECT_EQ(q.fontWeight(), QFont::Bold);
    EXPECT_EQ(q.underlineStyle(), QTextCharFormat::DotLine);
    EXPECT_EQ(q.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_TRUE(q.fontFixedPitch());
    EXPECT_EQ(q.fontFamilies().toStringList(), QStringList{QStringLiteral("MS Gothic")});
    EXPECT_EQ(q.foreground().color(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(q.background().style(), Qt::NoBrush); // automatic background: none
}

TEST(RichTextModel, AutomaticColourIsTheAbsenceOfAColour)
{
    TRichCharFormat f;
    f.Mask = CFM_COLOR;
    f.TextColor = qRgb(255, 0, 0);
    QTextCharFormat q;
    ApplyCharFormat(f, q);
    EXPECT_EQ(q.foreground().color(), QColor(255, 0, 0));
    // a merge that sets the automatic colour takes the red away
    TRichCharFormat automatic;
    automatic.Mask = CFM_COLOR;
    automatic.Effects = CFE_AUTOCOLOR;
    QTextCharFormat modifier;
    ApplyCharFormat(automatic, modifier);
    q.merge(modifier);
    EXPECT_EQ(q.foreground().style(), Qt::NoBrush);
    EXPECT_TRUE(CharFormatOf(q, StandardCharFormat()).effect(CFE_AUTOCOLOR));
}

TEST(RichTextModel, MaskedWriteChangesOnlyItsFields)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat base;
    ApplyCharFormat(unusualCharFormat(), base);
    c.insertText(QStringLiteral("abcdef"), base);
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    TRichCharFormat italic;
    italic.Mask = CFM_ITALIC;
    italic.Effects = CFE_ITALIC;
    WriteCharFormat(c, italic);

    TRichCharFormat expected = unusualCharFormat();
    expected.Effects |= CFE_ITALIC;
    EXPECT_EQ(ReadCharFormat(&doc, 1, 3, StandardCharFormat()), expected);
    // over a mixed range the italic bit is no longer uniform, everything else is
    const TRichCharFormat mixed = ReadCharFormat(&doc, 0, 6, StandardCharFormat());
    EXPECT_FALSE(mixed.has(CFM_ITALIC));
    EXPECT_TRUE(mixed.has(CFM_BOLD | CFM_SIZE | CFM_CHARSET | CFM_PITCH | CFM_FACE | CFM_PROTECTED));
}

TEST(RichTextModel, ParagraphFormatInTwipsAndItsQtProjection)
{
    TRichParaFormat f;
    f.Mask = PFM_ALL;
    f.StartIndent = 300;
    f.Offset = 150;
    f.RightIndent = 75;
    f.Alignment = PFA_CENTER;
    f.Tabs = {720, 1440, 2165};
    f.SpaceBefore = 120;
    f.SpaceAfter = 60;
    f.LineSpacing = 24;
    f.LineSpacingRule = LINESPACING_MULTIPLE;
    QTextBlockFormat q;
    ApplyParaFormat(f, q);
    EXPECT_EQ(ParaFormatOf(q), f);
    EXPECT_DOUBLE_EQ(q.leftMargin(), 30.0); // (300 + 150) twips at 15 twips a pixel
    EXPECT_DOUBLE_EQ(q.textIndent(), -10.0);
    EXPECT_DOUBLE_EQ(q.rightMargin(), 5.0);
    EXPECT_EQ(q.alignment(), Qt::AlignHCenter);
    ASSERT_EQ(q.tabPositions().size(), 3);
    EXPECT_DOUBLE_EQ(q.tabPositions()[1].position, 96.0);
    EXPECT_EQ(q.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(q.lineHeight(), 120.0);
}

TEST(RichTextModel, BulletsJoinOneListAndLeaveIt)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one\ntwo\nthree"));
    c.setPosition(0);
    c.setPosition(doc.characterCount() - 1, QTextCursor::KeepAnchor);
    TRichParaFormat bullets;
    bullets.Mask = PFM_NUMBERING;
    bullets.Numbering = PFN_BULLET;
    WriteParaFormat(c, bullets);
    ASSERT_NE(doc.firstBlock().textList(), nullptr);
    EXPECT_EQ(doc.firstBlock().textList(), doc.lastBlock().textList());
    EXPECT_EQ(doc.firstBlock().textList()->count(), 3);

    QTextCursor middle(doc.findBlockByNumber(1));
    bullets.Numbering = 0;
    WriteParaFormat(middle, bullets);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), nullptr);
    EXPECT_EQ(ReadParaFormat(&doc, 0, 0).Numbering, PFN_BULLET);
    EXPECT_EQ(ReadParaFormat(&doc, 5, 5).Numbering, 0);
    EXPECT_FALSE(ReadParaFormat(&doc, 0, doc.characterCount() - 1).has(PFM_NUMBERING));
}

TEST(RichTextModel, BuilderAndSourceCountBreaksAndObjectsAsOnePosition)
{
    QTextDocument doc;
    TRichDocumentBuilder b(QTextCursor(&doc), StandardCharFormat());
    TRichParaFormat centred;
    centred.Mask = PFM_ALIGNMENT;
    centred.Alignment = PFA_CENTER;
    b.SetParaFormat(centred);
    b.AddText(u"ab");
    TRichCharFormat bold;
    bold.Mask = CFM_BOLD;
    bold.Effects = CFE_BOLD;
    b.SetCharFormat(bold);
    b.AddText(u"\u00e9\U0001F600"); // one BMP character, one surrogate pair
    TRichObject picture;
    picture.Image = QImage(30, 15, QImage::Format_RGB32);
    picture.Data = QByteArray("\x89PNG kept bytes", 15);
    picture.DataFormat = QStringLiteral("png");
    picture.Width = 450;
    picture.Height = 225;
    b.AddObject(picture);
    b.EndParagraph();
    b.SetParaFormat(TRichParaFormat{});
    b.SetCharFormat(StandardCharFormat());
    b.AddText(u"cd");
    b.AddLineBreak();
    b.AddText(u"e");
    b.Finish();

    // "ab" + 1 + 2 (pair) + object + break = 7, then "cd" + line break + "e"
    EXPECT_EQ(doc.characterCount() - 1, 11);
    EXPECT_EQ(doc.findBlock(6).blockNumber(), 0);
    EXPECT_EQ(doc.findBlock(7).blockNumber(), 1);
    EXPECT_EQ(doc.toRawText().at(5), QChar(ObjectChar));

    Collected all;
    TRichDocumentSource(&doc, 0, -1, StandardCharFormat()).Visit(all);
    EXPECT_EQ(all.events, (QStringList{"[", "ab", QString::fromUtf16(u"\u00e9\U0001F600"), "<obj>", "]", "[",
                                       QString::fromUtf16(u"cd\u2028e"), "]$"}));
    EXPECT_EQ(all.paras[0].Alignment, PFA_CENTER);
    EXPECT_EQ(all.paras[1].Alignment, PFA_LEFT);
    EXPECT_TRUE(all.formats[1].effect(CFE_BOLD));
    EXPECT_FALSE(all.formats[2].effect(CFE_BOLD));
    ASSERT_EQ(all.objects.size(), 1);
    EXPECT_EQ(all.objects[0].Data, picture.Data);
    EXPECT_EQ(all.objects[0].Width, 450);
    EXPECT_EQ(all.objects[0].Image.size(), QSize(30, 15));

    // a range that ends inside a paragraph ends the walk there
    Collected part;
    TRichDocumentSource(&doc, 1, 3, StandardCharFormat()).Visit(part);
    EXPECT_EQ(part.events, (QStringList{"[", "b", QString(QChar(0xe9)), "]$"}));
}

TEST(RichTextModel, NumberedParagraphsShowAndKeepTheirKind)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one\ntwo\nthree\nfour"));
    // the numbers the last paragraph shows, kind by kind
    const struct {
        int numbering;
        const char *fourth;
    } kinds[] = {{PFN_ARABIC, "4"},   {PFN_LCLETTER, "d"}, {PFN_UCLETTER, "D"},
                 {PFN_LCROMAN, "iv"}, {PFN_UCROMAN, "IV"}, {PFN_BULLET, ""}};
    for (const auto &k : kinds) {
        c.setPosition(0);
        c.setPosition(doc.characterCount() - 1, QTextCursor::KeepAnchor);
        TRichParaFormat f;
        f.Mask = PFM_NUMBERING;
        f.Numbering = k.numbering;
        WriteParaFormat(c, f);
        EXPECT_EQ(ReadParaFormat(&doc, 0, doc.characterCount() - 1).Numbering, k.numbering);
        TParagraphNumbers numbers(&doc);
        const int fourth = numbers.NumberOf(doc.lastBlock());
        EXPECT_EQ(fourth > 0 ? NumberText(k.numbering, fourth) : QString(), QLatin1String(k.fourth)) << k.numbering;
        // bullets are drawn by a list; numbers by the editor, so a numbered paragraph is in no list
        QTextList *list = doc.firstBlock().textList();
        if (k.numbering == PFN_BULLET) {
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
            EXPECT_EQ(doc.lastBlock().textList(), list);
        } else {
            EXPECT_EQ(list, nullptr) << k.numbering;
        }
    }
    // a numbered paragraph after bulleted ones starts a run of its own, counted from 1
    QTextCursor last(doc.lastBlock());
    TRichParaFormat numbered;
    numbered.Mask = PFM_NUMBERING;
    numbered.Numbering = PFN_ARABIC;
    WriteParaFormat(last, numbered);
    EXPECT_EQ(doc.lastBlock().textList(), nullptr);
    EXPECT_NE(doc.firstBlock().textList(), nullptr);
    TParagraphNumbers numbers(&doc);
    EXPECT_EQ(numbers.NumberOf(doc.firstBlock()), 0);
    EXPECT_EQ(numbers.NumberOf(doc.lastBlock()), 1);
}

namespace {

// The numbering of paragraphs [from, to] of the document.
void number(QTextDocument &doc, int from, int to, int numbering, quint32 mask = PFM_NUMBERING, int start = 1)
{
    QTextCursor c(doc.findBlockByNumber(from));
    c.setPosition(doc.findBlockByNumber(to).position(), QTextCursor::KeepAnchor);
    TRichParaFormat f;
    f.Mask = mask;
    f.Numbering = numbering;
    f.NumberingStart = start;
    WriteParaFormat(c, f);
}

QStringList labels(QTextDocument &doc)
{
    TParagraphNumbers numbers(&doc);
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out.append(numbers.LabelOf(b));
    return out;
}

} // namespace

TEST(RichTextModel, NumberedParagraphsJoinTheListBesideThemAndLeaveIt)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("a\nb\nc\nd\ne\nf"));
    number(doc, 0, 2, PFN_ARABIC, PFM_NUMBERING | PFM_NUMBERINGSTART, 7);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "8.", "9.", "", "", ""}));
    // numbered after the list: it joins it, with its start
    number(doc, 3, 3, PFN_ARABIC);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "8.", "9.", "10.", "", ""}));
    const TRichParaFormat joined = ReadParaFormat(&doc, 0, doc.findBlockByNumber(3).position());
    EXPECT_TRUE(joined.has(PFM_LIST | PFM_NUMBERINGSTART)) << "one list, one start";
    EXPECT_NE(joined.List, 0);
    // the number taken off one: the ones below count on
    number(doc, 1, 1, 0);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "", "8.", "9.", "", ""}));
    EXPECT_EQ(ParaFormatOf(doc.findBlockByNumber(1).blockFormat()).List, 0);
    // and given back: it is in the list again
    number(doc, 1, 1, PFN_ARABIC);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "8.", "9.", "10.", "", ""}));
    // another kind for one of them: it leaves the list, which counts on past it
    number(doc, 1, 1, PFN_LCROMAN);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "vii.", "8.", "9.", "", ""}));
    // a paragraph after a plain one starts a list of its own; the list above does not go on in it
    number(doc, 5, 5, PFN_ARABIC);
    EXPECT_EQ(labels(doc).last(), "1.");
    // a list named by the writer is kept, level and texts with it
    TRichParaFormat named;
    named.Mask = PFM_NUMBERING | PFM_LIST | PFM_NUMBERINGSTYLE;
    named.Numbering = PFN_UCLETTER;
    named.List = joined.List;
    named.ListLevel = 1;
    named.NumberPrefix = QStringLiteral("(");
    named.NumberSuffix = QStringLiteral(")");
    QTextCursor c(doc.findBlockByNumber(4));
    WriteParaFormat(c, named);
    EXPECT_EQ(labels(doc), (QStringList{"7.", "vii.", "8.", "9.", "(A)", "1."}));
    const TRichParaFormat kept = ParaFormatOf(doc.findBlockByNumber(4).blockFormat());
    EXPECT_EQ(kept.List, joined.List);
    EXPECT_EQ(kept.ListLevel, 1);
    EXPECT_EQ(kept.NumberPrefix, QStringLiteral("("));
}

namespace {

// Paragraph i numbered as a writer names it: its list and level, and its label.
void numberAs(QTextDocument &doc, int i, int numbering, int list, int level, const QString &label = {},
              const QList<TLevelNumbering> &outer = {})
{
    QTextCursor c(doc.findBlockByNumber(i));
    TRichParaFormat f;
    f.Mask = PFM_NUMBERING | PFM_LIST | PFM_NUMBERINGSTYLE;
    f.Numbering = numbering;
    f.List = list;
    f.ListLevel = level;
    f.LabelText = label;
    f.OuterLevels = outer;
    WriteParaFormat(c, f);
}

} // namespace

TEST(RichTextModel, LabelsShowTheNumbersOfTheLevelsAboveAndBulletsTheirText)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("0\n1\n2\n3\n4\n5\n6\n7\n8"));
    const QString second = QString(QChar(0)) + u'.' + QChar(1) + u'.';
    const QString third = QString(QChar(0)) + u'.' + QChar(1) + u'.' + QChar(2) + u')';
    const QList<TLevelNumbering> romans{{PFN_UCROMAN, 1}}, romansLetters{{PFN_UCROMAN, 1}, {PFN_LCLETTER, 1}};
    numberAs(doc, 0, PFN_UCROMAN, 7, 0);
    numberAs(doc, 1, PFN_LCLETTER, 7, 1, second, romans);
    numberAs(doc, 2, PFN_LCROMAN, 7, 2, third, romansLetters);
    numberAs(doc, 3, PFN_UCROMAN, 7, 0);
    numberAs(doc, 4, PFN_LCROMAN, 7, 2, third, romansLetters);
    numberAs(doc, 5, PFN_LCLETTER, 7, 1, second, romans);
    numberAs(doc, 6, PFN_BULLET, 8, 0, QStringLiteral("\u2013"));
    numberAs(doc, 8, PFN_BULLET, 9, 0);
    // a level that has not counted since the one above shows its start number, and counts on from it
    EXPECT_EQ(labels(doc), (QStringList{"I.", "I.a.", "I.a.i)", "II.", "II.a.i)", "II.b.", "\u2013", "", ""}));
    EXPECT_EQ(ParaFormatOf(doc.findBlockByNumber(2).blockFormat()).LabelText, third);
    EXPECT_EQ(ParaFormatOf(doc.findBlockByNumber(2).blockFormat()).OuterLevels, romansLetters);
    // a bullet of a text of its own is drawn as numbers are, a round one by its list
    EXPECT_EQ(doc.findBlockByNumber(6).textList(), nullptr);
    ASSERT_NE(doc.findBlockByNumber(8).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(8).textList()->format().style(), QTextListFormat::ListDisc);

    // the labels are counted again after a change above them
    TParagraphNumbers numbers(&doc);
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(4)), "II.a.i)");
    number(doc, 3, 3, 0);
    numbers.Invalidate(doc.findBlockByNumber(3).position());
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(4)), "I.a.ii)");
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(5)), "I.b.");

    // bulleted beside the dashes: it joins their list and shows a dash too; a paragraph with a label of
    // levels made a bullet on its own is a round bullet in a list of its own
    number(doc, 7, 7, PFN_BULLET);
    EXPECT_EQ(labels(doc)[7], "\u2013");
    EXPECT_EQ(doc.findBlockByNumber(7).textList(), nullptr);
    number(doc, 4, 4, PFN_BULLET);
    const TRichParaFormat bulleted = ParaFormatOf(doc.findBlockByNumber(4).blockFormat());
    EXPECT_TRUE(bulleted.LabelText.isEmpty());
    EXPECT_EQ(bulleted.ListLevel, 0);
    EXPECT_NE(doc.findBlockByNumber(4).textList(), nullptr);
}

TEST(RichTextModel, NumbersOfALongDocumentAreCountedAgainFromNearAChange)
{
    // 300 lists of one paragraph, then a second paragraph of each: more lists than the count keeps
    // copies of, so a change far down counts again from further up
    QTextDocument doc;
    QStringList lines;
    for (int i = 0; i < 900; ++i)
        lines.append(QString::number(i));
    QTextCursor(&doc).insertText(lines.join(u'\n'));
    for (int i = 0; i < 600; ++i) {
        QTextCursor c(doc.findBlockByNumber(i));
        TRichParaFormat f;
        f.Mask = PFM_NUMBERING | PFM_LIST;
        f.Numbering = PFN_ARABIC;
        f.List = 100000 + i % 300;
        WriteParaFormat(c, f);
    }
    // and one list of 300 after them
    number(doc, 600, 899, PFN_UCLETTER);
    TParagraphNumbers numbers(&doc);
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(299)), "1.");
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(599)), "2.");
    EXPECT_EQ(numbers.LabelOf(doc.lastBlock()), "KN."); // the 300th
    for (int changed : {550, 10, 800}) {
        number(doc, changed, changed, 0);
        numbers.Invalidate(doc.findBlockByNumber(changed).position());
        EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(changed)), "");
        EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(599)), "2.") << changed;
        EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(610)), "K.") << changed;
    }
    EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(310)), "1.") << "its first paragraph lost its number";
    EXPECT_EQ(numbers.LabelOf(doc.lastBlock()), "KM.");
    TParagraphNumbers fresh(&doc);
    for (int i : {0, 10, 255, 256, 257, 310, 511, 512, 513, 550, 800, 899})
        EXPECT_EQ(numbers.LabelOf(doc.findBlockByNumber(i)), fresh.LabelOf(doc.findBlockByNumber(i))) << i;
}

TEST(RichTextModel, ALongRunOfBulletsLooksLikeOneList)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QStringList lines;
    for (int i = 0; i < 1000; ++i)
        lines.append(QString::number(i));
    c.insertText(lines.join(u'\n'));
    c.setPosition(0);
    c.setPosition(doc.characterCount() - 1, QTextCursor::KeepAnchor);
    TRichParaFormat f;
    f.Mask = PFM_NUMBERING;
    f.Numbering = PFN_BULLET;
    WriteParaFormat(c, f);
    for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
        ASSERT_NE(b.textList(), nullptr) << b.blockNumber();
        EXPECT_EQ(b.textList()->format().style(), QTextListFormat::ListDisc);
        EXPECT_EQ(ParaFormatOf(b.blockFormat()).Numbering, PFN_BULLET);
    }
    // numbers count along the whole run
    f.Numbering = PFN_ARABIC;
    WriteParaFormat(c, f);
    TParagraphNumbers numbers(&doc);
    EXPECT_EQ(numbers.NumberOf(doc.lastBlock()), 1000);
    EXPECT_EQ(numbers.NumberOf(doc.findBlockByNumber(499)), 500);
}

TEST(RichTextModel, ABuildIsOneEditAndKeepsEachRunsFormat)
{
    QTextDocument doc;
    doc.documentLayout(); // as in an editor: the document tells its layout of every change
    int changes = 0;
    QObject::connect(&doc, &QTextDocument::contentsChange, [&changes] { ++changes; });
    constexpr int Formats = 1500; // more than the builder keeps turned into Qt's at once
    {
        TRichDocumentBuilder b(QTextCursor(&doc), StandardCharFormat());
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < Formats; ++i) {
                TRichCharFormat f = StandardCharFormat();
                f.Height = 100 + i;
                if (i % 2)
                    f.Effects |= CFE_BOLD;
                b.SetCharFormat(f);
                b.AddText(u"x");
                if (i % 100 == 99)
                    b.EndParagraph();
            }
        }
        // a masked record is read over the defaults, a full one stands alone, though their fields match
        TRichCharFormat masked;
        masked.Mask = CFM_BOLD;
        masked.Effects = CFE_BOLD;
        b.SetCharFormat(masked);
        b.AddText(u"m");
        TRichCharFormat full = masked;
        full.Mask = CFM_ALL;
        b.SetCharFormat(full);
        b.AddText(u"f");
        EXPECT_EQ(changes, 0) << "the document's listeners hear of the build only at its end";
        b.Finish();
    }
    EXPECT_EQ(changes, 1);

    Collected all;
    TRichDocumentSource(&doc, 0, -1, StandardCharFormat()).Visit(all);
    ASSERT_EQ(all.formats.size(), 3 * Formats + 2);
    for (int k = 0; k < 3 * Formats; ++k) {
        const int i = k % Formats;
        ASSERT_EQ(all.formats[k].Height, 100 + i) << k;
        ASSERT_EQ(all.formats[k].effect(CFE_BOLD), i % 2 == 1) << k;
    }
    const TRichCharFormat &m = all.formats[3 * Formats];
    const TRichCharFormat &f = all.formats[3 * Formats + 1];
    EXPECT_TRUE(m.effect(CFE_BOLD));
    EXPECT_EQ(m.Height, StandardCharFormat().Height);
    EXPECT_TRUE(m.effect(CFE_AUTOCOLOR));
    EXPECT_TRUE(f.effect(CFE_BOLD));
    EXPECT_FALSE(f.effect(CFE_AUTOCOLOR));

    // a builder that goes without Finish (a reader that gave up) ends its edit all the same
    QTextDocument other;
    other.documentLayout();
    int otherChanges = 0;
    QObject::connect(&other, &QTextDocument::contentsChange, [&otherChanges] { ++otherChanges; });
    {
        TRichDocumentBuilder b(QTextCursor(&other), StandardCharFormat());
        b.AddText(u"a");
        b.EndParagraph();
    }
    const int afterBuilder = otherChanges;
    QTextCursor(&other).insertText(QStringLiteral("z"));
    EXPECT_EQ(otherChanges, afterBuilder + 1);
}
