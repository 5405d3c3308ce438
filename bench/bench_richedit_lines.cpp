// links: brivo_notes Qt6::Widgets
// Line queries of the rich-edit control in a shown note of many paragraphs, a tenth of them wrapped
// over several lines: the caret's line and column (what the notes frame's caret panel asks at each
// key), at the end of the note, and after a letter typed and taken back at its end or at its top.
#include "bench/QtBenchmarkMain.h"
#include "notes/MMRxRichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A shown editor holding count paragraphs, laid out to the end.
void fill(TMMRxRichEdit &edit, int count)
{
    edit.resize(640, 480);
    QStringList lines;
    const QString wrapped = QStringLiteral("a paragraph long enough to wrap over several lines ").repeated(6);
    for (int i = 0; i < count; ++i)
        lines.append(i % 10 == 0 ? wrapped + QString::number(i) : QStringLiteral("paragraph %1").arg(i));
    edit.SetLines(lines);
    edit.show();
    QTextDocument *doc = edit.document();
    doc->documentLayout()->blockBoundingRect(doc->lastBlock());
}

// The caret's line and column at the end of the note, nothing changed in between.
void caretAtTheEnd(benchmark::State &state)
{
    TMMRxRichEdit edit;
    fill(edit, int(state.range(0)));
    edit.SetSelection(edit.TextLength(), edit.TextLength(), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(edit.GetCaretPos());
}

// A letter typed at a place of the note and taken back, the caret's line and column asked after each.
void typeAndTakeBack(benchmark::State &state, bool atTheEnd)
{
    TMMRxRichEdit edit;
    fill(edit, int(state.range(0)));
    const int at = atTheEnd ? edit.TextLength() : 0;
    for (auto _ : state) {
        edit.SetSelection(at, at, false);
        edit.SetSelText(QStringLiteral("x"));
        edit.SetSelection(at + 1, at + 1, false);
        benchmark::DoNotOptimize(edit.GetCaretPos());
        edit.SetSelection(at, at + 1, false);
        edit.SetSelText(QString());
        benchmark::DoNotOptimize(edit.GetCaretPos());
    }
}

void typeAtTheEnd(benchmark::State &state)
{
    typeAndTakeBack(state, true);
}

void typeAtTheTop(benchmark::State &state)
{
    typeAndTakeBack(state, false);
}

} // namespace

BENCHMARK(caretAtTheEnd)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(typeAtTheEnd)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(typeAtTheTop)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);

BRIVO_QT_BENCHMARK_MAIN()
