#pragma once
// An ini file with the semantics of the old private-profile functions, which the settings file,
// internet shortcuts and the store of platform values rely on:
//  - section and key names match without regard to case (a-z folded); the first of two equal keys
//    and the first of two equal sections count;
//  - lines are kept in file order, byte for byte, comments and blank lines included; replacing a key
//    rewrites its line where it stands, a new key is appended to its section, a new section to the file;
//  - a header may be indented; keys and values are trimmed of blanks and tabs, and a value enclosed in
//    matching quotes loses them; a value read is cut at 2047 characters (unless the object is made
//    to keep values whole, as the platform store is);
//  - integers are decimal or hexadecimal ("0x", "$");
//  - every write replaces the file atomically, so a failed write leaves the previous file whole;
//  - every write re-reads the file and changes it under an advisory lock on its folder, so programs
//    writing the same file at once take turns and none loses another's change; a lock another
//    program keeps longer than the lock wait fails the write instead of waiting without end.
// Text is UTF-8; lines this object does not rewrite keep their bytes, whatever their encoding.
// The parsed file is cached and re-read only when the file on disk changes, so reading many keys
// costs one parse. A file larger than the object's size limit, or one that cannot be read (a pipe, a
// device, a folder, a file the user may not read), is refused: it reads as empty, no write replaces it,
// and errorString says why (a file that does not exist is no refusal: it reads as empty). A write that
// would make the file larger than the limit fails the same way before anything is written, so no
// write produces a file that is refused. Memory grows with the bytes read: a run of empty lines is
// held as one line.
#include "platform/AtomicFiles.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ProfileIni {
public:
    // Whether values read are cut at MaxValueLength as the old functions cut them, or kept whole.
    enum class ValueLength { Cut, Whole };
    // Largest settings file read; internet shortcuts take a smaller limit.
    static constexpr qint64 MaxFileSize = qint64(4) * 1024 * 1024;
    static constexpr qint64 MaxShortcutSize = 64 * 1024;

    explicit ProfileIni(const QString &fileName, ValueLength valueLength = ValueLength::Cut,
                        qint64 maxFileSize = MaxFileSize);
    ~ProfileIni();
    ProfileIni(const ProfileIni &) = delete;
    ProfileIni &operator=(const ProfileIni &) = delete;

    QString fileName() const { return m_fileName; }
    // How long a write waits for the folder's lock; setLockWait answers the wait it replaces (tests
    // shorten it; zero or less restores the default).
    static constexpr int DefaultLockWaitMs = atomicfile::DefaultLockWaitMs;
    static int setLockWait(int milliseconds);
    static constexpr int MaxValueLength = 2047;

    QString readString(const QString &section, const QString &key, const QString &def) const;
    int readInteger(const QString &section, const QString &key, int def) const;
    bool readBool(const QString &section, const QString &key, bool def) const;
    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;
    // Keys of the section in file order (duplicates included, comments excluded).
    QStringList readSection(const QString &section) const;
    // "key=value" for every key of the section, each value read as readString reads it.
    QStringList readSectionValues(const QString &section) const;
    QStringList readSections() const;

    // Writes return false when the file cannot be written or a name or value cannot be stored
    // (an empty key, a key with "=" or beginning with "[" or ";", a line break in any of them); the
    // file is then unchanged and errorString() tells why.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeBool(const QString &section, const QString &key, bool value);
    bool eraseSection(const QString &section);
    bool deleteKey(const QString &section, const QString &key);
    // One change of a list kept as a section, made against the file as it is now: under the folder's
    // lock, change receives the section's lines ("key=value", the first of two equal keys, values as
    // readString reads them) and returns the lines the section is to hold; lines without a name are
    // dropped, and of two equal names the first is kept. The lines kept go to written (also when
    // nothing had to be written: the section was there and stays as it was). Lines that stay as they
    // were keep their bytes.
    bool changeSection(const QString &section, const std::function<QStringList(const QStringList &current)> &change,
                       QStringList *written = nullptr);
    // The same for one value: change receives the value as it is now (empty when there is none).
    bool changeString(const QString &section, const QString &key,
                      const std::function<QString(const QString &current)> &change, QString *written = nullptr);
    // Erases the section, then writes the pairs in order (a later pair whose key equals an earlier
    // one's is dropped), all in one atomic write.
    bool replaceSection(const QString &section, const QList<QPair<QString, QString>> &pairs);

    // Why the last write failed (the system's reason, that the name or value cannot be stored, or
    // that the file is too large), else why the file was refused at its last read; empty when neither.
    QString errorString() const;
    // The name as close to the given one as the file can hold: line breaks become blanks, "=" a "-",
    // a leading "[" a "(" (its first "]" a ")"), a leading ";" a "_". Empty when nothing is left.
    static QString storableName(const QString &name);
    // The value without its line breaks (and NUL characters), which the file cannot hold.
    static QString storableValue(const QString &value);

    // Parsing alone, for tests and fuzzing: reads bytes as if they were the file.
    // Section names, each followed by its "key=value" lines as read.
    static QStringList parseSectionsForTest(const QByteArray &bytes);
    // The bytes written back after parsing, with nothing changed.
    static QByteArray roundTripForTest(const QByteArray &bytes);

    struct Document;

private:
    // The parsed file; re-read when it changed on disk, or always when reread is set.
    Document &doc(bool reread = false) const;
    bool save(Document &d);
    // Applies change (which says whether it changed anything) to the file as it is now, under the
    // folder's lock, and writes the result; false when the write fails.
    bool update(const std::function<bool(Document &)> &change);

    QString m_fileName;
    bool m_wholeValues = false;
    qint64 m_maxFileSize;
    QString m_error;
    mutable std::unique_ptr<Document> m_doc;
};
