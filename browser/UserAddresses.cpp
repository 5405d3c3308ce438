#include "browser/UserAddresses.h"

#include <QDir>
#include <QFileInfo>

namespace useraddress {

QUrl toUrl(const QString &text, const QString &workingFolder)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("~/")))
        return QUrl::fromLocalFile(QDir::homePath() + t.mid(1));
    if (t.startsWith(QLatin1String("./")) || t.startsWith(QLatin1String("../")))
        return QUrl::fromLocalFile(QDir::cleanPath(QDir(workingFolder).absoluteFilePath(t)));
    // an absolute path or an existing file of the working folder is a file; everything else is
    // read as a web address (a host name without a scheme gets "http://")
    return QUrl::fromUserInput(t, workingFolder);
}

} // namespace useraddress
