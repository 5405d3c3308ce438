// links: brivo_platform
// Settings-file parsing: any bytes parse, read back and survive a write.
#include "platform/ProfileIni.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList parsed = ProfileIni::parseSectionsForTest(bytes);
    const QByteArray again = ProfileIni::roundTripForTest(bytes);
    // what was read is read again from what would be written
    if (ProfileIni::parseSectionsForTest(again) != parsed)
        std::abort();
    return 0;
}
