// The history store: visits recorded and read back, internal pages left out, completion, deletion.
#include "platform/HistoryStore.h"

#include "common/SeamGuards.h"
#include "platform/PlatformStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

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

TEST_F(HistoryStoreTest, AStoreThatCannotOpenFailsQuietly)
{
    // a folder where the file should be
    const QString path = dir.path() + QStringLiteral("/taken.sqlite");
    ASSERT_TRUE(QDir().mkpath(path));
    HistoryStore bad(path);
    EXPECT_FALSE(bad.isOpen());
    EXPECT_TRUE(bad.setAsidePath().isEmpty());
    EXPECT_FALSE(bad.errorString().isEmpty());
    EXPECT_FALSE(bad.recordVisit("https://a/", "A", at(1)));
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
