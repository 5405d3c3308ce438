#include "settings/DragPayloads.h"

#include "platform/TextRules.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStatusTipEvent>
#include <QUrl>
#include <QWidget>

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

} // namespace

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

TDragPayload read(const QMimeData &data)
{
    TDragPayload p;
    for (const char *format : {MozUrlFormat, NetscapeUrlFormat}) {
        if (!data.hasFormat(QLatin1String(format)))
            continue;
        if (parseUrlAndTitle(data.data(QLatin1String(format)), p.Url, p.Title)) {
            if (p.Title.isEmpty())
                p.Title = p.Url;
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
            p.Title = p.Url;
            p.Refused = isRefusedAddress(p.Url);
            p.Accepted = !p.Refused;
        }
    }
    return p;
}

} // namespace dragpayload
