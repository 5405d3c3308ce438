// RTF files read through the codec: the project's own small files (tests/fixtures/rtf) and, when the
// shared fixtures are beside the source tree, real files written by WordPad, Word, LibreOffice, macOS
// TextEdit and test suites. Each reads with its expected text (for the shared files, what LibreOffice
// extracts where the two formats agree), and with its fonts, colours, paragraph formats, lists and
// pictures. Then the control opening and saving files through the codec.
#include "notes/RtfCodec.h"

#include "RtfTestSupport.h"
#include "common/TestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "notes/RtfSymbolFonts.h"
#include "notes/RtfTokenizer.h"
#include "platform/CodePage.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextList>
#include <gtest/gtest.h>

using namespace richedit;
using namespace rtftest;

namespace {

// Text as lines to compare: blanks of every kind as one space, no blanks at either end, table cells
// on lines of their own, list numbers and bullets dropped, no empty lines at the end.
QStringList normalised(QString text, bool expected)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!expected) {
        // a table row's cells are separated by tabs; a tab at the start of a line is a blank
        static const QRegularExpression cellBreak(QStringLiteral("(?<=[^\\s])\\t"));
        text.replace(cellBreak, QStringLiteral("\n"));
    }
    static const QRegularExpression listMarker(QStringLiteral("^(\\d+\\.|[\\x{2022}\\x{2013}\\x{25E6}\\-])\\s+"));
    QStringList lines;
    for (QString line : text.split(u'\n')) {
        QString s;
        bool blank = false;
        for (QChar c : line) {
            if (c.isSpace() || c.category() == QChar::Separator_Space) {
                blank = true;
                continue;
            }
            if (blank && !s.isEmpty())
                s += u' ';
            blank = false;
            s += c;
        }
        if (expected)
            s.remove(listMarker);
        lines.append(s);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Lines equal, a U+FFFD in the expected text standing for any one character (LibreOffice's answer
// for a byte its font's character set does not define).
bool sameLines(const QStringList &expected, const QStringList &actual)
{
    if (expected.size() != actual.size())
        return false;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString &e = expected[i], &a = actual[i];
        if (e.size() != a.size())
            return false;
        for (qsizetype k = 0; k < e.size(); ++k) {
            if (e[k] != a[k] && e[k] != QChar::ReplacementCharacter)
                return false;
        }
    }
    return true;
}

// Every "NAME.rtf" of the folder with a "NAME.expected.txt" beside it reads with that text; answers
// how many were compared.
int expectEveryFileReadsWithItsExpectedText(const QDir &dir)
{
    int compared = 0;
    for (const QString &file : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name)) {
        const QString expectedPath =
            dir.filePath(QString(file).replace(QStringLiteral(".rtf"), QStringLiteral(".expected.txt")));
        if (!QFile::exists(expectedPath))
            continue;
        bool ok = false;
        auto doc = Read(testsupport::readBytes(dir.filePath(file)), &ok);
        EXPECT_TRUE(ok) << file.toStdString();
        const QStringList expected = normalised(QString::fromUtf8(testsupport::readBytes(expectedPath)), true);
        const QStringList actual = normalised(TextOf(doc.get()), false);
        EXPECT_TRUE(sameLines(expected, actual)) << file.toStdString() << "\nexpected:\n"
                                                 << expected.join(u'\n').toStdString() << "\nactual:\n"
                                                 << actual.join(u'\n').toStdString();
        ++compared;
    }
    return compared;
}

// A list paragraph's label as its writer put it before the paragraph ({\listtext 7)\tab}): the group's
// text up to its tab, each run of bytes decoded in the font it stands in (a Symbol or Wingdings font's
// codes as the characters they show, any other by its character set or the document's code page).
struct Font {
    QString Name;
    int Charset = 0;
};

// The font table's entries by number, and the document's code page, read from the bytes alone.
QHash<int, Font> fontTable(const QByteArray &rtf, int &codePage)
{
    QHash<int, Font> fonts;
    codePage = 1252;
    rtf::Tokenizer tokens(rtf);
    int depth = 0, tableDepth = -1, entry = -1;
    for (rtf::Token t = tokens.Next(); t.Type != rtf::TokenType::End; t = tokens.Next()) {
        if (t.Type == rtf::TokenType::GroupStart || t.Type == rtf::TokenType::GroupEnd) {
            depth += t.Type == rtf::TokenType::GroupStart ? 1 : -1;
            if (depth < tableDepth)
                tableDepth = -1;
        } else if (t.is("ansicpg") && t.HasParam) {
            codePage = t.Param;
        } else if (t.is("fonttbl")) {
            tableDepth = depth;
        } else if (tableDepth >= 0 && t.is("f") && t.HasParam) {
            entry = t.Param;
            fonts[entry] = Font{};
        } else if (tableDepth >= 0 && t.is("fcharset") && t.HasParam && entry >= 0) {
            fonts[entry].Charset = t.Param;
        } else if (tableDepth >= 0 && t.Type == rtf::TokenType::Text && entry >= 0 && depth == tableDepth + 1) {
            fonts[entry].Name += QString::fromLatin1(t.Data).section(u';', 0, 0);
        }
    }
    for (Font &f : fonts)
        f.Name = f.Name.trimmed();
    return fonts;
}

QString decoded(const QByteArray &bytes, const Font *font, int codePage)
{
    const rtf::SymbolFont symbols = font ? rtf::SymbolFontOf(font->Name, font->Charset) : rtf::SymbolFont::None;
    if (symbols == rtf::SymbolFont::Symbol || symbols == rtf::SymbolFont::Wingdings) {
        QString s;
        for (char b : bytes)
            s += QString::fromUcs4(std::array<char32_t, 1>{rtf::SymbolCharacter(symbols, uchar(b))}.data(), 1);
        return s;
    }
    bool ok = false;
    const int own = font ? codepage::fromCharset(font->Charset) : 0;
    if (own) {
        const QString s = codepage::decode(bytes, own, &ok);
        if (ok)
            return s;
    }
    return codepage::decode(bytes, codePage);
}

QStringList writersLabels(const QByteArray &rtf)
{
    int codePage = 1252;
    const QHash<int, Font> fonts = fontTable(rtf, codePage);
    QStringList labels;
    rtf::Tokenizer tokens(rtf);
    bool groupStarted = false;
    for (rtf::Token t = tokens.Next(); t.Type != rtf::TokenType::End; t = tokens.Next()) {
        const bool label = groupStarted && t.is("listtext");
        groupStarted = t.Type == rtf::TokenType::GroupStart;
        if (!label)
            continue;
        QString text;
        QByteArray bytes;
        const Font *font = nullptr;
        int depth = 1;
        int skip = 0;
        auto flush = [&] {
            text += decoded(bytes, font, codePage);
            bytes.clear();
        };
        for (t = tokens.Next(); depth > 0 && t.Type != rtf::TokenType::End && !t.is("tab"); t = tokens.Next()) {
            if (t.Type == rtf::TokenType::GroupStart || t.Type == rtf::TokenType::GroupEnd) {
                depth += t.Type == rtf::TokenType::GroupStart ? 1 : -1;
            } else if (t.Type == rtf::TokenType::Text) {
                bytes += t.Data.sliced(std::min<qsizetype>(skip, t.Data.size()));
                skip = 0;
            } else if (t.Type == rtf::TokenType::HexByte) {
                if (skip == 0)
                    bytes += char(t.Byte);
                skip = 0;
            } else if (t.is("u") && t.HasParam) {
                flush();
                text += QChar(char16_t(t.Param & 0xFFFF));
                skip = 1;
            } else if (t.is("f") && t.HasParam) {
                flush();
                const auto it = fonts.constFind(t.Param);
                font = it == fonts.cend() ? nullptr : &*it;
            }
        }
        flush();
        labels.append(text.trimmed());
    }
    return labels;
}

// A label the writer wrote as a private-use code without its font (LibreOffice writes a Symbol or
// Wingdings bullet so) agrees with the character that code shows in either font.
bool sameLabel(const QString &theirs, const QString &ours)
{
    if (theirs == ours)
        return true;
    if (theirs.size() != 1 || theirs[0].unicode() < 0xF020 || theirs[0].unicode() > 0xF0FF)
        return false;
    for (rtf::SymbolFont font : {rtf::SymbolFont::Symbol, rtf::SymbolFont::Wingdings}) {
        const char32_t c = rtf::SymbolCharacter(font, theirs[0].unicode() - 0xF000);
        if (c && ours == QString::fromUcs4(&c, 1))
            return true;
    }
    return false;
}

// The labels this reader shows before the list paragraphs of a document, in order: a round bullet as
// U+2022.
QStringList shownLabels(QTextDocument *doc)
{
    QStringList labels;
    TParagraphNumbers numbers(doc);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const int numbering = NumberingOf(b.blockFormat());
        if (numbering == 0)
            continue;
        const QString label = numbers.LabelOf(b);
        labels.append(label.isEmpty() && !IsCounted(numbering) ? QStringLiteral("\u2022") : label);
    }
    return labels;
}

struct LabelCount {
    int Files = 0;
    int Labels = 0; // the writers' labels
    int Agreeing = 0;
};

// For every file of the folder that holds its writer's list labels: the labels shown agree with them,
// one by one.
LabelCount expectTheWritersLabels(const QDir &dir)
{
    LabelCount count;
    for (const QString &file : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name)) {
        const QByteArray bytes = testsupport::readBytes(dir.filePath(file));
        const QStringList theirs = writersLabels(bytes);
        if (theirs.isEmpty())
            continue;
        auto doc = Read(bytes);
        const QStringList ours = shownLabels(doc.get());
        ++count.Files;
        count.Labels += int(theirs.size());
        int agreeing = 0;
        for (qsizetype i = 0; i < std::min(theirs.size(), ours.size()); ++i)
            agreeing += sameLabel(theirs[i], ours[i]) ? 1 : 0;
        count.Agreeing += agreeing;
        EXPECT_EQ(agreeing, theirs.size()) << file.toStdString() << "\ntheirs: " << theirs.join(u' ').toStdString()
                                           << "\nours:   " << ours.join(u' ').toStdString();
        EXPECT_EQ(ours.size(), theirs.size()) << file.toStdString();
    }
    return count;
}

class RtfFixtureTest : public ::testing::Test {
protected:
    void SetUp() override { InstallRtfCodec(); }
    void TearDown() override { SetRichTextCodec(nullptr); }

    // A file of tests/fixtures/rtf, or of the shared fixtures' rtf folder.
    static Model own(const QString &name) { return modelOf(testsupport::ownFixture(QStringLiteral("rtf/") + name)); }
    static Model shared(const QString &name) { return modelOf(testsupport::fixture(QStringLiteral("rtf/") + name)); }

private:
    static Model modelOf(const QString &path)
    {
        const QByteArray bytes = testsupport::readBytes(path);
        EXPECT_FALSE(bytes.isEmpty()) << path.toStdString();
        bool ok = false;
        auto doc = Read(bytes, &ok);
        EXPECT_TRUE(ok) << path.toStdString();
        return ModelOf(doc.get());
    }
};

TEST_F(RtfFixtureTest, OwnFilesReadWithTheirExpectedText)
{
    EXPECT_EQ(expectEveryFileReadsWithItsExpectedText(QDir(testsupport::ownFixture(QStringLiteral("rtf")))), 5);
}

TEST_F(RtfFixtureTest, SharedFilesReadWithTheTextLibreOfficeFinds)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    const QDir dir(testsupport::fixture(QStringLiteral("rtf")));
    ASSERT_GE(dir.entryList({QStringLiteral("*.rtf")}, QDir::Files).size(), 15);
    EXPECT_GE(expectEveryFileReadsWithItsExpectedText(dir), 14);
}

} // namespace

namespace {

const Paragraph *paragraphWith(const Model &m, const QString &text)
{
    for (const Paragraph &p : m)
        for (const rtftest::Run &r : p.Runs)
            if (r.Text.contains(text))
                return &p;
    return nullptr;
}

const rtftest::Run *runWith(const Model &m, const QString &text)
{
    for (const Paragraph &p : m)
        for (const rtftest::Run &r : p.Runs)
            if (r.Text.contains(text))
                return &r;
    return nullptr;
}

// A decimal list after a heading paragraph that is no list, then a bullet list, as LibreOffice
// writes them: each item in Times New Roman with its number in \listtext at \li720\fi-360.
void expectListsAndIndents(const Model &m)
{
    const Paragraph *one = paragraphWith(m, QStringLiteral("one"));
    const Paragraph *first = paragraphWith(m, QStringLiteral("first"));
    const Paragraph *heading = paragraphWith(m, QStringLiteral("A short ordered list:"));
    ASSERT_TRUE(one && first && heading);
    EXPECT_EQ(one->Format.Numbering, 2); // decimal numbers from the list table
    EXPECT_EQ(first->Format.Numbering, PFN_BULLET);
    EXPECT_EQ(heading->Format.Numbering, 0);
    // the first line (with its number) at 360, the others at 720
    EXPECT_EQ(one->Format.StartIndent, 360);
    EXPECT_EQ(one->Format.Offset, 360);
    EXPECT_EQ(one->Runs.size(), 1u); // \listtext is not part of the text
    EXPECT_EQ(runWith(m, QStringLiteral("one"))->Format.FaceName, QStringLiteral("Times New Roman"));
}

TEST_F(RtfFixtureTest, ListsShowTheLabelsTheirWritersShowed)
{
    const LabelCount own = expectTheWritersLabels(QFileInfo(testsupport::ownFixture(QStringLiteral("rtf"))).filePath());
    std::printf("labels shown as their writers showed them: %d of %d in %d own files\n", own.Agreeing, own.Labels,
                own.Files);
    EXPECT_GE(own.Files, 3);
    if (!testsupport::sharedFixturesPresent())
        GTEST_SKIP() << "the shared fixtures are not there: only our own files were compared";
    const LabelCount shared = expectTheWritersLabels(QFileInfo(testsupport::fixture(QStringLiteral("rtf"))).filePath());
    std::printf("labels shown as their writers showed them: %d of %d in %d shared files\n", shared.Agreeing,
                shared.Labels, shared.Files);
    EXPECT_GE(shared.Files, 1);
}

TEST_F(RtfFixtureTest, ListsReadWithTheirNumberingAndIndents)
{
    expectListsAndIndents(own(QStringLiteral("lists.rtf")));
}

TEST_F(RtfFixtureTest, WhatLibreOfficeWritesReadsWithItsListsAndIndents)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    expectListsAndIndents(shared(QStringLiteral("tika_testRTFListLibreOffice.rtf")));
}

// "Hello" in Century at 10.5 points, justified, then "こんにちは" in a Japanese font of code page 932.
void expectJapaneseInCp932(const Model &m)
{
    const rtftest::Run *jp = runWith(m, QString::fromUtf16(u"\u3053\u3093\u306b\u3061\u306f"));
    const rtftest::Run *hello = runWith(m, QStringLiteral("Hello"));
    ASSERT_TRUE(jp && hello);
    EXPECT_EQ(jp->Format.FaceName, QString::fromUtf16(u"\uff2d\uff33 \u660e\u671d"));
    EXPECT_EQ(jp->Format.Charset, 128);
    EXPECT_EQ(hello->Format.FaceName, QStringLiteral("Century"));
    EXPECT_EQ(hello->Format.Height, 210);
    EXPECT_EQ(paragraphWith(m, QStringLiteral("Hello"))->Format.Alignment, PFA_JUSTIFY);
}

TEST_F(RtfFixtureTest, FontsColoursAndParagraphFormatsAreKept)
{
    expectJapaneseInCp932(own(QStringLiteral("japanese-cp932.rtf")));
    {
        const Model m = own(QStringLiteral("faces-colours-tabs.rtf"));
        const rtftest::Run *color = runWith(m, QStringLiteral("color "));
        const rtftest::Run *red = runWith(m, QStringLiteral("red"));
        const rtftest::Run *bold = runWith(m, QStringLiteral("bold&italics"));
        ASSERT_TRUE(color && red && bold);
        EXPECT_EQ(color->Format.TextColor & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_FALSE(color->Format.effect(CFE_AUTOCOLOR));
        EXPECT_EQ(red->Format.TextColor & 0xFFFFFF, 0xC80A14u);
        EXPECT_TRUE(runWith(m, QStringLiteral("no color"))->Format.effect(CFE_AUTOCOLOR));
        EXPECT_EQ(bold->Format.FaceName, QStringLiteral("Helvetica-BoldOblique"));
        EXPECT_TRUE(bold->Format.effect(CFE_BOLD) && bold->Format.effect(CFE_ITALIC));
        EXPECT_FALSE(runWith(m, QStringLiteral("plain again"))->Format.effect(CFE_BOLD));
        EXPECT_EQ(paragraphWith(m, QStringLiteral("Normal text"))->Format.Tabs.size(), 12);
    }
    {
        const Model m = own(QStringLiteral("polish-cp1250.rtf"));
        const Paragraph *p = paragraphWith(m, QString::fromUtf16(u"Za\u017c\u00f3\u0142\u0107"));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Format.SpaceAfter, 200);
        EXPECT_EQ(p->Format.LineSpacingRule, LINESPACING_MULTIPLE); // \sl276\slmult1: 1.15 lines
        EXPECT_EQ(p->Format.LineSpacing, 23);
        EXPECT_EQ(p->Runs.front().Format.Charset, 238);
    }
    {
        // the object of a \bin picture shows a placeholder of its stated size, scaled
        const Model m = own(QStringLiteral("object-bin.rtf"));
        const rtftest::Run *object = runWith(m, QString(QChar(ObjectChar)));
        ASSERT_TRUE(object);
        EXPECT_EQ(object->Object.ObjectKind, TRichObject::Object);
        EXPECT_EQ(object->Object.Width, 3600);
        EXPECT_EQ(object->Object.Height, 1800);
        EXPECT_EQ(object->Object.ScaleX, 55);
        EXPECT_EQ(object->Object.ScaleY, 56);
        EXPECT_TRUE(runWith(m, QStringLiteral(" after")));
    }
}

TEST_F(RtfFixtureTest, SharedFilesKeepTheirFontsColoursAndParagraphFormats)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    expectJapaneseInCp932(shared(QStringLiteral("tika_testRTF-ms932.rtf")));
    {
        const Model m = shared(QStringLiteral("rtfpipe_os_x_text_edit_faces_mixed.rtf"));
        const rtftest::Run *color = runWith(m, QStringLiteral("color "));
        ASSERT_TRUE(color);
        EXPECT_EQ(color->Format.TextColor & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_FALSE(color->Format.effect(CFE_AUTOCOLOR));
        EXPECT_TRUE(runWith(m, QStringLiteral("no color"))->Format.effect(CFE_AUTOCOLOR));
        const rtftest::Run *bold = runWith(m, QStringLiteral("bold&italics"));
        EXPECT_EQ(bold->Format.FaceName, QStringLiteral("Helvetica-BoldOblique"));
        EXPECT_TRUE(bold->Format.effect(CFE_BOLD) && bold->Format.effect(CFE_ITALIC));
        EXPECT_EQ(paragraphWith(m, QStringLiteral("Normal text"))->Format.Tabs.size(), 12);
    }
    {
        const Model m = shared(QStringLiteral("tika_testRTFWordPadCzechCharacters.rtf"));
        const Paragraph *p = paragraphWith(m, QStringLiteral("Svitky"));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Format.SpaceAfter, 200);
        EXPECT_EQ(p->Format.LineSpacingRule, LINESPACING_MULTIPLE); // \sl276\slmult1: 1.15 lines
        EXPECT_EQ(p->Format.LineSpacing, 23);
        EXPECT_EQ(runWith(m, QStringLiteral("Svitky"))->Format.Charset, 238);
    }
    {
        // the object of a \bin picture shows a placeholder of its stated size, scaled
        const Model m = shared(QStringLiteral("tika_testBinControlWord.rtf"));
        const rtftest::Run *object = runWith(m, QString(QChar(ObjectChar)));
        ASSERT_TRUE(object);
        EXPECT_EQ(object->Object.ObjectKind, TRichObject::Object);
        EXPECT_EQ(object->Object.Width, 3600);
        EXPECT_EQ(object->Object.ScaleX, 55);
        EXPECT_EQ(object->Object.ScaleY, 56);
    }
}

class RtfCodecTest : public ::testing::Test {
protected:
    void SetUp() override { InstallRtfCodec(); }
    void TearDown() override { SetRichTextCodec(nullptr); }
};

TEST_F(RtfCodecTest, TheControlOpensAndSavesRtfFilesThroughTheCodec)
{
    QTemporaryDir dir;
    TMMRxRichEdit edit;
    edit.Lines().LoadFromFile(testsupport::ownFixture(QStringLiteral("rtf/japanese-cp932.rtf")));
    EXPECT_TRUE(edit.Text().startsWith(QString::fromUtf16(u"Hello\n\u3053\u3093\u306b\u3061\u306f\nTest")));
    const QString path = dir.filePath(QStringLiteral("copy.rtf"));
    edit.Lines().SaveToFile(path);
    const QByteArray saved = testsupport::readBytes(path);
    EXPECT_TRUE(saved.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl"));
    TMMRxRichEdit other;
    other.Lines().LoadFromFile(path);
    EXPECT_EQ(other.Text(), edit.Text());
    // a file that is no RTF is read as plain text
    const QString fake = dir.filePath(QStringLiteral("fake.rtf"));
    testsupport::writeBytes(fake, "just {text}");
    other.Lines().LoadFromFile(fake);
    EXPECT_EQ(other.Text(), QStringLiteral("just {text}"));
}

TEST_F(RtfCodecTest, SelectionModeWritesOnlyTheSelection)
{
    TMMRxRichEdit edit;
    edit.Lines().LoadFromFile(testsupport::ownFixture(QStringLiteral("rtf/polish-cp1250.rtf")));
    edit.SetSelection(2, 6, false);
    edit.Lines().Format = sfRichText;
    edit.Lines().Mode = smSelection;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    edit.Lines().SaveToStream(out);
    auto doc = Read(out.data());
    EXPECT_EQ(TextOf(doc.get()), QString::fromUtf16(u"\u017c\u00f3\u0142\u0107"));
}

} // namespace

TEST_F(RtfCodecTest, NumberedParagraphsKeepTheirKindThroughSaveAndLoad)
{
    QTemporaryDir dir;
    TMMRxRichEdit edit;
    edit.SetLines({"first", "second", "third", "plain"});
    edit.SetSelection(0, 12, false); // the first two paragraphs
    edit.Paragraph().SetNumbering(nsLcRoman);
    EXPECT_EQ(edit.Paragraph().Numbering(), nsLcRoman);
    edit.SetSelection(13, 13, false);
    edit.Paragraph().SetNumbering(nsArabic);
    const QString path = dir.filePath(QStringLiteral("numbers.rtf"));
    edit.Lines().SaveToFile(path);

    TMMRxRichEdit other;
    other.Lines().LoadFromFile(path);
    const struct {
        int position;
        TNumberingStyle numbering;
    } expected[] = {{0, nsLcRoman}, {6, nsLcRoman}, {13, nsArabic}, {19, nsNone}};
    for (const auto &e : expected) {
        other.SetSelection(e.position, e.position, false);
        EXPECT_EQ(other.Paragraph().Numbering(), e.numbering) << e.position;
    }
    richedit::TParagraphNumbers numbers(other.document());
    EXPECT_EQ(numbers.LabelOf(other.document()->findBlockByNumber(1)), "ii.");
    EXPECT_EQ(numbers.LabelOf(other.document()->findBlockByNumber(2)), "1.");
}
