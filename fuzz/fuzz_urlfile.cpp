// links: brivo_settings
// Internet shortcuts and ".desktop" links: any file content reads as a URL or as none, never more.
#include "settings/CommonUtils.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *name : {"/shortcut.url", "/link.desktop"}) {
        QFile f(dir.path() + QLatin1String(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(bytes);
    }

    QString url;
    const bool found = GetInternetShortcutUrl(dir.path() + QStringLiteral("/shortcut.url"), url);
    if (found == url.isEmpty() || url.size() > 2047 || url.contains(u'\n') || url.contains(u'\r'))
        std::abort();

    QString target = QStringLiteral("unchanged");
    if (!ResolveShellLink(dir.path() + QStringLiteral("/link.desktop"), target) && target != u"unchanged")
        std::abort();
    return 0;
}
