#include "platform/RegularFiles.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfiles {

namespace {

Outcome refused(Outcome::Kind kind, const QString &reason)
{
    return Outcome{kind, reason};
}

// What a failed stat or open left in errno, as an outcome.
Outcome systemFailure(int err)
{
    if (err == ENOENT || err == ENOTDIR)
        return refused(Outcome::Missing, QStringLiteral("it does not exist"));
    return refused(Outcome::Unreadable, systemErrorText(err));
}

Outcome kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return refused(Outcome::NotAFile, QStringLiteral("it is a directory, not a file"));
    if (S_ISFIFO(mode))
        return refused(Outcome::NotAFile,
                       QStringLiteral("it is a pipe (FIFO), not a file: reading it could wait without end"));
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return refused(Outcome::NotAFile, QStringLiteral("it is a device, not a file"));
    if (S_ISSOCK(mode))
        return refused(Outcome::NotAFile, QStringLiteral("it is a socket, not a file"));
    return refused(Outcome::NotAFile, QStringLiteral("it is not a file"));
}

} // namespace

Outcome check(const QString &path)
{
    if (path.isEmpty())
        return refused(Outcome::Missing, QStringLiteral("no file is named"));
    struct stat sb {};
    if (::stat(QFile::encodeName(path).constData(), &sb) != 0)
        return systemFailure(errno);
    return kindOf(sb.st_mode);
}

Outcome open(const QString &path, QFile &file)
{
    // looked at first: opening a device may act on it, and a pipe's writer learns of a reader
    if (Outcome first = check(path); !first)
        return first;
    // never waits, even on a pipe put in the file's place since it was looked at
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return systemFailure(errno);
    struct stat sb {};
    Outcome opened = ::fstat(fd, &sb) == 0 ? kindOf(sb.st_mode) : systemFailure(errno);
    if (opened) {
        // a regular file reads the same either way; reads of it wait for the disk as they should
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return opened;
        opened = refused(Outcome::Unreadable, file.errorString());
    }
    ::close(fd);
    return opened;
}

Outcome read(const QString &path, qint64 limit, QByteArray &bytes)
{
    bytes.clear();
    QFile file;
    Outcome opened = open(path, file);
    if (!opened)
        return opened;
    bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return refused(Outcome::Unreadable, file.errorString());
    }
    return opened;
}

} // namespace regularfiles
