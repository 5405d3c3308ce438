// The history store: visits recorded and read back, internal pages left out, completion, deletion,
// a file held by another program or damaged while in use.
#include "platform/HistoryStore.h"

#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/PlatformStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

QDateTime at(int day, int hour = 12)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, 0), Qt::UTC);
}

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString dbPath() const { return dir.path() + QStringLiteral("/h/History.sqlite"); }
    QTemporaryDir dir;
    // the store's messages to the user
    QStringList told;
    const dialogrunner::ScopedRunner runner{testsupport::answeringMessageBoxes([this](const QString &text, auto, auto) {
        told << text;
        return int(messageboxes::IdOK);
    })};
};

// Another program's connection to a store file, holding its write lock while it lives.
class WriteLock {
public:
    explicit WriteLock(const QString &path)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &m_db);
        m_held = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock() { release(); }
    WriteLock(const WriteLock &) = delete;
    WriteLock &operator=(const WriteLock &) = delete;
    bool held() const { return m_held; }
    void release()
    {
        if (m_db)
            sqlite3_close_v2(m_db); // an open transaction is rolled back
        m_db = nullptr;
        m_held = false;
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_held = false;
};

// A file-size limit on the process while it lives, its writes past the limit failing as the program's
// do (the signal such a write raises is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limited = m_before;
        limited.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_before{};
    void (*m_handler)(int) = nullptr;
    bool m_set = false;
};

} // namespace

TEST_F(HistoryStoreTest, VisitsAreRecordedAndSurviveReopening)
{
    {
        HistoryStore store(dbPath());
        ASSERT_TRUE(store.isOpen()) << store.errorString().toStdString();
        EXPECT_TRUE(store.recordVisit("https://example.org/", "Example", at(1)));
        EXPECT_TRUE(store.recordVisit("https://example.org/", "", at(2)));
        EXPECT_TRUE(store.recordVisit("file:///home/u/page.html", "Local page", at(3)));
        EXPECT_TRUE(store.recordVisit("https://example.org/", "Example, renamed", at(4)));
    }
    HistoryStore store(dbPath());
    EXPECT_EQ(store.pageCount(), 2);
    EXPECT_EQ(store.visitCount(), 4);
    const HistoryPage page = store.page("https://example.org/");
    EXPECT_EQ(page.title, "Example, renamed"); // the newest non-empty title
    EXPECT_EQ(page.visitCount, 3);
    EXPECT_EQ(page.lastVisit, at(4));
    EXPECT_TRUE(store.page("https://missing/").url.isEmpty());

    const QList<HistoryPage> pages = store.pagesVisitedBetween(at(1), at(5));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].url, "https://example.org/");
    EXPECT_EQ(pages[1].url, "file:///home/u/page.html");
    // a page belongs to the period of its newest visit
    EXPECT_TRUE(store.pagesVisitedBetween(at(1), at(3)).isEmpty());

    const QList<HistoryVisit> visits = store.visitsBetween(at(2), at(4));
    ASSERT_EQ(visits.size(), 2);
    EXPECT_EQ(visits[0].url, "file:///home/u/page.html");
    EXPECT_EQ(visits[0].time, at(3));
    EXPECT_EQ(visits[1].title, "");
}

TEST_F(HistoryStoreTest, InternalPagesAreNotHistory)
{
    HistoryStore store(dbPath());
    for (const char *url : {"about:blank", "ABOUT:blank", "  about:blank", "data:text/html,<p>x",
                            "view-source:https://example.org/", "javascript:void(0)", "JavaScript:alert(1)", ""}) {
        EXPECT_FALSE(HistoryStore::isRecordable(url)) << url;
        EXPECT_FALSE(store.recordVisit(url, "t", at(1))) << url;
    }
    for (const char *url :
         {"https://example.org/about:blank", "http://data.example/", "file:///tmp/a.html", "ftp://example.org/"})
        EXPECT_TRUE(HistoryStore::isRecordable(url)) << url;
    EXPECT_EQ(store.pageCount(), 0);
    EXPECT_EQ(store.visitCount(), 0);
}

TEST_F(HistoryStoreTest, ValuesAreBoundNeverPastedIntoStatements)
{
    HistoryStore store(dbPath());
    const QString url = QStringLiteral("https://example.org/?q=a'b\";DROP TABLE pages;--");
    const QString title = QString::fromUtf16(u"It's \u65e5\u672c '); DELETE FROM visits; --");
    ASSERT_TRUE(store.recordVisit(url, title, at(1)));
    EXPECT_EQ(store.page(url).title, title);
    EXPECT_EQ(store.pageCount(), 1);
    EXPECT_EQ(store.visitCount(), 1);
}

TEST_F(HistoryStoreTest, CompletionMatchesWithOrWithoutSchemeAndWww)
{
    HistoryStore store(dbPath());
    store.recordVisit("https://www.example.org/", "", at(1));
    store.recordVisit("http://example.com/a", "", at(2));
    store.recordVisit("http://example.com/a", "", at(3));
    store.recordVisit("https://other.example/example", "", at(4));
    store.recordVisit("https://ex_ample.net/", "", at(5));
    store.recordVisit("https://exXample.net/", "", at(5));

    EXPECT_EQ(store.completions("exa", 10), QStringList({"http://example.com/a", "https://www.example.org/"}));
    EXPECT_EQ(store.completions("EXAMPLE.ORG", 10), QStringList({"https://www.example.org/"}));
    EXPECT_EQ(store.completions("https://www.ex", 10), QStringList({"https://www.example.org/"}));
    EXPECT_EQ(store.completions("exa", 1), QStringList({"http://example.com/a"}));
    // "_" and "%" are plain characters
    EXPECT_EQ(store.completions("ex_", 10), QStringList({"https://ex_ample.net/"}));
    EXPECT_TRUE(store.completions("%", 10).isEmpty());
    EXPECT_TRUE(store.completions("", 10).isEmpty());
}

TEST_F(HistoryStoreTest, DeletingPagesAndPeriods)
{
    HistoryStore store(dbPath());
    store.recordVisit("https://a/", "A", at(1));
    store.recordVisit("https://a/", "A", at(10));
    store.recordVisit("https://b/", "B", at(10));
    store.recordVisit("https://c/", "C", at(20));

    ASSERT_TRUE(store.deleteVisitsBetween(at(5), at(15)));
    EXPECT_EQ(store.pageCount(), 2); // b had no other visit
    const HistoryPage a = store.page("https://a/");
    EXPECT_EQ(a.visitCount, 1);
    EXPECT_EQ(a.lastVisit, at(1));
    EXPECT_EQ(store.page("https://c/").visitCount, 1);

    ASSERT_TRUE(store.deleteUrl("https://a/"));
    EXPECT_TRUE(store.page("https://a/").url.isEmpty());
    EXPECT_EQ(store.visitCount(), 1);

    ASSERT_TRUE(store.clear());
    EXPECT_EQ(store.pageCount(), 0);
    EXPECT_EQ(store.visitCount(), 0);
}

TEST_F(HistoryStoreTest, ACorruptStoreIsSetAsideWholeAndANewOneBegins)
{
    const QString path = dir.path() + QStringLiteral("/bad.sqlite");
    const QByteArray garbage(4096, 'x');
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
        QFile aside(path + QStringLiteral(".corrupt")); // an earlier one is never overwritten
        ASSERT_TRUE(aside.open(QIODevice::WriteOnly));
        aside.write("old");
    }
    HistoryStore store(path);
    ASSERT_TRUE(store.isOpen()) << qPrintable(store.errorString());
    EXPECT_EQ(store.setAsidePath(), path + QStringLiteral(".corrupt-2"));
    QFile kept(store.setAsidePath());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    EXPECT_EQ(store.pageCount(), 0);
    EXPECT_TRUE(store.recordVisit("https://a/", "A", at(1)));
    // a sound store is opened as it is
    EXPECT_TRUE(HistoryStore(path).setAsidePath().isEmpty());
}

TEST_F(HistoryStoreTest, AStoreThatCannotOpenFailsAndSaysSoOnce)
{
    // a folder where the file should be
    const QString path = dir.path() + QStringLiteral("/taken.sqlite");
    ASSERT_TRUE(QDir().mkpath(path));
    HistoryStore bad(path);
    EXPECT_FALSE(bad.isOpen());
    EXPECT_TRUE(bad.setAsidePath().isEmpty());
    EXPECT_FALSE(bad.errorString().isEmpty());
    EXPECT_FALSE(bad.recordVisit("https://a/", "A", at(1)));
    EXPECT_FALSE(bad.recordVisit("https://b/", "B", at(1)));
    testsupport::processEventsFor(50);
    ASSERT_EQ(told.size(), 1) << "the visits lost are told once";
    EXPECT_TRUE(told.at(0).contains(QDir::toNativeSeparators(path))) << told.at(0).toStdString();
    EXPECT_TRUE(bad.completions("a", 5).isEmpty());
    EXPECT_TRUE(bad.pagesWithVisitsBetween(at(1), at(2)).isEmpty());
    EXPECT_EQ(bad.pageCount(), 0);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(HistoryStoreTest, SharedStoreLivesInTheHistoryFolder)
{
    const auto store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + QStringLiteral("/registry"));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_EQ(HistoryStore::defaultPath(), data + QStringLiteral("/brivo/History/History.sqlite"));
    {
        const auto shared = testsupport::restoringDefault(HistoryStore::setSharedPath, dbPath());
        EXPECT_TRUE(HistoryStore::shared().recordVisit("https://shared/", "S", at(1)));
        EXPECT_EQ(HistoryStore::shared().path(), dbPath());
    }
    EXPECT_EQ(HistoryStore(dbPath()).pageCount(), 1);
}

TEST_F(HistoryStoreTest, PagesKnowTheirSiteAlsoInAStoreMadeBeforeSites)
{
    EXPECT_EQ(HistoryStore::siteOf("https://WWW.Example.org:8080/a"), "www.example.org");
    EXPECT_EQ(HistoryStore::siteOf("file:///home/u/page.html"), "");
    EXPECT_EQ(HistoryStore::siteOf("mailto:someone@example.org"), "mailto:");
    {
        // the tables as the first stores had them
        HistoryStore made(dbPath());
        ASSERT_TRUE(made.recordVisit("https://a.example/1", "One", at(1)));
    }
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(dbPath()).constData(), &db), SQLITE_OK);
        const char *old = "DROP INDEX pages_site; ALTER TABLE pages DROP COLUMN site;"
                          "INSERT INTO pages(url, title, last_visit, visit_count) VALUES('https://b.example/2', 'Two', "
                          "0, 1); INSERT INTO visits(page_id, time, title) SELECT id, 0, 'Two' FROM pages WHERE url = "
                          "'https://b.example/2';";
        EXPECT_EQ(sqlite3_exec(db, old, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    HistoryStore store(dbPath());
    ASSERT_TRUE(store.isOpen()) << qPrintable(store.errorString());
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    QStringList sites = store.sitesWithVisitsBetween(start, at(2));
    sites.sort();
    EXPECT_EQ(sites, (QStringList{"a.example", "b.example"}));
    ASSERT_EQ(store.pagesOfSiteBetween("b.example", start, at(2)).size(), 1);
    EXPECT_EQ(store.pagesOfSiteBetween("b.example", start, at(2)).at(0).title, "Two");
    EXPECT_TRUE(store.hasVisitsOfSiteBetween("a.example", at(1), at(2)));
    EXPECT_FALSE(store.hasVisitsOfSiteBetween("a.example", start, at(1)));
}

TEST_F(HistoryStoreTest, VeryLongAddressesAreNotKeptAndNeverOfferedForCompletion)
{
    const QString huge = QStringLiteral("http://127.0.0.1:8765/long.html?") + QString(qsizetype(1900) * 1024, u'a');
    const QString longest =
        QStringLiteral("http://127.0.0.1:8765/kept?") + QString(HistoryStore::MaxUrlLength - 27, u'b');
    const QString tooLongToComplete =
        QStringLiteral("http://127.0.0.1:8765/c?") + QString(HistoryStore::MaxCompletionLength, u'c');
    ASSERT_EQ(longest.size(), HistoryStore::MaxUrlLength);
    {
        HistoryStore store(dbPath());
        EXPECT_FALSE(store.recordVisit(huge, "Huge", at(1)));
        EXPECT_FALSE(store.recordVisit(longest + u'b', "One too many", at(1)));
        EXPECT_TRUE(store.recordVisit(longest, QString(5000, u't'), at(2)));
        EXPECT_TRUE(store.recordVisit(tooLongToComplete, "", at(3)));
        EXPECT_TRUE(store.recordVisit("http://127.0.0.1:8765/short.html", "Short", at(4)));
        EXPECT_EQ(store.pageCount(), 3);
        EXPECT_EQ(store.page(longest).title.size(), HistoryStore::MaxTitleLength);
    }
    {
        // a store written before addresses were bounded still holds the huge one
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(dbPath()).constData(), &db), SQLITE_OK);
        sqlite3_stmt *insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db,
                                     "INSERT INTO pages(url, title, last_visit, visit_count, site) "
                                     "VALUES(?1, '', 0, 99, '127.0.0.1')",
                                     -1, &insert, nullptr),
                  SQLITE_OK);
        const QByteArray utf8 = huge.toUtf8();
        sqlite3_bind_text(insert, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }
    HistoryStore store(dbPath());
    // the short one only, whether few or many addresses match
    EXPECT_EQ(store.completions("127.0.0.1:8765/", 10), QStringList{"http://127.0.0.1:8765/short.html"});
    EXPECT_EQ(store.completions("http://127", 10), QStringList{"http://127.0.0.1:8765/short.html"});
    for (int i = 0; i < 2100; ++i)
        store.recordVisit(QStringLiteral("http://127.0.0.1:8765/p%1").arg(i), "", at(5));
    const QStringList many = store.completions("127.0.0.1", 5);
    ASSERT_EQ(many.size(), 5);
    for (const QString &url : many)
        EXPECT_LE(url.size(), HistoryStore::MaxCompletionLength);
}

TEST_F(HistoryStoreTest, AVisitMadeWhileAnotherProgramHoldsTheFileWaitsInMemoryAndIsWrittenLater)
{
    HistoryStore store(dbPath());
    ASSERT_TRUE(store.recordVisit("https://a.example/", "A", at(1)));
    WriteLock lock(dbPath());
    ASSERT_TRUE(lock.held());
    EXPECT_TRUE(store.recordVisit("https://b.example/", "B", at(2)));
    EXPECT_TRUE(store.recordVisit("https://c.example/", "C", at(3)));
    EXPECT_EQ(store.pendingVisits(), 2);
    EXPECT_FALSE(store.writePending());
    EXPECT_EQ(store.visitCount(), 1); // the store is still read
    testsupport::processEventsFor(50);
    ASSERT_EQ(told.size(), 1) << "told once, however many visits wait";
    EXPECT_TRUE(told.at(0).contains(QDir::toNativeSeparators(dbPath()))) << told.at(0).toStdString();

    int changes = 0;
    const int listener = HistoryStore::addChangeListener([&] { ++changes; });
    lock.release();
    // the store tries again by itself
    ASSERT_TRUE(testsupport::waitUntil([&] { return store.pendingVisits() == 0; }, 10000));
    HistoryStore::removeChangeListener(listener);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(store.visitCount(), 3);
    EXPECT_EQ(store.page("https://c.example/").title, "C");
    EXPECT_EQ(store.page("https://b.example/").lastVisit, at(2));
    EXPECT_EQ(told.size(), 1);
}

TEST_F(HistoryStoreTest, AStoreHeldByAnotherProgramAtStartOpensOnceFree)
{
    {
        HistoryStore made(dbPath());
        ASSERT_TRUE(made.recordVisit("https://a.example/", "A", at(1)));
    }
    WriteLock lock(dbPath());
    ASSERT_TRUE(lock.held());
    HistoryStore store(dbPath());
    EXPECT_TRUE(store.setAsidePath().isEmpty()) << "a held file is no damaged file";
    EXPECT_TRUE(store.recordVisit("https://b.example/", "B", at(2)));
    EXPECT_EQ(store.pendingVisits(), 1);
    testsupport::processEventsFor(50);
    EXPECT_EQ(told.size(), 1);
    lock.release();
    EXPECT_TRUE(store.writePending());
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(store.visitCount(), 2);
    EXPECT_EQ(store.pageCount(), 2);

    // clearing the history drops what waits, also when the file cannot be cleared now
    WriteLock again(dbPath());
    ASSERT_TRUE(again.held());
    EXPECT_TRUE(store.recordVisit("https://c.example/", "C", at(3)));
    EXPECT_EQ(store.pendingVisits(), 1);
    EXPECT_FALSE(store.clear());
    EXPECT_EQ(store.pendingVisits(), 0);
}

TEST_F(HistoryStoreTest, DamageFoundWhileInUseSetsTheFileAsideAndTellsTheUserOnce)
{
    {
        HistoryStore made(dbPath());
        for (int i = 0; i < 3000; ++i)
            made.recordVisit(QStringLiteral("https://site%1.example/page%2").arg(i % 40).arg(i), "Some title",
                             at(1 + i % 20));
    }
    // one page of the visits' rows is overwritten; the rest of the file, its indexes included, is sound
    qint64 page = 0;
    int pageSize = 0;
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(dbPath()).constData(), &db), SQLITE_OK);
        sqlite3_stmt *q = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db,
                                     "SELECT pageno FROM dbstat WHERE name = 'visits' AND pagetype = 'leaf' "
                                     "ORDER BY pageno LIMIT 1 OFFSET 3",
                                     -1, &q, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
        page = sqlite3_column_int64(q, 0);
        sqlite3_finalize(q);
        ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &q, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
        pageSize = sqlite3_column_int(q, 0);
        sqlite3_finalize(q);
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    {
        QFile file(dbPath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek((page - 1) * pageSize));
        file.write(QByteArray(pageSize, '\x5a'));
    }
    HistoryStore store(dbPath());
    ASSERT_TRUE(store.isOpen());
    EXPECT_TRUE(store.setAsidePath().isEmpty()) << "the damage is not where opening reads";
    int cleared = 0;
    const int listener = HistoryStore::addClearListener([&] { ++cleared; });
    const auto from = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    store.pagesWithVisitsBetween(from, at(30));
    store.visitsBetween(from, at(30));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !store.setAsidePath().isEmpty(); })) << "the damage was noticed";
    testsupport::processEventsFor(50);
    HistoryStore::removeClearListener(listener);
    EXPECT_EQ(cleared, 1) << "the history tree lists the new store";
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.at(0).contains(QDir::toNativeSeparators(store.setAsidePath()))) << told.at(0).toStdString();
    EXPECT_TRUE(QFileInfo::exists(store.setAsidePath()));
    // the new store takes visits again
    EXPECT_TRUE(store.recordVisit("https://after.example/", "After", at(25)));
    EXPECT_EQ(store.visitCount(), 1);
}

TEST_F(HistoryStoreTest, VisitsTheFileCannotTakeUnderAFileSizeLimitAreToldOnce)
{
    // a new store under the limit: its first page cannot be written
    {
        const FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.set());
        HistoryStore store(dbPath());
        store.recordVisit("https://a.example/", "A", at(1));
        store.recordVisit("https://b.example/", "B", at(2));
        testsupport::processEventsFor(50);
        ASSERT_EQ(told.size(), 1) << told.join(u'|').toStdString();
        EXPECT_TRUE(told.at(0).contains(QDir::toNativeSeparators(dbPath()))) << told.at(0).toStdString();
        store.recordVisit("https://c.example/", "C", at(3));
        testsupport::processEventsFor(50);
        EXPECT_EQ(told.size(), 1) << "told once";
    }
    // a store that grows past the limit in use
    told.clear();
    const QString grown = dir.path() + QStringLiteral("/g/History.sqlite");
    HistoryStore store(grown);
    ASSERT_TRUE(store.recordVisit("https://a.example/", "A", at(1)));
    const qint64 size = QFileInfo(grown).size() + QFileInfo(grown + "-wal").size();
    {
        const FileSizeLimit limit(rlim_t(size) + 1);
        ASSERT_TRUE(limit.set());
        for (int i = 0; i < 20; ++i)
            store.recordVisit(QStringLiteral("https://b.example/%1/").arg(i) + QString(400, u'x'), "B", at(2));
        testsupport::processEventsFor(50);
        ASSERT_EQ(told.size(), 1) << told.join(u'|').toStdString();
        EXPECT_TRUE(told.at(0).contains(QDir::toNativeSeparators(grown))) << told.at(0).toStdString();
    }
}
