// links: brivo_explorerbar
// fixtures: bookmarks
// Bookmark file reading: any bytes read without crashing in each legacy code page, and whatever reads
// as a list writes out and reads back as the same list.
#include "explorerbar/BookmarkFiles.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstdlib>

namespace {

// Text as it survives a UTF-8 file (unpaired surrogates cannot be stored). A leading U+FEFF is a
// character of the text here, as the reader keeps it, not a byte-order mark to drop.
QString stored(const QString &s)
{
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(s.toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const int codePage : {1252, 932, 936, 950}) {
        bookmarkfile::Document doc;
        QString error;
        if (!bookmarkfile::parse(bytes, codePage, &doc, &error)) {
            if (!doc.items.isEmpty() || !doc.caption.isEmpty() || error.isEmpty())
                std::abort(); // a failure leaves nothing behind and says why
            continue;
        }
        bookmarkfile::Document back;
        if (!bookmarkfile::parse(bookmarkfile::write(doc), 1252, &back))
            std::abort();
        if (back.caption != stored(doc.caption) || back.items.size() != doc.items.size() ||
            back.separatorsAtEnd != doc.separatorsAtEnd)
            std::abort();
        for (qsizetype i = 0; i < doc.items.size(); ++i) {
            bookmarkfile::Item expected = doc.items[i];
            expected.title = stored(expected.title);
            expected.url = stored(expected.url);
            expected.extras.description = stored(expected.extras.description);
            for (bookmarkfile::Attribute &a : expected.extras.attributes)
                a.value = stored(a.value);
            if (!(back.items[i] == expected))
                std::abort();
        }
    }
    return 0;
}
