// links: brivo_notes Qt6::Widgets
// RTF reading and writing at scale: documents of 1 MB and 10 MB of CJK text (as \uN and as Shift-JIS
// bytes), with format changes, lists and pictures, read into a document and written back. The cost
// is to grow linearly with the size (compare the per-byte rates of the two sizes). readDenseRtf reads
// a document whose format changes every few words; rtf_whole_process.sh compares reading it as a
// whole process (bench_rtf --read) with unrtf.
// BRIVO_BENCH_FILE=<path> also reads and writes that file, so any RTF file can be measured. unrtf
// reading the same documents is the reference figure.
#include "notes/ParagraphNumbers.h"
#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"
#include "platform/CodePage.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <benchmark/benchmark.h>

namespace {

QByteArray pictureGroup()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "PNG");
    return "{\\pict\\pngblip\\picw16\\pich16\\picwgoal240\\pichgoal240 " + png.toHex() + "}";
}

// A document of about the given size: paragraphs of alternating runs, every tenth one bulleted,
// every fiftieth with a picture.
QByteArray cjkDocument(qsizetype bytes)
{
    const QString jp = QString::fromUtf16(u"\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8");
    QByteArray unicode;
    for (QChar c : jp)
        unicode += "\\u" + QByteArray::number(int(qint16(c.unicode()))) + "?";
    QByteArray sjis;
    for (char c : codepage::encode(jp, 932))
        sjis += "\\'" + QByteArray::number(uchar(c), 16);
    const QByteArray picture = pictureGroup();
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fprq1"
                     "\\fcharset128 MS Mincho;}{\\f2\\fcharset2 Symbol;}}{\\colortbl ;\\red200\\green0\\blue0;}\r\n";
    out.reserve(bytes + 4096);
    for (int p = 0; out.size() < bytes; ++p) {
        out += "\\pard";
        if (p % 10 == 0)
            out += "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li360";
        out += "\\f0\\fs20 Plain text, \\b bold \\b0\\f1 " + unicode + " {\\cf1\\i " + sjis + "} mixed with ASCII";
        if (p % 50 == 0)
            out += picture;
        out += "\\par\r\n";
    }
    out += "}";
    return out;
}

// A document of about the given size that changes its format every few words, as a word processor
// writes one: runs in four fonts and six colours, bold, italic and underline switched on and off,
// sizes, and Japanese as \uN codes. The same bytes every time (a fixed pseudo-random sequence).
QByteArray denseDocument(qsizetype bytes)
{
    static const char *const words[] = {"the",     "formatted", "runs",  "of",  "a",       "document", "with", "many",
                                        "changes", "between",   "words", "and", "colours", "in",       "each", "line"};
    const QString jp = QString::fromUtf16(u"\u65e5\u672c\u8a9e\u306e\u6587\u66f8\u3092\u8aad\u3080");
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                     "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fprq1\\fcharset0 Courier New;}"
                     "{\\f3\\fnil MS Mincho;}}{\\colortbl ;\\red200\\green0\\blue0;"
                     "\\red0\\green128\\blue0;\\red0\\green0\\blue255;\\red128\\green0\\blue128;"
                     "\\red96\\green96\\blue96;}\r\n\\viewkind4\\pard\\f0\\fs20 ";
    out.reserve(bytes + 1024);
    quint32 seed = 12345;
    auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto someWords = [&] {
        QByteArray w;
        for (quint32 i = 0, n = 1 + next(4); i < n; ++i)
            w += QByteArray(words[next(16)]) + ' ';
        return w;
    };
    auto japanese = [&] {
        QByteArray u;
        for (quint32 i = 0, n = 2 + next(6); i < n; ++i)
            u += "\\u" + QByteArray::number(int(qint16(jp[next(jp.size())].unicode()))) + "?";
        return u;
    };
    while (out.size() < bytes) {
        for (int run = 0; run < 12; ++run) {
            switch (next(6)) {
            case 0:
                out += "{\\f" + QByteArray::number(next(3)) + "\\fs" + QByteArray::number(16 + 2 * next(8)) + "\\cf" +
                       QByteArray::number(next(6)) + " " + someWords() + "}";
                break;
            case 1:
                out += "\\b " + someWords() + "\\b0 ";
                break;
            case 2:
                out += "{\\i\\ul " + someWords() + "}";
                break;
            case 3:
                out += "{\\f3\\cf" + QByteArray::number(1 + next(5)) + " " + japanese() + "}";
                break;
            case 4:
                out += "\\cf" + QByteArray::number(next(6)) + "\\i " + someWords() + "\\i0\\cf0 ";
                break;
            default:
                out += someWords();
                break;
            }
        }
        out += "\\par\r\n";
    }
    out += "}";
    return out;
}

std::unique_ptr<QTextDocument> read(const QByteArray &bytes)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    TRichDocumentBuilder builder(QTextCursor(doc.get()), richedit::StandardCharFormat());
    if (rtf::ReadDocument(bytes, builder))
        builder.Finish();
    return doc;
}

// Groups nested the given number of levels deep, each with a word of text, as a mail program's
// message nests them: the levels past the reader's limit are flattened, and the cost stays linear.
void readDeepRtf(benchmark::State &state)
{
    const auto levels = qsizetype(state.range(0));
    QByteArray bytes = "{\\rtf1\\ansi ";
    bytes.reserve(levels * 12 + 16);
    for (qsizetype i = 0; i < levels; ++i)
        bytes += "{\\b0 word ";
    bytes += QByteArray(levels, '}') + "}";
    for (auto _ : state) {
        auto doc = read(bytes);
        benchmark::DoNotOptimize(doc->characterCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// A list of many consecutive paragraphs, bulleted (kind 1) or numbered (kind 2), read into a document.
// Both grow linearly, numbered runs within twice the time of bulleted ones: the numbers are counted and
// drawn by whoever shows the document, not by a QTextList, which marks every paragraph of the list for
// layout again whenever one joins it (qtListReference below is that quadratic cost in Qt alone).
void readListRtf(benchmark::State &state)
{
    const auto count = qsizetype(state.range(0));
    const QByteArray kind = state.range(1) == 1 ? "\\pnlvlblt" : "\\pnlvlbody\\pndec";
    QByteArray bytes = "{\\rtf1\\ansi ";
    for (qsizetype i = 0; i < count; ++i)
        bytes += "{\\*\\pn" + kind + "}\\fi-360\\li720 item " + QByteArray::number(i) + "\\par\n";
    bytes += "}";
    for (auto _ : state) {
        auto doc = read(bytes);
        benchmark::DoNotOptimize(doc->characterCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// A list-table list of many paragraphs over three levels whose labels show the levels above
// ("I.b.iii)"), with a dash bullet every tenth paragraph, read, its labels counted and written again.
// Linear in the paragraphs: each label is made from the numbers its list has at that paragraph.
void levelListRtf(benchmark::State &state)
{
    const auto count = qsizetype(state.range(0));
    QByteArray bytes = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list"
                       "{\\listlevel\\levelnfc1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
                       "{\\listlevel\\levelnfc4{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}"
                       "{\\listlevel\\levelnfc2{\\leveltext\\'06\\'00.\\'01.\\'02);}{\\levelnumbers\\'01\\'03\\'05;}}"
                       "\\listid1}{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8211 ?;}}\\listid2}}"
                       "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}\n";
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArray list = i % 10 == 9 ? "\\ls2\\ilvl0" : "\\ls1\\ilvl" + QByteArray::number(i % 3);
        bytes += "\\pard" + list + "\\fi-360\\li720 item " + QByteArray::number(i) + "\\par\n";
    }
    bytes += "}";
    for (auto _ : state) {
        auto doc = read(bytes);
        richedit::TParagraphNumbers numbers(doc.get());
        benchmark::DoNotOptimize(numbers.LabelOf(doc->lastBlock()));
        const QByteArray out =
            rtf::WriteDocument(TRichDocumentSource(doc.get(), 0, -1, richedit::StandardCharFormat()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// Qt alone, for reference: paragraphs added to one numbered QTextList by QTextCursor::insertBlock.
void qtListReference(benchmark::State &state)
{
    const auto count = qsizetype(state.range(0));
    for (auto _ : state) {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDecimal);
        c.createList(lf);
        for (qsizetype i = 1; i < count; ++i)
            c.insertBlock();
        benchmark::DoNotOptimize(doc.blockCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void readRtf(benchmark::State &state)
{
    const QByteArray bytes = cjkDocument(state.range(0) << 20);
    for (auto _ : state) {
        auto doc = read(bytes);
        benchmark::DoNotOptimize(doc->characterCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The densely formatted document: a change of format every few words.
void readDenseRtf(benchmark::State &state)
{
    const QByteArray bytes = denseDocument(state.range(0) << 20);
    for (auto _ : state) {
        auto doc = read(bytes);
        benchmark::DoNotOptimize(doc->characterCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void writeRtf(benchmark::State &state)
{
    const auto doc = read(cjkDocument(state.range(0) << 20));
    qsizetype written = 0;
    for (auto _ : state) {
        const QByteArray out =
            rtf::WriteDocument(TRichDocumentSource(doc.get(), 0, -1, richedit::StandardCharFormat()));
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * written);
}

void readWriteFile(benchmark::State &state)
{
    QFile f(QString::fromLocal8Bit(qgetenv("BRIVO_BENCH_FILE")));
    if (!f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("set BRIVO_BENCH_FILE to a readable file");
        return;
    }
    const QByteArray bytes = f.readAll();
    for (auto _ : state) {
        auto doc = read(bytes);
        const QByteArray out =
            rtf::WriteDocument(TRichDocumentSource(doc.get(), 0, -1, richedit::StandardCharFormat()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The reference figure: unrtf (Debian's package) turning the same document into text, as a whole
// process per iteration.
void unrtfReference(benchmark::State &state)
{
    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (unrtf.isEmpty()) {
        state.SkipWithError("unrtf is not installed");
        return;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("document.rtf"));
    const QByteArray bytes = cjkDocument(state.range(0) << 20);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the document");
        return;
    }
    f.close();
    for (auto _ : state) {
        QProcess p;
        p.setWorkingDirectory(dir.path()); // unrtf writes the pictures it finds into its working folder
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(unrtf, {QStringLiteral("--text"), path});
        p.waitForFinished(-1);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(unrtfReference)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readRtf)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(readDenseRtf)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(readDeepRtf)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(readListRtf)
    ->Args({5000, 1})
    ->Args({10000, 1})
    ->Args({20000, 1})
    ->Args({5000, 2})
    ->Args({10000, 2})
    ->Args({20000, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(levelListRtf)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(qtListReference)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(writeRtf)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(readWriteFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // for the whole-process comparison (rtf_whole_process.sh): "--write-dense <MiB> <file>" writes the
    // densely formatted document, "--read <file>" reads a file into a document once and ends
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--write-dense")) {
        QFile f(args[3]);
        const QByteArray bytes = denseDocument(args[2].toLongLong() << 20);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() ? 0 : 1;
    }
    if (args.size() == 3 && args[1] == QLatin1String("--read")) {
        QFile f(args[2]);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const auto doc = read(f.readAll());
        return doc->characterCount() > 1 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
