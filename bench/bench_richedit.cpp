// links: brivo_notes Qt6::Widgets
// Rich-edit engine costs at scale: plain-text notes of 1 MB and 10 MB of CJK text loaded and saved
// through the control's streams, and a formatted document built run by run and walked back (what
// the rich-text reader and writer do). BRIVO_BENCH_FILE=<path> also measures loading that file.
#include "notes/MMRxRichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

QByteArray cjkText(qsizetype bytes)
{
    const QString line = QString::fromUtf16(u"\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8 mixed with ASCII words, "
                                            u"\u4e2d\u6587\u5b57\u7b26\u3002\r\n");
    const QByteArray unit = line.toUtf8();
    QByteArray out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes)
        out += unit;
    return out;
}

void loadPlain(benchmark::State &state)
{
    const QByteArray bytes = cjkText(state.range(0) << 20);
    TMMRxRichEdit edit;
    edit.Lines().Format = sfPlainText;
    for (auto _ : state) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        edit.Lines().LoadFromStream(buffer);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void savePlain(benchmark::State &state)
{
    const QByteArray bytes = cjkText(state.range(0) << 20);
    TMMRxRichEdit edit;
    edit.Lines().Format = sfPlainText;
    QByteArray data = bytes;
    QBuffer source(&data);
    source.open(QIODevice::ReadOnly);
    edit.Lines().LoadFromStream(source);
    for (auto _ : state) {
        QByteArray out;
        QBuffer target(&out);
        target.open(QIODevice::WriteOnly);
        edit.Lines().SaveToStream(target);
        benchmark::DoNotOptimize(out.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

struct Counter : TRichDocumentVisitor {
    qsizetype chars = 0;
    int paragraphs = 0;
    void BeginParagraph(const TRichParaFormat &) override { ++paragraphs; }
    void Text(QStringView t, const TRichCharFormat &) override { chars += t.size(); }
    void Object(const TRichObject &, const TRichCharFormat &) override { ++chars; }
    void EndParagraph(bool) override {}
};

// Paragraphs of alternating runs (plain, bold, coloured CJK), as a rich-text reader builds them.
void buildAndWalkRuns(benchmark::State &state)
{
    const int paragraphs = int(state.range(0));
    const QString word = QString::fromUtf16(u"\u65e5\u672c\u8a9e text ");
    for (auto _ : state) {
        QTextDocument doc;
        TRichDocumentBuilder b(QTextCursor(&doc), richedit::StandardCharFormat());
        TRichCharFormat bold, colour;
        bold.Mask = richedit::CFM_BOLD;
        bold.Effects = richedit::CFE_BOLD;
        colour.Mask = richedit::CFM_COLOR | richedit::CFM_CHARSET;
        colour.TextColor = qRgb(200, 0, 0);
        colour.Charset = 128;
        for (int p = 0; p < paragraphs; ++p) {
            for (int r = 0; r < 6; ++r) {
                b.SetCharFormat(r % 3 == 0 ? richedit::StandardCharFormat() : r % 3 == 1 ? bold : colour);
                b.AddText(word);
            }
            b.EndParagraph();
        }
        b.Finish();
        Counter c;
        TRichDocumentSource(&doc, 0, -1, richedit::StandardCharFormat()).Visit(c);
        benchmark::DoNotOptimize(c.chars);
    }
    state.SetItemsProcessed(state.iterations() * paragraphs * 6);
}

void loadFile(benchmark::State &state)
{
    QFile f(QString::fromLocal8Bit(qgetenv("BRIVO_BENCH_FILE")));
    if (!f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("set BRIVO_BENCH_FILE to a readable file");
        return;
    }
    const QByteArray bytes = f.readAll();
    TMMRxRichEdit edit;
    for (auto _ : state) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        try {
            edit.Lines().LoadFromStream(buffer);
        } catch (...) {
            state.SkipWithError("the file could not be read");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// A note whose one paragraph is the given number of thousand letters without a space or any other
// place to break the line, opened as plain text (kind 0) or as rich text (kind 1) in a shown editor and
// laid out to its end, as opening it on screen does. The cost is to grow linearly with the length.
void openLongLine(benchmark::State &state)
{
    const auto length = qsizetype(state.range(0)) * 1000;
    const bool rich = state.range(1) == 1;
    QByteArray letters(length, 'a');
    for (qsizetype i = 0; i < length; ++i)
        letters[i] = char('a' + i % 26);
    const QByteArray bytes = rich ? "{\\rtf1\\ansi " + letters + "}" : letters;
    TMMRxRichEdit edit;
    edit.resize(640, 480);
    edit.show();
    edit.Lines().Format = rich ? sfRichText : sfPlainText;
    for (auto _ : state) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        edit.Lines().LoadFromStream(buffer);
        QTextDocument *doc = edit.document();
        benchmark::DoNotOptimize(doc->documentLayout()->blockBoundingRect(doc->lastBlock()));
    }
    state.SetItemsProcessed(state.iterations() * length);
}

// Rich text of groups nested the given number of thousand levels deep, each with a word and no space
// between the words (at a million levels, a 12 MB file of one run of 4 million letters), opened in a
// shown editor and laid out to its end. The cost is to grow linearly with the levels.
void openDeepRtf(benchmark::State &state)
{
    const auto levels = qsizetype(state.range(0)) * 1000;
    QByteArray bytes = "{\\rtf1\\ansi ";
    bytes.reserve(levels * 11 + 16);
    for (qsizetype i = 0; i < levels; ++i)
        bytes += "{\\b0 word";
    bytes += QByteArray(levels, '}') + "}";
    TMMRxRichEdit edit;
    edit.resize(640, 480);
    edit.show();
    edit.Lines().Format = sfRichText;
    for (auto _ : state) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        edit.Lines().LoadFromStream(buffer);
        QTextDocument *doc = edit.document();
        benchmark::DoNotOptimize(doc->documentLayout()->blockBoundingRect(doc->lastBlock()));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

// The given numbering turned on, then off, for a selection of many paragraphs.
static void toggleNumbering(benchmark::State &state, TNumberingStyle numbering)
{
    const auto count = int(state.range(0));
    TMMRxRichEdit edit;
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral("paragraph %1").arg(i));
    edit.SetLines(lines);
    edit.SelectAllText();
    for (auto _ : state) {
        edit.Paragraph().SetNumbering(numbering);
        edit.Paragraph().SetNumbering(nsNone);
    }
    state.SetItemsProcessed(state.iterations() * count * 2);
}

// Bullets (compare the rates of the sizes: the cost is to grow linearly).
void bulletParagraphs(benchmark::State &state)
{
    toggleNumbering(state, nsBullet);
}

// Numbers: linear too, and within twice the time of bullets (no QTextList holds them; see readListRtf
// and qtListReference in bench_rtf).
void numberParagraphs(benchmark::State &state)
{
    toggleNumbering(state, nsArabic);
}

// A shown editor holding many bulleted or numbered paragraphs, scrolled to its end: a letter typed at
// the top, then the view drawn again. The numbers below the change are counted again once, in time
// proportional to the paragraphs before the view; drawing stays near the cost of bullets.
static void typeAboveList(benchmark::State &state, TNumberingStyle numbering)
{
    const auto count = int(state.range(0));
    TMMRxRichEdit edit;
    edit.resize(640, 480);
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral("paragraph %1").arg(i));
    edit.SetLines(lines);
    edit.SelectAllText();
    edit.Paragraph().SetNumbering(numbering);
    edit.show();
    QTextDocument *doc = edit.document();
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
    edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    for (auto _ : state) {
        edit.SetSelection(0, 0, false);
        edit.SetSelText(QStringLiteral("x"));
        edit.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void typeAboveBullets(benchmark::State &state)
{
    typeAboveList(state, nsBullet);
}

void typeAboveNumbers(benchmark::State &state)
{
    typeAboveList(state, nsArabic);
}

BENCHMARK(loadPlain)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(savePlain)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(buildAndWalkRuns)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(bulletParagraphs)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(numberParagraphs)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(typeAboveBullets)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(typeAboveNumbers)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(openLongLine)
    ->Args({500, 0})
    ->Args({1000, 0})
    ->Args({2000, 0})
    ->Args({2000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(openDeepRtf)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(loadFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
