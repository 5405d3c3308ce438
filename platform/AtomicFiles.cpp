#include "platform/AtomicFiles.h"

#include "platform/PlatformError.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QSaveFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

namespace {

// A write past the file-size limit would end the whole program by its signal; ignored, the write
// fails with its reason like any other failed write.
void ignoreFileSizeSignal()
{
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
}

// The new copy keeps the owner and group of the file it replaces (a save by root of another user's
// file must not hand the file to root). Only root can give a file away; for others it is theirs anyway.
void keepOwner(const QString &path, int fd)
{
    struct stat target {};
    struct stat fresh {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0 || ::fstat(fd, &fresh) != 0)
        return;
    if (target.st_uid != fresh.st_uid || target.st_gid != fresh.st_gid)
        (void)::fchown(fd, target.st_uid, target.st_gid);
}

QString systemText(int err)
{
    return err != 0 ? systemErrorText(err) : QStringLiteral("The file could not be written.");
}

// What the file object reported for its failed call, else the system's text for err.
QString reasonOf(const QFileDevice &file, int err)
{
    return file.error() != QFileDevice::NoError && !file.errorString().isEmpty() ? file.errorString() : systemText(err);
}

} // namespace

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    ignoreFileSizeSignal();
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reasonOf(file, errno));
    // straight to the descriptor, so a write the file system cuts short shows in its count and a
    // failed one keeps its own reason
    const int fd = file.handle();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC; // nothing written and no error: the device is full
            file.cancelWriting();
            return fail(systemText(err));
        }
        done += n;
    }
    keepOwner(path, fd);
    errno = 0;
    if (!file.commit())
        return fail(reasonOf(file, errno));
    return true;
}

bool renameNoReplace(const QString &from, const QString &to, QString *error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // a file system that cannot refuse by itself: look first
        struct stat existing {};
        if (::lstat(target.constData(), &existing) == 0)
            errno = EEXIST;
        else if (errno == ENOENT)
            result = ::rename(source.constData(), target.constData());
    }
    if (result != 0 && error)
        *error = systemErrorText(errno);
    return result == 0;
}

FileStamp stampOf(const QString &path, int fd)
{
    FileStamp stamp;
    struct stat sb {};
    if ((fd >= 0 ? ::fstat(fd, &sb) : ::stat(QFile::encodeName(path).constData(), &sb)) != 0)
        return stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(sb.st_mode);
    stamp.size = sb.st_size;
    stamp.mtimeNs = qint64(sb.st_mtim.tv_sec) * 1000000000 + sb.st_mtim.tv_nsec;
    stamp.inode = sb.st_ino;
    stamp.device = sb.st_dev;
    return stamp;
}

namespace {

// How deep the scopes of actions are nested, and the folders whose wait failed with the depth at which
// it failed: a failure belongs to the innermost action that was running, and goes when that action ends.
int g_actionDepth = 0;
QList<QPair<QString, int>> g_failedWaits;

bool waitFailedInThisAction(const QString &folder)
{
    for (const auto &[failed, depth] : std::as_const(g_failedWaits))
        if (failed == folder)
            return true;
    return false;
}

} // namespace

ActionScope::ActionScope()
{
    ++g_actionDepth;
}

ActionScope::~ActionScope()
{
    const int ending = g_actionDepth--;
    if (!g_failedWaits.isEmpty())
        g_failedWaits.removeIf([ending](const QPair<QString, int> &f) { return f.second >= ending; });
}

FolderLock::FolderLock(const QString &folder, int waitMs)
    : m_folder(folder)
    , m_waitMs(waitMs)
    , m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (m_fd < 0)
        return;
    // one wait per action: after a failed one, a single try
    m_waited = !waitFailedInThisAction(folder);
    // tried often: a writer that takes the lock again soon after it let it go leaves short gaps
    constexpr int StepUs = 1000;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_waited ? waitMs : 0);
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // no locks on this file system: written unlocked
        if (std::chrono::steady_clock::now() >= until)
            break;
        ::usleep(StepUs);
    }
    ::close(m_fd);
    m_fd = -1;
    m_held = false;
    if (m_waited && g_actionDepth > 0)
        g_failedWaits.append({folder, g_actionDepth});
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // ends the lock
}

QString FolderLock::reason() const
{
    if (m_held)
        return {};
    if (!m_waited)
        return QStringLiteral("another program keeps the folder %1 locked").arg(QDir::toNativeSeparators(m_folder));
    return QStringLiteral("another program has kept the folder %1 locked for more than %2 seconds")
        .arg(QDir::toNativeSeparators(m_folder))
        .arg((m_waitMs + 999) / 1000);
}

} // namespace atomicfile
