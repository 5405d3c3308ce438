// Whole-file writes: every byte or the previous file, at the edges of what the system allows (the
// file-size limit, a folder the user may not write to, files of other users), keeping what the
// replaced file was (its mode, owner and group, the link that led to it).
#include "platform/AtomicFiles.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/PlatformError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(AtomicFilesTest, AWritePastTheFileSizeLimitFailsWithItsReasonInsteadOfEndingTheProgram)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    testsupport::writeBytes(path, "previous");
    QString error;
    bool written = true;
    {
        const testsupport::FileSizeLimit limit(4096, SIG_DFL); // as a program starts
        ASSERT_TRUE(limit.active());
        written = atomicfile::write(path, QByteArray(100000, 'x'), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::readBytes(path), QByteArray("previous"));
}

TEST(AtomicFilesTest, AFailedWriteNamesTheReasonOfTheCallThatFailed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("limited.txt"));
    QString error;
    {
        const testsupport::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(atomicfile::write(path, QByteArray(100000, 'x'), &error));
    }
    EXPECT_EQ(error, systemErrorText(EFBIG));
    EXPECT_FALSE(QFile::exists(path));

    // a file standing where the folder should be
    testsupport::writeBytes(dir.filePath(QStringLiteral("plain")), "a file");
    error.clear();
    EXPECT_FALSE(atomicfile::write(dir.filePath(QStringLiteral("plain/inner.txt")), "text", &error));
    EXPECT_TRUE(error.contains(systemErrorText(ENOTDIR))) << error.toStdString();
}

TEST(AtomicFilesTest, ARenameNeverReplacesAndNamesItsReason)
{
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("from.txt"));
    const QString to = dir.filePath(QStringLiteral("to.txt"));
    testsupport::writeBytes(from, "moving");
    testsupport::writeBytes(to, "staying");
    QString error;
    EXPECT_FALSE(atomicfile::renameNoReplace(from, to, &error));
    EXPECT_EQ(error, systemErrorText(EEXIST));
    EXPECT_EQ(testsupport::readBytes(to), QByteArray("staying"));
    EXPECT_FALSE(atomicfile::renameNoReplace(dir.filePath(QStringLiteral("none")), to + u'2', &error));
    EXPECT_EQ(error, systemErrorText(ENOENT));
    ASSERT_TRUE(QFile::remove(to));
    EXPECT_TRUE(atomicfile::renameNoReplace(from, to, &error));
    EXPECT_EQ(testsupport::readBytes(to), QByteArray("moving"));
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

// Makes the calling thread reach files as another user, without root's right to pass over
// permissions, and back to root when the guard goes; nothing when not running as root.
class AsOtherUser {
public:
    explicit AsOtherUser(uid_t uid)
    {
        if (::geteuid() == 0) {
            ::setfsgid(uid);
            ::setfsuid(uid);
            m_switched = true;
        }
    }
    ~AsOtherUser()
    {
        if (m_switched) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    AsOtherUser(const AsOtherUser &) = delete;
    AsOtherUser &operator=(const AsOtherUser &) = delete;

private:
    bool m_switched = false;
};

constexpr uid_t Nobody = 65534;

mode_t modeOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

TEST(AtomicFilesTest, AFolderTheUserMayNotWriteToFailsWithItsReasonAndKeepsTheFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/notes.txt");
    testsupport::writeBytes(path, "previous");
    // the user may write the file itself but may not add a file beside it
    const QByteArray nativeDir = QFile::encodeName(dir.path());
    const QByteArray nativeFolder = QFile::encodeName(folder);
    const QByteArray nativeFile = QFile::encodeName(path);
    ASSERT_EQ(::chmod(nativeDir.constData(), 0755), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(nativeFolder.constData(), Nobody, Nobody), 0);
        ASSERT_EQ(::chown(nativeFile.constData(), Nobody, Nobody), 0);
    }
    ASSERT_EQ(::chmod(nativeFolder.constData(), 0555), 0);
    QString error;
    bool written = true;
    {
        const AsOtherUser nobody(Nobody);
        written = atomicfile::write(path, "replacement", &error);
    }
    ::chmod(nativeFolder.constData(), 0755);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::readBytes(path), QByteArray("previous"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("notes.txt")})
        << "no temporary file is left";
}

TEST(AtomicFilesTest, ALinkStaysALinkAndItsTargetIsReplaced)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("real"))));
    const QString target = dir.filePath(QStringLiteral("real/list.htm"));
    const QString link = dir.filePath(QStringLiteral("list.htm"));
    testsupport::writeBytes(target, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/list.htm"), link));
    ASSERT_TRUE(atomicfile::write(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(target).absoluteFilePath());
    EXPECT_EQ(testsupport::readBytes(target), QByteArray("new"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("list.htm")})
        << "nothing is left beside the link";
}

TEST(AtomicFilesTest, TheReplacedFilesModeIsKept)
{
    QTemporaryDir dir;
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664), mode_t(0755)}) {
        const QString path = dir.filePath(QStringLiteral("file%1").arg(mode, 0, 8));
        testsupport::writeBytes(path, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        ASSERT_TRUE(atomicfile::write(path, "new"));
        EXPECT_EQ(modeOf(path), mode) << std::oct << mode;
        EXPECT_EQ(testsupport::readBytes(path), QByteArray("new"));
    }
}

} // namespace
