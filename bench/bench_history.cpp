// links: brivo_platform
// History store at the scale of 50k visits: recording, the history tree's period listing, the
// address box's completion and deleting a period.
#include "platform/HistoryStore.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Visits = 50000;
const QDateTime Start(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);

// 50k visits over 100 days to 10k pages on 500 sites, one visit every ~3 minutes.
QString urlOf(int i)
{
    const int page = (i * 7919) % 10000;
    return QStringLiteral("https://site%1.example/path/%2?q=%3").arg(page % 500).arg(page).arg(page * 31);
}

QDateTime timeOf(int i)
{
    return Start.addSecs(qint64(i) * 172);
}

void fill(HistoryStore &store, int visits)
{
    for (int i = 0; i < visits; ++i)
        store.recordVisit(urlOf(i), QStringLiteral("Page title %1").arg(i), timeOf(i));
}

struct Filled {
    QTemporaryDir dir;
    std::unique_ptr<HistoryStore> store;
    Filled()
    {
        store = std::make_unique<HistoryStore>(dir.path() + QStringLiteral("/History.sqlite"));
        fill(*store, Visits);
    }
};

Filled &filled()
{
    static Filled f;
    return f;
}

void BM_RecordVisits(benchmark::State &state)
{
    const int visits = int(state.range(0));
    for (auto _ : state) {
        QTemporaryDir dir;
        HistoryStore store(dir.path() + QStringLiteral("/History.sqlite"));
        fill(store, visits);
        benchmark::DoNotOptimize(store.visitCount());
    }
    state.SetItemsProcessed(state.iterations() * visits);
}
BENCHMARK(BM_RecordVisits)->Arg(5000)->Arg(Visits)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PagesOfOneDay(benchmark::State &state)
{
    HistoryStore &store = *filled().store;
    int day = 0;
    for (auto _ : state) {
        const QDateTime from = Start.addDays(day++ % 100);
        benchmark::DoNotOptimize(store.pagesVisitedBetween(from, from.addDays(1)).size());
    }
}
BENCHMARK(BM_PagesOfOneDay)->Unit(benchmark::kMicrosecond);

void BM_PagesOfAllTime(benchmark::State &state)
{
    HistoryStore &store = *filled().store;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.pagesVisitedBetween(Start, Start.addYears(1)).size());
}
BENCHMARK(BM_PagesOfAllTime)->Unit(benchmark::kMillisecond);

void BM_Completion(benchmark::State &state)
{
    HistoryStore &store = *filled().store;
    const QStringList typed{QStringLiteral("site1"), QStringLiteral("https://site42.ex"), QStringLiteral("nomatch")};
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.completions(typed[i++ % typed.size()], 50).size());
}
BENCHMARK(BM_Completion)->Unit(benchmark::kMicrosecond);

void BM_DeleteOneDay(benchmark::State &state)
{
    HistoryStore &store = *filled().store;
    int day = 0;
    for (auto _ : state) {
        const QDateTime from = Start.addDays(day++ % 100);
        store.deleteVisitsBetween(from, from.addDays(1));
    }
}
BENCHMARK(BM_DeleteOneDay)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
