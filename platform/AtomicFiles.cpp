#include "platform/AtomicFiles.h"

#include <QFile>
#include <QSaveFile>
#include <csignal>
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

} // namespace

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    ignoreFileSizeSignal();
    QSaveFile file(path);
    // unbuffered, so a write the file system cuts short shows in its count
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            if (error)
                *error = file.errorString().isEmpty() || n == 0
                             ? QStringLiteral("The file could not be written completely.")
                             : file.errorString();
            file.cancelWriting();
            return false;
        }
        done += n;
    }
    keepOwner(path, file.handle());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace atomicfile
