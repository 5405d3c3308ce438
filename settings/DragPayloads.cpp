#include "settings/DragPayloads.h"

#include "platform/TextRules.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStatusTipEvent>
#include <QUrl>
#include <QWidget>
#include <algorithm>

namespace dragpayload {

namespace {

QString fromUtf16(const char *bytes, qsizetype size, bool bigEndian)
{
    QString out;
    out.reserve(size / 2);
    for (qsizetype i = 0; i + 1 < size; i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        const char16_t c = char16_t(hi << 8 | lo);
        if (c == 0)
            break;
        out.append(QChar(c));
    }
    return out;
}

// The end of the tag that starts at text[from] ('<'): just past its '>', quoted values skipped; -1
// when the text ends first.
qsizetype tagEnd(QStringView text, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return -1;
}

// The HREF of an A start tag's text, references decoded; empty without one.
QString hrefOf(QStringView tag)
{
    for (qsizetype at = tag.indexOf(u"href", 0, Qt::CaseInsensitive); at >= 0;
         at = tag.indexOf(u"href", at + 4, Qt::CaseInsensitive)) {
        if (at > 0 && !tag[at - 1].isSpace())
            continue;
        qsizetype i = at + 4;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (i >= tag.size() || tag[i] != u'=')
            continue;
        ++i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (i >= tag.size())
            return {};
        qsizetype end;
        if (tag[i] == u'"' || tag[i] == u'\'') {
            end = tag.indexOf(tag[i], i + 1);
            ++i;
            if (end < 0)
                end = tag.size();
        } else {
            end = i;
            while (end < tag.size() && !tag[end].isSpace() && tag[end] != u'>')
                ++end;
        }
        return textrules::decodeCharacterReferences(tag.sliced(i, end - i));
    }
    return {};
}

// The text of markup: tags dropped, references decoded, blanks folded, at most MaxHtmlTitle long.
QString plainTextOf(QStringView markup)
{
    QString raw;
    for (qsizetype i = 0; i < markup.size();) {
        if (markup[i] == u'<') {
            const qsizetype end = tagEnd(markup, i);
            if (end < 0)
                break;
            raw += u' ';
            i = end;
            continue;
        }
        raw += markup[i++];
    }
    const QString text = textrules::decodeCharacterReferences(raw).simplified();
    return text.left(MaxHtmlTitle);
}

} // namespace

QString linkTextOfHtml(const QByteArray &bytes, const QString &url)
{
    const QString html = decodeText(bytes);
    const QStringView s = QStringView(html).first(std::min(html.size(), MaxHtmlScan));
    QString first;
    for (qsizetype at = s.indexOf(u"<a", 0, Qt::CaseInsensitive); at >= 0;
         at = s.indexOf(u"<a", at + 2, Qt::CaseInsensitive)) {
        if (at + 2 >= s.size() || !(s[at + 2].isSpace() || s[at + 2] == u'>'))
            continue; // <abbr>, <address>...
        const qsizetype open = tagEnd(s, at);
        if (open < 0)
            break;
        qsizetype close = s.indexOf(u"</a", open, Qt::CaseInsensitive);
        if (close < 0)
            close = s.size();
        const QString text = plainTextOf(s.sliced(open, close - open));
        if (!text.isEmpty()) {
            if (hrefOf(s.sliced(at, open - at)) == url)
                return text;
            if (first.isEmpty())
                first = text;
        }
        at = std::max(at, close - 2);
    }
    return first;
}

QString decodeText(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    auto at = [&](qsizetype i) { return static_cast<unsigned char>(p[i]); };
    if (n >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return fromUtf16(p + 2, n - 2, false);
    if (n >= 2 && at(0) == 0xFE && at(1) == 0xFF)
        return fromUtf16(p + 2, n - 2, true);
    qsizetype from = 0;
    if (n >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        from = 3;
    } else if (n >= 2 && at(0) != 0 && at(1) == 0) {
        // without a mark: a NUL in the second byte of the first character means UTF-16 little
        // endian, in the first byte big endian (a URL starts with an ASCII letter)
        return fromUtf16(p, n, false);
    } else if (n >= 2 && at(0) == 0 && at(1) != 0) {
        return fromUtf16(p, n, true);
    }
    const qsizetype nul = bytes.indexOf('\0', from);
    return QString::fromUtf8(p + from, (nul < 0 ? n : nul) - from);
}

bool parseUrlAndTitle(const QByteArray &bytes, QString &url, QString &title)
{
    const QString text = decodeText(bytes);
    const qsizetype lf = text.indexOf(u'\n');
    url = textrules::trim(lf < 0 ? text : text.left(lf));
    title.clear();
    if (lf >= 0) {
        const qsizetype next = text.indexOf(u'\n', lf + 1);
        title = textrules::trim(text.mid(lf + 1, next < 0 ? -1 : next - lf - 1));
    }
    if (url.isEmpty())
        title.clear();
    return !url.isEmpty();
}

void parseUriList(const QByteArray &bytes, QStringList &files, QStringList &others)
{
    const QString text = decodeText(bytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QString line = textrules::trim(text.mid(start, end - start));
        start = end + 1;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QUrl u(line);
        if (!u.isValid())
            continue;
        const QString host = u.host();
        if (u.isLocalFile() && (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)) {
            // a file URI without an absolute path ("file:a/b") names no file
            const QString path = QUrl(u.adjusted(QUrl::RemoveAuthority)).toLocalFile();
            if (path.startsWith(u'/'))
                files << path;
        } else {
            others << line;
        }
    }
}

const char RefusedText[] = "A dropped script address is not opened.";

bool isRefusedAddress(const QString &address)
{
    // read as a URL parser reads it: leading blanks and controls skipped, tabs and line breaks
    // anywhere ignored
    QString s;
    bool leading = true;
    for (const QChar c : address) {
        const char16_t u = c.unicode();
        if (leading && u <= 0x20)
            continue;
        leading = false;
        if (u == u'\t' || u == u'\n' || u == u'\r')
            continue;
        s += c;
        if (s.size() > 16)
            break; // longer than any scheme looked for
    }
    for (const QLatin1String scheme :
         {QLatin1String("javascript:"), QLatin1String("vbscript:"), QLatin1String("data:")})
        if (s.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    return false;
}

bool carriesRefusedAddress(const QMimeData &data)
{
    for (const QUrl &url : data.urls())
        if (isRefusedAddress(url.toString()))
            return true;
    if (data.hasText() && isRefusedAddress(data.text()))
        return true;
    for (const char *format : {MozUrlFormat, NetscapeUrlFormat}) {
        QString url;
        QString title;
        if (data.hasFormat(QLatin1String(format)) && parseUrlAndTitle(data.data(QLatin1String(format)), url, title) &&
            isRefusedAddress(url))
            return true;
    }
    return false;
}

void reportRefused(QWidget *widget)
{
    if (!widget)
        return;
    // a status tip travels up the parents to the window whose status bar shows it
    QStatusTipEvent tip(QCoreApplication::translate("dragpayload", RefusedText));
    QCoreApplication::sendEvent(widget, &tip);
}

// The title of a link that came without one: the link's text in the drag's HTML, else its URL.
static QString titleOf(const QMimeData &data, const QString &url)
{
    if (data.hasFormat(QLatin1String(HtmlFormat))) {
        QString text = linkTextOfHtml(data.data(QLatin1String(HtmlFormat)), url);
        if (!text.isEmpty())
            return text;
    }
    return url;
}

TDragPayload read(const QMimeData &data)
{
    TDragPayload p;
    for (const char *format : {MozUrlFormat, NetscapeUrlFormat}) {
        if (!data.hasFormat(QLatin1String(format)))
            continue;
        if (parseUrlAndTitle(data.data(QLatin1String(format)), p.Url, p.Title)) {
            if (p.Title.isEmpty())
                p.Title = titleOf(data, p.Url);
            p.Refused = isRefusedAddress(p.Url);
            p.Accepted = !p.Refused;
            return p;
        }
    }
    if (data.hasFormat(QLatin1String(UriListFormat))) {
        QStringList others;
        parseUriList(data.data(QLatin1String(UriListFormat)), p.Files, others);
        if (!p.Files.isEmpty()) {
            p.Accepted = true;
        } else if (!others.isEmpty()) {
            p.Url = others.first();
            p.Title = titleOf(data, p.Url);
            p.Refused = isRefusedAddress(p.Url);
            p.Accepted = !p.Refused;
        }
    }
    return p;
}

} // namespace dragpayload
