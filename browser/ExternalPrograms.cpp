#include "browser/ExternalPrograms.h"

#include "platform/DesktopEntries.h"

#include <QFileInfo>
#include <QStringList>

namespace externalprograms {

bool isProgramLink(const QUrl &url)
{
    // what the engine shows or runs itself
    static const QStringList engines = {
        QStringLiteral("http"),         QStringLiteral("https"),       QStringLiteral("file"),
        QStringLiteral("data"),         QStringLiteral("blob"),        QStringLiteral("about"),
        QStringLiteral("javascript"),   QStringLiteral("view-source"), QStringLiteral("ws"),
        QStringLiteral("wss"),          QStringLiteral("filesystem"),  QStringLiteral("chrome"),
        QStringLiteral("chrome-error"), QStringLiteral("devtools"),    QStringLiteral("qrc")};
    const QString scheme = url.scheme();
    return !scheme.isEmpty() && !engines.contains(scheme, Qt::CaseInsensitive);
}

QString programFor(const QString &scheme)
{
    // a kind's name is letters, digits, "+", "-" and "."; anything else is asked of nobody
    if (scheme.isEmpty() || scheme.size() > 64)
        return {};
    for (const QChar c : scheme)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'+' && c != u'-' && c != u'.')
            return {};
    const QString id = desktopentries::defaultApplication(QStringLiteral("x-scheme-handler/") + scheme.toLower());
    if (id.isEmpty())
        return {};
    // an entry the desktop names but that is not there opens nothing
    const QString entry = desktopentries::find(id);
    if (entry.isEmpty())
        return {};
    const QString name = desktopentries::name(entry).trimmed();
    return name.isEmpty() ? QFileInfo(entry).completeBaseName() : name;
}

} // namespace externalprograms
