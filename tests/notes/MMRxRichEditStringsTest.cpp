// Line access and the document streams: formats by extension, the retry in the other format, the
// error texts, plain-text files in every encoding and line-end style, and what a document remembers.
#include "common/TestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/NotesTestSupport.h"
#include "platform/PlatformError.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace richedit;

namespace {

// Stands in for the rich-text codec: "{\rtf" then the text, which reads back bold.
class MarkerCodec : public TRichTextCodec {
public:
    bool Read(const QByteArray &bytes, TRichDocumentBuilder &builder) override
    {
        ++reads;
        if (!bytes.startsWith("{\\rtf"))
            return false;
        TRichCharFormat bold;
        bold.Mask = CFM_BOLD;
        bold.Effects = CFE_BOLD;
        builder.SetCharFormat(bold);
        builder.AddText(QString::fromUtf8(bytes.mid(5)));
        return true;
    }
    bool Write(const TRichDocumentSource &source, TRichStreamModes, QByteArray &out) override
    {
        struct Collect : TRichDocumentVisitor {
            QString s;
            void BeginParagraph(const TRichParaFormat &) override {}
            void Text(QStringView t, const TRichCharFormat &) override { s += t; }
            void Object(const TRichObject &, const TRichCharFormat &) override { s += u'*'; }
            void EndParagraph(bool last) override
            {
                if (!last)
                    s += u'\n';
            }
        } text;
        source.Visit(text);
        out = "{\\rtf" + text.s.toUtf8();
        return true;
    }
    int reads = 0;
};

// A converter that fails on demand.
class FailingConversion : public TConversion {
public:
    qint64 ConvertReadStream(QIODevice &stream, char *buffer, qint64 count) override
    {
        if (failReads-- > 0)
            throw PlatformError(QStringLiteral("broken"));
        return TConversion::ConvertReadStream(stream, buffer, count);
    }
    qint64 ConvertWriteStream(QIODevice &stream, const char *buffer, qint64 count) override
    {
        if (failWrites)
            throw PlatformError(QStringLiteral("broken"));
        return TConversion::ConvertWriteStream(stream, buffer, count);
    }
    int failReads = 0;
    bool failWrites = false;
};

class Streams : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        codec = std::make_shared<MarkerCodec>();
        SetRichTextCodec(codec);
        edit.Lines().SetFallbackCodePage(1252);
    }
    void TearDown() override { SetRichTextCodec(nullptr); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString loadText(const QString &name, const QByteArray &bytes)
    {
        testsupport::writeBytes(path(name), bytes);
        edit.Lines().LoadFromFile(path(name));
        return edit.Text();
    }
    bool isBold(int position)
    {
        edit.SetSelection(position, position + 1, false);
        return edit.SelAttributes().Style().testFlag(fsBold);
    }

    QTemporaryDir dir;
    std::shared_ptr<MarkerCodec> codec;
    TMMRxRichEdit edit;
};

} // namespace

// ---- line access ----

TEST(Lines, CountGetAndTheLineAfterAFinalBreak)
{
    TMMRxRichEdit edit;
    EXPECT_EQ(edit.Lines().Count(), 0);
    edit.Lines().Add(QStringLiteral("first"));
    EXPECT_EQ(edit.Lines().Count(), 1);
    EXPECT_EQ(edit.Text(), QStringLiteral("first\n"));
    EXPECT_EQ(edit.SelStart(), 6); // the caret after the line
    edit.Lines().Add(QStringLiteral("second"));
    EXPECT_EQ(edit.Lines().Text(), QStringLiteral("first\nsecond\n"));
    EXPECT_EQ(edit.Lines().Get(1), QStringLiteral("second"));
    EXPECT_EQ(edit.Lines().Get(2), QString());
    EXPECT_EQ(edit.Lines().Get(-1), QString());

    const QString longLine(5000, u'x');
    edit.Lines().Put(0, longLine);
    EXPECT_EQ(edit.Lines().Get(0), longLine); // whole, however long
    EXPECT_EQ(edit.Lines().Count(), 2);
}

TEST(Lines, InsertPutAndDeleteKeepTheBreaksRight)
{
    TMMRxRichEdit edit;
    edit.SetSelText(QStringLiteral("a\nb"));     // no final break
    edit.Lines().Insert(2, QStringLiteral("c")); // after the last line: break first
    EXPECT_EQ(edit.Text(), QStringLiteral("a\nb\nc"));
    edit.Lines().Insert(5, QStringLiteral("never")); // past the count + 1
    edit.Lines().Insert(-1, QStringLiteral("never"));
    EXPECT_EQ(edit.Text(), QStringLiteral("a\nb\nc"));
    edit.Lines().Insert(0, QStringLiteral("top"));
    EXPECT_EQ(edit.Text(), QStringLiteral("top\na\nb\nc"));
    edit.Lines().Put(2, QStringLiteral("B"));
    edit.Lines().Put(9, QStringLiteral("never"));
    EXPECT_EQ(edit.Text(), QStringLiteral("top\na\nB\nc"));
    edit.Lines().Delete(1);
    EXPECT_EQ(edit.Text(), QStringLiteral("top\nB\nc"));
    edit.Lines().Delete(2); // the last line: its text goes, the break before it stays
    EXPECT_EQ(edit.Text(), QStringLiteral("top\nB\n"));
    EXPECT_EQ(edit.Lines().Count(), 2);
    edit.Lines().Delete(7);
    EXPECT_EQ(edit.Lines().Count(), 2);
    // line operations cannot be undone
    EXPECT_FALSE(edit.CanUndo());
}

TEST(Lines, AssignReplacesEverythingWithoutNotifications)
{
    TMMRxRichEdit edit;
    int changes = 0, selections = 0;
    edit.OnChange = [&](TMMRxCustomRichEdit *) { ++changes; };
    edit.SetLines({QStringLiteral("one"), QStringLiteral("two")});
    EXPECT_EQ(edit.Lines().Text(), QStringLiteral("one\ntwo\n"));
    edit.Lines().SetTextStr(QStringLiteral("x\r\ny\rz"));
    EXPECT_EQ(edit.Lines().Count(), 3);
    EXPECT_EQ(changes, 0);
    edit.OnSelectionChange = [&](TMMRxCustomRichEdit *) { ++selections; };
    edit.Lines().AddStrings({QStringLiteral("p"), QStringLiteral("q")});
    EXPECT_EQ(selections, 0);
    EXPECT_TRUE(edit.OnSelectionChange != nullptr);
    EXPECT_EQ(edit.Lines().Get(4), QStringLiteral("q"));
}

// ---- files ----

TEST_F(Streams, PlainTextFilesInEveryLineEndStyleAndEncoding)
{
    EXPECT_EQ(loadText("crlf.txt", "one\r\ntwo\r\n"), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(loadText("lf.txt", "one\ntwo"), QStringLiteral("one\ntwo"));
    EXPECT_EQ(loadText("cr.txt", "one\rtwo\r"), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(loadText("utf8.txt", "gr\xc3\xbc\xc3\x9f"), QString::fromUtf16(u"gr\u00fc\u00df"));
    EXPECT_EQ(loadText("bom.txt", "\xef\xbb\xbf\xe6\x97\xa5"), QString::fromUtf16(u"\u65e5"));
    EXPECT_EQ(loadText("utf16.txt", QByteArray("\xff\xfe\x41\x00\x0d\x00\x0a\x00\xe5\x65", 10)),
              QString::fromUtf16(u"A\n\u65e5"));
    EXPECT_EQ(loadText("latin.txt", "caf\xe9"), QString::fromUtf16(u"caf\u00e9"));
    edit.Lines().SetFallbackCodePage(932);
    EXPECT_EQ(loadText("sjis.txt", "\x93\xfa\x96\x7b"), QString::fromUtf16(u"\u65e5\u672c"));
    EXPECT_EQ(codec->reads, 0); // ".txt" is plain text, never read as rich text
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_FALSE(edit.Modified());
}

TEST_F(Streams, ADocumentIsWrittenBackInTheEncodingAndLineEndsItWasReadIn)
{
    for (const QByteArray &bytes : {QByteArray("a\r\nb\r\n"), QByteArray("a\rb"),
                                    QByteArray("\xef\xbb\xbf"
                                               "a\nb"),
                                    QByteArray("\xff\xfe\x61\x00\x0a\x00", 6), QByteArray("a\xe9\nb"),
                                    // a line separator and byte-order marks after the first are text
                                    QByteArray("a\xe2\x80\xa8"
                                               "b\n"),
                                    QByteArray("\xef\xbb\xbf\xef\xbb\xbf"
                                               "a"),
                                    QByteArray("\xef\xbb\xbf"
                                               "a\xef\xbb\xbf")}) {
        testsupport::writeBytes(path("keep.txt"), bytes);
        edit.Lines().LoadFromFile(path("keep.txt"));
        edit.Lines().SaveToFile(path("keep.txt"));
        EXPECT_EQ(testsupport::readBytes(path("keep.txt")), bytes);
    }
    // a new document is UTF-8 with this system's line ends
    edit.Clear();
    edit.SetSelText(QString::fromUtf16(u"x\u00e9\ny"));
    edit.Lines().SaveToFile(path("new.txt"));
    EXPECT_EQ(testsupport::readBytes(path("new.txt")), QByteArray("x\xc3\xa9\ny"));
}

TEST_F(Streams, FormatFollowsTheExtensionThenWhatTheDocumentWasReadIn)
{
    // ".TXT" is plain text whatever its case
    testsupport::writeBytes(path("UPPER.TXT"), "{\\rtfnot rich");
    edit.Lines().LoadFromFile(path("UPPER.TXT"));
    EXPECT_EQ(edit.Text(), QStringLiteral("{\\rtfnot rich"));
    EXPECT_EQ(codec->reads, 0);

    // ".rtf" is rich text
    EXPECT_EQ(loadText("doc.rtf", "{\\rtfhello"), QStringLiteral("hello"));
    EXPECT_TRUE(isBold(1));
    EXPECT_EQ(edit.Lines().FileFormat(), sfRichText);

    // any other extension follows the control: rich, and when that fails, plain text
    EXPECT_EQ(loadText("notes.md", "# heading\n"), QStringLiteral("# heading\n"));
    EXPECT_EQ(edit.Lines().FileFormat(), sfPlainText);
    edit.SetSelStart(edit.TextLength());
    edit.SetSelText(QStringLiteral("more"));
    edit.Lines().SaveToFile(path("notes.md")); // stays plain text
    EXPECT_EQ(testsupport::readBytes(path("notes.md")), QByteArray("# heading\nmore"));

    EXPECT_EQ(loadText("old.doc", "{\\rtfrich"), QStringLiteral("rich"));
    edit.Lines().SaveToFile(path("old.doc"));
    EXPECT_EQ(testsupport::readBytes(path("old.doc")), QByteArray("{\\rtfrich"));

    // a new document without a remembered format is rich, or plain when the control is
    edit.Clear();
    edit.SetSelText(QStringLiteral("z"));
    edit.Lines().SaveToFile(path("fresh.log"));
    EXPECT_EQ(testsupport::readBytes(path("fresh.log")), QByteArray("{\\rtfz"));
    edit.SetPlainText(true);
    edit.Clear();
    edit.SetSelText(QStringLiteral("z"));
    edit.Lines().SaveToFile(path("fresh.log"));
    EXPECT_EQ(testsupport::readBytes(path("fresh.log")), QByteArray("z"));
}

TEST_F(Streams, BinaryFilesAreRefusedWithAnError)
{
    edit.SetSelText(QStringLiteral("kept"));
    testsupport::writeBytes(path("image.png"), QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16));
    try {
        edit.Lines().LoadFromFile(path("image.png"));
        FAIL() << "a binary file loaded";
    } catch (const PlatformError &e) {
        EXPECT_TRUE(e.message().contains(u"image.png")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(SRichEditLoadFail)) << e.message().toStdString();
    }
    EXPECT_EQ(codec->reads, 1); // tried as rich text, then refused as plain text
    // the text, its modified flag and its undo history are as they were
    EXPECT_EQ(edit.Text(), "kept");
    EXPECT_TRUE(edit.Modified());
    EXPECT_TRUE(edit.CanUndo());
    EXPECT_EQ(edit.Lines().Format, sfDefault);
    EXPECT_EQ(edit.Lines().Converter, nullptr);

    // a file larger than any note is refused before it is read
    {
        QFile huge(path("huge.txt"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(TRichEditStrings::MaxStreamBytes + 1)); // sparse: nothing is written
    }
    try {
        edit.Lines().LoadFromFile(path("huge.txt"));
        FAIL() << "an oversized file loaded";
    } catch (const PlatformError &e) {
        EXPECT_TRUE(e.message().contains(u"huge.txt")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"128 MB")) << e.message().toStdString();
    }
    EXPECT_EQ(edit.Text(), "kept");

    try {
        edit.Lines().LoadFromFile(path("missing.txt"));
        FAIL() << "a missing file loaded";
    } catch (const PlatformError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("missing.txt")));
    }
}

TEST_F(Streams, AFailedReadIsTriedOnceMoreInTheOtherFormatThenReported)
{
    QByteArray bytes("prefix|plain words");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(7);
    auto failing = std::make_unique<FailingConversion>();
    failing->failReads = 1;
    FailingConversion *converter = failing.get();
    edit.Lines().Converter = std::move(failing);
    edit.Lines().Format = sfRichText;
    edit.Lines().LoadFromStream(buffer); // the rich read fails in the converter; plain from position 7
    EXPECT_EQ(edit.Text(), QStringLiteral("plain words"));

    buffer.seek(7);
    converter->failReads = 2;
    try {
        edit.Lines().LoadFromStream(buffer);
        FAIL() << "two failures were not reported";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), SRichEditLoadFail);
    }

    converter->failReads = 0;
    converter->failWrites = true;
    QByteArray out;
    QBuffer target(&out);
    target.open(QIODevice::WriteOnly);
    try {
        edit.Lines().SaveToStream(target);
        FAIL() << "a failed write was not reported";
    } catch (const PlatformError &e) {
        EXPECT_EQ(e.message(), SRichEditSaveFail);
    }
}

TEST_F(Streams, AFailedSaveLeavesThePreviousFile)
{
    testsupport::writeBytes(path("safe.txt"), "previous");
    edit.SetSelText(QStringLiteral("new text"));
    auto failing = std::make_unique<FailingConversion>();
    failing->failWrites = true;
    edit.Lines().Converter = std::move(failing);
    EXPECT_THROW(edit.Lines().SaveToFile(path("safe.txt")), PlatformError);
    EXPECT_EQ(testsupport::readBytes(path("safe.txt")), QByteArray("previous"));
    EXPECT_EQ(edit.Lines().Converter, nullptr); // dropped with the failure

    SetRichTextCodec(nullptr); // without a rich-text codec a rich save fails, it is never faked
    edit.Lines().Format = sfRichText;
    QByteArray out;
    QBuffer target(&out);
    target.open(QIODevice::WriteOnly);
    EXPECT_THROW(edit.Lines().SaveToStream(target), PlatformError);
}

TEST_F(Streams, SelectionModeReadsAndWritesOnlyTheSelection)
{
    edit.SetSelText(QStringLiteral("keep [old] keep"));
    edit.SetSelection(5, 10, false);
    edit.Lines().Mode = smSelection;
    edit.Lines().Format = sfPlainText;
    QByteArray out;
    QBuffer target(&out);
    target.open(QIODevice::WriteOnly);
    edit.Lines().SaveToStream(target);
    EXPECT_EQ(out, QByteArray("[old]"));

    QByteArray in("new\r\nlines");
    QBuffer source(&in);
    source.open(QIODevice::ReadOnly);
    edit.Lines().LoadFromStream(source);
    EXPECT_EQ(edit.Text(), QStringLiteral("keep new\nlines keep"));
    EXPECT_EQ(edit.SelStart(), 0);

    edit.Lines().Mode = smUnicode;
    out.clear();
    target.seek(0);
    edit.Lines().SaveToStream(target);
    EXPECT_EQ(out.left(6), QByteArray("k\0e\0e\0", 6));
}

namespace {

// Builds part of a document, then refuses the bytes.
class HalfwayCodec : public MarkerCodec {
public:
    bool Read(const QByteArray &, TRichDocumentBuilder &builder) override
    {
        ++reads;
        builder.AddText(QStringLiteral("partial"));
        builder.EndParagraph();
        return false;
    }
};

} // namespace

TEST_F(Streams, RichTextIsReadOnceAndBytesRefusedHalfwayLeaveTheControlAsItWas)
{
    edit.SetSelText(QStringLiteral("kept"));
    EXPECT_EQ(loadText("doc.rtf", "{\\rtfhello"), QStringLiteral("hello"));
    EXPECT_EQ(codec->reads, 1) << "the document was read more than once";
    EXPECT_FALSE(edit.Modified());
    EXPECT_FALSE(edit.CanUndo()); // a read is no step to undo
    EXPECT_TRUE(isBold(1));
    // the document read in is edited as the one before was: typed, undone, bold where it was
    edit.SetSelection(5, 5, false);
    edit.SetSelText(QStringLiteral(" more"));
    EXPECT_TRUE(edit.Modified());
    ASSERT_TRUE(edit.CanUndo());
    edit.Undo();
    EXPECT_EQ(edit.Text(), QStringLiteral("hello"));

    // a selection read goes in place of the selection, read once as well
    edit.SetSelection(1, 4, false);
    edit.Lines().Mode = smSelection;
    QByteArray in("{\\rtfEL");
    QBuffer source(&in);
    source.open(QIODevice::ReadOnly);
    edit.Lines().LoadFromStream(source);
    edit.Lines().Mode = {};
    EXPECT_EQ(edit.Text(), QStringLiteral("hELo"));
    EXPECT_EQ(codec->reads, 2);
    EXPECT_TRUE(isBold(2));

    // bytes a codec refuses after it has built part of them, and that are no text either, change nothing:
    // neither as a whole document nor in place of a selection
    auto halfway = std::make_shared<HalfwayCodec>();
    SetRichTextCodec(halfway);
    const QByteArray binary("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16);
    edit.SetSelection(0, 0, false);
    edit.SetSelText(QStringLiteral("kept "));
    for (const TRichStreamModes mode : {TRichStreamModes(), TRichStreamModes(smSelection)}) {
        edit.SetSelection(0, 4, false);
        edit.Lines().Mode = mode;
        edit.Lines().Format = sfRichText;
        QByteArray bytes = binary;
        QBuffer refused(&bytes);
        refused.open(QIODevice::ReadOnly);
        EXPECT_THROW(edit.Lines().LoadFromStream(refused), PlatformError);
        EXPECT_EQ(edit.Text(), QStringLiteral("kept hELo"));
        EXPECT_TRUE(edit.Modified());
        EXPECT_TRUE(edit.CanUndo());
    }
    EXPECT_EQ(halfway->reads, 2);
}

namespace {

// An RTF note of that many paragraphs, each a word in the font size given (half points).
QByteArray paragraphs(int count, int halfPoints = 24, const QByteArray &word = "line")
{
    QByteArray rtf = "{\\rtf1\\ansi\\fs" + QByteArray::number(halfPoints) + ' ';
    for (int i = 0; i < count; ++i)
        rtf += word + "\\par\n";
    return rtf + '}';
}

class ReadAside : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        edit.SetSelText(QStringLiteral("kept"));
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        testsupport::writeBytes(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    // The text, its modified flag and its undo history are those the control had before.
    void expectKept()
    {
        EXPECT_EQ(edit.Text(), QStringLiteral("kept"));
        EXPECT_TRUE(edit.Modified());
        EXPECT_TRUE(edit.CanUndo());
    }
    notestest::RtfCodecInstalled codec;
    QTemporaryDir dir;
    TMMRxRichEdit edit;
};

} // namespace

TEST_F(ReadAside, AReadStoppedByItsProgressRaisesAndChangesNothing)
{
    const QString rich = write(QStringLiteral("long.rtf"), paragraphs(20000));
    const QString plain = write(QStringLiteral("long.txt"), QByteArray(600000, 'x'));
    for (const QString &file : {rich, plain}) {
        int calls = 0;
        edit.Lines().OnProgress = [&](qint64 done, qint64 total) {
            ++calls;
            EXPECT_LT(done, total);
            return false;
        };
        EXPECT_THROW(edit.Lines().LoadFromFile(file), LoadCancelled) << file.toStdString();
        EXPECT_EQ(calls, 1) << "the read of " << file.toStdString() << " went on after it was stopped";
        expectKept();
    }

    // a read that goes on hears how far it is, to the end of the file
    qint64 last = -1, whole = 0;
    edit.Lines().OnProgress = [&](qint64 done, qint64 total) {
        EXPECT_GE(done, last);
        last = done;
        whole = total;
        return true;
    };
    edit.Lines().LoadFromFile(rich);
    EXPECT_EQ(edit.Lines().Count(), 20000);
    EXPECT_EQ(whole, QFileInfo(rich).size());
    EXPECT_GT(last, whole / 2);
}

TEST_F(ReadAside, ANoteTooTallToShowIsRefusedWithItsReason)
{
    // lines of 1,500-point text: thousands of them pass the height Qt can lay out
    const QString tall = write(QStringLiteral("tall.rtf"), paragraphs(8000, 3000, "x"));
    try {
        edit.Lines().LoadFromFile(tall);
        FAIL() << "a note too tall to show was read";
    } catch (const PlatformError &e) {
        EXPECT_TRUE(e.message().contains(u"tall.rtf")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"too long to show")) << e.message().toStdString();
    }
    expectKept();
    // a tenth of them are shown
    edit.Lines().LoadFromFile(write(QStringLiteral("short.rtf"), paragraphs(800, 3000, "x")));
    EXPECT_EQ(edit.Lines().Count(), 800);

    // one paragraph of large words is as tall as the lines it wraps into: refused when wrapped, shown on
    // one line when not
    edit.Clear();
    edit.SetSelText(QStringLiteral("kept"));
    const QString wide = write(QStringLiteral("wide.rtf"), paragraphs(1, 400, QByteArray("word ").repeated(20000)));
    EXPECT_THROW(edit.Lines().LoadFromFile(wide), PlatformError);
    expectKept();
    edit.SetWordWrap(false);
    edit.Lines().LoadFromFile(wide);
    EXPECT_EQ(edit.Lines().Count(), 1);
}
