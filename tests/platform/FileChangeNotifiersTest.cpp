// The folder watcher on real folders: what it reports, what it leaves out, how it ends.
#include "platform/FileChangeNotifiers.h"

#include "common/TestSupport.h"
#include "platform/ExceptionGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/inotify.h>

using testsupport::processEventsFor;
using testsupport::waitUntil;
using N = TFileChangeNotifier;

namespace {

// Long enough for a change that should not be reported to have been reported.
constexpr int Quiet = 4 * TFileChangeNotifier::BatchDelayMs;

struct Watch {
    QTemporaryDir dir;
    TFileChangeNotifier notifier;
    int changes = 0;
    int errors = 0;

    explicit Watch(N::TNotifyFilters filters = N::nfFileNameChange | N::nfDirNameChange, bool subTree = true)
    {
        QObject::connect(&notifier, &N::OnChange, [this] { ++changes; });
        QObject::connect(&notifier, &N::OnFindError, [this](N *) { ++errors; });
        notifier.SetRoot(dir.path());
        notifier.SetNotifyFilters(filters);
        notifier.SetWatchSubTree(subTree);
    }
    QString path(const QString &relative) const { return dir.path() + '/' + relative; }
    // One change reported, and no second one for the same work.
    ::testing::AssertionResult reportsOnce()
    {
        if (!waitUntil([this] { return changes > 0; }))
            return ::testing::AssertionFailure() << "no change was reported";
        processEventsFor(Quiet);
        if (changes != 1)
            return ::testing::AssertionFailure() << changes << " changes were reported";
        changes = 0;
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult staysQuiet()
    {
        processEventsFor(Quiet);
        if (changes != 0)
            return ::testing::AssertionFailure() << changes << " changes were reported";
        return ::testing::AssertionSuccess();
    }
};

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

} // namespace

TEST(FileChangeNotifier, FiltersMapOntoInotifyEventsOfTheirKind)
{
    EXPECT_EQ(N::InotifyMask({}), 0u);
    EXPECT_EQ(N::InotifyMask(N::nfSizeChange), std::uint32_t(IN_MODIFY));
    const N::TNotifyFilters names = N::nfFileNameChange;
    EXPECT_TRUE(N::Matches(IN_CREATE, names));
    EXPECT_TRUE(N::Matches(IN_MOVED_TO, names));
    EXPECT_FALSE(N::Matches(IN_CREATE | IN_ISDIR, names)) << "a folder is no file";
    EXPECT_TRUE(N::Matches(IN_DELETE | IN_ISDIR, N::nfDirNameChange));
    EXPECT_FALSE(N::Matches(IN_MODIFY, names));
    EXPECT_TRUE(N::Matches(IN_MODIFY, N::nfWriteChange));
    EXPECT_TRUE(N::Matches(IN_ATTRIB, N::nfSecurityChange));
    EXPECT_FALSE(N::Matches(IN_ATTRIB, N::nfSizeChange));
    EXPECT_TRUE(N::Matches(IN_Q_OVERFLOW, {})) << "lost events may hide any change";
}

TEST(FileChangeNotifier, RootLosesOneTrailingSeparatorAndIsComparedExactly)
{
    TFileChangeNotifier n;
    n.SetRoot("/tmp/x/");
    EXPECT_EQ(n.Root(), "/tmp/x");
    n.SetRoot("/");
    EXPECT_EQ(n.Root(), "/");
    n.SetRoot("/tmp/X");
    EXPECT_EQ(n.Root(), "/tmp/X") << "names differ in case on this file system";
}

TEST(FileChangeNotifier, AFileMadeBelowTheRootIsOneChange)
{
    Watch w;
    QDir().mkpath(w.path("a/b"));
    w.notifier.SetActive(true);
    ASSERT_TRUE(w.notifier.Active());
    EXPECT_EQ(w.notifier.WatchCount(), 3);

    testsupport::writeBytes(w.path("top.url"), "[InternetShortcut]\nURL=http://a/\n");
    EXPECT_TRUE(w.reportsOnce()) << "in the root";
    testsupport::writeBytes(w.path("a/b/deep.txt"), "x");
    EXPECT_TRUE(w.reportsOnce()) << "two folders down";
    ASSERT_TRUE(QFile::rename(w.path("a/b/deep.txt"), w.path("a/deep.txt")));
    EXPECT_TRUE(w.reportsOnce()) << "a rename";
    ASSERT_TRUE(QFile::remove(w.path("a/deep.txt")));
    EXPECT_TRUE(w.reportsOnce()) << "a deletion";
    EXPECT_EQ(w.errors, 0);
}

TEST(FileChangeNotifier, FoldersThatAppearLaterAreWatchedAndFoldersMovedOutAreNot)
{
    Watch w;
    QTemporaryDir outside;
    w.notifier.SetActive(true);
    ASSERT_TRUE(QDir().mkpath(w.path("new/inner/most")));
    EXPECT_TRUE(w.reportsOnce());
    EXPECT_EQ(w.notifier.WatchCount(), 4) << "every level of a folder made at once";
    testsupport::writeBytes(w.path("new/inner/most/f"), "x");
    EXPECT_TRUE(w.reportsOnce());

    // a folder moved in from elsewhere, with its contents
    QDir().mkpath(outside.path() + "/moved/sub");
    ASSERT_TRUE(QDir().rename(outside.path() + "/moved", w.path("moved")));
    EXPECT_TRUE(w.reportsOnce());
    testsupport::writeBytes(w.path("moved/sub/f"), "x");
    EXPECT_TRUE(w.reportsOnce());

    // and moved out again: what happens in it is no concern of this watch
    ASSERT_TRUE(QDir().rename(w.path("moved"), outside.path() + "/gone"));
    EXPECT_TRUE(w.reportsOnce());
    testsupport::writeBytes(outside.path() + "/gone/sub/g", "x");
    EXPECT_TRUE(w.staysQuiet());
}

TEST(FileChangeNotifier, OnlyTheChosenKindsAndLevelsAreReported)
{
    Watch names(N::nfFileNameChange, false);
    QDir().mkpath(names.path("sub"));
    testsupport::writeBytes(names.path("file"), "x");
    names.notifier.SetActive(true);
    EXPECT_EQ(names.notifier.WatchCount(), 1);
    testsupport::writeBytes(names.path("sub/f"), "x");
    EXPECT_TRUE(names.staysQuiet()) << "a subfolder without WatchSubTree";
    testsupport::writeBytes(names.path("file"), "more");
    EXPECT_TRUE(names.staysQuiet()) << "a write is no name change";
    ASSERT_TRUE(QDir().mkdir(names.path("other")));
    EXPECT_TRUE(names.staysQuiet()) << "a folder is no file";

    Watch writes(N::nfWriteChange);
    testsupport::writeBytes(writes.path("file"), "x");
    writes.notifier.SetActive(true);
    testsupport::writeBytes(writes.path("file"), "changed");
    EXPECT_TRUE(writes.reportsOnce());
}

TEST(FileChangeNotifier, LinksToFoldersAreNotFollowed)
{
    Watch w;
    QTemporaryDir target;
    ASSERT_TRUE(QFile::link(target.path(), w.path("link")));
    w.notifier.SetActive(true);
    EXPECT_EQ(w.notifier.WatchCount(), 1);
    testsupport::writeBytes(target.path() + "/f", "x");
    EXPECT_TRUE(w.staysQuiet());
}

TEST(FileChangeNotifier, ADeletedRootEndsTheWatchAndReachesOnFindError)
{
    Watch w;
    QDir().mkpath(w.path("root/sub"));
    w.notifier.SetRoot(w.path("root"));
    w.notifier.SetActive(true);
    ASSERT_TRUE(QDir(w.path("root")).removeRecursively());
    ASSERT_TRUE(waitUntil([&] { return w.errors > 0; })) << "no OnFindError";
    EXPECT_FALSE(w.notifier.Active());
    processEventsFor(Quiet);
    EXPECT_EQ(w.errors, 1);
    EXPECT_EQ(w.changes, 0) << "a stopped watch reports nothing further";

    // a root that cannot be watched: active at first, then ended the same way
    w.errors = 0;
    w.notifier.SetRoot(w.path("missing"));
    w.notifier.SetActive(true);
    EXPECT_TRUE(w.notifier.Active());
    ASSERT_TRUE(waitUntil([&] { return w.errors > 0; }));
    EXPECT_FALSE(w.notifier.Active());

    // a root moved away
    w.errors = 0;
    QDir().mkpath(w.path("moving"));
    w.notifier.SetRoot(w.path("moving"));
    w.notifier.SetActive(true);
    ASSERT_TRUE(QDir().rename(w.path("moving"), w.path("moved")));
    ASSERT_TRUE(waitUntil([&] { return w.errors > 0; }));
    EXPECT_FALSE(w.notifier.Active());
}

TEST(FileChangeNotifier, WithoutAReceiverTheFailureIsRaisedIntoTheEventLoop)
{
    QTemporaryDir dir;
    TFileChangeNotifier n;
    n.SetRoot(dir.path() + "/missing");
    const int before = GuardedApplication::droppedExceptions();
    n.SetActive(true);
    ASSERT_TRUE(waitUntil([&] { return !n.Active(); }));
    EXPECT_EQ(GuardedApplication::droppedExceptions(), before + 1);
}

TEST(FileChangeNotifier, AStopFromInsideOnChangeEndsTheWatchAtOnce)
{
    Watch w;
    QObject::connect(&w.notifier, &N::OnChange, [&] { w.notifier.SetActive(false); });
    w.notifier.SetActive(true);
    testsupport::writeBytes(w.path("a"), "x");
    EXPECT_TRUE(w.reportsOnce());
    EXPECT_FALSE(w.notifier.Active());
    testsupport::writeBytes(w.path("b"), "x");
    EXPECT_TRUE(w.staysQuiet());

    // a refresh that stops and starts again inside OnChange sees later changes only
    QObject::disconnect(&w.notifier, &N::OnChange, nullptr, nullptr);
    QObject::connect(&w.notifier, &N::OnChange, [&] {
        ++w.changes;
        w.notifier.SetActive(false);
        testsupport::writeBytes(w.path("own"), "x"); // the handler's own work is not reported
        w.notifier.SetActive(true);
    });
    w.notifier.SetActive(true);
    testsupport::writeBytes(w.path("c"), "x");
    EXPECT_TRUE(w.reportsOnce());
    testsupport::writeBytes(w.path("d"), "x");
    EXPECT_TRUE(w.reportsOnce());
}

TEST(FileChangeNotifier, ChangingTheWatchWhileActiveWatchesTheNewValues)
{
    Watch w;
    QDir().mkpath(w.path("one"));
    QDir().mkpath(w.path("two"));
    w.notifier.SetRoot(w.path("one"));
    w.notifier.SetActive(true);
    w.notifier.SetRoot(w.path("two"));
    EXPECT_TRUE(w.notifier.Active());
    testsupport::writeBytes(w.path("one/f"), "x");
    EXPECT_TRUE(w.staysQuiet());
    testsupport::writeBytes(w.path("two/f"), "x");
    EXPECT_TRUE(w.reportsOnce());
}

TEST(FileChangeNotifier, StartsAndStopsLeakNoDescriptor)
{
    QTemporaryDir dir;
    for (int i = 0; i < 20; ++i)
        QDir().mkpath(dir.path() + QString("/d%1/e").arg(i));
    const int before = openDescriptors();
    {
        TFileChangeNotifier n;
        n.SetRoot(dir.path());
        for (int i = 0; i < 500; ++i) {
            n.SetActive(true);
            ASSERT_EQ(n.WatchCount(), 41);
            n.SetActive(false);
            ASSERT_EQ(n.WatchCount(), 0);
        }
        EXPECT_LE(openDescriptors(), before + 1) << "one inotify instance for the notifier's life";
        TFileChangeNotifier destroyedWhileActive;
        destroyedWhileActive.SetRoot(dir.path());
        destroyedWhileActive.SetActive(true);
    }
    EXPECT_EQ(openDescriptors(), before);
}
