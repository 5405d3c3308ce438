// The RTF writer: its exact output for a small document, documents that come back the same after a
// write and a read (formats, lists, pictures, kept objects, every fixture), the no-objects mode, and
// the codec behind the control's files and clipboard.
#include "RtfTestSupport.h"
#include "common/TestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/RtfCodec.h"
#include "notes/RtfPicture.h"
#include "notes/RtfReader.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace richedit;
using namespace rtftest;

namespace {

TRichCharFormat base()
{
    TRichCharFormat f = StandardCharFormat();
    f.FaceName = QStringLiteral("Arial");
    f.Charset = 0;
    f.PitchAndFamily = 0x22;
    f.Height = 200;
    return f;
}

TRichCharFormat bold()
{
    TRichCharFormat f = base();
    f.Effects |= CFE_BOLD;
    f.Weight = 700;
    return f;
}

TRichParaFormat para()
{
    TRichParaFormat p;
    p.Mask = PFM_ALL;
    return p;
}

// A document with one of every format the writer writes.
std::unique_ptr<QTextDocument> richDocument()
{
    auto doc = std::make_unique<QTextDocument>();
    TRichDocumentBuilder b(QTextCursor(doc.get()), StandardCharFormat());
    TRichParaFormat centred = para();
    centred.Alignment = PFA_CENTER;
    centred.SpaceBefore = 120;
    centred.SpaceAfter = 60;
    centred.LineSpacingRule = LINESPACING_EXACTLY;
    centred.LineSpacing = 300;
    centred.Tabs = {720, 1440};
    b.SetParaFormat(centred);
    TRichCharFormat f = base();
    b.SetCharFormat(f);
    b.AddText(u"plain {braces} \\ back\tslash ");
    b.SetCharFormat(bold());
    b.AddText(u"bold");
    f = base();
    f.Effects |= CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
    f.UnderlineType = CFU_UNDERLINEDOTTED;
    b.SetCharFormat(f);
    b.AddText(u"marked");
    b.AddLineBreak();
    f = base();
    f.Effects = (f.Effects & ~(CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR)) | CFE_SUPERSCRIPT | CFE_HIDDEN | CFE_PROTECTED;
    f.TextColor = qRgb(200, 10, 20);
    f.BackColor = qRgb(1, 2, 3);
    f.Offset = 40;
    b.SetCharFormat(f);
    b.AddText(u"x\u00e9\u65e5\U0001F600");
    b.EndParagraph();
    TRichParaFormat bullets = para();
    bullets.Numbering = PFN_BULLET;
    bullets.StartIndent = 0;
    bullets.Offset = 360;
    bullets.RightIndent = 100;
    bullets.LineSpacingRule = LINESPACING_MULTIPLE;
    bullets.LineSpacing = 23;
    b.SetParaFormat(bullets);
    f = base();
    f.FaceName = QString::fromUtf16(u"\uff2d\uff33 \u660e\u671d");
    f.Charset = 128;
    f.PitchAndFamily = 0x11;
    f.Height = 310; // whole half-points: what the format can hold
    b.SetCharFormat(f);
    b.AddText(u"one");
    b.EndParagraph();
    b.AddText(u"two");
    b.EndParagraph();
    TRichParaFormat numbered = para();
    numbered.Numbering = 4;
    numbered.Alignment = PFA_JUSTIFY;
    b.SetParaFormat(numbered);
    f = base();
    f.Effects |= CFE_SUBSCRIPT;
    f.Offset = -20;
    b.SetCharFormat(f);
    b.AddText(u"alpha");
    TRichObject picture;
    picture.Image = QImage(3, 2, QImage::Format_RGB32);
    picture.Image.fill(Qt::green);
    QBuffer buffer(&picture.Data);
    buffer.open(QIODevice::WriteOnly);
    picture.Image.save(&buffer, "PNG");
    picture.DataFormat = QStringLiteral("png");
    picture.Width = 45;
    picture.Height = 30;
    picture.ScaleX = 200;
    b.AddObject(picture);
    b.EndParagraph();
    TRichParaFormat right = para();
    right.Alignment = PFA_RIGHT;
    right.LineSpacingRule = LINESPACING_ATLEAST;
    right.LineSpacing = 280;
    b.SetParaFormat(right);
    b.SetCharFormat(base());
    b.AddText(u"end");
    b.EndParagraph();
    b.SetParaFormat(para());
    b.Finish();
    return doc;
}

TEST(RtfWriter, WritesASmallDocumentExactly)
{
    QTextDocument doc;
    TRichDocumentBuilder b(QTextCursor(&doc), StandardCharFormat());
    TRichParaFormat centred = para();
    centred.Alignment = PFA_CENTER;
    b.SetParaFormat(centred);
    b.SetCharFormat(base());
    b.AddText(u"Hello ");
    b.SetCharFormat(bold());
    b.AddText(u"W{o}rld");
    b.EndParagraph();
    TRichParaFormat bullet = para();
    bullet.Numbering = PFN_BULLET;
    bullet.Offset = 360;
    b.SetParaFormat(bullet);
    TRichCharFormat red = base();
    red.Effects &= ~CFE_AUTOCOLOR;
    red.TextColor = qRgb(255, 0, 0);
    b.SetCharFormat(red);
    b.AddText(u"caf\u00e9\\");
    b.Finish();
    const QByteArray expected =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset1 MS Sans Serif;}"
        "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\listtable{\\list\\listtemplateid1\\listsimple1{\\listlevel\\levelnfc23\\levelnfcn23"
        "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}"
        "\\fi-360\\li360\\lin360}{\\listname ;}\\listid1}\r\n}\r\n"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n"
        "\\pard\\qc\\f1\\fs20 Hello \\b W\\{o\\}rld\\par\r\n"
        "\\pard{\\listtext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}"
        "\\ls1\\ilvl0\\fi-360\\li360\\b0\\cf1 caf\\u233?\\\\\\par\r\n"
        "}\r\n";
    EXPECT_EQ(Write(&doc).toStdString(), expected.toStdString());
}

TEST(RtfWriter, EveryFormatComesBackAfterAWriteAndARead)
{
    auto doc = richDocument();
    const Model before = ModelOf(doc.get());
    const QByteArray rtf = Write(doc.get());
    bool ok = false;
    auto again = Read(rtf, &ok);
    ASSERT_TRUE(ok);
    const Model after = ModelOf(again.get());
    EXPECT_EQ(before, after) << "before:\n" << Describe(before) << "after:\n" << Describe(after) << rtf.toStdString();
    // and a second round gives the same bytes
    EXPECT_EQ(Write(again.get()), rtf);
}

TEST(RtfWriter, ALiteralObjectReplacementCharacterInTextIsKept)
{
    // U+FFFC typed as text (no object behind it) is text like any other
    auto doc = Read("{\\rtf1 a\\u-4?b\\par}");
    ASSERT_EQ(TextOf(doc.get()), QString::fromUtf16(u"a\ufffcb"));
    auto again = Read(Write(doc.get()));
    EXPECT_EQ(ModelOf(again.get()), ModelOf(doc.get())) << Write(doc.get()).toStdString();
}

// Lists as LibreOffice writes them: one counting from 7 with ")" after its numbers and letters at its
// second level, resumed after a plain paragraph; then roman numbers in brackets.
const QByteArray LibreOfficeLists =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}"
    "{\\*\\listtable{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\leveljc0\\levelstartat7\\levelfollow0{\\leveltext \\'02\\'00);}{\\levelnumbers\\'01;}"
    "\\fi-360\\li720}"
    "{\\listlevel\\levelnfc4\\leveljc0\\levelstartat1\\levelfollow0{\\leveltext \\'02\\'01);}{\\levelnumbers\\'01;}"
    "\\fi-360\\li1440}\\listid1}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc2\\leveljc0\\levelstartat1\\levelfollow0"
    "{\\leveltext \\'03(\\'00);}{\\levelnumbers\\'02;}\\fi-360\\li720}\\listid2}}"
    "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid2\\listoverridecount0\\ls2}}"
    "\\pard\\plain Before\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  7)\\tab}\\ilvl0\\ls1 \\li720\\ri0\\lin720\\rin0\\fi-360 Seven\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  8)\\tab}\\ilvl0\\ls1 \\li720\\fi-360 Eight\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  a)\\tab}\\ilvl1\\ls1 \\li1440\\fi-360 Alpha\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  b)\\tab}\\ilvl1\\ls1 \\li1440\\fi-360 Beta\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  9)\\tab}\\ilvl0\\ls1 \\li720\\fi-360 Nine\\par"
    "\\pard\\plain Plain\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  10)\\tab}\\ilvl0\\ls1 \\li720\\fi-360 Ten\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  (i)\\tab}\\ilvl0\\ls2 \\li720\\fi-360 One\\par"
    "\\pard\\plain{\\listtext\\pard\\plain  (ii)\\tab}\\ilvl0\\ls2 \\li720\\fi-360 Two\\par}";

TEST(RtfWriter, ListsAreWrittenInTheListTableAndTheOlderFormAndReadBackAlike)
{
    auto doc = Read(LibreOfficeLists);
    const QStringList shown{"", "7)", "8)", "a)", "b)", "9)", "", "10)", "(i)", "(ii)"};
    ASSERT_EQ(LabelsOf(doc.get()), shown);
    const QByteArray rtf = Write(doc.get());
    const std::string written = rtf.toStdString();
    // the list table: kind, start and the text around each level's number
    EXPECT_TRUE(rtf.contains("\\levelnfc0\\levelnfcn0\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat7"
                             "{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}"))
        << written;
    EXPECT_TRUE(rtf.contains("\\levelnfc4\\levelnfcn4\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1"
                             "{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}\\fi-360\\li1440"))
        << written;
    EXPECT_TRUE(rtf.contains("\\listsimple1{\\listlevel\\levelnfc2\\levelnfcn2\\leveljc0\\leveljcn0\\levelfollow0"
                             "\\levelstartat1{\\leveltext\\'03(\\'00);}{\\levelnumbers\\'02;}"))
        << written;
    EXPECT_TRUE(rtf.contains("{\\listoverride\\listid1\\listoverridecount0\\ls1}"
                             "{\\listoverride\\listid2\\listoverridecount0\\ls2}"))
        << written;
    // each paragraph: its label as text, the older form, and its list and level
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 7)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart7\\pndec"
                             "{\\pntxta )}}\\ls1\\ilvl0\\fi-360\\li720"))
        << written;
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 a)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pnlcltr"
                             "{\\pntxta )}}\\ls1\\ilvl1"))
        << written;
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 10)\\tab}")) << written;
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 (ii)\\tab}")) << written;
    EXPECT_TRUE(rtf.contains("{\\pntxtb (}{\\pntxta )}}\\ls2\\ilvl0")) << written;

    // read back: the same labels, the same lists; written again: the same bytes
    auto again = Read(rtf);
    EXPECT_EQ(LabelsOf(again.get()), shown);
    EXPECT_EQ(ModelOf(again.get()), ModelOf(doc.get())) << Describe(ModelOf(again.get()));
    EXPECT_EQ(Write(again.get()), rtf);

    // a reader of the older form alone: the same numbers with their texts, as far as that form can tell
    // them (it has no levels, and no list goes on after a paragraph of another kind)
    const QByteArray older = QByteArray(rtf).replace("\\ls1", "").replace("\\ls2", "");
    auto legacy = Read(older);
    const QStringList legacyShown = LabelsOf(legacy.get());
    EXPECT_EQ(legacyShown.mid(1, 2), shown.mid(1, 2)) << legacyShown.join(u' ').toStdString();
    EXPECT_EQ(legacyShown.mid(8), shown.mid(8)) << legacyShown.join(u' ').toStdString();
}

// Labels of levels ("I.a.i)"), a list that begins at its third level ("1.3.1."), dashes and Wingdings
// squares as bullets, and a list started again by an override, as Word writes them.
const QByteArray WordLevelsAndBullets =
    "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f2\\fcharset2 Wingdings;}}{\\*\\listtable"
    "{\\list\\listtemplateid1{\\listlevel\\levelnfc1\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}"
    "{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext\\'06\\'00.\\'01.\\'02);}{\\levelnumbers\\'01\\'03\\'05;}}"
    "\\listid1}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
    "{\\listlevel\\levelnfc0\\levelstartat3{\\leveltext\\'04\\'00.\\'01.;}}"
    "{\\listlevel\\levelnfc0{\\leveltext\\'06\\'00.\\'01.\\'02.;}}\\listid2}"
    "{\\list\\listtemplateid3{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8211 ?;}}"
    "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3929 ?;}\\f2}\\listid3}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid2\\listoverridecount0\\ls2}{\\listoverride\\listid3\\listoverridecount0\\ls3}"
    "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat1}\\ls4}}"
    "\\pard\\ls1 Alpha\\par\\ilvl1 Beta\\par\\ilvl2 Gamma\\par\\ilvl0 Delta\\par\\ilvl2 Epsilon\\par"
    "\\pard\\ls2\\ilvl2 Theta\\par\\ilvl1 Iota\\par\\pard\\ls3 Dash\\par\\ilvl1 Square\\par"
    "\\pard\\ls4 Again\\par\\ilvl1 Again a\\par\\pard\\ls1 Goes on\\par}";

TEST(RtfWriter, LabelsOfLevelsAndBulletsOfTheirOwnAreWrittenAndReadBackAlike)
{
    auto doc = Read(WordLevelsAndBullets);
    const QStringList shown{"I.",   "I.a.",   "I.a.i)", "II.", "II.a.i)", "1.3.1.",
                            "1.4.", "\u2013", "\u25aa", "I.",  "I.a.",    "II."};
    ASSERT_EQ(LabelsOf(doc.get()), shown);
    const QByteArray rtf = Write(doc.get());
    const std::string written = rtf.toStdString();
    // each level's text with the places of the numbers it shows, and each paragraph's label as text
    EXPECT_TRUE(rtf.contains("\\levelnfc4\\levelnfcn4\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1"
                             "{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}"))
        << written;
    EXPECT_TRUE(rtf.contains("{\\leveltext\\'06\\'00.\\'01.\\'02);}{\\levelnumbers\\'01\\'03\\'05;}")) << written;
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 II.a.i)\\tab}")) << written;
    // a level above that no paragraph of its own showed: in its kind, from its start
    EXPECT_TRUE(rtf.contains("\\levelnfc0\\levelnfcn0\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat3")) << written;
    // a bullet's own character: in the list table, as the label and in the older form
    EXPECT_TRUE(rtf.contains("{\\leveltext\\'01\\u8211?;}{\\levelnumbers;}")) << written;
    EXPECT_TRUE(rtf.contains("{\\listtext\\f0 \\u9642?\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb \\u9642?}}"))
        << written;
    // the list started again is a list of its own
    EXPECT_TRUE(rtf.contains("\\ls4\\ilvl0")) << written;

    auto again = Read(rtf);
    EXPECT_EQ(LabelsOf(again.get()), shown) << written;
    EXPECT_EQ(ModelOf(again.get()), ModelOf(doc.get())) << Describe(ModelOf(again.get()));
    EXPECT_EQ(Write(again.get()), rtf);
}

TEST(RtfWriter, AListNumberedTwoWaysAtOneLevelIsWrittenAsTheListsItShows)
{
    // paragraphs of one list whose level changes its kind in the middle: each kind starts again
    QTextDocument doc;
    TRichDocumentBuilder b(QTextCursor(&doc), StandardCharFormat());
    const int kinds[] = {PFN_ARABIC, PFN_ARABIC, PFN_UCROMAN, PFN_UCROMAN, PFN_ARABIC};
    for (int kind : kinds) {
        TRichParaFormat p = para();
        p.Numbering = kind;
        p.List = 7;
        b.SetParaFormat(p);
        b.AddText(u"x");
        b.EndParagraph();
    }
    b.SetParaFormat(para());
    b.Finish();
    const QStringList shown{"1.", "2.", "I.", "II.", "1.", ""};
    ASSERT_EQ(LabelsOf(&doc), shown);
    const QByteArray rtf = Write(&doc);
    EXPECT_TRUE(rtf.contains("\\ls3\\ilvl0")) << rtf.toStdString();
    auto again = Read(rtf);
    EXPECT_EQ(LabelsOf(again.get()), shown) << rtf.toStdString();
}

TEST(RtfWriter, KeptPicturesAndObjectsReadTheSameAfterAWrite)
{
    // a bitmap of one red pixel, and an object whose sizes are both hidden in the fallback of a \u: what
    // a \u skips depends on the \uc where the group stands, which a written document changes
    QByteArray dib(40 + 4, '\0');
    qToLittleEndian<quint32>(40, dib.data());
    qToLittleEndian<qint32>(1, dib.data() + 4);
    qToLittleEndian<qint32>(1, dib.data() + 8);
    qToLittleEndian<quint16>(1, dib.data() + 12);
    qToLittleEndian<quint16>(24, dib.data() + 14);
    dib[42] = char(0xFF); // blue, green, red
    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const QByteArray png = rtf::PngBytes(blue);
    const QByteArray rtf = "{\\rtf1\\ansi\\uc2 A{\\pict\\dibitmap0\\picw1\\pich1\\u0 ab" + dib.toHex() +
                           "}B{\\object\\objemb\\objw15\\objh15\\u0\\objw300\\objh300{\\*\\objdata 01}"
                           "{\\result{\\pict\\pngblip " +
                           png.toHex() + "}}}C}";
    auto first = Read(rtf);
    const Model once = ModelOf(first.get());
    ASSERT_EQ(once.size(), 1u);
    ASSERT_EQ(once[0].Runs.size(), 5u) << Describe(once);
    const TRichObject &picture = once[0].Runs[1].Object;
    ASSERT_EQ(picture.Image.size(), QSize(1, 1));
    EXPECT_EQ(picture.Image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(once[0].Runs[3].Object.Height, 15);
    const QByteArray written = Write(first.get());
    auto second = Read(written);
    const Model twice = ModelOf(second.get());
    EXPECT_EQ(once, twice) << written.toStdString() << "\n" << Describe(twice);
    EXPECT_EQ(Write(second.get()), written);
    // where the \uc was 1 already, the group is kept byte for byte
    const QByteArray plain = "{\\pict\\dibitmap0\\picw1\\pich1 " + dib.toHex() + "}";
    EXPECT_EQ(ModelOf(Read("{\\rtf1 " + plain + "}").get())[0].Runs[0].Object.Data, plain);
}

// Every RTF file of the folder reads to the same content after a write and a read.
void expectEveryFileComesBackTheSame(const QDir &dir)
{
    const QStringList files = dir.entryList({QStringLiteral("*.rtf")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString &file : files) {
        auto first = Read(testsupport::readBytes(dir.filePath(file)));
        const Model once = ModelOf(first.get());
        const QByteArray written = Write(first.get());
        bool ok = false;
        auto second = Read(written, &ok);
        ASSERT_TRUE(ok) << file.toStdString();
        const Model twice = ModelOf(second.get());
        EXPECT_EQ(once, twice) << file.toStdString() << "\nonce:\n" << Describe(once) << "twice:\n" << Describe(twice);
    }
}

TEST(RtfWriter, OwnFilesComeBackTheSameAfterAWriteAndARead)
{
    expectEveryFileComesBackTheSame(QDir(testsupport::ownFixture(QStringLiteral("rtf"))));
}

TEST(RtfWriter, SharedFilesComeBackTheSameAfterAWriteAndARead)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    expectEveryFileComesBackTheSame(QDir(testsupport::fixture(QStringLiteral("rtf"))));
}

TEST(RtfWriter, KeptObjectsAndPicturesAreWrittenByteForByte)
{
    const QByteArray bytes = testsupport::readBytes(testsupport::ownFixture(QStringLiteral("rtf/object-bin.rtf")));
    auto doc = Read(bytes);
    const Model m = ModelOf(doc.get());
    QByteArray kept;
    for (const Paragraph &p : m)
        for (const rtftest::Run &r : p.Runs)
            if (r.Object.ObjectKind == TRichObject::Object)
                kept = r.Object.Data;
    ASSERT_TRUE(kept.startsWith("{\\object\\objemb"));
    EXPECT_TRUE(kept.contains(QByteArray("\\bin8 \x00}{\\\xff\x01}\xfe}", 15)));
    EXPECT_TRUE(bytes.contains(kept));
    const QByteArray written = Write(doc.get());
    EXPECT_TRUE(written.contains(kept));
    // without objects: neither the object nor a picture is written
    auto rich = richDocument();
    EXPECT_TRUE(Write(rich.get()).contains("{\\pict\\pngblip"));
    EXPECT_FALSE(Write(rich.get(), true).contains("\\pict"));
    EXPECT_FALSE(Write(doc.get(), true).contains("\\object"));
}

TEST(RtfWriter, FontNamesAreEscapedAndWrittenInTheirCharacterSet)
{
    QTextDocument doc;
    TRichDocumentBuilder b(QTextCursor(&doc), StandardCharFormat());
    TRichCharFormat f = base();
    f.FaceName = QStringLiteral("Odd{Name};\\");
    b.SetCharFormat(f);
    b.AddText(u"a");
    f.FaceName = QString::fromUtf16(u"\uff2d\uff33 \u660e\u671d");
    f.Charset = 128;
    b.SetCharFormat(f);
    b.AddText(u"b");
    f.FaceName = QString::fromUtf16(u"\u0416ont");
    f.Charset = 0;
    b.SetCharFormat(f);
    b.AddText(u"c");
    // a character the code page writes as a byte below 0x80 that is not its own
    f.FaceName = QString::fromUtf16(u"Del\u007f");
    f.Charset = 128;
    b.SetCharFormat(f);
    b.AddText(u"d");
    b.Finish();
    const QByteArray rtf = Write(&doc);
    EXPECT_TRUE(rtf.contains("Del\\u127?;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("Odd\\{Name\\}\\u59?\\\\;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\u1046?ont;}")) << rtf.toStdString();
    auto again = Read(rtf);
    EXPECT_EQ(ModelOf(again.get()), ModelOf(&doc));
}

} // namespace
