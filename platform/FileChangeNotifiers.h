#pragma once
// Watches one folder of the file system, optionally with all its subfolders, and reports changes of
// the kinds it is told to watch as a parameterless OnChange on the GUI thread. Built on inotify, read
// through a socket notifier on the thread that owns the object: there is no worker to wait for, so a
// stop (also from inside OnChange) only removes the watches, and a stopped watch reports nothing
// further. The inotify descriptor is opened at the first start and closed with the object. Events that arrive together
// (within BatchDelayMs of the first) are one OnChange.
//
// With WatchSubTree every folder below the root gets a watch of its own; folders that appear later
// (made or moved in) are added as they appear, folders moved out are dropped, and symbolic links are
// never followed. When the root itself is deleted, moved or unmounted, or cannot be watched at the
// start, the watch ends: Active turns false, then OnFindError fires; without a receiver of
// OnFindError a PlatformError "Notify thread error!" is raised into the event loop instead.
#include <QFlags>
#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>

class QSocketNotifier;
class QTimer;

class TFileChangeNotifier : public QObject {
    Q_OBJECT
public:
    // The kinds of change; bit n of the set stands for the n-th kind.
    enum TNotifyFilter : std::uint8_t {
        nfFileNameChange = 1 << 0,  // a file made, deleted or renamed
        nfDirNameChange = 1 << 1,   // a folder made, deleted or renamed
        nfAttributeChange = 1 << 2, // permissions, owner, times or extended attributes changed
        nfSizeChange = 1 << 3,      // a file's contents written
        nfWriteChange = 1 << 4,     // a file's contents written (its last-write time changes)
        nfSecurityChange = 1 << 5,  // permissions or owner changed
    };
    Q_DECLARE_FLAGS(TNotifyFilters, TNotifyFilter)

    static constexpr int BatchDelayMs = 50;

    explicit TFileChangeNotifier(QObject *owner = nullptr);
    ~TFileChangeNotifier() override;
    TFileChangeNotifier(const TFileChangeNotifier &) = delete;
    TFileChangeNotifier &operator=(const TFileChangeNotifier &) = delete;

    bool Active() const { return m_active; }
    // True starts a watch of Root (a second true does nothing); false ends it at once. Raises
    // PlatformError "Can not create notify thread!" when the system refuses the watch (no inotify
    // instance or no watch left); Active then stays false. A root that is missing, not a folder or
    // not readable is reported after the call, through OnFindError, as a deleted root is.
    void SetActive(bool value);

    QString Root() const { return m_root; }
    // Stored without one trailing "/" ("/" itself stays); an equal value (compared exactly, as the
    // file system compares names) changes nothing. A running watch is restarted.
    void SetRoot(const QString &value);
    TNotifyFilters NotifyFilters() const { return m_filters; }
    void SetNotifyFilters(TNotifyFilters value);
    bool WatchSubTree() const { return m_watchSubTree; }
    void SetWatchSubTree(bool value);

    // The inotify event mask that reports the kinds of the set (0 for the empty set).
    static std::uint32_t InotifyMask(TNotifyFilters filters);
    // Whether an inotify event of that mask is a change of one of the kinds of the set.
    static bool Matches(std::uint32_t eventMask, TNotifyFilters filters);
    // Folders being watched (0 while inactive).
    int WatchCount() const { return int(m_paths.size()); }

signals:
    void OnChange();
    void OnFindError(TFileChangeNotifier *sender);

private:
    void start();
    void stop();
    void restart();
    void readEvents();
    // Adds a watch on the folder and, with WatchSubTree, on every folder below it; false only when
    // the folder itself cannot be watched. Raises PlatformError when the system has no watch left.
    bool addTree(const QString &folder, int *firstError);
    void dropTree(const QString &folder);
    void findError();
    // Reads and drops whatever the descriptor holds.
    void drain();

    QString m_root;
    TNotifyFilters m_filters = TNotifyFilters(nfFileNameChange | nfDirNameChange);
    bool m_watchSubTree = true;
    bool m_active = false;
    int m_fd = -1;
    int m_rootWd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_batch = nullptr;
    QHash<int, QString> m_paths; // watch descriptor -> folder
    // counts starts, so a failure reported for an earlier watch is not taken for the current one's
    quint64 m_generation = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFileChangeNotifier::TNotifyFilters)
