// The RTF writer: its exact output for a small document, documents that come back the same after a
// write and a read (formats, lists, pictures, kept objects, every fixture), the no-objects mode, and
// the codec behind the control's files and clipboard.
#include "RtfTestSupport.h"
#include "common/TestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/RtfCodec.h"
#include "notes/RtfReader.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTextCursor>
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
    const QByteArray expected = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset1 MS Sans Serif;}"
                                "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
                                "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                                "\\pard\\qc\\f1\\fs20 Hello \\b W\\{o\\}rld\\par\r\n"
                                "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}"
                                "\\fi-360\\li360\\b0\\cf1 caf\\u233?\\\\\\par\r\n"
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
    b.Finish();
    const QByteArray rtf = Write(&doc);
    EXPECT_TRUE(rtf.contains("Odd\\{Name\\}\\u59?\\\\;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\u1046?ont;}")) << rtf.toStdString();
    auto again = Read(rtf);
    EXPECT_EQ(ModelOf(again.get()), ModelOf(&doc));
}

} // namespace
