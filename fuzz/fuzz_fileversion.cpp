// links: brivo_settings
// Version-block scanning and parsing: any bytes are read without reading past them, and every value
// of a block that parses reads back through the same scan.
#include "settings/FileVersions.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QHash<QByteArray, QByteArray> parsed;
    const bool whole = versionblock::parse(bytes, parsed);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QHash<QByteArray, QByteArray> found;
    const bool any = versionblock::find(buffer, found);
    // a block at the very start is the first one the scan meets
    if (whole && (!any || found != parsed))
        std::abort();
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (it.key().isEmpty() || it.key().front() != '\\' || it.key() != it.key().toUpper() ||
            it.value().size() > versionblock::MaxValueBytes)
            std::abort();
    }
    return 0;
}
