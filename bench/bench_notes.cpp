// links: brivo_notes Qt6::Widgets Qt6::PrintSupport
// Notes frame costs at scale: opening a rich-text note of N paragraphs into a new tab, Replace All
// over N matches, and printing a note of N pages to a PDF. Each runs at two sizes ten times apart,
// so the figures show whether the cost grows with the work and no faster.
#include "notes/MGRichEditFramePrev.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/RtfCodec.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "bench_notes";
    static char *argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    InstallRtfCodec();
    return app;
}

// A rich-text note of that many paragraphs, each with a bold word.
QByteArray rtfNote(int paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "Paragraph " + QByteArray::number(i) + " with {\\b bold} words and a cat or two, cat.\\par\n";
    return rtf + "}";
}

void openNote(benchmark::State &state)
{
    application();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtfNote(int(state.range(0)))) < 0) {
        state.SkipWithError("cannot write the note");
        return;
    }
    file.close();
    TMGRichEditFramePrev frame;
    for (auto _ : state) {
        if (!frame.OpenFile(path)) {
            state.SkipWithError("the note did not open");
            return;
        }
        state.PauseTiming();
        frame.CloseDocument(frame.PageControl->currentIndex());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void replaceAll(benchmark::State &state)
{
    application();
    const int matches = int(state.range(0));
    QString text;
    for (int i = 0; i < matches / 2; ++i)
        text += QStringLiteral("A cat sat by another cat near line %1.\n").arg(i);
    TMMRxRichEditPrev edit;
    for (auto _ : state) {
        state.PauseTiming();
        edit.Lines().SetTextStr(text);
        edit.SetSelection(0, 0, false);
        TRichEditReplaceDialog *dialog = edit.ReplaceDialog(QStringLiteral("cat"), QStringLiteral("dog"));
        dialog->SetOptions(frDown | frWholeWord);
        state.ResumeTiming();
        dialog->ClickReplaceAll();
    }
    if (edit.Text().contains(QStringLiteral(" cat ")))
        state.SkipWithError("a match was left");
    state.SetItemsProcessed(state.iterations() * matches);
}

void printNote(benchmark::State &state)
{
    application();
    const int pages = int(state.range(0));
    QStringList lines;
    // about 60 lines of 10 points fill an A4 page inside 15 mm margins
    for (int i = 0; i < pages * 60; ++i)
        lines.append(QStringLiteral("Line %1 of a long note, with enough words to look like text.").arg(i));
    TMMRxRichEditPrev edit;
    edit.SetLines(lines);
    edit.SelectAllText();
    edit.SelAttributes().SetSize(10);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("note.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    for (auto _ : state)
        edit.PrintWithMargins(printer, QStringLiteral("note"), 1100, 1100, 1100, 100);
    state.counters["bytes"] = double(QFile(dir.filePath(QStringLiteral("note.pdf"))).size());
    state.SetItemsProcessed(state.iterations() * pages);
}

} // namespace

BENCHMARK(openNote)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(replaceAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(printNote)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
