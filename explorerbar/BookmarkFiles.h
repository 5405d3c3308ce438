#pragma once
// Reader and writer of bookmark files in the Netscape bookmark HTML layout, over a plain list of items
// (no widgets). The list holds the items in tree order (parents before children, siblings in order),
// each with its nesting level, which is also the order in which the file lists them.
#include "platform/AtomicFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace bookmarkfile {

enum : std::uint8_t { KindFolder = 0, KindBookmark = 1 };

// An attribute of an item other than the ones this format fixes, as the file wrote it.
struct Attribute {
    QString name;
    QString value;
    bool hasValue = true; // false for a bare name
    friend bool operator==(const Attribute &, const Attribute &) = default;
};

// What a file from another program says of an item beyond what the tree shows, kept so that saving
// gives it back: the item's other attributes (ICON, SHORTCUTURL, TAGS, POST_DATA...), written after
// the fixed ones in the order read; its <DD> description; and the <HR> separators around it.
struct Extras {
    QList<Attribute> attributes;
    QString description;
    int separatorsBefore = 0; // <HR> lines before the item in its list
    int separatorsAtEnd = 0;  // a folder's: <HR> lines after the last item of its list
    friend bool operator==(const Extras &, const Extras &) = default;
};

struct Item {
    int level = 0;                  // 0 for a top-level item; a child is one deeper than its folder
    std::uint8_t kind = KindFolder; // KindFolder, KindBookmark; any other kind is not written
    QString title;
    QString url;        // empty for a folder
    qint64 addDate = 0; // seconds since 1970-01-01 of the local wall-clock time
    qint64 lastVisit = 0;
    qint64 lastModified = 0;
    Extras extras;
    friend bool operator==(const Item &, const Item &) = default;
};

struct Document {
    QString caption; // written as the file's TITLE and H1
    QList<Item> items;
    int separatorsAtEnd = 0; // <HR> lines after the last top-level item
};

// Deepest folder nesting the reader accepts; deeper files are refused, not truncated.
constexpr int MaxDepth = 512;
// Largest file the reader accepts.
constexpr qint64 MaxFileSize = qint64(512) * 1024 * 1024;

// The file's bytes: UTF-8, CR LF line ends, the fixed header, a META charset line, the title, the
// heading and the nested lists, four spaces of indentation per level. Titles and URLs have & < > "
// written as character references and line breaks turned into spaces. A level deeper than the open
// lists allow is written one level below the last open folder, so the file always nests properly.
// An item's extras follow what this format fixes: its other attributes after the fixed ones, its
// description on a <DD> line after it, its separators as <HR> lines.
QByteArray write(const Document &doc);

// What a file was when it was read or written, to tell later whether another program changed it.
// Only a plain file holds a list another program could have changed (file.exists is false otherwise).
struct FileStamp {
    atomicfile::FileStamp file;
    size_t hash = 0; // of the bytes
};

// Whether the file at path now holds other bytes than it held at stamp (a file touched without a
// change of its bytes, gone, or no plain file any more, has not changed: writing there loses no list).
bool changedSince(const QString &path, const FileStamp &stamp);

// Writes the file atomically: on any failure the previous file stays as it was and the answer is
// false with a reason in *error. On success *stamp (when given) is the written file's.
bool save(const QString &path, const Document &doc, QString *error = nullptr, FileStamp *stamp = nullptr);

// Reads a bookmark file. Text decoding: a byte-order mark, else the charset of a META tag before the
// lists, else UTF-8 when the bytes are valid UTF-8, else legacyCodePage (a Windows code page number).
// Tags and attribute names in any case, attributes in any order and with double, single or no quotes;
// character references decoded. Dates are 64-bit; a malformed date reads as 0. Only an A right
// after a DT is a bookmark (links in descriptions are text). Items outside any list are top-level
// items: before the first list (as some browsers export their top-level folders), in a file without
// a list at all (as some tools export), and after the top-level list has closed (after a stray </DL>,
// or in a second top-level list). A file with the bookmark-file DOCTYPE and no items is an empty list.
// A file without a TITLE and without the DOCTYPE, a file with a TITLE but neither the DOCTYPE, a list
// nor an item, a bookmark without HREF, a tag cut off by the end of the file, or nesting beyond
// MaxDepth fail: the answer is false, *doc is left empty and *error says why.
bool parse(const QByteArray &bytes, int legacyCodePage, Document *doc, QString *error = nullptr);

// Reads and parses a file; a missing, unreadable or oversized file fails like a malformed one.
// On success *stamp (when given) is the stamp of the bytes read.
bool load(const QString &path, int legacyCodePage, Document *doc, QString *error = nullptr, FileStamp *stamp = nullptr);

// The text decoded as the reader decodes it (exposed for tests and tools).
QString decodeText(const QByteArray &bytes, int legacyCodePage);

// Character references (&amp; &lt; &gt; &quot; &apos; &nbsp; &#n; &#xh;) decoded; anything else kept.
QString decodeEntities(QStringView text);
// & < > " as character references.
QString escape(const QString &text);

} // namespace bookmarkfile
