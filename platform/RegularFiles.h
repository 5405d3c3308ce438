#pragma once
// Reading a file that a user or another program names (a drop, a paste, an opened note, an inserted
// object or picture, the bookmark file, a favorite, the settings) without ever waiting on it: a pipe
// (FIFO) holds its reader until something writes to it, a device may never end or may act when it is
// opened (a tape rewinds), a folder is no file. The entry is looked at before it is opened and is
// opened only when it is a regular file (symbolic links followed); it is opened without waiting and
// looked at again through the open handle, so an entry swapped in between is refused as well. Anything
// else is refused with its reason.
#include <QByteArray>
#include <QString>

class QFile;

namespace regularfiles {

struct Outcome {
    enum Kind {
        File,       // a regular file, opened or read
        Missing,    // nothing by that name (or a folder on its way is missing)
        NotAFile,   // a folder, a pipe, a device or a socket
        Unreadable, // there, but the system refused to look at it or to open it
    };
    Kind kind = File;
    QString reason; // empty for File; else why, in words for a message
    explicit operator bool() const { return kind == File; }
};

// What path names, without opening it.
Outcome check(const QString &path);
// Opens path for reading into file (which then has no name of its own) when it is a regular file.
Outcome open(const QString &path, QFile &file);
// Reads at most limit + 1 bytes of path into bytes, so a caller tells a file over its limit by the
// count; a failed read gives Unreadable with the system's reason.
Outcome read(const QString &path, qint64 limit, QByteArray &bytes);

} // namespace regularfiles
