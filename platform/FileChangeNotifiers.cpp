#include "platform/FileChangeNotifiers.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QMetaMethod>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t NameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t RootEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

bool outOfWatches(int error)
{
    return error == ENOSPC || error == ENOMEM || error == EMFILE;
}

// The folders right below the folder (hidden ones too), links to folders left out.
void appendSubfolders(const QString &folder, QStringList &out)
{
    const QByteArray encoded = QFile::encodeName(folder);
    DIR *dir = ::opendir(encoded.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder = ::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder)
            out.append(folder + u'/' + QFile::decodeName(name));
    }
    ::closedir(dir);
}

[[noreturn]] void cannotCreate()
{
    throw PlatformError(QStringLiteral("Can not create notify thread!"));
}

} // namespace

TFileChangeNotifier::TFileChangeNotifier(QObject *owner)
    : QObject(owner)
    , m_batch(new QTimer(this))
{
    m_batch->setSingleShot(true);
    m_batch->setInterval(BatchDelayMs);
    connect(m_batch, &QTimer::timeout, this, [this] {
        if (m_active)
            emit OnChange();
    });
}

TFileChangeNotifier::~TFileChangeNotifier()
{
    m_batch->stop();
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint32_t TFileChangeNotifier::InotifyMask(TNotifyFilters filters)
{
    std::uint32_t mask = 0;
    if (filters & (nfFileNameChange | nfDirNameChange))
        mask |= NameEvents;
    if (filters & (nfAttributeChange | nfSecurityChange))
        mask |= IN_ATTRIB;
    if (filters & nfSizeChange)
        mask |= IN_MODIFY;
    if (filters & nfWriteChange)
        mask |= IN_MODIFY | IN_ATTRIB; // setting a file's times changes its attributes only
    return mask;
}

bool TFileChangeNotifier::Matches(std::uint32_t eventMask, TNotifyFilters filters)
{
    if (eventMask & IN_Q_OVERFLOW)
        return true; // events were lost: anything may have changed
    if (eventMask & NameEvents) {
        const TNotifyFilter kind = (eventMask & IN_ISDIR) ? nfDirNameChange : nfFileNameChange;
        if (filters & kind)
            return true;
    }
    if ((eventMask & IN_ATTRIB) && (filters & (nfAttributeChange | nfSecurityChange | nfWriteChange)))
        return true;
    return (eventMask & IN_MODIFY) && (filters & (nfSizeChange | nfWriteChange));
}

void TFileChangeNotifier::SetActive(bool value)
{
    if (value == m_active)
        return;
    if (value)
        start();
    else
        stop();
}

void TFileChangeNotifier::SetRoot(const QString &value)
{
    if (value == m_root)
        return;
    m_root = value;
    if (m_root.size() > 1 && m_root.endsWith(u'/'))
        m_root.chop(1);
    restart();
}

void TFileChangeNotifier::SetNotifyFilters(TNotifyFilters value)
{
    if (value == m_filters)
        return;
    m_filters = value;
    restart();
}

void TFileChangeNotifier::SetWatchSubTree(bool value)
{
    if (value == m_watchSubTree)
        return;
    m_watchSubTree = value;
    restart();
}

void TFileChangeNotifier::restart()
{
    if (!m_active)
        return;
    stop();
    start();
}

void TFileChangeNotifier::start()
{
    // one inotify instance for the object's life: closing one waits for the kernel, removing a watch
    // does not, so a stop only removes the watches
    if (m_fd < 0) {
        const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd < 0)
            cannotCreate();
        m_fd = fd;
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        m_notifier->setEnabled(false);
        connect(m_notifier, &QSocketNotifier::activated, this, &TFileChangeNotifier::readEvents);
    }
    drain(); // what the watches of an earlier start still had queued
    ++m_generation;
    int error = 0;
    const bool rootWatched = addTree(m_root, &error);
    if (!rootWatched && outOfWatches(error)) {
        stop();
        cannotCreate();
    }
    m_rootWd = rootWatched ? m_paths.key(m_root, -1) : -1;
    m_notifier->setEnabled(true);
    m_active = true;
    if (!rootWatched) {
        // found after the start, as a watch that fails later is
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (m_active && generation == m_generation) {
                    stop();
                    findError();
                }
            },
            Qt::QueuedConnection);
    }
}

void TFileChangeNotifier::stop()
{
    m_batch->stop();
    if (m_notifier)
        m_notifier->setEnabled(false);
    for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it)
        inotify_rm_watch(m_fd, it.key());
    m_paths.clear();
    m_rootWd = -1;
    drain();
    m_active = false;
}

void TFileChangeNotifier::drain()
{
    if (m_fd < 0)
        return;
    alignas(inotify_event) char buffer[16 * 1024];
    while (::read(m_fd, buffer, sizeof buffer) > 0 || errno == EINTR) {
    }
}

bool TFileChangeNotifier::addTree(const QString &folder, int *firstError)
{
    const std::uint32_t mask = InotifyMask(m_filters) | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK |
                               (m_watchSubTree ? IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM : 0);
    QStringList stack{folder};
    bool top = true;
    while (!stack.isEmpty()) {
        const QString path = stack.takeLast();
        const bool isTop = top;
        top = false;
        // the root may be a link to the folder; no link below it is followed
        const int wd =
            inotify_add_watch(m_fd, QFile::encodeName(path).constData(), path == m_root ? mask : mask | IN_DONT_FOLLOW);
        if (wd < 0) {
            if (firstError && *firstError == 0)
                *firstError = errno;
            if (isTop)
                return false;
            continue; // a folder below that is gone or unreadable: the rest is still watched
        }
        const auto known = m_paths.constFind(wd);
        if (known != m_paths.cend() && *known == path)
            continue; // already watched (a folder reached twice)
        m_paths.insert(wd, path);
        if (!m_watchSubTree)
            continue;
        appendSubfolders(path, stack);
    }
    return true;
}

void TFileChangeNotifier::dropTree(const QString &folder)
{
    const QString below = folder + u'/';
    for (auto it = m_paths.begin(); it != m_paths.end();) {
        if (it.key() != m_rootWd && (*it == folder || it->startsWith(below))) {
            inotify_rm_watch(m_fd, it.key());
            it = m_paths.erase(it);
        } else {
            ++it;
        }
    }
}

void TFileChangeNotifier::readEvents()
{
    if (m_fd < 0)
        return;
    bool changed = false;
    bool rootGone = false;
    alignas(inotify_event) char buffer[16 * 1024];
    // a bounded share per wake-up: a program that never stops writing cannot hold the GUI thread
    // (what is left wakes the notifier again)
    for (int reads = 0; reads < 64; ++reads) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break; // EAGAIN: everything read
        }
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->wd == m_rootWd && (event->mask & RootEvents)) {
                rootGone = true;
                continue;
            }
            if (event->mask & IN_IGNORED) {
                m_paths.remove(event->wd); // a folder below has gone
                continue;
            }
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF))
                continue; // its parent reports the same change by name
            if (Matches(event->mask, m_filters))
                changed = true;
            if (!m_watchSubTree || !(event->mask & IN_ISDIR) || event->len == 0)
                continue;
            const auto parent = m_paths.constFind(event->wd);
            if (parent == m_paths.cend())
                continue;
            const QString path = *parent + u'/' + QFile::decodeName(event->name);
            if (event->mask & IN_MOVED_FROM)
                dropTree(path);
            else if (event->mask & (IN_CREATE | IN_MOVED_TO))
                addTree(path, nullptr);
        }
    }
    if (rootGone) {
        stop();
        findError();
        return;
    }
    if (changed && !m_batch->isActive())
        m_batch->start();
}

void TFileChangeNotifier::findError()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TFileChangeNotifier::OnFindError)))
        emit OnFindError(this);
    else
        throw PlatformError(QStringLiteral("Notify thread error!"));
}
