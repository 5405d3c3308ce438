// links: brivo_explorerbar Qt6::Widgets Qt6::Test
// Favorites tree costs over a favorites folder of n shortcuts in n/20 folders (10k in 500 at the
// top): listing the favorites folder, listing every folder, and one change made by another program
// until the tree shows it (which includes the watcher's batch delay). The reported complexity should
// be linear.
#include "explorerbar/FavoriteTreeViews.h"
#include "platform/FileChangeNotifiers.h"
#include "platform/PlatformStore.h"
#include "settings/CommonUtils.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

QTemporaryDir *g_root = nullptr;

// The favorites folder of n shortcuts, made once per size.
QString favoritesOf(int n)
{
    static std::map<int, QString> made;
    auto it = made.find(n);
    if (it != made.end())
        return it->second;
    const QString folder = g_root->path() + QStringLiteral("/fav%1").arg(n);
    for (int i = 0; i < n; ++i) {
        const QString sub = folder + QStringLiteral("/Folder %1").arg(i / 20);
        if (i % 20 == 0)
            QDir().mkpath(sub);
        WriteInternetShortcut(sub + QStringLiteral("/Page %1 \u65e5\u672c.url").arg(i),
                              QStringLiteral("https://example.org/%1?a=1").arg(i));
    }
    made.emplace(n, folder);
    return folder;
}

std::unique_ptr<TFavoriteTreeView> treeOver(const QString &folder)
{
    platformstore::writeString(Hive::CurrentUser,
                               QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
                               QStringLiteral("Favorites"), folder);
    return std::make_unique<TFavoriteTreeView>();
}

void fillAll(TFavoriteTreeView &tree)
{
    tree.RefreshIfIdle();
    for (TExplorerNode *node : tree.ChildrenOf(nullptr))
        tree.FillNode(static_cast<TFavoriteNode *>(node));
}

void BM_FillTop(benchmark::State &state)
{
    auto tree = treeOver(favoritesOf(int(state.range(0))));
    for (auto _ : state) {
        tree->RefreshIfIdle();
        benchmark::DoNotOptimize(tree->topLevelItemCount());
    }
    state.SetComplexityN(state.range(0));
}

void BM_FillEveryFolder(benchmark::State &state)
{
    auto tree = treeOver(favoritesOf(int(state.range(0))));
    for (auto _ : state) {
        fillAll(*tree);
        benchmark::DoNotOptimize(tree->NodeCount());
    }
    state.counters["nodes"] = tree->NodeCount();
    state.SetComplexityN(state.range(0));
}

// Another program adds a shortcut; timed until the refreshed tree lists it.
void BM_OutsideChangeShown(benchmark::State &state)
{
    const QString folder = favoritesOf(int(state.range(0)));
    auto tree = treeOver(folder);
    tree->SetAutoRefresh(true);
    tree->Loaded();
    int round = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("Added %1").arg(round++);
        QElapsedTimer timer;
        timer.start();
        WriteInternetShortcut(folder + u'/' + name + QStringLiteral(".url"), QStringLiteral("https://added/"));
        while (tree->findItems(name, Qt::MatchExactly).isEmpty() && timer.elapsed() < 10000)
            QTest::qWait(1);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QFile::remove(folder + u'/' + name + QStringLiteral(".url"));
        QTest::qWait(3 * TFileChangeNotifier::BatchDelayMs); // the removal's refresh, untimed
    }
    state.counters["batch_delay_ms"] = TFileChangeNotifier::BatchDelayMs;
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_FillTop)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_FillEveryFolder)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_OutsideChangeShown)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    g_root = &root;
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + QStringLiteral("/config")));
    QApplication app(argc, argv);
    platformstore::setFolder(root.path() + QStringLiteral("/registry"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
