#include "platform/PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platformpaths {

namespace {
QString g_settingsFile;

QString ensured(QString path)
{
    QDir().mkpath(path);
    return path;
}

bool carried(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

// A handle on the folder, held while the program runs (one per folder); -1 when it cannot be opened.
// A folder that is missing is made, as the program makes its folders below it anyway.
int heldFolder(const QByteArray &folder)
{
    static QHash<QByteArray, int> held;
    if (const auto it = held.constFind(folder); it != held.cend())
        return *it;
    int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        for (qsizetype at = folder.indexOf('/', 1); at >= 0; at = folder.indexOf('/', at + 1))
            (void)::mkdir(folder.left(at).constData(), 0777);
        (void)::mkdir(folder.constData(), 0777);
        fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd >= 0)
        held.insert(folder, fd);
    return fd;
}

// The variable's value as a folder, or empty when it is unset, empty or not an absolute path.
QByteArray folderVariable(const char *name)
{
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

QByteArray homeBytes()
{
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    return home.isEmpty() ? QByteArray("/") : home;
}

} // namespace

QString fromLocalBytes(const QByteArray &bytes)
{
    QString decoded = QFile::decodeName(bytes);
    if (carried(bytes))
        return decoded;
    // held from the last folder whose name cannot be carried; what follows it is plain text
    const QList<QByteArray> parts = bytes.split('/');
    qsizetype last = parts.size() - 1;
    while (last > 0 && carried(parts.at(last)))
        --last;
    QByteArray head;
    for (qsizetype i = 0; i <= last; ++i)
        head += (i > 0 ? "/" : "") + parts.at(i);
    QByteArray tail;
    for (qsizetype i = last + 1; i < parts.size(); ++i)
        tail += '/' + parts.at(i);
    const int fd = heldFolder(head);
    if (fd < 0)
        return decoded; // no way to the folder: the name as it decodes
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(fd) + QFile::decodeName(tail);
}

QString homeDir()
{
    return fromLocalBytes(homeBytes());
}

QString configHome()
{
    const QByteArray set = folderVariable("XDG_CONFIG_HOME");
    return fromLocalBytes(set.isEmpty() ? homeBytes() + "/.config" : set);
}

QString dataHome()
{
    const QByteArray set = folderVariable("XDG_DATA_HOME");
    return fromLocalBytes(set.isEmpty() ? homeBytes() + "/.local/share" : set);
}

QString executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer))
        return QCoreApplication::applicationFilePath();
    return fromLocalBytes(QByteArray(buffer, n));
}

namespace {
// XDG_DATA_HOME as the user set it, while pointQtDataHome() has changed it
std::optional<std::optional<QByteArray>> g_userDataHome;
} // namespace

void pointQtDataHome()
{
    const QString real = dataHome();
    if (g_userDataHome || real == QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        return;
    g_userDataHome =
        qEnvironmentVariableIsSet("XDG_DATA_HOME") ? std::optional(qgetenv("XDG_DATA_HOME")) : std::nullopt;
    ::setenv("XDG_DATA_HOME", QFile::encodeName(real).constData(), 1);
}

void restoreQtDataHome()
{
    if (!g_userDataHome)
        return;
    if (*g_userDataHome)
        ::setenv("XDG_DATA_HOME", (*g_userDataHome)->constData(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    g_userDataHome.reset();
}

QString configDir()
{
    return ensured(configHome() + QStringLiteral("/brivo"));
}

QString dataDir()
{
    return ensured(dataHome() + QStringLiteral("/brivo"));
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
    return settingsFileFor(executablePath());
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
    return seedSettingsFile(shippedSettingsFileFor(executablePath()), settingsFile());
}

} // namespace platformpaths
