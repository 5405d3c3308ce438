// links: brivo_explorerbar Qt6::Widgets SQLite::SQLite3
// The history tree and the address box's completion over stores of 10k, 100k and 1M visits (five
// weeks of visits to n/5 pages on 1000 sites): listing the periods, listing the sites of one day,
// listing the pages of one site, and completion lookups (short, long and missing prefixes). The tree's
// costs should grow at most linearly with the visits of the period listed; completion should not grow
// with the store.
#include "explorerbar/HistoryTreeViews.h"
#include "platform/HistoryStore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

const QDateTime Now(QDate(2026, 3, 18), QTime(18, 0));
constexpr int Days = 35;

QTemporaryDir *g_root = nullptr;

// A store of n visits, written in one transaction straight into the store's tables.
HistoryStore &storeOf(int n)
{
    static std::map<int, std::unique_ptr<HistoryStore>> made;
    auto it = made.find(n);
    if (it != made.end())
        return *it->second;
    const QString path = g_root->filePath(QStringLiteral("History%1.sqlite").arg(n));
    {
        HistoryStore schema(path);
    }
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *page = nullptr;
    sqlite3_stmt *visit = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO pages(id, url, title, last_visit, visit_count) VALUES(?1, ?2, ?3, 0, 0)", -1,
                       &page, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO visits(page_id, time, title) VALUES(?1, ?2, '')", -1, &visit, nullptr);
    const int pages = std::max(1, n / 5);
    for (int p = 0; p < pages; ++p) {
        const QByteArray url = QStringLiteral("https://www.site%1.example/path/%2").arg(p % 1000).arg(p).toUtf8();
        const QByteArray title = QStringLiteral("Page %1 of site %2").arg(p).arg(p % 1000).toUtf8();
        sqlite3_bind_int(page, 1, p + 1);
        sqlite3_bind_text(page, 2, url.constData(), int(url.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(page, 3, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_step(page);
        sqlite3_reset(page);
    }
    const qint64 start = Now.toMSecsSinceEpoch() - qint64(Days) * 86400000;
    const qint64 step = qint64(Days) * 86400000 / n;
    for (int v = 0; v < n; ++v) {
        sqlite3_bind_int(visit, 1, int((qint64(v) * 7919) % pages) + 1);
        sqlite3_bind_int64(visit, 2, start + v * step);
        sqlite3_step(visit);
        sqlite3_reset(visit);
    }
    sqlite3_finalize(page);
    sqlite3_finalize(visit);
    sqlite3_exec(db,
                 "UPDATE pages SET visit_count = (SELECT COUNT(*) FROM visits WHERE page_id = pages.id), "
                 "last_visit = (SELECT MAX(time) FROM visits WHERE page_id = pages.id); COMMIT; ANALYZE;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return *made.emplace(n, std::make_unique<HistoryStore>(path)).first->second;
}

std::unique_ptr<THistoryTreeView> treeOver(HistoryStore &store)
{
    auto tree = std::make_unique<THistoryTreeView>(nullptr, &store);
    tree->SetClock([] { return Now; });
    return tree;
}

void BM_ListPeriods(benchmark::State &state)
{
    auto tree = treeOver(storeOf(int(state.range(0))));
    for (auto _ : state) {
        tree->Loaded();
        benchmark::DoNotOptimize(tree->topLevelItemCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListPeriods)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ListSitesOfToday(benchmark::State &state)
{
    auto tree = treeOver(storeOf(int(state.range(0))));
    tree->Loaded();
    auto *today = static_cast<THistoryNode *>(tree->topLevelItem(tree->topLevelItemCount() - 1));
    for (auto _ : state) {
        tree->FillNode(today);
        benchmark::DoNotOptimize(today->childCount());
    }
    state.counters["sites"] = today->childCount();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListSitesOfToday)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ListPagesOfOneSite(benchmark::State &state)
{
    auto tree = treeOver(storeOf(int(state.range(0))));
    tree->Loaded();
    auto *today = static_cast<THistoryNode *>(tree->topLevelItem(tree->topLevelItemCount() - 1));
    tree->FillNode(today);
    auto *site = static_cast<THistoryNode *>(today->child(0));
    for (auto _ : state) {
        tree->FillNode(site);
        benchmark::DoNotOptimize(site->childCount());
    }
    state.counters["pages"] = site->childCount();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListPagesOfOneSite)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();

// What is typed: a short prefix matching every page, eleven sites, one page and its neighbours, nothing.
const char *const Typed[] = {"s", "site42", "https://www.site7.example/path/7", "nomatch"};

void BM_Completion(benchmark::State &state)
{
    HistoryStore &store = storeOf(int(state.range(1)));
    const QString typed = QString::fromLatin1(Typed[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.completions(typed, 20).size());
    state.SetLabel(Typed[state.range(0)]);
}
BENCHMARK(BM_Completion)->ArgsProduct({{0, 1, 2, 3}, {10000, 100000, 1000000}})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_root = nullptr;
    return 0;
}
