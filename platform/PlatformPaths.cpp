#include "platform/PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace platformpaths {

namespace {
QString g_settingsFile;

QString ensured(QString path)
{
    QDir().mkpath(path);
    return path;
}
} // namespace

QString configDir()
{
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/brivo"));
}

QString dataDir()
{
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/brivo"));
}

QString settingsFileFor(const QString &executablePath)
{
    const QFileInfo exe(executablePath);
    const QString name = exe.completeBaseName() + QStringLiteral(".ini");
    const QString folder = exe.absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0)
        return folder + u'/' + name;
    return configDir() + u'/' + name;
}

QString settingsFile()
{
    if (!g_settingsFile.isEmpty())
        return g_settingsFile;
    return settingsFileFor(QCoreApplication::applicationFilePath());
}

void setSettingsFile(const QString &path)
{
    g_settingsFile = path;
}

} // namespace platformpaths
