// links: brivo_settings
// Drag payloads: any bytes offered as a link or a URI list parse without reading past them.
#include "settings/DragPayloads.h"

#include <QMimeData>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // a text never holds more characters than the payload has bytes
    const QString text = dragpayload::decodeText(bytes);
    if (text.size() > bytes.size() || text.contains(QChar(0)))
        std::abort();

    QString url;
    QString title;
    if (dragpayload::parseUrlAndTitle(bytes, url, title) == url.isEmpty())
        std::abort();
    QStringList files;
    QStringList others;
    dragpayload::parseUriList(bytes, files, others);
    for (const QString &f : files)
        if (!f.startsWith(u'/'))
            std::abort();

    // a link's text taken from HTML is bounded and on one line
    const QString linkText = dragpayload::linkTextOfHtml(bytes, QStringLiteral("u"));
    if (linkText.size() > dragpayload::MaxHtmlTitle || linkText.contains(u'\n'))
        std::abort();

    // the same bytes under each format, each beside HTML of the same bytes
    for (const char *format : {dragpayload::MozUrlFormat, dragpayload::NetscapeUrlFormat, dragpayload::UriListFormat}) {
        QMimeData mime;
        mime.setData(QLatin1String(format), bytes);
        mime.setData(QLatin1String(dragpayload::HtmlFormat), bytes);
        const TDragPayload p = dragpayload::read(mime);
        if (p.Accepted != (!p.Url.isEmpty() || !p.Files.isEmpty()))
            std::abort();
        if (!p.Url.isEmpty() && p.Title.isEmpty())
            std::abort();
    }
    return 0;
}
