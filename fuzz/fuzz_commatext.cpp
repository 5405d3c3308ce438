// links: brivo_platform
// Comma text: any line reads without fault, and writing what was read reads back the same list.
#include "platform/CommaText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList texts = commatext::read(line);
    const QString again = commatext::write(texts);
    if (commatext::read(again) != texts)
        std::abort();
    if (commatext::write(commatext::read(again)) != again)
        std::abort();
    return 0;
}
