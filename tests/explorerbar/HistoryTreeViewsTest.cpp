// The history tree over a store filled with visits on chosen local dates, the clock fixed: periods,
// sites, pages, captions and order, refills, deleting a page, a site or a period, vanished entries,
// fixed labels, a clear of the store, a store that cannot be opened, new periods shown, folders opened
// from the keyboard, and a selection hidden without the focus.
#include "explorerbar/HistoryTreeViews.h"

#include "TreeTestSupport.h"
#include "common/TestSupport.h"
#include "platform/HistoryStore.h"
#include "settings/MemInis.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <time.h>

using testsupport::waitUntil;
using treetest::texts;

namespace {

// The process's time zone for one test.
class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char *zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_previous(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneGuard()
    {
        if (m_had)
            qputenv("TZ", m_previous);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZoneGuard(const TimeZoneGuard &) = delete;
    TimeZoneGuard &operator=(const TimeZoneGuard &) = delete;

private:
    bool m_had;
    QByteArray m_previous;
};

// Local wall-clock time in the test's zone.
QDateTime local(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute));
}

class HistoryTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<HistoryStore>(dir.path() + QStringLiteral("/History.sqlite"));
        ASSERT_TRUE(store->isOpen());
    }
    // A tree over the store with now fixed; filled.
    std::unique_ptr<THistoryTreeView> tree(const QDateTime &now)
    {
        auto t = std::make_unique<THistoryTreeView>(nullptr, store.get());
        t->SetClock([now] { return now; });
        t->resize(300, 600);
        t->Loaded();
        return t;
    }
    void visit(const QString &url, const QString &title, const QDateTime &when)
    {
        ASSERT_TRUE(store->recordVisit(url, title, when.toUTC())) << qPrintable(store->errorString());
    }
    static THistoryNode *top(THistoryTreeView &t, const QString &caption)
    {
        for (TExplorerNode *n : t.ChildrenOf(nullptr))
            if (n->Text() == caption)
                return static_cast<THistoryNode *>(n);
        return nullptr;
    }
    static THistoryNode *child(THistoryNode *parent, const QString &caption)
    {
        for (int i = 0; parent && i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == caption)
                return static_cast<THistoryNode *>(parent->child(i));
        return nullptr;
    }
    int visitsOf(const QString &url) const
    {
        int n = 0;
        for (const HistoryVisit &v : store->visitsBetween(local(1, 1, 0), local(12, 31, 0)))
            n += v.url == url ? 1 : 0;
        return n;
    }

    TimeZoneGuard zone{"Europe/Berlin"};
    QTemporaryDir dir;
    std::unique_ptr<HistoryStore> store;
};

} // namespace

TEST_F(HistoryTree, PeriodsRunOldestFirstWithTodayLastAndOnlyThoseWithVisits)
{
    // Wednesday 18 March
    const QDateTime now = local(3, 18, 15);
    visit("https://today.example/", "T", local(3, 18, 9));
    visit("https://monday.example/", "M", local(3, 16, 23, 59));
    visit("https://lastweek.example/", "L", local(3, 9, 0, 1));   // Monday of last week
    visit("https://twoweeks.example/", "2", local(3, 8, 23, 59)); // Sunday before it
    visit("https://old.example/", "O", local(1, 2, 12));          // eleven weeks ago and more
    auto t = tree(now);
    EXPECT_EQ(texts(*t), (QStringList{"11 Weeks Ago", "2 Weeks Ago", "Last Week", "Monday", "Today"}));
    // a visit dated after now (a clock put back) is shown under Today
    visit("https://future.example/", "F", local(3, 20, 8));
    t->RefreshIfIdle();
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(today);
    ASSERT_TRUE(t->RequestExpand(today));
    EXPECT_EQ(texts(*t, today), (QStringList{"future.example", "today.example"}));
}

TEST_F(HistoryTree, ADayIsItsLocalDateAlsoWhenTheClocksChange)
{
    // the clocks go forward on Sunday 29 March: that day has 23 hours
    const QDateTime now = local(3, 29, 23, 45);
    ASSERT_EQ(now.offsetFromUtc(), 2 * 3600) << "the test's time zone is not in effect";
    ASSERT_EQ(local(3, 29, 0, 30).offsetFromUtc(), 3600);
    const QList<HistoryPeriod> periods = HistoryPeriods(now, local(3, 23, 1), HistoryTexts());
    ASSERT_EQ(periods.size(), 7);
    EXPECT_EQ(periods.last().caption, "Today");
    EXPECT_EQ(periods.last().from, local(3, 29, 0).toUTC());
    EXPECT_EQ(periods.at(5).caption, "Saturday");
    EXPECT_EQ(periods.at(5).from.secsTo(periods.at(5).to), 24 * 3600);
    EXPECT_EQ(periods.at(0).caption, "Monday"); // the oldest period reaches back without end
    EXPECT_LT(periods.at(0).from, local(1, 1, 0).toUTC());

    visit("https://early.example/", "E", local(3, 29, 0, 30));
    visit("https://late.example/", "L", local(3, 29, 23, 30));
    visit("https://before.example/", "B", local(3, 28, 23, 30));
    auto t = tree(now);
    EXPECT_EQ(texts(*t), (QStringList{"Saturday", "Today"}));
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(t->RequestExpand(today));
    EXPECT_EQ(texts(*t, today), (QStringList{"early.example", "late.example"}));
}

TEST_F(HistoryTree, SitesAndPagesAreSortedAndCaptioned)
{
    const QDateTime now = local(3, 18, 15);
    const QString longTitle = QString(60, u'x');
    visit("https://B.example/b", "beta", local(3, 18, 9));
    visit("https://b.example/a", "Alpha", local(3, 18, 9, 5));
    visit("https://b.example/none", "", local(3, 18, 9, 6));
    visit("https://b.example/long", longTitle, local(3, 18, 9, 7));
    visit("https://b.example/q1", "?1?2 digits", local(3, 18, 9, 8));
    visit("https://b.example/q2", "?a?b letters", local(3, 18, 9, 9));
    visit("https://a.example/", "A", local(3, 18, 10));
    visit("file:///home/user/page.html", "Local page", local(3, 18, 11));
    auto t = tree(now);
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(today);
    ASSERT_TRUE(t->RequestExpand(today));
    EXPECT_EQ(texts(*t, today), (QStringList{"a.example", "b.example", "My Computer"}));
    THistoryNode *site = child(today, "b.example");
    ASSERT_TRUE(t->RequestExpand(site));
    EXPECT_EQ(texts(*t, site), (QStringList{"12 digits", "?a?b letters", "Alpha", "beta", "https://b.example/none",
                                            longTitle.left(50)}));
    THistoryNode *alpha = child(site, "Alpha");
    EXPECT_EQ(alpha->Url, "https://b.example/a");
    EXPECT_EQ(alpha->Kind, THistoryNode::Page);
    THistoryNode *mine = child(today, "My Computer");
    ASSERT_TRUE(t->RequestExpand(mine));
    EXPECT_EQ(texts(*t, mine), QStringList{"Local page"});

    // the language's names
    TMemIni table;
    table.SetStrings({"[History]", "Today=Heute", "LocalFiles=Arbeitsplatz"});
    t->ApplyLanguage(table);
    EXPECT_EQ(texts(*t), QStringList{"Heute"});
    EXPECT_EQ(t->Texts().lastWeek, "Last Week"); // a key the table lacks keeps its text
}

TEST_F(HistoryTree, AFolderIsListedAfreshEachTimeItOpens)
{
    const QDateTime now = local(3, 18, 15);
    visit("https://a.example/1", "One", local(3, 18, 9));
    auto t = tree(now);
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(t->RequestExpand(today));
    THistoryNode *site = child(today, "a.example");
    ASSERT_TRUE(t->RequestExpand(site));
    EXPECT_EQ(texts(*t, site), QStringList{"One"});
    visit("https://a.example/2", "Two", local(3, 18, 10));
    ASSERT_TRUE(t->RequestCollapse(site));
    ASSERT_TRUE(t->RequestExpand(site));
    EXPECT_EQ(texts(*t, site), (QStringList{"One", "Two"}));
}

TEST_F(HistoryTree, DeletingANodeRemovesExactlyItsVisits)
{
    const QDateTime now = local(3, 18, 15);
    visit("https://a.example/x", "X", local(3, 18, 9));
    visit("https://a.example/x", "X", local(3, 18, 10));
    visit("https://a.example/x", "X", local(3, 10, 10)); // last week
    visit("https://a.example/y", "Y", local(3, 18, 11));
    visit("https://b.example/", "B", local(3, 18, 12));
    visit("https://b.example/", "B", local(3, 10, 12));
    auto t = tree(now);
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(t->RequestExpand(today));
    THistoryNode *siteA = child(today, "a.example");
    ASSERT_TRUE(t->RequestExpand(siteA));

    // a page: its two visits of today, not last week's
    ASSERT_TRUE(t->DeleteNode(child(siteA, "X")));
    EXPECT_EQ(visitsOf("https://a.example/x"), 1);
    EXPECT_EQ(store->page("https://a.example/x").visitCount, 1);
    EXPECT_EQ(visitsOf("https://a.example/y"), 1);
    EXPECT_EQ(texts(*t, siteA), QStringList{"Y"});

    // a site: its visits of today; the emptied period goes with its last site
    THistoryNode *siteB = child(today, "b.example");
    ASSERT_TRUE(t->DeleteNode(siteB));
    EXPECT_EQ(visitsOf("https://b.example/"), 1);
    EXPECT_EQ(visitsOf("https://a.example/y"), 1);
    ASSERT_TRUE(t->DeleteNode(siteA));
    EXPECT_EQ(visitsOf("https://a.example/y"), 0);
    EXPECT_EQ(store->page("https://a.example/y").url, QString()); // no visit left: the page goes
    EXPECT_EQ(texts(*t), QStringList{"Last Week"});

    // a period: everything in it
    ASSERT_TRUE(t->DeleteNode(top(*t, "Last Week")));
    EXPECT_EQ(store->visitCount(), 0);
    EXPECT_EQ(t->topLevelItemCount(), 0);
}

TEST_F(HistoryTree, AnEntryThatHasGoneLeavesOnSelectionAndTheSelectionStays)
{
    const QDateTime now = local(3, 18, 15);
    visit("https://a.example/", "A", local(3, 18, 9));
    visit("https://b.example/", "B", local(3, 17, 9));
    auto t = tree(now);
    THistoryNode *today = top(*t, "Today");
    THistoryNode *tuesday = top(*t, "Tuesday");
    ASSERT_TRUE(today && tuesday);
    t->setCurrentItem(today);
    ASSERT_TRUE(store->deleteUrl("https://b.example/"));
    t->setCurrentItem(tuesday);
    EXPECT_EQ(t->GetSelected(), today);
    ASSERT_TRUE(waitUntil([&] { return t->topLevelItemCount() == 1; })) << "Tuesday is still listed";
    EXPECT_EQ(t->GetSelected(), today);
    EXPECT_EQ(store->visitCount(), 1);
}

TEST_F(HistoryTree, LabelsCannotChangeAndAClearEmptiesTheTree)
{
    visit("https://a.example/", "A", local(3, 18, 9));
    auto t = tree(local(3, 18, 15));
    THistoryNode *today = top(*t, "Today");
    today->setText(0, "Renamed");
    EXPECT_EQ(today->Text(), "Today");
    EXPECT_FALSE(today->flags() & Qt::ItemIsEditable);

    ASSERT_TRUE(store->clear());
    EXPECT_EQ(t->topLevelItemCount(), 0);
}

TEST_F(HistoryTree, AStoreThatCannotOpenShowsAnEmptyTree)
{
    const QString taken = dir.path() + QStringLiteral("/folder.sqlite");
    ASSERT_TRUE(QDir().mkpath(taken));
    HistoryStore broken(taken);
    ASSERT_FALSE(broken.isOpen());
    THistoryTreeView t(nullptr, &broken);
    t.Loaded();
    EXPECT_EQ(t.topLevelItemCount(), 0);
    t.RefreshIfIdle();
    EXPECT_EQ(t.topLevelItemCount(), 0);
}

TEST_F(HistoryTree, ATreeMadeBeforeAnyVisitListsThemWhenShownAndWhileItShows)
{
    // a new profile: the tree is made over an empty store and filled before the user browses
    auto t = tree(local(3, 18, 15));
    EXPECT_EQ(t->topLevelItemCount(), 0);
    visit("https://a.example/1", "One", local(3, 18, 9));
    EXPECT_EQ(t->topLevelItemCount(), 0) << "a hidden tree waits until it is shown";
    t->show();
    EXPECT_EQ(texts(*t), QStringList{"Today"});

    // a visit in a listed period leaves the tree as the user left it
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(t->RequestExpand(today));
    visit("https://b.example/2", "Two", local(3, 18, 10));
    ASSERT_EQ(top(*t, "Today"), today);
    EXPECT_TRUE(today->isExpanded());
    // a visit in another period lists the periods again at once
    visit("https://c.example/3", "Three", local(3, 16, 10));
    EXPECT_EQ(texts(*t), (QStringList{"Monday", "Today"}));
}

TEST_F(HistoryTree, ItsOwnRefillsKeepTheOpenedFoldersAndTheSelectionThatAreStillListed)
{
    visit("https://a.example/1", "One", local(3, 18, 9));
    visit("https://b.example/2", "Two", local(3, 18, 10));
    visit("https://c.example/4", "Four", local(3, 17, 10));
    QDateTime now = local(3, 18, 15);
    auto t = tree(now);
    t->SetClock([&now] { return now; });
    t->show();
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(t->RequestExpand(today));
    THistoryNode *siteA = child(today, "a.example");
    ASSERT_TRUE(t->RequestExpand(siteA));
    ASSERT_TRUE(t->RequestExpand(child(today, "b.example")));
    ASSERT_TRUE(t->RequestCollapse(child(today, "b.example")));
    t->setCurrentItem(child(siteA, "One"));

    // shown again with a period more: the same folders open, listed afresh, and the same page selected
    t->hide();
    visit("https://a.example/3", "Three", local(3, 18, 11));
    visit("https://d.example/5", "Five", local(3, 16, 10));
    t->show();
    ASSERT_EQ(texts(*t), (QStringList{"Monday", "Tuesday", "Today"}));
    today = top(*t, "Today");
    siteA = child(today, "a.example");
    ASSERT_TRUE(today->isExpanded() && siteA && siteA->isExpanded());
    EXPECT_EQ(texts(*t, siteA), (QStringList{"One", "Three"}));
    EXPECT_FALSE(child(today, "b.example")->isExpanded());
    EXPECT_FALSE(top(*t, "Tuesday")->isExpanded());
    ASSERT_TRUE(t->GetSelected());
    EXPECT_EQ(t->GetSelected(), child(siteA, "One"));
    EXPECT_EQ(t->selectedItems().size(), 1);

    // past midnight a first visit lists the periods again: a day still listed stays open and selected
    THistoryNode *tuesday = top(*t, "Tuesday");
    ASSERT_TRUE(t->RequestExpand(tuesday));
    t->setCurrentItem(child(tuesday, "c.example"));
    ASSERT_TRUE(t->RequestCollapse(today));
    ASSERT_TRUE(t->RequestExpand(today));
    now = local(3, 19, 0, 5);
    visit("https://a.example/6", "Six", local(3, 19, 0, 4)); // the tree shows: it looks at once
    EXPECT_EQ(texts(*t), (QStringList{"Monday", "Tuesday", "Wednesday", "Today"}));
    tuesday = top(*t, "Tuesday");
    EXPECT_TRUE(tuesday->isExpanded());
    EXPECT_EQ(texts(*t, tuesday), QStringList{"c.example"});
    EXPECT_EQ(t->GetSelected(), child(tuesday, "c.example"));
    EXPECT_TRUE(top(*t, "Today")->isExpanded()) << "the period named as the open one is open again";
    EXPECT_FALSE(top(*t, "Wednesday")->isExpanded());

    // a selected node that is no longer listed leaves no selection
    t->setCurrentItem(child(top(*t, "Tuesday"), "c.example"));
    t->hide();
    ASSERT_TRUE(store->deleteUrl("https://c.example/4"));
    visit("https://e.example/7", "Seven", local(3, 9, 10)); // last week
    t->show();
    EXPECT_EQ(texts(*t), (QStringList{"Last Week", "Monday", "Wednesday", "Today"}));
    EXPECT_EQ(t->GetSelected(), nullptr);
}

TEST_F(HistoryTree, AFolderOpenedByItsArrowOrTheKeyboardIsListedAfresh)
{
    visit("https://a.example/1", "One", local(3, 18, 9));
    auto t = tree(local(3, 18, 15));
    t->show();
    QApplication::setActiveWindow(t.get());
    t->setFocus();
    ASSERT_TRUE(waitUntil([&] { return t->hasFocus(); })) << "the tree never took the focus";
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(today);
    t->setCurrentItem(today);
    QTest::keyClick(t->viewport(), Qt::Key_Right);
    ASSERT_TRUE(today->isExpanded());
    EXPECT_EQ(texts(*t, today), QStringList{"a.example"});

    // the expand arrow opens a folder without selecting it
    THistoryNode *site = child(today, "a.example");
    t->expandItem(site);
    EXPECT_EQ(texts(*t, site), QStringList{"One"});
    visit("https://a.example/2", "Two", local(3, 18, 10));
    t->collapseItem(site);
    t->expandItem(site);
    EXPECT_EQ(texts(*t, site), (QStringList{"One", "Two"}));
}

TEST_F(HistoryTree, ASelectionHiddenWithoutTheFocusShowsWithIt)
{
    visit("https://a.example/1", "One", local(3, 18, 9));
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *other = new QLineEdit(&window);
    auto t = tree(local(3, 18, 15));
    layout->addWidget(other);
    layout->addWidget(t.get());
    window.resize(300, 400);
    window.show();
    QApplication::setActiveWindow(&window);
    THistoryNode *today = top(*t, "Today");
    ASSERT_TRUE(today);
    t->setCurrentItem(today);
    ASSERT_TRUE(today->isSelected());
    // a point of the selected row right of its caption
    const QRect row = t->visualItemRect(today);
    const QPoint probe(row.right() - 4, row.center().y());
    const QColor highlight = t->palette().color(QPalette::Active, QPalette::Highlight);
    auto colourAt = [&] { return t->viewport()->grab().toImage().pixelColor(probe); };

    // the style shades its selection a little
    auto highlighted = [&] {
        const QColor c = colourAt();
        return std::max({std::abs(c.red() - highlight.red()), std::abs(c.green() - highlight.green()),
                         std::abs(c.blue() - highlight.blue())}) <= 8;
    };

    other->setFocus();
    ASSERT_TRUE(waitUntil([&] { return other->hasFocus(); })) << "the edit never took the focus";
    EXPECT_TRUE(highlighted()) << "shown by default";

    t->SetHideSelection(true);
    EXPECT_FALSE(highlighted());
    EXPECT_EQ(colourAt(), t->palette().color(QPalette::Active, QPalette::Base));
    t->setFocus();
    ASSERT_TRUE(waitUntil([&] { return t->hasFocus(); })) << "the tree never took the focus";
    EXPECT_TRUE(highlighted());
    other->setFocus();
    ASSERT_TRUE(waitUntil([&] { return other->hasFocus(); })) << "the edit never took the focus";
    EXPECT_FALSE(highlighted());
    EXPECT_TRUE(today->isSelected()) << "hidden, not dropped";
    t->setParent(nullptr);
}
