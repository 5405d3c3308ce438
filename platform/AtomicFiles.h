#pragma once
// Whole-file writes that never leave a half-written file: the bytes go to a temporary file beside the
// target, which replaces the target only when every byte has reached it. (A buffered QSaveFile can
// report success after the file system took only part of the data; this reads every write's count.)
#include <QByteArray>
#include <QString>

namespace atomicfile {

// False, with the reason in error, when the file could not be written; the previous file is then whole.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// What the system keeps of a file (of the open file fd, else of path): where it lies, its size and
// its last change, to tell later whether a file was changed or replaced. exists is false when there is
// none; regular tells a plain file from a folder, a device or a pipe.
struct FileStamp {
    bool exists = false;
    bool regular = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp stampOf(const QString &path, int fd = -1);

// Renames (or moves, within one file system) from to to, never replacing an entry named to; false,
// with the system's reason in error, when it could not.
bool renameNoReplace(const QString &from, const QString &to, QString *error = nullptr);

// Holds an advisory lock on a folder for the time of one read-modify-write, so two programs writing
// the same file (or two files of one folder) take turns and each re-reads what the other wrote. The
// lock goes with the process, so a crash never leaves it behind, and no lock file appears in folders
// that others list (favorites). A folder that cannot be opened, or whose file system has no locks, is
// written unlocked; a lock another program keeps longer than waitMs is not taken.
// How long a write waits for another program's lock on its folder.
constexpr int DefaultLockWaitMs = 3000;

// A folder another program keeps locked costs one wait per action of the user: once a wait for it
// failed, the later writes of the same action (the rest of a close, of a dialog's Apply) try its lock
// once and fail at once. An action is what runs while a scope lives; a wait that fails outside every
// scope is forgotten at once. The application object opens a scope around each event it delivers, so
// every event handler is one action, with the message boxes it shows and the events they take.
class ActionScope {
public:
    ActionScope();
    ~ActionScope();
    ActionScope(const ActionScope &) = delete;
    ActionScope &operator=(const ActionScope &) = delete;
};

class FolderLock {
public:
    FolderLock(const QString &folder, int waitMs);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    // False when another program kept the folder locked for the whole wait (or, later in an action
    // whose wait for this folder failed, at the one try); reason() then says so.
    bool held() const { return m_held; }
    QString reason() const;

private:
    QString m_folder;
    int m_waitMs;
    int m_fd = -1;
    bool m_held = true;
    bool m_waited = true; // false when the action's earlier failed wait left one try
};

} // namespace atomicfile
