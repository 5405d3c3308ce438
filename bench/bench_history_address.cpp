// links: brivo_browser Qt6::Widgets SQLite::SQLite3
// What the window waits for when the history is awkward: one keystroke in the address box (with the
// suggestions it opens drawn) while the history holds an address of 1.9 MB, as a store written before
// addresses were bounded may; and recording a visit while another program holds the history file's
// write lock. Neither should take longer than a frame or two.
#include "browser/UrlComboBoxes.h"
#include "platform/HistoryStore.h"
#include "platform/PlatformStore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QTemporaryDir *g_root = nullptr;

const QDateTime When(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

QString storePath(const char *name)
{
    return g_root->path() + u'/' + QLatin1String(name) + QStringLiteral("/History.sqlite");
}

// Puts a row straight into the file, past the store's own bounds.
void insertPage(const QString &path, const QString &url)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO pages(url, title, last_visit, visit_count, site) "
                       "VALUES(?1, 'Long', 0, 5, '127.0.0.1')",
                       -1, &insert, nullptr);
    const QByteArray utf8 = url.toUtf8();
    sqlite3_bind_text(insert, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

void BM_KeystrokeBesideAHugeAddress(benchmark::State &state)
{
    const QString path = storePath("huge");
    {
        HistoryStore made(path);
        for (int i = 0; i < 20; ++i)
            made.recordVisit(QStringLiteral("http://127.0.0.1:8765/page%1.html").arg(i), QStringLiteral("Page"), When);
    }
    insertPage(path, QStringLiteral("http://127.0.0.1:8765/long.html?") + QString(qsizetype(1900) * 1024, u'a'));
    HistoryStore::setSharedPath(path);
    {
        TUrlComboBox box;
        box.SaveUrl = false;
        box.resize(600, 30);
        box.show();
        QApplication::setActiveWindow(&box);
        box.setFocus();
        QApplication::processEvents();
        for (auto _ : state) {
            box.setEditText(QStringLiteral("127.0.0.1:8765/"));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::NoModifier, QStringLiteral("l"));
            QCoreApplication::sendEvent(box.lineEdit(), &press);
            // the suggestions are laid out and drawn before the next key is read
            box.UrlCompleter()->popup()->repaint();
            QApplication::processEvents();
            benchmark::DoNotOptimize(box.UrlCompleter()->popup()->model()->rowCount());
        }
        box.UrlCompleter()->popup()->hide();
    }
    HistoryStore::setSharedPath(QString());
}
BENCHMARK(BM_KeystrokeBesideAHugeAddress)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RecordVisitWhileTheFileIsHeld(benchmark::State &state)
{
    const QString path = storePath("held");
    HistoryStore store(path);
    store.recordVisit(QStringLiteral("https://a.example/"), QStringLiteral("A"), When);
    sqlite3 *other = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &other);
    sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            store.recordVisit(QStringLiteral("https://b.example/%1").arg(i++), QStringLiteral("B"), When));
    sqlite3_close_v2(other);
}
BENCHMARK(BM_RecordVisitWhileTheFileIsHeld)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir root;
    g_root = &root;
    platformstore::setFolder(root.path() + QStringLiteral("/registry"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_root = nullptr;
    return 0;
}
