#pragma once
// The system's installed font faces as the font configuration lists them, and a watch that tells when
// that set changes (a font installed or removed while the program runs).
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QFileSystemWatcher;

namespace fontfaces {

// One face of one font file. Spacing as the font configuration gives it: -1 unknown, 0 proportional,
// 90 dual, 100 monospace, 110 character cell.
struct Face {
    QString Family;
    QString Format; // "TrueType", "CFF", "Type 1", "PCF", "BDF"... (empty when unknown)
    int Spacing = -1;
    bool Scalable = false;
    bool operator==(const Face &) const = default;
};

// Every installed face, in the configuration's order (one entry per font file and family name).
QList<Face> installed();
// The folders the configuration reads fonts from.
QStringList fontFolders();
// Reloads the configuration after the installed fonts changed.
void reload();

// What the watcher works with: the folders fonts are read from, a reload of the font configuration,
// the faces installed, and its two times: how long the folders must stay quiet before a change is
// looked at, and how long after a change that brought nothing new it looks once more.
struct Source {
    std::function<QStringList()> folders;
    std::function<void()> reload;
    std::function<QList<Face>()> faces;
    int quietMs = 500;
    int retryMs = 31000;
};
// The system's: the configuration's folders, reload() and installed(); the retry comes after the
// configuration's rescan interval (it rescans no sooner after its last look), plus a second.
Source systemSource();

// Reports a change of the installed fonts once the font folders have been quiet for a moment. It
// watches the folders' change notifications, and the nearest existing folder above a font folder
// that does not exist yet. A change that shows no new faces (the configuration may decline to rescan
// so soon) is looked at once more after the retry time, by one single-shot timer; nothing polls.
class Watcher : public QObject {
    Q_OBJECT
public:
    explicit Watcher(QObject *parent = nullptr);
    explicit Watcher(Source source, QObject *parent = nullptr);
    // The shared watcher of the program (made on first use).
    static Watcher &instance();

    QStringList watchedFolders() const;
    bool retryPending() const { return m_retry.isActive(); }

signals:
    void fontsChanged();

private:
    // Watches what is wanted now; true when a font folder that did not exist before does now.
    bool rewatch();
    // Reloads and compares the faces with those last seen; true when they changed (and reported).
    bool look();
    Source m_source;
    QFileSystemWatcher *m_watcher;
    QTimer m_quiet;
    QTimer m_retry;
    QSet<QString> m_fontFolders; // the font folders that exist, as watched
    bool m_fontFolderChanged = false;
    QList<Face> m_seen;
    bool m_seenValid = false;
};

} // namespace fontfaces
