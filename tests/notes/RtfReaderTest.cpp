// The RTF reader on small hand-written documents: Unicode with its fallback skipping, code pages
// (double-byte ones with ASCII trail bytes), skipped destinations, character and paragraph formats,
// lists in both forms, tables, fields, pictures, objects and what a broken document still gives.
#include "notes/RtfReader.h"

#include "RtfTestSupport.h"
#include "notes/RtfPicture.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace richedit;
using namespace rtftest;

namespace {

QString textOf(const QByteArray &rtf)
{
    bool ok = false;
    auto doc = Read(rtf, &ok);
    EXPECT_TRUE(ok) << rtf.toStdString();
    return TextOf(doc.get());
}

Model modelOf(const QByteArray &rtf)
{
    auto doc = Read(rtf);
    return ModelOf(doc.get());
}

// The format of the first run whose text is the given text.
TRichCharFormat formatOf(const Model &m, const QString &text)
{
    for (const Paragraph &p : m)
        for (const Run &r : p.Runs)
            if (r.Text == text)
                return r.Format;
    ADD_FAILURE() << "no run " << text.toStdString() << "\n" << Describe(m);
    return {};
}

QByteArray pngHex(const QImage &image)
{
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return png.toHex();
}

TEST(RtfReader, UnicodeWithFallbackSkippingScopedToItsGroup)
{
    // \uc2 skips two bytes of the fallback, inside its group only; \uc1 is the default
    EXPECT_EQ(textOf("{\\rtf1{\\uc2\\u12354\\'82\\'a0X}\\u66?c}"), QString::fromUtf16(u"\u3042XBc"));
    // text bytes, hex bytes and control words count one each; a group ends the skipping
    EXPECT_EQ(textOf("{\\rtf1\\uc3\\u65 xyzw}"), QStringLiteral("Aw"));
    EXPECT_EQ(textOf("{\\rtf1\\uc3\\u65\\'41\\tab B{}C}"), QStringLiteral("AC"));
    EXPECT_EQ(textOf("{\\rtf1\\uc3\\u65{}bc}"), QStringLiteral("Abc"));
    EXPECT_EQ(textOf("{\\rtf1\\uc0\\u233 x}"), QString::fromUtf16(u"\u00e9x"));
    // negative values are the upper half; a pair of them is one character outside the BMP
    EXPECT_EQ(textOf("{\\rtf1\\u-10179?\\u-8704?}"), QString::fromUtf16(u"\U0001F600"));
    // a half pair on its own becomes the replacement character
    EXPECT_EQ(textOf("{\\rtf1\\u-10179?x\\par}"), QString::fromUtf16(u"\ufffdx"));
    EXPECT_EQ(textOf("{\\rtf1 a\\u-9216?}"), QString::fromUtf16(u"a\ufffd"));
}

TEST(RtfReader, CharactersNoParagraphCanHoldAreCleanedWhereverTheyStand)
{
    // line and paragraph separators read as spaces (never as breaks), control characters but the tab
    // are dropped, as \uN and as decoded bytes, between plain text or alone
    EXPECT_EQ(textOf("{\\rtf1 a\\u8232?b\\u7?c\\u9?d\\u8233?e\\'07f\\par g}"), QStringLiteral("a bc\td ef\ng"));
    EXPECT_EQ(textOf("{\\rtf1 \\u8233?}"), QStringLiteral(" "));
}

TEST(RtfReader, CodePagesOfTheDocumentAndOfEachFont)
{
    // consecutive bytes are decoded together, trail bytes may be ASCII or escaped symbols
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932 \\'83e\\'83\\'58\\'83g\\'81\\\\}"),
              QString::fromUtf16(u"\u30c6\u30b9\u30c8\u2015"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg936 \\'c4\\'e3\\'ba\\'c3}"), QString::fromUtf16(u"\u4f60\u597d"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg950 \\'a4\\'a4\\'a4\\'e5}"), QString::fromUtf16(u"\u4e2d\u6587"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg949 \\'c7\\'d1}"), QString::fromUtf16(u"\ud55c"));
    // the font's character set wins over the document's code page; \cpg when it has none
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset238 A CE;}{\\f1\\fcharset0 A;}"
                     "{\\f2\\fcharset1\\cpg1251 C;}{\\f3\\fcharset128 J;}}\\f0\\'e8\\f1\\'e8\\f2\\'e8"
                     "{\\loch\\af1\\dbch\\f3 \\'82\\'a0}\\'e8}"),
              QString::fromUtf16(u"\u010d\u00e8\u0438\u3042\u0438"));
    // text before any \f is in the default font's character set
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 A;}{\\f1\\fcharset134 B;}}\\'c4\\'e3{\\plain\\'c4\\'e3}}"),
              QString::fromUtf16(u"\u4f60\u4f60"));
    // \mac and \pc
    EXPECT_EQ(textOf("{\\rtf1\\mac \\'8e}"), QString::fromUtf16(u"\u00e9"));
    EXPECT_EQ(textOf("{\\rtf1\\pc \\'82}"), QString::fromUtf16(u"\u00e9"));
    // font names are decoded in their own character set
    const Model m = modelOf("{\\rtf1{\\fonttbl{\\f0\\froman\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 "
                            "\\'96\\'be\\'92\\'a9{\\*\\falt MS Mincho};}}\\f0 x}");
    const TRichCharFormat f = formatOf(m, QStringLiteral("x"));
    EXPECT_EQ(f.FaceName, QString::fromUtf16(u"\uff2d\uff33 \u660e\u671d"));
    EXPECT_EQ(f.Charset, 128);
    EXPECT_EQ(f.PitchAndFamily, 0x11);
}

TEST(RtfReader, DestinationsWithoutAPlaceAreSkippedWhole)
{
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\unknown b{c}\\bin1 }}c{\\info{\\title T}}d{\\header h}e{\\footnote f}"
                     "{\\stylesheet{\\s1 Normal;}}g{\\*\\generator Msftedit;}{\\field{\\*\\fldinst HYPERLINK "
                     "\"x\"}{\\fldrslt link}}{\\upr{ansi}{\\*\\ud{uni}}}}"),
              QStringLiteral("acdeglinkuni"));
    // \nonshppict gives way to the \shppict before it
    const Model m = modelOf("{\\rtf1{\\*\\shppict{\\pict\\pngblip " + pngHex(QImage(2, 2, QImage::Format_RGB32)) +
                            "}}{\\nonshppict{\\pict\\wmetafile8 0100}}}");
    ASSERT_EQ(m.size(), 1u);
    ASSERT_EQ(m[0].Runs.size(), 1u);
    EXPECT_EQ(m[0].Runs[0].Object.DataFormat, QStringLiteral("png"));
    // special characters and escapes
    EXPECT_EQ(
        textOf("{\\rtf1 \\{\\}\\\\\\~\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\tab x\\line y}"),
        QString::fromUtf16(u"{}\\\u00a0\u2014\u2013\u2022\u2018\u2019\u201c\u201d\tx\ny"));
}

TEST(RtfReader, ParagraphMarksAndTheDocumentsFinalOne)
{
    // the last \par is the document's own end; one more gives an empty last paragraph
    EXPECT_EQ(textOf("{\\rtf1 a\\par b\\par}"), QStringLiteral("a\nb"));
    EXPECT_EQ(textOf("{\\rtf1 a\\par\\par}"), QStringLiteral("a\n"));
    EXPECT_EQ(textOf("{\\rtf1 a\\sect b\\page c\\\nd}"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(textOf("{\\rtf1 }"), QString());
}

TEST(RtfReader, CharacterFormats)
{
    const Model m = modelOf(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}{\\f1\\fmodern\\fprq1 Courier New;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\f0\\fs20 "
        "{\\b B}{\\i I}{\\ul U}{\\uldb D}{\\ulwave W}{\\ul\\ulnone N}{\\strike S}{\\sub Sb}{\\super Sp}"
        "{\\super\\nosupersub Ns}{\\up6 Up}{\\dn4 Dn}{\\cf1 Red}{\\cf0 Auto}{\\highlight2 Hi}{\\cb1 Cb}{\\v Hid}"
        "{\\protect Pr}{\\f1\\fs31 Big}{\\b\\i\\plain Pl}{\\b1\\b0 Off}}");
    EXPECT_TRUE(formatOf(m, "B").effect(CFE_BOLD));
    EXPECT_EQ(formatOf(m, "B").Weight, 700);
    EXPECT_TRUE(formatOf(m, "I").effect(CFE_ITALIC));
    EXPECT_EQ(formatOf(m, "U").UnderlineType, CFU_UNDERLINE);
    EXPECT_EQ(formatOf(m, "D").UnderlineType, CFU_UNDERLINEDOUBLE);
    EXPECT_EQ(formatOf(m, "W").UnderlineType, CFU_UNDERLINEWAVE);
    EXPECT_FALSE(formatOf(m, "N").effect(CFE_UNDERLINE));
    EXPECT_TRUE(formatOf(m, "S").effect(CFE_STRIKEOUT));
    EXPECT_TRUE(formatOf(m, "Sb").effect(CFE_SUBSCRIPT));
    EXPECT_TRUE(formatOf(m, "Sp").effect(CFE_SUPERSCRIPT));
    EXPECT_FALSE(formatOf(m, "Ns").effect(CFE_SUPERSCRIPT));
    EXPECT_EQ(formatOf(m, "Up").Offset, 60);
    EXPECT_EQ(formatOf(m, "Dn").Offset, -40);
    EXPECT_FALSE(formatOf(m, "Red").effect(CFE_AUTOCOLOR));
    EXPECT_EQ(formatOf(m, "Red").TextColor & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(formatOf(m, "Auto").effect(CFE_AUTOCOLOR));
    EXPECT_EQ(formatOf(m, "Hi").BackColor & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(formatOf(m, "Cb").BackColor & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(formatOf(m, "Hid").effect(CFE_HIDDEN));
    EXPECT_TRUE(formatOf(m, "Pr").effect(CFE_PROTECTED));
    EXPECT_EQ(formatOf(m, "Big").FaceName, QStringLiteral("Courier New"));
    EXPECT_EQ(formatOf(m, "Big").Height, 310);
    EXPECT_EQ(formatOf(m, "Big").PitchAndFamily, 0x31);
    // \plain: the default font at 12 points, no effects
    EXPECT_EQ(formatOf(m, "Pl").Height, 240);
    EXPECT_EQ(formatOf(m, "Pl").FaceName, QStringLiteral("Arial"));
    EXPECT_FALSE(formatOf(m, "Pl").effect(CFE_BOLD));
    EXPECT_FALSE(formatOf(m, "Off").effect(CFE_BOLD));
    EXPECT_EQ(formatOf(m, "Off").Height, 200);
}

TEST(RtfReader, ParagraphFormats)
{
    const Model m = modelOf("{\\rtf1\\pard\\qc\\li720\\fi-360\\ri144\\sb120\\sa240\\sl-300\\slmult0\\tx1000\\tx2000 "
                            "one\\par two\\par\\pard\\qr\\sl360\\slmult1 three\\par\\pard\\qj\\sl276\\slmult1 four"
                            "\\par\\pard\\sl200 five\\par}");
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].Format.Alignment, PFA_CENTER);
    EXPECT_EQ(m[0].Format.StartIndent, 360);
    EXPECT_EQ(m[0].Format.Offset, 360);
    EXPECT_EQ(m[0].Format.RightIndent, 144);
    EXPECT_EQ(m[0].Format.SpaceBefore, 120);
    EXPECT_EQ(m[0].Format.SpaceAfter, 240);
    EXPECT_EQ(m[0].Format.LineSpacingRule, LINESPACING_EXACTLY);
    EXPECT_EQ(m[0].Format.LineSpacing, 300);
    EXPECT_EQ(m[0].Format.Tabs, (QList<int>{1000, 2000}));
    EXPECT_EQ(m[1].Format, m[0].Format); // paragraph formats carry on until \pard
    EXPECT_EQ(m[2].Format.Alignment, PFA_RIGHT);
    EXPECT_EQ(m[2].Format.StartIndent, 0);
    EXPECT_EQ(m[2].Format.LineSpacingRule, 1);
    EXPECT_EQ(m[3].Format.Alignment, PFA_JUSTIFY);
    EXPECT_EQ(m[3].Format.LineSpacingRule, LINESPACING_MULTIPLE);
    EXPECT_EQ(m[3].Format.LineSpacing, 23);
    EXPECT_EQ(m[4].Format.LineSpacingRule, LINESPACING_ATLEAST);
    // 32 tab stops at most
    QByteArray many = "{\\rtf1\\pard";
    for (int i = 1; i <= 40; ++i)
        many += "\\tx" + QByteArray::number(i * 100);
    const Model t = modelOf(many + " x}");
    EXPECT_EQ(t[0].Format.Tabs.size(), MAX_TAB_STOPS);
}

TEST(RtfReader, BulletsAndNumberingInBothForms)
{
    // the original control's \pn form: \pntext is the bullet as text and is not read
    const Model pn = modelOf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                             "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                             "\\fi-200\\li200 one\\par{\\pntext\\f1\\'B7\\tab}two\\par"
                             "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta.}}n1\\par\\pard plain\\par}");
    ASSERT_EQ(pn.size(), 4u) << Describe(pn);
    EXPECT_EQ(pn[0].Format.Numbering, PFN_BULLET);
    EXPECT_EQ(pn[0].Runs[0].Text, QStringLiteral("one"));
    EXPECT_EQ(pn[1].Format.Numbering, PFN_BULLET);
    EXPECT_EQ(pn[1].Runs[0].Text, QStringLiteral("two"));
    EXPECT_EQ(pn[2].Format.Numbering, 2);
    EXPECT_EQ(pn[2].Runs[0].Text, QStringLiteral("n1"));
    EXPECT_EQ(pn[3].Format.Numbering, 0);
    // Word's list table: \ls and \ilvl; \listtext is not read
    const Model ls = modelOf("{\\rtf1{\\*\\listtable{\\list\\listtemplateid5{\\listlevel\\levelnfc23{\\leveltext "
                             "\\'01\\'b7;}}{\\listlevel\\levelnfc4{\\leveltext \\'02\\'01.;}}\\listid7}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}"
                             "{\\listtext\\'b7\\tab}\\ls1\\ilvl0 a\\par{\\listtext b.\\tab}\\ls1\\ilvl1 b\\par"
                             "\\pard{\\listtext 9.\\tab}c\\par}");
    ASSERT_EQ(ls.size(), 3u) << Describe(ls);
    EXPECT_EQ(ls[0].Format.Numbering, PFN_BULLET);
    EXPECT_EQ(ls[0].Runs[0].Text, QStringLiteral("a"));
    EXPECT_EQ(ls[1].Format.Numbering, 3);
    EXPECT_EQ(ls[1].Runs[0].Text, QStringLiteral("b"));
    // a paragraph without numbering of its own keeps the list text as its text
    EXPECT_EQ(ls[2].Format.Numbering, 0);
    EXPECT_EQ(ls[2].Runs[0].Text, QStringLiteral("9.\tc"));
}

QStringList labelsOf(const QByteArray &rtf)
{
    auto doc = Read(rtf);
    return LabelsOf(doc.get());
}

// A list table as Word writes it: list 1 counts from 7 with bullets at its second level; list 2 in
// figures at two levels; list 3 in letters with ")" after them, named by override 0; override 5 is
// list 2 again, counting from 5.
const QByteArray WordLists =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable{\\list\\listtemplateid11"
    "{\\listlevel\\levelnfc0\\levelstartat7{\\leveltext\\leveltemplateid1\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}\\listid1}"
    "{\\list\\listtemplateid12{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
    "{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}}\\listid2}"
    "{\\list\\listtemplateid13{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}}\\listid3}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid2\\listoverridecount0\\ls2}{\\listoverride\\listid3\\listoverridecount0\\ls0}"
    "{\\listoverride\\listid2\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls5}}";

TEST(RtfReader, ListsCountPerListAndLevelAcrossOtherParagraphs)
{
    // a list resumed after a plain paragraph counts on
    EXPECT_EQ(labelsOf(WordLists + "{\\listtext 7.\\tab}\\ls1 Seven\\par\\pard Plain\\par"
                                   "{\\listtext 8.\\tab}\\ls1 Eight\\par}"),
              (QStringList{"7.", "", "8."}));
    // bullets at a deeper level leave the count around them alone
    EXPECT_EQ(labelsOf(WordLists + "\\ls1 a\\par\\ilvl1 b\\par c\\par\\ilvl0 d\\par e\\par}"),
              (QStringList{"7.", "*", "*", "8.", "9."}));
    // a nested level counts apart, and starts again after a paragraph of the level above; its label
    // shows the number of the level above too, as its level text says ("\'00.\'01.")
    EXPECT_EQ(labelsOf(WordLists + "\\ls2 a\\par\\ilvl1 a1\\par a2\\par a3\\par\\ilvl0 b\\par\\ilvl1 b1\\par"
                                   "\\ilvl0 c\\par}"),
              (QStringList{"1.", "1.1.", "1.2.", "1.3.", "2.", "2.1.", "3."}));
    // two lists one after the other count apart
    EXPECT_EQ(labelsOf(WordLists + "\\ls2 a\\par b\\par\\pard\\ls0 c\\par d\\par\\pard\\ls2 e\\par}"),
              (QStringList{"1.", "2.", "a)", "b)", "3."}));
    // an override that starts a level elsewhere; a \ls of no override is a bullet, and \ls0 without one
    // no list at all
    EXPECT_EQ(labelsOf(WordLists + "\\ls5 a\\par b\\par\\pard\\ls9 c\\par\\pard\\ls0 d\\par}"),
              (QStringList{"5.", "6.", "*", "a)"}));
    EXPECT_EQ(labelsOf("{\\rtf1\\ls0 a\\par\\ls-1 b\\par}"), (QStringList{"", ""}));

    // what each paragraph keeps: its kind, start, texts, level, and one list per override
    const Model m = modelOf(WordLists + "\\ls1 a\\par\\ilvl1 b\\par\\pard\\ls0 c\\par\\pard\\ls1 d\\par}");
    ASSERT_EQ(m.size(), 4u) << Describe(m);
    EXPECT_EQ(m[0].Format.Numbering, PFN_ARABIC);
    EXPECT_EQ(m[0].Format.NumberingStart, 7);
    EXPECT_EQ(m[1].Format.Numbering, PFN_BULLET);
    EXPECT_EQ(m[1].Format.ListLevel, 1);
    EXPECT_EQ(m[2].Format.Numbering, PFN_LCLETTER);
    EXPECT_EQ(m[2].Format.NumberSuffix, QStringLiteral(")"));
    EXPECT_EQ(m[0].Format.List, m[1].Format.List);
    EXPECT_EQ(m[0].Format.List, m[3].Format.List);
    EXPECT_NE(m[0].Format.List, m[2].Format.List);
    EXPECT_NE(m[2].Format.List, 0);
}

// Lists whose level texts show the numbers of the levels above: list 1 in capital roman numerals, then
// letters ("I.a."), then small roman numerals ("I.a.i)"); list 2 in figures from 1, 3 and 1 ("1.3.1.").
const QByteArray LevelLists =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc1\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}"
    "{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext\\leveltemplateid9\\'06\\'00.\\'01.\\'02);}"
    "{\\levelnumbers\\'01\\'03\\'05;}}\\listid1}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
    "{\\listlevel\\levelnfc0\\levelstartat3{\\leveltext\\'04\\'00.\\'01.;}}"
    "{\\listlevel\\levelnfc0{\\leveltext\\'06\\'00.\\'01.\\'02.;}}\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid2\\listoverridecount0\\ls2}}";

TEST(RtfReader, LabelsShowTheNumbersTheirLevelTextsName)
{
    // each level's number in its own kind; a level that has not counted since the level above shows
    // its start number and counts on from it (as LibreOffice shows these files)
    EXPECT_EQ(labelsOf(LevelLists + "\\ls1 Alpha\\par\\ilvl1 Beta\\par Gamma\\par\\ilvl2 Delta\\par\\ilvl0 Epsilon\\par"
                                    "\\ilvl2 Zeta\\par\\ilvl1 Eta\\par}"),
              (QStringList{"I.", "I.a.", "I.b.", "I.b.i)", "II.", "II.a.i)", "II.b."}));
    EXPECT_EQ(labelsOf(LevelLists + "\\ls2\\ilvl2 Theta\\par\\ilvl1 Iota\\par\\ilvl0 Kappa\\par\\ilvl2 Lambda\\par"
                                    "\\ilvl1 Mu\\par}"),
              (QStringList{"1.3.1.", "1.4.", "2.", "2.3.1.", "2.4."}));
    // a level text that names a level below its own (which has no number yet) leaves it out; one that
    // names only a level above shows that one's number
    const QByteArray odd = "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'03\\'00\\'01-;}}"
                           "{\\listlevel\\levelnfc4{\\leveltext\\'03[\\'00];}}\\listid5}}"
                           "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}";
    EXPECT_EQ(labelsOf(odd + "\\ls1 a\\par\\ilvl1 b\\par}"), (QStringList{"1-", "[1]"}));

    // what the paragraphs keep: the whole label, the texts before and after the numbers, how the levels
    // above number; a label of its own number alone keeps only the texts around it
    const Model m = modelOf(LevelLists + "\\ls1 Alpha\\par\\ilvl2 Delta\\par}");
    ASSERT_EQ(m.size(), 2u) << Describe(m);
    EXPECT_TRUE(m[0].Format.LabelText.isEmpty());
    EXPECT_TRUE(m[0].Format.OuterLevels.isEmpty());
    EXPECT_EQ(m[1].Format.LabelText, QString(QChar(0)) + u'.' + QChar(1) + u'.' + QChar(2) + u')');
    EXPECT_EQ(m[1].Format.NumberSuffix, QStringLiteral(")"));
    EXPECT_EQ(m[1].Format.OuterLevels, (QList<TLevelNumbering>{{PFN_UCROMAN, 1}, {PFN_LCLETTER, 1}}));
}

// Three overrides of one list (\ls1 to \ls3), one of another (\ls7); \ls3 starts the first level again
// at 1, \ls4 at 10, \ls6 the second level at 5.
const QByteArray OverriddenLists =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}}\\listid1}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc1{\\leveltext\\'02\\'00.;}}\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid1\\listoverridecount0\\ls2}"
    "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat1}\\ls3}"
    "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat10}\\ls4}"
    "{\\listoverride\\listid1\\listoverridecount2{\\lfolevel}{\\lfolevel\\listoverridestartat\\levelstartat5}"
    "\\ls6}{\\listoverride\\listid2\\listoverridecount0\\ls7}}";

TEST(RtfReader, OverridesOfOneListCountOnUnlessOneStartsALevelAgain)
{
    // two overrides of one list are one list, across a plain paragraph and another list
    EXPECT_EQ(labelsOf(OverriddenLists + "\\ls1 a\\par b\\par\\ls2 c\\par d\\par\\pard plain\\par\\ls7 x\\par"
                                         "\\pard\\ls1 e\\par}"),
              (QStringList{"1.", "2.", "3.", "4.", "", "I.", "5."}));
    // an override's start number starts the list again at its first paragraph; the paragraphs after it,
    // of whichever override, count on from there
    EXPECT_EQ(labelsOf(OverriddenLists + "\\ls1 a\\par b\\par\\ls3 c\\par d\\par\\ls1 e\\par\\ls2 f\\par\\ls3 g\\par}"),
              (QStringList{"1.", "2.", "1.", "2.", "3.", "4.", "5."}));
    EXPECT_EQ(labelsOf(OverriddenLists + "\\ls1 a\\par\\ls4 b\\par\\ls1 c\\par\\ls4 d\\par}"),
              (QStringList{"1.", "10.", "11.", "12."}));
    // at the second level: its count starts there, at the override's number
    EXPECT_EQ(labelsOf(OverriddenLists + "\\ls1 a\\par\\ilvl1 b\\par c\\par\\ls6 d\\par\\ls1 e\\par}"),
              (QStringList{"1.", "a)", "b)", "e)", "f)"}));
}

TEST(RtfReader, BulletsShowTheCharactersTheirLevelsName)
{
    // one list per bullet: its level text and the font the level names after it
    const struct {
        const char *text;
        int font;
        QString shown;
    } bullets[] = {
        {"\\u8211 ?", 0, QStringLiteral("\u2013")},
        {"\\u9642 ?", 0, QStringLiteral("\u25aa")},
        {"o", 3, QStringLiteral("o")},
        {"o", 1, QStringLiteral("\u03bf")},
        {"o", 2, QStringLiteral("\u25a1")},
        {"\\u-3913 ?", 1, QStringLiteral("*")},
        {"\\'b7", 1, QStringLiteral("*")},
        {"\\u-3929 ?", 2, QStringLiteral("\u25aa")},
        {"\\u-3880 ?", 2, QStringLiteral("\u27a2")},
        {"\\u-3844 ?", 2, QStringLiteral("\u2713")},
        {"\\'a7", 2, QStringLiteral("\u25aa")},
        {"\\u-3913 ?", 0, QStringLiteral("*")},
        {"\\u-3929 ?", 9, QStringLiteral("\u25aa")},
        {"\\u-3929 ?", 4, QStringLiteral("*")},
        {"\\u57354 ?", 0, QStringLiteral("*")},
        {"\\u8226 ?", 0, QStringLiteral("*")},
        {"\\'96", 5, QStringLiteral("\u2013")},
    };
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}"
                     "{\\f2\\fcharset2 Wingdings;}{\\f3 Courier New;}{\\f4\\fcharset2 Wingdings 2;}"
                     "{\\f5\\fcharset128 OpenSymbol;}}{\\*\\listtable";
    QByteArray overrides = "{\\*\\listoverridetable", body;
    QStringList shown;
    for (int i = 1; const auto &b : bullets) {
        const QByteArray n = QByteArray::number(i++);
        rtf += "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01" + QByteArray(b.text) + ";}{\\levelnumbers;}\\f" +
               QByteArray::number(b.font) + "\\fi-360\\li720}\\listid" + n + '}';
        overrides += "{\\listoverride\\listid" + n + "\\ls" + n + '}';
        body += "\\pard\\ls" + n + " x\\par";
        shown.append(b.shown);
    }
    EXPECT_EQ(labelsOf(rtf + "}" + overrides + "}" + body + "}"), shown);
    // the older form alone shows a round bullet
    EXPECT_EQ(
        labelsOf("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\pard{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'a7}} a\\par}"),
        (QStringList{"*"}));
}

TEST(RtfReader, TheOlderNumberingFormKeepsItsLevelsAndTexts)
{
    // outline levels, the texts before and after the number; a paragraph without numbering ends the
    // numbered run (the next one starts again) unless it is marked to go on with it
    const QByteArray one = "{\\*\\pn\\pnlvl1\\pndec{\\pntxta .}}";
    const QByteArray sub = "{\\*\\pn\\pnlvl2\\pnlcltr{\\pntxtb (}{\\pntxta )}}";
    EXPECT_EQ(labelsOf("{\\rtf1\\pard" + one + " a\\par\\pard" + sub + " a1\\par a2\\par\\pard" + one +
                       " b\\par\\pard{\\*\\pn\\pnlvlcont} more\\par\\pard" + one + " c\\par\\pard plain\\par\\pard" +
                       one + " d\\par}"),
              (QStringList{"1.", "(a)", "(b)", "2.", "", "3.", "", "1."}));
    // without texts the number takes a full stop; a start number of its own starts again
    EXPECT_EQ(labelsOf("{\\rtf1\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart4} a\\par b\\par"
                       "\\pard{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart9} c\\par}"),
              (QStringList{"IV.", "V.", "IX."}));
    // the list table's numbering wins over the older form beside it
    EXPECT_EQ(labelsOf(WordLists + "\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}\\ls0 a\\par}"),
              (QStringList{"a)"}));
}

TEST(RtfReader, TablesAreRowsWithCellsOnTabStops)
{
    const Model m = modelOf(
        "{\\rtf1\\trowd\\trleft-108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl a\\cell\\cell "
        "c\\cell\\row\\trowd\\cellx3000\\cellx5000\\pard\\intbl "
        "{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}x\\nestcell z\\nestcell\\cell y\\cell\\row\\pard after\\par}");
    ASSERT_EQ(m.size(), 3u) << Describe(m);
    EXPECT_EQ(m[0].Runs[0].Text, QStringLiteral("a\t\tc"));
    EXPECT_EQ(m[0].Format.Tabs, (QList<int>{2108, 4108}));
    EXPECT_EQ(m[1].Runs[0].Text, QStringLiteral("x\tz\t\ty")); // a nested table flattened into the row
    EXPECT_EQ(m[1].Format.Tabs, (QList<int>{3000}));
    EXPECT_EQ(m[2].Runs[0].Text, QStringLiteral("after"));
    EXPECT_TRUE(m[2].Format.Tabs.isEmpty());
}

TEST(RtfReader, PicturesShowTheirImageAndKeepTheirData)
{
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    const Model m = modelOf("{\\rtf1{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450\\picscalex50"
                            "\\picscaley200 " +
                            pngHex(red) + "}}");
    ASSERT_EQ(m[0].Runs.size(), 1u);
    const TRichObject &o = m[0].Runs[0].Object;
    EXPECT_EQ(o.ObjectKind, TRichObject::Picture);
    EXPECT_EQ(o.Image.size(), QSize(4, 3));
    EXPECT_EQ(o.Image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(o.DataFormat, QStringLiteral("png"));
    EXPECT_EQ(o.Width, 600);
    EXPECT_EQ(o.Height, 450);
    EXPECT_EQ(o.ScaleX, 50);
    EXPECT_EQ(o.ScaleY, 200);

    // a metafile shows the bitmap it draws; its bytes are kept as the file wrote them
    QByteArray dib(40, '\0');
    qToLittleEndian<quint32>(40, dib.data());
    qToLittleEndian<qint32>(1, dib.data() + 4);
    qToLittleEndian<qint32>(1, dib.data() + 8);
    qToLittleEndian<quint16>(1, dib.data() + 12);
    qToLittleEndian<quint16>(24, dib.data() + 14);
    dib += QByteArray("\x00\xff\x00\x00", 4); // one green pixel, row padded to 4 bytes
    QByteArray record(6 + 22, '\0');
    qToLittleEndian<quint32>(quint32((record.size() + dib.size()) / 2), record.data());
    qToLittleEndian<quint16>(0x0F43, record.data() + 4);
    QByteArray wmf(18, '\0');
    qToLittleEndian<quint16>(1, wmf.data());
    qToLittleEndian<quint16>(9, wmf.data() + 2);
    wmf += record + dib;
    wmf += QByteArray("\x03\x00\x00\x00\x00\x00", 6);
    const QByteArray group = "{\\pict\\wmetafile8\\picw2540\\pich2540 " + wmf.toHex() + "}";
    const Model w = modelOf("{\\rtf1 " + group + "}");
    const TRichObject &wo = w[0].Runs[0].Object;
    ASSERT_FALSE(wo.Image.isNull());
    EXPECT_EQ(wo.Image.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(wo.DataFormat, QStringLiteral("rtf-pict"));
    EXPECT_EQ(wo.Data, group);
    EXPECT_EQ(wo.Width, 1440); // 2.54 cm

    // a picture that cannot be drawn keeps its stated size for the placeholder; a huge stated size
    // allocates nothing
    const Model p = modelOf("{\\rtf1{\\pict\\wmetafile8\\picwgoal2000\\pichgoal1000 0102}"
                            "{\\pict\\dibitmap0\\picw2000000000\\pich2000000000 28000000}}");
    ASSERT_EQ(p[0].Runs.size(), 2u);
    EXPECT_EQ(p[0].Runs[0].Object.Width, 2000);
    EXPECT_EQ(p[0].Runs[0].Object.Height, 1000);
    EXPECT_LE(p[0].Runs[1].Object.Image.width(), 2000); // the engine's placeholder, never the stated size

    // a bitmap whose header claims more pixels than its bytes hold is not decoded
    QByteArray bomb = dib.left(40);
    qToLittleEndian<qint32>(60000, bomb.data() + 4);
    qToLittleEndian<qint32>(60000, bomb.data() + 8);
    EXPECT_TRUE(rtf::DecodeDib(bomb + QByteArray(64, '\0')).isNull());
    EXPECT_FALSE(rtf::DecodeDib(dib).isNull());
}

TEST(RtfReader, ObjectsShowTheirResultAndAreKeptByteForByte)
{
    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const QByteArray object = "{\\object\\objemb\\objw1000\\objh500{\\*\\objclass Paint.Picture}{\\*\\objdata "
                              "0102030405\\bin3 }{\\}{\\result{\\pict\\pngblip " +
                              pngHex(blue) + "}}{\\tab x\\par}}";
    const Model m = modelOf("{\\rtf1 a" + object + "b}");
    ASSERT_EQ(m.size(), 1u) << Describe(m);
    ASSERT_EQ(m[0].Runs.size(), 3u) << Describe(m);
    const TRichObject &o = m[0].Runs[1].Object;
    EXPECT_EQ(o.ObjectKind, TRichObject::Object);
    EXPECT_EQ(o.Data, object);
    EXPECT_EQ(o.Image.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(o.Width, 1000);
    EXPECT_EQ(o.Height, 500);
    EXPECT_EQ(m[0].Runs[2].Text, QStringLiteral("b"));
}

TEST(RtfReader, WhatIsNotRtfIsRefusedAndBrokenRtfReadsAsFarAsItGoes)
{
    bool ok = true;
    Read("plain text", &ok);
    EXPECT_FALSE(ok);
    Read("", &ok);
    EXPECT_FALSE(ok);
    Read("{\\rtx1 a}", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(textOf("  \r\n{\\rtf1 lead}"), QStringLiteral("lead"));
    EXPECT_EQ(textOf("{\\rtf1 cut {\\b short"), QStringLiteral("cut short"));
    EXPECT_EQ(textOf("{\\rtf1 done}after{more}"), QStringLiteral("done"));
    EXPECT_EQ(textOf("{\\rtf1 a}}}}"), QStringLiteral("a"));
    // binary data in text is no text
    EXPECT_EQ(textOf(QByteArray("{\\rtf1 a\\bin4 \x00\x01}{b}", 20)), QStringLiteral("ab"));
}

TEST(RtfReader, DeepNestingKeepsItsTextAndNeverRecurses)
{
    // ten thousand levels are read as groups: the innermost one's format is its own
    const int levels = 10000;
    const QByteArray deep = "{\\rtf1 a" + QByteArray(levels, '{') + "\\b deep" + QByteArray(levels, '}') + "b}";
    const Model m = modelOf(deep);
    EXPECT_TRUE(formatOf(m, QStringLiteral("deep")).Effects & CFE_BOLD) << Describe(m);
    EXPECT_FALSE(formatOf(m, QStringLiteral("b")).Effects & CFE_BOLD) << Describe(m);
    // past the limit the groups are flattened: their text stays, a destination in them is skipped,
    // and the groups around them close where they should
    const int depth = 200000;
    QByteArray flat = "{\\rtf1 a" + QByteArray(depth, '{') + "deep{\\fonttbl{\\f0 X;}}{\\*\\unknown u}er" +
                      QByteArray(depth, '}') + "b}";
    EXPECT_EQ(textOf(flat), QStringLiteral("adeeperb"));
    EXPECT_EQ(textOf("{\\rtf1 a" + QByteArray(depth, '{') + "c" + QByteArray(depth, '}') + "{\\info{\\title t}}d}"),
              QStringLiteral("acd"));
}

TEST(RtfReader, AStarMarksTheWordAfterIt)
{
    // a known word after a star does what it always does, at the group's start or in its middle: the
    // group's text stays
    EXPECT_EQ(textOf("{\\rtf1\\ansi {\\b\\*\\cs7 visible text}\\par after\\par}"),
              QStringLiteral("visible text\nafter"));
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\cs7 visible}b}"), QStringLiteral("avisibleb"));
    const Model m = modelOf("{\\rtf1 {x\\*\\b y}{\\*\\i z}}");
    EXPECT_TRUE(formatOf(m, QStringLiteral("y")).Effects & CFE_BOLD) << Describe(m);
    EXPECT_TRUE(formatOf(m, QStringLiteral("z")).Effects & CFE_ITALIC) << Describe(m);
    // an unknown word after a star starts a destination: the rest of its group is skipped, subgroups
    // included, and what came before the star in the group stays
    EXPECT_EQ(textOf("{\\rtf1 a{\\b\\*\\unknownword shown}b}"), QStringLiteral("ab"));
    EXPECT_EQ(textOf("{\\rtf1 a{x\\*\\unknownword y{z}w}b{\\*\\other c}d}"), QStringLiteral("axbd"));
    // the star does not carry over text to a later word
    EXPECT_EQ(textOf("{\\rtf1 {\\b\\* t\\unknownword u}}"), QStringLiteral(" tu"));
}

TEST(RtfReader, MacCodePagesAndCharacterSets)
{
    // Japanese from a Mac editor: the document's Mac code page and the font's Mac character set
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg10001{\\fonttbl{\\f0\\fnil\\fcharset78 Osaka;}}\\f0 "
                     "\\'93\\'fa\\'96\\'7b\\par}"),
              QString::fromUtf16(u"\u65e5\u672c"));
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg10001 \\'82\\'a0}"), QString::fromUtf16(u"\u3042"));
    // the other Mac character sets pick their code pages
    EXPECT_EQ(textOf("{\\rtf1\\mac{\\fonttbl{\\f0\\fcharset89 C;}{\\f1\\fcharset85 G;}{\\f2\\fcharset88 E;}"
                     "{\\f3\\fcharset81 B;}{\\f4\\fcharset80 S;}{\\f5\\fcharset79 K;}}"
                     "\\f0\\'80\\f1\\'e1\\f2\\'89\\f3\\'a4\\'a4\\f4\\'d6\\'d0\\f5\\'c7\\'d1}"),
              QString::fromUtf16(u"\u0410\u03b1\u010c\u4e2d\u4e2d\ud55c"));
    // Mac Icelandic: Mac Roman with letters of its own
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg10079 \\'8e\\'a0\\'df}"), QString::fromUtf16(u"\u00e9\u00dd\u00fe"));
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg10081 \\'da}"), QString::fromUtf16(u"\u011e"));
    // \pca is the PC's multilingual code page
    EXPECT_EQ(textOf("{\\rtf1\\pca \\'d5}"), QString::fromUtf16(u"\u0131"));
}

TEST(RtfReader, AnUnknownCharacterSetFallsBackToTheDocumentsCodePage)
{
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg10000{\\fonttbl{\\f0\\fnil\\fcharset256 Times;}}\\f0 \\'80\\'8e\\par}"),
              QString::fromUtf16(u"\u00c4\u00e9"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset-5 T;}}\\f0 \\'e9}"), QString::fromUtf16(u"\u00e9"));
}

TEST(RtfReader, FootnoteMarksStandAsTheirNumbers)
{
    EXPECT_EQ(textOf("{\\rtf1 Text{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} The note.} and more"
                     "{\\super\\chftn}{\\footnote{\\super\\chftn} Another.}.\\par}"),
              QStringLiteral("Text1 and more2."));
}

TEST(RtfReader, HugeBitmapSidesAreRefusedWithoutOverflow)
{
    // a header claiming 0x7FFFFFFF by 0x7FFFFFFF pixels of 32 bits over a few bytes of data
    QByteArray dib(40 + 16, '\0');
    qToLittleEndian<quint32>(40, dib.data());
    qToLittleEndian<qint32>(0x7FFFFFFF, dib.data() + 4);
    qToLittleEndian<qint32>(0x7FFFFFFF, dib.data() + 8);
    qToLittleEndian<quint16>(1, dib.data() + 12);
    qToLittleEndian<quint16>(32, dib.data() + 14);
    EXPECT_TRUE(rtf::DecodeDib(dib).isNull());
    qToLittleEndian<qint32>(-0x7FFFFFFF, dib.data() + 8); // bottom-up or top-down alike
    EXPECT_TRUE(rtf::DecodeDib(dib).isNull());
    EXPECT_EQ(TextOf(Read("{\\rtf1 a{\\pict\\dibitmap0 " + dib.toHex() + "}b}").get()), QStringLiteral("ab"));
}

} // namespace
