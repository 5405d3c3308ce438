#pragma once
// The payload behind the inline objects of the rich-edit control: what an object shows, kept encoded
// and decoded only when drawn (a bounded number of decoded pictures is cached for the whole program);
// files embedded in a note or linked from it, with the RTF \object group they are stored as; and the
// private folder where an embedded file is copied to be opened.
#include "notes/RichTextModel.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace richedit {

// What an object shows: PNG or JPEG bytes, or, when empty, a placeholder of Size pixels. Shared by
// every copy of the object (undo, clipboard, the clone a printout draws), never copied.
class TObjectPicture {
public:
    TObjectPicture(QByteArray bytes, QSize size);
    ~TObjectPicture();
    TObjectPicture(const TObjectPicture &) = delete;
    TObjectPicture &operator=(const TObjectPicture &) = delete;

    quint64 Id() const { return m_id; }
    // The name the document's image format refers to it by.
    QString Name() const;
    const QByteArray &Bytes() const { return m_bytes; }
    QSize Size() const { return m_size; }
    // The picture decoded (through the program's bounded cache).
    QImage Image() const;

private:
    quint64 m_id;
    QByteArray m_bytes;
    QSize m_size;
};

using TObjectPictureRef = std::shared_ptr<const TObjectPicture>;

// The shown picture of an object; the decoded image, when the caller already has it, goes to the cache.
TObjectPictureRef MakeObjectPicture(const TRichObject &object);
// Decoded pictures the cache holds at most, and the bytes they may take together.
constexpr int DecodedCacheCount = 48;
constexpr qint64 DecodedCacheBytes = qint64(256) << 20;
// Pictures decoded so far (for tests and the benchmark: shows that drawing decodes on demand).
int DecodedPictureCount();
qint64 DecodedCacheUse();

// ---- embedded and linked files ----

// The largest file a note embeds.
constexpr qint64 MaxEmbeddedFileSize = qint64(64) << 20;

// NotAFile: a pipe, a device or a folder, which is never opened.
enum class TFileObjectError { None, Missing, TooLarge, Unreadable, NotAFile };
// The message for files refused for their size (the control's own text, like its other object texts).
QString FileTooLargeText(const QStringList &fileNames);
// The message for names handed in that cannot be read as files (a pipe, a device, a file the user may
// not read), each given as "name: why".
QString FileRefusedText(const QStringList &namesAndReasons);
// An object for the file at path: its bytes embedded (link false) or a link to it. Shown as its
// content when it is a picture, else as its icon with its name.
TRichObject FileObject(const QString &path, bool link, TFileObjectError *error = nullptr);
// Redraws what a file object shows after its view or (for a link) its file changed; a link re-reads
// its file's picture when it is one.
void RefreshFileObject(TRichObject &object);
// The type name an object is shown by (menus, properties): the file's type or the object's class.
QString ObjectTypeName(const TRichObject &object);
// Size of the object's data in bytes (a linked file's size on disk), -1 when not known.
qint64 ObjectDataSize(const TRichObject &object);

// The RTF \object group a file object is stored as: its class, its data (name, type, view, update
// option and the file's bytes) and its picture as \result.
QByteArray FileObjectGroup(const TRichObject &object, const QByteArray &resultPicture);
// When the kept \object group is one written by FileObjectGroup, the file object it holds.
bool FileObjectFromGroup(const QByteArray &group, TRichObject &object);

// ---- verbs ----

struct TObjectVerb {
    int Number = 0; // 0: the primary verb
    QString Name;
};
constexpr int VerbOpen = 0;
constexpr int VerbOpenSource = 1;
constexpr int VerbUpdateNow = 2;
// The verbs an object offers on the container's menu: a file opens; a link also opens its source and
// updates. Pictures and other programs' objects have none (no program here can edit them).
QList<TObjectVerb> ObjectVerbs(const TRichObject &object);

// ---- opening files ----

// Hands a file to the desktop: its opener for the file's type (never runs the file itself).
using TObjectOpener = std::function<bool(const QString &path)>;
// Installs the opener (an empty one: the desktop's); returns the one before.
TObjectOpener SetObjectOpener(TObjectOpener opener);
bool OpenObjectFile(const QString &path);
// The name a stored file name stands for, as the name of a file: its last path part, without control
// characters (NULs among them) or format characters, without the dots and blanks a name cannot end
// in, cut to what a folder takes (NAME_MAX bytes in the file-name encoding, never inside a character)
// with its extension kept; "object" when nothing is left. Every lookup by an object's name goes
// through it.
QString CleanFileName(const QString &fileName);
// True for a file on disk (a link's source) the desktop would run rather than show: the executable
// bit, a desktop entry, a script or a program of any system, by its name, its stored type or its
// content.
bool WouldExecute(const QString &path, const QString &mimeType);
// The same for an embedded file: its stored name (cleaned first), its stored type and its bytes.
bool WouldExecuteContent(const QString &fileName, const QString &mimeType, const QByteArray &content);

class ScopedObjectOpener {
public:
    explicit ScopedObjectOpener(TObjectOpener opener)
        : m_previous(SetObjectOpener(std::move(opener)))
    {}
    ~ScopedObjectOpener() { SetObjectOpener(std::move(m_previous)); }
    ScopedObjectOpener(const ScopedObjectOpener &) = delete;
    ScopedObjectOpener &operator=(const ScopedObjectOpener &) = delete;

private:
    TObjectOpener m_previous;
};

// The private copies of embedded files a control opened: in a folder only the user can enter (0700),
// readable and writable by the user alone, never executable; removed when closed.
class TOpenedObjectCopies {
public:
    TOpenedObjectCopies();
    ~TOpenedObjectCopies();
    // Writes the object's bytes to a fresh copy; returns its path, or an empty string (error set).
    QString Write(quint64 objectId, const QString &fileName, const QByteArray &bytes, QString *error);
    QList<quint64> Objects() const;
    // Removes the copies of one object.
    void Close(quint64 objectId);
    // Removes every copy, the last opened first, then the folder.
    void CloseAll();
    QString Folder() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// ---- the object texts of the control (its own built-in texts, in Japanese like the rest) ----
QString PropertiesCaption(const TRichObject &object); // "%s のプロパティ"
QString ExecuteQuestionText(const QString &fileName);
QString OpenFailedText(const QString &fileName);
QString LinkSourceMissingText(const QString &path);

} // namespace richedit
