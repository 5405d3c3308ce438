// links: brivo_explorerbar
// fixtures: bookmarks
// Bookmark file reading: any bytes read without crashing in each legacy code page, and whatever reads
// as a list writes out and reads back as the same list.
#include "explorerbar/BookmarkFiles.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Text as it survives a UTF-8 file (unpaired surrogates cannot be stored).
QString stored(const QString &s)
{
    return QString::fromUtf8(s.toUtf8());
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
        if (back.caption != stored(doc.caption) || back.items.size() != doc.items.size())
            std::abort();
        for (qsizetype i = 0; i < doc.items.size(); ++i) {
            bookmarkfile::Item expected = doc.items[i];
            expected.title = stored(expected.title);
            expected.url = stored(expected.url);
            if (!(back.items[i] == expected))
                std::abort();
        }
    }
    return 0;
}
