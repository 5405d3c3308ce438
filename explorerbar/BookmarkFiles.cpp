#include "explorerbar/BookmarkFiles.h"

#include "platform/AtomicFiles.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <algorithm>

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

bool isItemBoundary(const Tag &t)
{
    if (t.end)
        return t.is(u"a") || t.isHeading() || t.is(u"dl") || t.is(u"dt") || t.is(u"dd");
    return t.is(u"a") || t.isHeading() || t.is(u"dl") || t.is(u"dt") || t.is(u"dd") || t.is(u"hr");
}

// The text of an A or H item starting at pos (just after its start tag): everything up to its end
// tag, inline tags dropped. Stops before a tag that begins other structure, so a missing end tag
// costs only this item's text. pos moves past the end tag when there is one.
QString itemText(QStringView s, qsizetype &pos)
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
        if (isItemBoundary(tag)) {
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
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c != u'&') {
            out += c;
            ++i;
            continue;
        }
        const qsizetype semi = text.indexOf(u';', i + 1);
        if (semi < 0 || semi - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QStringView ref = text.sliced(i + 1, semi - i - 1);
        char32_t code = 0;
        if (ref.startsWith(u'#')) {
            bool ok = false;
            uint v = 0;
            if (ref.size() > 2 && (ref[1] == u'x' || ref[1] == u'X'))
                v = ref.sliced(2).toUInt(&ok, 16);
            else if (ref.size() > 1 && ref[1].isDigit())
                v = ref.sliced(1).toUInt(&ok, 10);
            if (ok && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF))
                code = v;
        } else if (ref == u"amp") {
            code = u'&';
        } else if (ref == u"lt") {
            code = u'<';
        } else if (ref == u"gt") {
            code = u'>';
        } else if (ref == u"quot") {
            code = u'"';
        } else if (ref == u"apos") {
            code = u'\'';
        } else if (ref == u"nbsp") {
            code = 0xA0;
        }
        if (code == 0) {
            out += c;
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i = semi + 1;
    }
    return out;
}

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
    int open = 0; // lists opened by folders and not yet closed
    for (const Item &item : doc.items) {
        const int level = std::clamp(item.level, 0, open);
        while (open > level) {
            indent(out, open);
            out += "</DL><p>\r\n";
            --open;
        }
        if (item.kind == KindFolder) {
            indent(out, level + 1);
            out += "<DT><H3 FOLDED ADD_DATE=\"" + QByteArray::number(item.addDate) + "\">" + fileText(item.title) +
                   "</H3>\r\n";
            indent(out, level + 1);
            out += "<DL><p>\r\n";
            open = level + 1;
        } else {
            if (item.kind == KindBookmark) {
                indent(out, level + 1);
                out += "<DT><A HREF=\"" + fileText(item.url) + "\" ADD_DATE=\"" + QByteArray::number(item.addDate) +
                       "\" LAST_VISIT=\"" + QByteArray::number(item.lastVisit) + "\" LAST_MODIFIED=\"" +
                       QByteArray::number(item.lastModified) + "\">" + fileText(item.title) + "</A>\r\n";
            }
            open = level;
        }
    }
    while (open > 0) {
        indent(out, open);
        out += "</DL><p>\r\n";
        --open;
    }
    out += "</DL><p>\r\n";
    return out;
}

bool save(const QString &path, const Document &doc, QString *error)
{
    return atomicfile::write(path, write(doc), error);
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
    const QStringView s(text);
    const qsizetype n = s.size();

    bool haveTitle = false;
    bool doctype = false;
    bool rootOpened = false;
    QVarLengthArray<int, 64> lists; // level of the items of each open list
    qsizetype pendingFolder = -1;   // a folder whose list may follow
    Tag tag;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = s.indexOf(u'<', i);
        if (lt < 0)
            break;
        i = lt;
        if (i + 1 < n && (s[i + 1] == u'!' || s[i + 1] == u'?')) {
            if (s.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = s.indexOf(u"-->", i + 4);
                if (end < 0)
                    break;
                i = end + 3;
                continue;
            }
            const qsizetype gt = s.indexOf(u'>', i);
            if (gt < 0)
                break;
            if (s.sliced(i, gt - i).contains(u"NETSCAPE-Bookmark-file", Qt::CaseInsensitive))
                doctype = true;
            i = gt + 1;
            continue;
        }
        if (!isTagStart(s, i)) {
            ++i;
            continue;
        }
        const qsizetype next = parseTag(s, i, tag);
        if (next < 0) {
            if (!tag.end && (tag.is(u"a") || tag.isHeading()))
                return fail(error, QStringLiteral("an item tag is cut off by the end of the file"), doc);
            break;
        }
        i = next;
        if (tag.end) {
            if (tag.is(u"dl") && !lists.isEmpty()) {
                lists.removeLast();
                pendingFolder = -1;
            }
            continue;
        }
        if (tag.is(u"title")) {
            if (!haveTitle) {
                haveTitle = true;
                const qsizetype end = s.indexOf(u"</title", i, Qt::CaseInsensitive);
                if (end >= 0) {
                    doc->caption = cleanText(s.sliced(i, end - i));
                    i = end;
                }
            }
        } else if (tag.is(u"dl")) {
            if (lists.isEmpty()) {
                if (!rootOpened) {
                    rootOpened = true;
                    lists.append(0);
                }
                // a second list after the root list has closed opens nothing: its items fail below
            } else {
                const int level = pendingFolder >= 0 ? doc->items[pendingFolder].level + 1 : lists.last();
                if (level > MaxDepth || lists.size() > MaxDepth)
                    return fail(error, QStringLiteral("the lists are nested too deeply"), doc);
                lists.append(level);
            }
            pendingFolder = -1;
        } else if (tag.is(u"dt")) {
            pendingFolder = -1;
        } else if (tag.is(u"a")) {
            if (lists.isEmpty())
                return fail(error, QStringLiteral("a bookmark stands outside the bookmark list"), doc);
            const Attr *href = tag.attr(u"href");
            if (!href)
                return fail(error, QStringLiteral("a bookmark has no address"), doc);
            Item item;
            item.level = lists.last();
            item.kind = KindBookmark;
            item.url = cleanText(href->value);
            item.addDate = readDate(tag, u"add_date");
            item.lastVisit = readDate(tag, u"last_visit");
            item.lastModified = readDate(tag, u"last_modified");
            item.title = itemText(s, i);
            doc->items.append(std::move(item));
            pendingFolder = -1;
        } else if (tag.isHeading()) {
            if (lists.isEmpty()) {
                if (tag.is(u"h3"))
                    return fail(error, QStringLiteral("a folder stands outside the bookmark list"), doc);
                continue; // the list's heading
            }
            Item item;
            item.level = lists.last();
            item.kind = KindFolder;
            item.addDate = readDate(tag, u"add_date");
            item.title = itemText(s, i);
            doc->items.append(std::move(item));
            pendingFolder = doc->items.size() - 1;
        }
    }
    if (!haveTitle && !doctype)
        return fail(error, QStringLiteral("not a bookmark file"), doc);
    return true;
}

bool load(const QString &path, int legacyCodePage, Document *doc, QString *error)
{
    *doc = Document();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > MaxFileSize)
        return fail(error, QStringLiteral("the file is too large"), doc);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(error, file.errorString(), doc);
    return parse(bytes, legacyCodePage, doc, error);
}

} // namespace bookmarkfile
