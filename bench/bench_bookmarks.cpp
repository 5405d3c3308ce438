// links: brivo_explorerbar Qt6::Widgets
// Bookmark file costs: writing and reading lists of 1k, 10k and 100k items, and a 20 MB file whose
// items carry long icon attributes; loading flat lists of 50k, 200k and 1M top-level bookmarks into
// the bookmark tree (file read, nodes built, sorted and shown). The reported complexity should be
// linear.
// "--file=PATH" also measures reading (and writing back) that bookmark file.
#include "explorerbar/BookmarkFiles.h"
#include "explorerbar/BookmarkTreeViews.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A list of n items: folders of twenty bookmarks, nested three deep in turn, with CJK and markup.
bookmarkfile::Document makeList(int n)
{
    bookmarkfile::Document doc;
    doc.caption = QStringLiteral("Benchmark list");
    doc.items.reserve(n);
    for (int i = 0; i < n; ++i) {
        bookmarkfile::Item item;
        if (i % 21 == 0) {
            item.level = (i / 21) % 3;
            item.kind = bookmarkfile::KindFolder;
            item.title = QStringLiteral("Folder %1 & friends").arg(i);
        } else {
            item.level = (i / 21) % 3 + 1;
            item.kind = bookmarkfile::KindBookmark;
            item.title = QStringLiteral("Page %1 \u65e5\u672c\u8a9e <b>").arg(i);
            item.url = QStringLiteral("https://example.org/path/%1?a=1&b=2").arg(i);
            item.lastVisit = 1700000000 + i;
            item.lastModified = 1700000000 + i;
        }
        item.addDate = 1600000000 + i;
        doc.items.append(item);
    }
    return doc;
}

// The layout of a current export: every bookmark with ICON_URI and a data: icon of ~2 KB.
QByteArray makeIconFile(qsizetype targetBytes)
{
    const QByteArray icon = "data:image/png;base64," + QByteArray(2000, 'A');
    QByteArray out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                     "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; out.size() < targetBytes; ++i) {
        out += "    <DT><A HREF=\"https://example.org/" + QByteArray::number(i) +
               "\" ADD_DATE=\"1685118888\" "
               "LAST_MODIFIED=\"1685118888\" ICON_URI=\"https://example.org/favicon.ico\" ICON=\"" +
               icon + "\">Item " + QByteArray::number(i) + "</A>\n";
    }
    out += "</DL>\n";
    return out;
}

void BM_Write(benchmark::State &state)
{
    const bookmarkfile::Document doc = makeList(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray out = bookmarkfile::write(doc);
        bytes = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}

// Reads the file once per iteration; the complexity argument is the benchmark's own.
void readLoop(benchmark::State &state, const QByteArray &file)
{
    for (auto _ : state) {
        bookmarkfile::Document doc;
        if (!bookmarkfile::parse(file, 1252, &doc))
            state.SkipWithError("the file did not read");
        benchmark::DoNotOptimize(doc.items.size());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * file.size());
}

void BM_Read(benchmark::State &state)
{
    readLoop(state, bookmarkfile::write(makeList(int(state.range(0)))));
}

void BM_ReadIconFile(benchmark::State &state)
{
    readLoop(state, makeIconFile(state.range(0) * 1024 * 1024));
}

void BM_ReadGivenFile(benchmark::State &state, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot open the file");
        return;
    }
    const QByteArray file = f.readAll();
    qsizetype items = 0;
    for (auto _ : state) {
        bookmarkfile::Document doc;
        QString error;
        if (!bookmarkfile::parse(file, 1252, &doc, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        items = doc.items.size();
        benchmark::DoNotOptimize(bookmarkfile::write(doc).size());
    }
    state.counters["items"] = double(items);
    state.SetBytesProcessed(int64_t(state.iterations()) * file.size());
}

// A flat list of n top-level bookmarks, as a file, loaded into a shown tree.
void BM_LoadFlatTree(benchmark::State &state)
{
    const int n = int(state.range(0));
    bookmarkfile::Document doc;
    doc.caption = QStringLiteral("Flat");
    doc.items.reserve(n);
    for (int i = 0; i < n; ++i) {
        bookmarkfile::Item item;
        item.kind = bookmarkfile::KindBookmark;
        // titles out of order, so the sort has work to do
        item.title = QStringLiteral("Page %1").arg((i * 7919) % n);
        item.url = QStringLiteral("https://example.org/%1").arg(i);
        doc.items.append(std::move(item));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flat.htm"));
    if (!bookmarkfile::save(path, doc)) {
        state.SkipWithError("cannot write the list");
        return;
    }
    TBookmarkTreeView tree;
    tree.SetLegacyCodePage(1252);
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        if (!tree.LoadFromFile(path))
            state.SkipWithError("the list did not load");
        QApplication::processEvents(); // the first paint after the load
        benchmark::DoNotOptimize(tree.topLevelItemCount());
        state.PauseTiming();
        tree.LoadFromFile(QString()); // emptied outside the measure
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_LoadFlatTree)
    ->Arg(50000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Write)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadIconFile)->Arg(5)->Arg(10)->Arg(20)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--file=", 7) == 0) {
            const QString path = QString::fromLocal8Bit(argv[i] + 7);
            benchmark::RegisterBenchmark("BM_ReadGivenFile", BM_ReadGivenFile, path)->Unit(benchmark::kMillisecond);
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
