// links: brivo_settings
// Language-table parsing in each table code page: any bytes parse and every key found reads back.
#include "settings/MemInis.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int codePage : {1252, 932, 936, 950}) {
        TMemIni ini;
        ini.LoadFromBytes(bytes, codePage);
        QStringList sections;
        ini.ReadSections(sections);
        for (const QString &s : sections) {
            QStringList keys;
            ini.ReadSection(s, keys);
            for (const QString &k : keys)
                (void)ini.ReadString(s, k, QString());
            (void)ini.ReadInteger(s, QStringLiteral("Size"), 0);
        }
    }
    return 0;
}
