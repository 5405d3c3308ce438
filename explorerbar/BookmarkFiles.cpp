#include "explorerbar/BookmarkFiles.h"

#include "platform/AtomicFiles.h"
#include "platform/CodePage.h"
#include "platform/RegularFiles.h"
#include "platform/TextRules.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace bookmarkfile {

namespace {

const char Header[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r"
                      "<!-- This is an automatically generated file.\r"
                      "It will be read and overwritten.\r"
                      "Do Not Edit! -->\r\n";
const char MetaLine[] = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n";

// Text as it may stand in the file: escaped, and on one line.
QByteArray fileText(const QString &text)
{
    QString s = escape(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s.toUtf8();
}

void indent(QByteArray &out, int level)
{
    out.append(qsizetype(level) * 4, ' ');
}

// ---- reading -------------------------------------------------------------------------------

struct Attr {
    QStringView name;
    QStringView value;
};

struct Tag {
    QStringView name;
    bool end = false;
    QVarLengthArray<Attr, 8> attrs;

    bool is(QStringView n) const { return name.compare(n, Qt::CaseInsensitive) == 0; }
    // H1 to H6
    bool isHeading() const
    {
        return name.size() == 2 && (name[0] == u'h' || name[0] == u'H') && name[1] >= u'1' && name[1] <= u'6';
    }
    const Attr *attr(QStringView n) const
    {
        for (const Attr &a : attrs)
            if (a.name.compare(n, Qt::CaseInsensitive) == 0)
                return &a;
        return nullptr;
    }
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

// True when s[i] == '<' starts a start or end tag (not a stray "<" of text).
bool isTagStart(QStringView s, qsizetype i)
{
    if (i + 1 >= s.size())
        return false;
    if (isAsciiLetter(s[i + 1]))
        return true;
    return s[i + 1] == u'/' && i + 2 < s.size() && isAsciiLetter(s[i + 2]);
}

// Parses the tag that starts at s[i] == '<'. Returns the position after its ">", or -1 when the
// text ends inside the tag (tag.name is set as far as it was read).
qsizetype parseTag(QStringView s, qsizetype i, Tag &tag)
{
    const qsizetype n = s.size();
    qsizetype p = i + 1;
    tag.end = false;
    tag.attrs.clear();
    if (p < n && s[p] == u'/') {
        tag.end = true;
        ++p;
    }
    const qsizetype nameStart = p;
    while (p < n && (isAsciiLetter(s[p]) || s[p].isDigit()))
        ++p;
    tag.name = s.sliced(nameStart, p - nameStart);
    for (;;) {
        while (p < n && isBlank(s[p]))
            ++p;
        if (p >= n)
            return -1;
        const QChar c = s[p];
        if (c == u'>')
            return p + 1;
        if (c == u'/' || c == u'=') {
            ++p;
            continue;
        }
        const qsizetype an = p;
        while (p < n && !isBlank(s[p]) && s[p] != u'=' && s[p] != u'>' && s[p] != u'/')
            ++p;
        Attr attr;
        attr.name = s.sliced(an, p - an);
        qsizetype q = p;
        while (q < n && isBlank(s[q]))
            ++q;
        if (q < n && s[q] == u'=') {
            ++q;
            while (q < n && isBlank(s[q]))
                ++q;
            if (q >= n)
                return -1;
            if (s[q] == u'"' || s[q] == u'\'') {
                const qsizetype close = s.indexOf(s[q], q + 1);
                if (close < 0)
                    return -1;
                attr.value = s.sliced(q + 1, close - q - 1);
                p = close + 1;
            } else {
                const qsizetype vs = q;
                while (q < n && !isBlank(s[q]) && s[q] != u'>')
                    ++q;
                attr.value = s.sliced(vs, q - vs);
                p = q;
            }
        }
        tag.attrs.append(attr);
    }
}

// Text of a title or an item: references decoded, line breaks as spaces.
QString cleanText(QStringView raw)
{
    QString s = decodeEntities(raw);
    if (s.contains(u'\r') || s.contains(u'\n')) {
        s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        s.replace(u'\r', u' ');
        s.replace(u'\n', u' ');
    }
    return s;
}

qint64 readDate(const Tag &tag, QStringView name)
{
    const Attr *a = tag.attr(name);
    if (!a)
        return 0;
    bool ok = false;
    const qint64 v = a->value.trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

enum class TextOf : quint8 { Item, Description };

// A tag that ends an item's text. A description's text ends only at the next structure: links in it
// are part of the text.
bool isItemBoundary(const Tag &t, TextOf of)
{
    if (t.is(u"a"))
        return of == TextOf::Item;
    if (t.end)
        return t.isHeading() || t.is(u"dl") || t.is(u"dt") || t.is(u"dd");
    return t.isHeading() || t.is(u"dl") || t.is(u"dt") || t.is(u"dd") || t.is(u"hr");
}

// The text of an A or H item (or of a DD description) starting at pos (just after its start tag):
// everything up to its end tag, inline tags dropped. Stops before a tag that begins other structure,
// so a missing end tag costs only this item's text. pos moves past the end tag when there is one.
QString itemText(QStringView s, qsizetype &pos, TextOf of = TextOf::Item)
{
    QString raw;
    qsizetype i = pos;
    const qsizetype n = s.size();
    Tag tag;
    while (i < n) {
        const qsizetype lt = s.indexOf(u'<', i);
        if (lt < 0) {
            raw += s.sliced(i);
            i = n;
            break;
        }
        raw += s.sliced(i, lt - i);
        i = lt;
        if (!isTagStart(s, i)) {
            if (s.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = s.indexOf(u"-->", i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            raw += u'<';
            ++i;
            continue;
        }
        const qsizetype next = parseTag(s, i, tag);
        if (next < 0)
            break; // the caller meets the cut-off tag
        if (isItemBoundary(tag, of)) {
            if (tag.end && (tag.is(u"a") || tag.isHeading()))
                i = next;
            break;
        }
        i = next;
    }
    pos = i;
    return cleanText(raw);
}

bool fail(QString *error, const QString &why, Document *doc)
{
    if (error)
        *error = why;
    *doc = Document();
    return false;
}

// Charset named by a META tag before the first list, or empty.
QByteArray metaCharset(const QByteArray &bytes)
{
    qsizetype limit = bytes.size();
    for (qsizetype i = bytes.indexOf('<'); i >= 0 && i + 2 < bytes.size(); i = bytes.indexOf('<', i + 1)) {
        if ((bytes[i + 1] == 'd' || bytes[i + 1] == 'D') && (bytes[i + 2] == 'l' || bytes[i + 2] == 'L')) {
            limit = i;
            break;
        }
    }
    const QString head = QString::fromLatin1(bytes.constData(), limit);
    const QStringView s(head);
    Tag tag;
    for (qsizetype i = s.indexOf(u'<'); i >= 0; i = s.indexOf(u'<', i + 1)) {
        if (!isTagStart(s, i))
            continue;
        const qsizetype next = parseTag(s, i, tag);
        if (next < 0)
            break;
        if (tag.end || !tag.is(u"meta"))
            continue;
        if (const Attr *a = tag.attr(u"charset"))
            return a->value.trimmed().toLatin1();
        if (const Attr *a = tag.attr(u"content")) {
            const qsizetype at = a->value.indexOf(u"charset=", 0, Qt::CaseInsensitive);
            if (at >= 0) {
                QStringView v = a->value.sliced(at + 8).trimmed();
                qsizetype end = 0;
                while (end < v.size() && !isBlank(v[end]) && v[end] != u';' && v[end] != u'"' && v[end] != u'\'')
                    ++end;
                return v.first(end).toLatin1();
            }
        }
    }
    return {};
}

// Attribute names written back must stay one name: letters, digits and a few marks.
bool isPlainName(QStringView name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u':' || c == u'.';
    });
}

// The attributes of an item's tag other than the fixed ones, in file order.
QList<Attribute> otherAttributes(const Tag &tag, std::initializer_list<QStringView> fixed)
{
    QList<Attribute> out;
    for (const Attr &a : tag.attrs) {
        const bool isFixed = std::any_of(fixed.begin(), fixed.end(),
                                         [&a](QStringView f) { return a.name.compare(f, Qt::CaseInsensitive) == 0; });
        if (isFixed || !isPlainName(a.name))
            continue;
        out.append(Attribute{a.name.toString(), a.value.isNull() ? QString() : cleanText(a.value), !a.value.isNull()});
    }
    return out;
}

// The description as it is kept: one line, no blanks around it.
QString descriptionText(QStringView s, qsizetype &pos)
{
    QString text = itemText(s, pos, TextOf::Description);
    qsizetype from = 0, to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// Reads the decoded text of a bookmark file into a document, tag by tag, without recursion.
class Parser {
public:
    Parser(QStringView text, Document *doc)
        : m_s(text)
        , m_doc(doc)
    {}
    // False with the reason in m_error when the file cannot be turned into a list.
    bool run();
    QString error() const { return m_error; }

private:
    // One open list: the level of its items, the folder it belongs to (-1 for the top level) and the
    // separators met since its last item.
    struct OpenList {
        int level = 0;
        qsizetype folder = -1;
        int separators = 0;
    };

    bool declaration();
    bool startTag(const Tag &tag);
    void endTag(const Tag &tag);
    void title();
    bool openList();
    void closeList();
    bool bookmark(const Tag &tag);
    bool folder(const Tag &tag);
    void description();
    void separator();
    // Where a new item goes.
    void placeItem(Item &item);
    // The top-level list again, after a stray end of list or for a second top-level list: what
    // follows joins it.
    void reopenRoot();
    bool failWith(const QString &why)
    {
        m_error = why;
        return false;
    }

    QStringView m_s;
    Document *m_doc;
    qsizetype m_pos = 0;
    QString m_error;
    bool m_haveTitle = false;
    bool m_doctype = false;
    bool m_rootOpened = false; // a top-level list has been opened
    bool m_anyList = false;    // a list has been opened, at any level
    QVarLengthArray<OpenList, 64> m_lists;
    int m_topSeparators = 0;        // separators among top-level items standing outside any list
    qsizetype m_pendingFolder = -1; // a folder whose list may follow
    qsizetype m_lastItem = -1;      // the item a description that follows belongs to
    bool m_afterDt = false;         // the last structure tag was a DT: an A now is a bookmark
};

bool Parser::run()
{
    Tag tag;
    const qsizetype n = m_s.size();
    while (m_pos < n) {
        const qsizetype lt = m_s.indexOf(u'<', m_pos);
        if (lt < 0)
            break;
        m_pos = lt;
        if (m_pos + 1 < n && (m_s[m_pos + 1] == u'!' || m_s[m_pos + 1] == u'?')) {
            if (!declaration())
                break;
            continue;
        }
        if (!isTagStart(m_s, m_pos)) {
            ++m_pos;
            continue;
        }
        const qsizetype next = parseTag(m_s, m_pos, tag);
        if (next < 0) {
            if (!tag.end && (tag.is(u"a") || tag.isHeading()))
                return failWith(QStringLiteral("an item tag is cut off by the end of the file"));
            break;
        }
        m_pos = next;
        if (tag.end)
            endTag(tag);
        else if (!startTag(tag))
            return false;
    }
    if (!m_haveTitle && !m_doctype)
        return failWith(QStringLiteral("not a bookmark file"));
    // a page with a title but nothing of a bookmark list: no file to show (or save over) as one
    if (!m_doctype && !m_anyList && m_doc->items.isEmpty())
        return failWith(QStringLiteral("the file holds no bookmark list"));
    while (!m_lists.isEmpty())
        closeList(); // lists the file left open end with it, their separators kept
    m_doc->separatorsAtEnd += m_topSeparators;
    return true;
}

// A comment, the DOCTYPE or another declaration; false when the text ends inside it.
bool Parser::declaration()
{
    if (m_s.sliced(m_pos).startsWith(u"<!--")) {
        const qsizetype end = m_s.indexOf(u"-->", m_pos + 4);
        if (end < 0)
            return false;
        m_pos = end + 3;
        return true;
    }
    const qsizetype gt = m_s.indexOf(u'>', m_pos);
    if (gt < 0)
        return false;
    if (m_s.sliced(m_pos, gt - m_pos).contains(u"NETSCAPE-Bookmark-file", Qt::CaseInsensitive))
        m_doctype = true;
    m_pos = gt + 1;
    return true;
}

bool Parser::startTag(const Tag &tag)
{
    const bool afterDt = std::exchange(m_afterDt, false);
    if (tag.is(u"title")) {
        title();
    } else if (tag.is(u"dl")) {
        return openList();
    } else if (tag.is(u"dt")) {
        m_pendingFolder = -1;
        m_lastItem = -1;
        m_afterDt = true;
    } else if (tag.is(u"a")) {
        if (afterDt)
            return bookmark(tag);
        // a link that is no bookmark (in a description, say): its text is no item
    } else if (tag.isHeading()) {
        return folder(tag);
    } else if (tag.is(u"dd")) {
        description();
    } else if (tag.is(u"hr")) {
        separator();
    } else {
        m_afterDt = afterDt; // <p> and other markup between DT and its item
    }
    return true;
}

void Parser::endTag(const Tag &tag)
{
    if (tag.is(u"dl"))
        closeList();
}

void Parser::title()
{
    if (m_haveTitle)
        return;
    m_haveTitle = true;
    const qsizetype end = m_s.indexOf(u"</title", m_pos, Qt::CaseInsensitive);
    if (end >= 0) {
        m_doc->caption = cleanText(m_s.sliced(m_pos, end - m_pos));
        m_pos = end;
    }
}

bool Parser::openList()
{
    const qsizetype folder = std::exchange(m_pendingFolder, -1);
    m_lastItem = -1;
    m_anyList = true;
    if (m_lists.isEmpty()) {
        if (folder >= 0) {
            // the list of a top-level folder that stands outside any list
            m_lists.append({m_doc->items[folder].level + 1, folder, 0});
        } else if (!m_rootOpened) {
            m_rootOpened = true;
            m_lists.append({0, -1, std::exchange(m_topSeparators, 0)});
        } else {
            reopenRoot(); // a second top-level list: its items are top-level items
        }
        return true;
    }
    const int level = folder >= 0 ? m_doc->items[folder].level + 1 : m_lists.last().level;
    if (level > MaxDepth || m_lists.size() > MaxDepth)
        return failWith(QStringLiteral("the lists are nested too deeply"));
    m_lists.append({level, folder, 0});
    return true;
}

void Parser::closeList()
{
    if (m_lists.isEmpty())
        return;
    const OpenList closed = m_lists.last();
    m_lists.removeLast();
    if (closed.separators > 0) {
        if (closed.folder >= 0)
            m_doc->items[closed.folder].extras.separatorsAtEnd += closed.separators;
        else if (m_lists.isEmpty())
            m_doc->separatorsAtEnd += closed.separators;
        else
            m_lists.last().separators += closed.separators; // a list of no folder: its items are its parent's
    }
    m_pendingFolder = -1;
    m_lastItem = -1;
}

void Parser::reopenRoot()
{
    // the separators counted at the list's end stand before what follows now
    m_lists.append({0, -1, std::exchange(m_doc->separatorsAtEnd, 0)});
}

void Parser::placeItem(Item &item)
{
    if (m_lists.isEmpty()) {
        if (m_rootOpened) {
            reopenRoot(); // after a stray end of the top-level list: the item stays in it
        } else {
            item.level = 0; // before any list: a top-level item
            item.extras.separatorsBefore = std::exchange(m_topSeparators, 0);
            return;
        }
    }
    item.level = m_lists.last().level;
    item.extras.separatorsBefore = std::exchange(m_lists.last().separators, 0);
}

bool Parser::bookmark(const Tag &tag)
{
    Item item;
    placeItem(item);
    const Attr *href = tag.attr(u"href");
    if (!href)
        return failWith(QStringLiteral("a bookmark has no address"));
    item.kind = KindBookmark;
    item.url = cleanText(href->value);
    item.addDate = readDate(tag, u"add_date");
    item.lastVisit = readDate(tag, u"last_visit");
    item.lastModified = readDate(tag, u"last_modified");
    item.extras.attributes = otherAttributes(tag, {u"href", u"add_date", u"last_visit", u"last_modified"});
    item.title = itemText(m_s, m_pos);
    m_doc->items.append(std::move(item));
    m_pendingFolder = -1;
    m_lastItem = m_doc->items.size() - 1;
    return true;
}

bool Parser::folder(const Tag &tag)
{
    if (m_lists.isEmpty() && !tag.is(u"h3"))
        return true; // the list's heading
    Item item;
    placeItem(item);
    item.kind = KindFolder;
    item.addDate = readDate(tag, u"add_date");
    item.extras.attributes = otherAttributes(tag, {u"folded", u"add_date"});
    item.title = itemText(m_s, m_pos);
    m_doc->items.append(std::move(item));
    m_pendingFolder = m_doc->items.size() - 1;
    m_lastItem = m_pendingFolder;
    return true;
}

void Parser::description()
{
    const QString text = descriptionText(m_s, m_pos);
    if (m_lastItem >= 0 && m_doc->items[m_lastItem].extras.description.isEmpty())
        m_doc->items[m_lastItem].extras.description = text;
}

void Parser::separator()
{
    m_pendingFolder = -1;
    m_lastItem = -1;
    if (!m_lists.isEmpty())
        ++m_lists.last().separators;
    else if (m_rootOpened)
        ++m_doc->separatorsAtEnd; // after the top-level list: before what may still join it
    else
        ++m_topSeparators;
}

} // namespace

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString decodeEntities(QStringView text)
{
    return textrules::decodeCharacterReferences(text);
}

namespace {

void writeSeparators(QByteArray &out, int count, int indentLevel)
{
    for (int k = 0; k < count; ++k) {
        indent(out, indentLevel);
        out += "<HR>\r\n";
    }
}

// The attributes after the fixed ones and the closing bracket.
void writeOtherAttributes(QByteArray &out, const QList<Attribute> &attributes)
{
    for (const Attribute &a : attributes) {
        if (!isPlainName(a.name))
            continue;
        out += ' ' + a.name.toUtf8();
        if (a.hasValue)
            out += "=\"" + fileText(a.value) + '"';
    }
    out += '>';
}

void writeDescription(QByteArray &out, const QString &description, int indentLevel)
{
    if (description.isEmpty())
        return;
    indent(out, indentLevel);
    out += "<DD>" + fileText(description) + "\r\n";
}

} // namespace

QByteArray write(const Document &doc)
{
    QByteArray out;
    out.reserve(256 + doc.items.size() * 160);
    out += Header;
    out += MetaLine;
    const QByteArray caption = fileText(doc.caption);
    out += "<TITLE>" + caption + "</TITLE>\r\n";
    out += "<H1>" + caption + "</H1>\r\n";
    out += "<DL><p>\r\n";
    // the folders whose lists are open, outermost first
    QVarLengthArray<const Item *, 64> open;
    const auto closeList = [&out, &open] {
        writeSeparators(out, open.last()->extras.separatorsAtEnd, int(open.size()) + 1);
        indent(out, int(open.size()));
        out += "</DL><p>\r\n";
        open.removeLast();
    };
    for (const Item &item : doc.items) {
        if (item.kind != KindFolder && item.kind != KindBookmark) {
            while (open.size() > std::clamp(item.level, 0, int(open.size())))
                closeList();
            continue;
        }
        const int level = std::clamp(item.level, 0, int(open.size()));
        while (open.size() > level)
            closeList();
        writeSeparators(out, item.extras.separatorsBefore, level + 1);
        indent(out, level + 1);
        if (item.kind == KindFolder) {
            out += "<DT><H3 FOLDED ADD_DATE=\"" + QByteArray::number(item.addDate) + '"';
            writeOtherAttributes(out, item.extras.attributes);
            out += fileText(item.title) + "</H3>\r\n";
            writeDescription(out, item.extras.description, level + 1);
            indent(out, level + 1);
            out += "<DL><p>\r\n";
            open.append(&item);
        } else {
            out += "<DT><A HREF=\"" + fileText(item.url) + "\" ADD_DATE=\"" + QByteArray::number(item.addDate) +
                   "\" LAST_VISIT=\"" + QByteArray::number(item.lastVisit) + "\" LAST_MODIFIED=\"" +
                   QByteArray::number(item.lastModified) + '"';
            writeOtherAttributes(out, item.extras.attributes);
            out += fileText(item.title) + "</A>\r\n";
            writeDescription(out, item.extras.description, level + 1);
        }
    }
    while (!open.isEmpty())
        closeList();
    writeSeparators(out, doc.separatorsAtEnd, 1);
    out += "</DL><p>\r\n";
    return out;
}

namespace {

// The file's stamp (of the open file fd, else of the path), with the hash of the bytes it is known to
// hold.
FileStamp statStamp(const QString &path, const QByteArray &bytes, int fd = -1)
{
    FileStamp stamp{atomicfile::stampOf(path, fd), qHash(bytes)};
    stamp.file.exists = stamp.file.regular;
    return stamp;
}

} // namespace

bool changedSince(const QString &path, const FileStamp &stamp)
{
    const FileStamp now = statStamp(path, {});
    if (!now.file.exists)
        return false; // nothing there to lose
    if (!stamp.file.exists || now.file.size != stamp.file.size)
        return true;
    if (now.file == stamp.file)
        return false;
    // touched or replaced with the same size: only other bytes are a change
    QFile file;
    if (!regularfiles::open(path, file))
        return true;
    const QByteArray bytes = file.read(stamp.file.size + 1);
    return bytes.size() != stamp.file.size || qHash(bytes) != stamp.hash;
}

bool save(const QString &path, const Document &doc, QString *error, FileStamp *stamp)
{
    const QByteArray bytes = write(doc);
    if (!atomicfile::write(path, bytes, error))
        return false;
    if (stamp)
        *stamp = statStamp(path, bytes);
    return true;
}

QString decodeText(const QByteArray &bytes, int legacyCodePage)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return d.decode(QByteArrayView(bytes).sliced(2));
    }
    const QByteArray charset = metaCharset(bytes);
    if (!charset.isEmpty() && !charset.toLower().startsWith("utf-16") && !charset.toLower().startsWith("utf-32")) {
        QStringDecoder d(charset.constData());
        if (d.isValid())
            return d.decode(bytes);
    }
    {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    const int cp = codepage::isSupported(legacyCodePage) ? legacyCodePage : 1252;
    return codepage::decode(bytes, cp);
}

bool parse(const QByteArray &bytes, int legacyCodePage, Document *doc, QString *error)
{
    *doc = Document();
    if (bytes.size() > MaxFileSize)
        return fail(error, QStringLiteral("the file is too large"), doc);
    const QString text = decodeText(bytes, legacyCodePage);
    Parser parser(text, doc);
    if (!parser.run())
        return fail(error, parser.error(), doc);
    return true;
}

bool load(const QString &path, int legacyCodePage, Document *doc, QString *error, FileStamp *stamp)
{
    *doc = Document();
    // a regular file only: a pipe or a device would hold the program or never end
    QFile file;
    if (const regularfiles::Outcome opened = regularfiles::open(path, file); !opened) {
        if (error)
            *error = opened.reason;
        return false;
    }
    if (file.size() > MaxFileSize)
        return fail(error, QStringLiteral("the file is too large"), doc);
    // the times of the file read, taken before its bytes: a change while it is read shows later, and
    // one that replaces the file at the path does not hide behind this file's times
    FileStamp read = statStamp(path, {}, file.handle());
    // a device or a pipe reports no size: never read more than the limit from it
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        return fail(error, QStringLiteral("the file is too large"), doc);
    if (file.error() != QFileDevice::NoError)
        return fail(error, file.errorString(), doc);
    read.file.size = bytes.size();
    read.hash = qHash(bytes);
    if (!parse(bytes, legacyCodePage, doc, error))
        return false;
    if (stamp)
        *stamp = read;
    return true;
}

} // namespace bookmarkfile
