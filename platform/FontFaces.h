#pragma once
// The system's installed font faces as the font configuration lists them, and a watch that tells when
// that set changes (a font installed or removed while the program runs).
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;

namespace fontfaces {

// One face of one font file. Spacing as the font configuration gives it: -1 unknown, 0 proportional,
// 90 dual, 100 monospace, 110 character cell.
struct Face {
    QString Family;
    QString Format; // "TrueType", "CFF", "Type 1", "PCF", "BDF"... (empty when unknown)
    int Spacing = -1;
    bool Scalable = false;
};

// Every installed face, in the configuration's order (one entry per font file and family name).
QList<Face> installed();
// The folders the configuration reads fonts from.
QStringList fontFolders();
// Reloads the configuration after the installed fonts changed.
void reload();

// Reports a change of the installed fonts once the font folders have been quiet for a moment. It
// watches the folders' change notifications; nothing polls.
class Watcher : public QObject {
    Q_OBJECT
public:
    explicit Watcher(QObject *parent = nullptr);
    // The shared watcher of the program (made on first use).
    static Watcher &instance();

signals:
    void fontsChanged();

private:
    void rewatch();
    QFileSystemWatcher *m_watcher;
    QTimer m_quiet;
};

} // namespace fontfaces
