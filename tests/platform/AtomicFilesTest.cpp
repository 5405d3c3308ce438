// Whole-file writes at the edges of what the system allows: the file-size limit and files of other users.
#include "platform/AtomicFiles.h"

#include "common/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets the signal's disposition and the soft file-size limit for the test, and restores both.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::sigaction(SIGXFSZ, nullptr, &oldAction);
        ::signal(SIGXFSZ, SIG_DFL); // as a program starts
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        struct rlimit small = oldLimit;
        small.rlim_cur = bytes;
        active = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        ::sigaction(SIGXFSZ, &oldAction, nullptr);
    }
    struct sigaction oldAction {};
    struct rlimit oldLimit {};
    bool active = false;
};

TEST(AtomicFilesTest, AWritePastTheFileSizeLimitFailsWithItsReasonInsteadOfEndingTheProgram)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    testsupport::writeBytes(path, "previous");
    QString error;
    bool written = true;
    {
        const FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active);
        written = atomicfile::write(path, QByteArray(100000, 'x'), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::readBytes(path), QByteArray("previous"));
}

TEST(AtomicFilesTest, ASaveByRootKeepsTheFilesOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can save a file that another user owns";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("theirs.ini"));
    testsupport::writeBytes(path, "old");
    const QByteArray native = QFile::encodeName(path);
    ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    ASSERT_TRUE(atomicfile::write(path, "new"));
    struct stat st {};
    ASSERT_EQ(::stat(native.constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(testsupport::readBytes(path), QByteArray("new"));
}

} // namespace
