#include "platform/PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

QString shippedSettingsFileFor(const QString &executablePath)
{
    const QFileInfo exe(executablePath);
    return exe.absolutePath() + u'/' + exe.completeBaseName() + QStringLiteral(".ini");
}

bool seedSettingsFile(const QString &shipped, const QString &target)
{
    if (QFileInfo::exists(target) || !QFileInfo(shipped).isFile() ||
        QFileInfo(shipped).absoluteFilePath() == QFileInfo(target).absoluteFilePath())
        return true;
    QDir().mkpath(QFileInfo(target).absolutePath());
    // copied beside the target and renamed, so a failed copy leaves no half file
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (QFile::copy(shipped, part) && QFile::rename(part, target))
        return true;
    QFile::remove(part);
    return false;
}

bool seedSettingsFile()
{
    return seedSettingsFile(shippedSettingsFileFor(QCoreApplication::applicationFilePath()), settingsFile());
}

} // namespace platformpaths
