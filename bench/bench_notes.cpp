// links: brivo_notes Qt6::Widgets Qt6::PrintSupport
// Notes frame costs at scale: opening a rich-text note of N paragraphs into a new tab, pasting a note
// of N paragraphs into a shown note (what comes in is measured first), Replace All over N matches, and
// printing a note of N pages to a PDF. Each runs at sizes far apart, so the figures show whether the
// cost grows with the work and no faster.
#include "bench/QtBenchmarkMain.h"
#include "notes/MGRichEditFramePrev.h"
#include "notes/MMRxRichEditPrev.h"
#include "notes/RtfCodec.h"
#include "notes/ShownHeight.h"
#include "platform/DialogRunner.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

// The application main made, with the RTF codec (an application made here went after the platform's
// objects at exit, and the program crashed there).
void application()
{
    InstallRtfCodec();
}

// A rich-text note of that many paragraphs, each with a bold word.
QByteArray rtfNote(int paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "Paragraph " + QByteArray::number(i) + " with {\\b bold} words and a cat or two, cat.\\par\n";
    return rtf + "}";
}

// Opens the note into a new tab of a shown frame, as often as the state asks, until the window has
// laid all of it out: what the opening leaves for later is part of its cost. A note too tall to be
// shown is refused with a message, which is taken down at once and named in the label.
void openShown(benchmark::State &state, const QByteArray &note)
{
    application();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(note) < 0) {
        state.SkipWithError("cannot write the note");
        return;
    }
    file.close();
    state.counters["bytes"] = double(note.size());
    QString refused;
    const dialogrunner::ScopedRunner answer([&](QDialog &d) {
        if (auto *box = qobject_cast<QMessageBox *>(&d))
            refused = box->text();
        return int(QDialog::Rejected);
    });
    TMGRichEditFramePrev frame;
    frame.resize(800, 600);
    frame.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!frame.OpenFile(path)) {
            if (refused.isEmpty()) {
                state.SkipWithError("the note did not open");
                return;
            }
            state.SetLabel(refused.section(u'.', -2).trimmed().toStdString());
            continue;
        }
        QCoreApplication::processEvents();
        frame.ActiveEditor()->document()->documentLayout()->documentSize();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (frame.ActiveEditor()->document()->blockCount() < state.range(0))
            state.SkipWithError("paragraphs were lost");
        frame.CloseDocument(frame.PageControl->currentIndex());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Opening a note of N paragraphs of text with a bold word each (60,000 make 3.8 MB).
void openNote(benchmark::State &state)
{
    openShown(state, rtfNote(int(state.range(0))));
}

// A note of that many empty paragraphs: four bytes each, the most paragraphs a file of its size holds.
QByteArray emptyParagraphs(int paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    rtf.reserve(rtf.size() + qsizetype(paragraphs) * 4 + 1);
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\par";
    return rtf + "}";
}

// Opening a note of N empty paragraphs, at 100k, 300k and 1M paragraphs: the cost per paragraph should
// not grow with N. A million are too many to be shown at their size and are refused.
void openEmptyParagraphs(benchmark::State &state)
{
    openShown(state, emptyParagraphs(int(state.range(0))));
}

// A pasted note's paragraphs: one line each in the window.
QString pastedText(int paragraphs)
{
    QString text;
    text.reserve(qsizetype(paragraphs) * 40);
    for (int i = 0; i < paragraphs; ++i)
        text += QStringLiteral("Paragraph %1 of the pasted note.\n").arg(i);
    return text;
}

// Pastes what the clipboard holds into an empty shown note, as often as the state asks, until the note
// is laid out whole. The paste is measured before it goes in; a paste refused is an error here.
void pasteShown(benchmark::State &state, const std::function<QMimeData *()> &data)
{
    application();
    TMMRxRichEditPrev edit;
    edit.resize(800, 600);
    edit.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        edit.Clear();
        QApplication::clipboard()->setMimeData(data());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        edit.PasteFromClipboard();
        edit.document()->documentLayout()->documentSize();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (edit.document()->blockCount() < state.range(0))
            state.SkipWithError("the paste did not go in");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Pasting N paragraphs of plain text.
void pastePlain(benchmark::State &state)
{
    const QString text = pastedText(int(state.range(0)));
    pasteShown(state, [&] {
        auto *data = new QMimeData;
        data->setText(text);
        return data;
    });
}

// Pasting N paragraphs of rich text, each with a bold word.
void pasteRich(benchmark::State &state)
{
    const QByteArray rtf = rtfNote(int(state.range(0)));
    pasteShown(state, [&] {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("text/rtf"), rtf);
        return data;
    });
}

// What the paste of N paragraphs of plain text costs to measure, alone: the height they would add.
void measurePlain(benchmark::State &state)
{
    application();
    const QString text = pastedText(int(state.range(0)));
    TMMRxRichEditPrev edit;
    edit.resize(800, 600);
    for (auto _ : state) {
        const std::unique_ptr<richedit::TShownHeight> measure = edit.MeasureIncoming();
        measure->AddText(text, QTextCharFormat(), QTextBlockFormat());
        benchmark::DoNotOptimize(edit.HeightWith(0, 0, *measure));
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

BENCHMARK(openNote)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(openEmptyParagraphs)->Arg(100000)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(pastePlain)->Arg(30000)->Arg(300000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(pasteRich)->Arg(30000)->Arg(300000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(measurePlain)->Arg(30000)->Arg(300000)->Unit(benchmark::kMillisecond);
BENCHMARK(replaceAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(printNote)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BRIVO_QT_BENCHMARK_MAIN();
