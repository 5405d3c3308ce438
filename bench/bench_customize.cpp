// links: brivo_mainwindow Qt6::Widgets
// Large name-value lists in the links and search-engine dialog: the check an apply runs over every
// row (trimmed, unstorable or repeated names), and the settings object writing the applied list to
// its section. Both should grow linearly with the rows.
#include "mainwindow/CustomizeDialog.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// n distinct links with short addresses; 100k of them stay well under the settings file's size limit.
QStringList makeLinks(int n)
{
    QStringList lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i)
        lines.append(QStringLiteral("Link %1=https://l.example/%1").arg(i));
    return lines;
}

void BM_CustomizeApply(benchmark::State &state)
{
    const QStringList lines = makeLinks(int(state.range(0)));
    TfrmCustomizeDialog dialog(nullptr);
    int applied = 0;
    dialog.OnApply = [&](QDialog *) { ++applied; };
    for (auto _ : state) {
        state.PauseTiming();
        dialog.SetStrings(lines);
        // one edit makes the apply pending
        dialog.ValueListEditor->model()->setData(dialog.ValueListEditor->model()->index(0, 1),
                                                 QStringLiteral(" https://first.example/ "));
        state.ResumeTiming();
        dialog.actApply->trigger();
    }
    if (applied != int(state.iterations()))
        state.SkipWithError("an apply was refused");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CustomizeApply)
    ->Arg(20000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_SaveLinks(benchmark::State &state)
{
    const QStringList lines = makeLinks(int(state.range(0)));
    QTemporaryDir dir;
    TBrivoIni ini(dir.path() + QStringLiteral("/brivo.ini"));
    for (auto _ : state)
        ini.SetLinks(lines);
    if (ini.Links.size() != lines.size())
        state.SkipWithError("the links were not kept");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveLinks)
    ->Arg(20000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
