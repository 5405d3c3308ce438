#include "settings/CommonUtils.h"

#include "platform/AtomicFiles.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformStore.h"
#include "platform/ProfileIni.h"
#include "platform/TextRules.h"
#include "settings/AddFavoriteDialog.h"
#include "settings/DragPayloads.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStyle>
#include <memory>

namespace {

int g_busyDepth = 0;
TFavoritesTransfer g_favoritesTransfer;

const QString InternetShortcutSection = QStringLiteral("InternetShortcut");
const QString UrlKey = QStringLiteral("URL");

QIcon standardIcon(QStyle::StandardPixmap which)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return {};
    return QApplication::style()->standardIcon(which);
}

// Icon objects must go before the application does: both caches are emptied when it ends.
std::unique_ptr<QFileIconProvider> g_iconProvider;
QIcon g_htmlIcon;

void dropIconCaches()
{
    g_iconProvider.reset();
    g_htmlIcon = QIcon();
}

void releaseWithTheApplication()
{
    static const bool added = [] {
        qAddPostRoutine(dropIconCaches);
        return true;
    }();
    Q_UNUSED(added);
}

QFileIconProvider &iconProvider()
{
    if (!g_iconProvider) {
        releaseWithTheApplication();
        g_iconProvider = std::make_unique<QFileIconProvider>();
    }
    return *g_iconProvider;
}

// The desktop's trash folder in the user's data folder, with its two subfolders. Made before every
// move: without them Qt moves the file elsewhere and still reports success.
void ensureHomeTrash()
{
    const QString data = platformpaths::dataHome();
    const QString trash = data + QStringLiteral("/Trash");
    const bool made = !QFileInfo::exists(trash);
    QDir().mkpath(trash + QStringLiteral("/files"));
    QDir().mkpath(trash + QStringLiteral("/info"));
    if (made)
        QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A trash location: ".../<trash>/files/<name>" with an "info" folder beside "files".
bool liesInTrash(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo item(path);
    const QDir files = item.absoluteDir();
    if (files.dirName() != u"files")
        return false;
    QDir trash = files;
    if (!trash.cdUp())
        return false;
    const QString name = trash.dirName();
    const bool trashName = name == u"Trash" || name.startsWith(QStringLiteral(".Trash")) ||
                           QFileInfo(trash.absolutePath()).fileName().startsWith(QStringLiteral(".Trash"));
    return trashName && QFileInfo(trash.absoluteFilePath(QStringLiteral("info"))).isDir();
}

// A Yes/No question with the warning icon; true for Yes.
bool confirm(QWidget *owner, const QString &caption, const QString &text)
{
    return messageboxes::show(owner, text, caption, messageboxes::YesNo | messageboxes::IconExclamation) ==
           messageboxes::IdYes;
}

void error(QWidget *owner, const QString &caption, const QString &text)
{
    messageboxes::show(owner, text, caption, messageboxes::OK | messageboxes::IconStop);
}

bool pathExists(const QFileInfo &info)
{
    return info.exists() || info.isSymLink();
}

} // namespace

// ---- busy cursor ----

void ShowBusyCursor(bool Busy)
{
    const bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (Busy) {
        if (g_busyDepth++ == 0 && gui)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (g_busyDepth > 0) {
        if (--g_busyDepth == 0 && gui)
            QGuiApplication::restoreOverrideCursor();
    }
}

int BusyCursorDepth()
{
    return g_busyDepth;
}

// ---- platform browser version ----

double ParseIEVersion(const QString &Version)
{
    // a decimal number with "." as the point, blanks around it allowed
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    const QString head = Version.left(3);
    if (!number.match(head).hasMatch())
        return 1.0;
    bool ok = false;
    const double value = head.trimmed().toDouble(&ok);
    return ok ? value : 1.0;
}

double GetIEVersion()
{
    const std::optional<QString> stored = platformstore::readString(
        Hive::LocalMachine, QStringLiteral("Software\\Microsoft\\Internet Explorer"), QStringLiteral("Version"));
    return ParseIEVersion(stored.value_or(QStringLiteral("0")));
}

// ---- favorites ----

QString FavoritesFolder()
{
    const QString folder = platformstore::readString(Hive::CurrentUser,
                                                     QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\"
                                                                    "Explorer\\Shell Folders"),
                                                     QStringLiteral("Favorites"))
                               .value_or(QString());
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

void SetFavoritesTransfer(TFavoritesTransfer Transfer)
{
    g_favoritesTransfer = std::move(Transfer);
}

void ImportExportFavorites(bool Import, const QString &Path)
{
    TBusyCursor busy;
    if (!g_favoritesTransfer)
        throw PlatformError(Import ? QObject::tr("Importing favorites is not available.")
                                   : QObject::tr("Exporting favorites is not available."));
    g_favoritesTransfer(Import, Path);
}

bool AddFavorite(const QString &Title, const QString &Url, QWidget *Owner)
{
    const QString root = FavoritesFolder();
    if (root.isEmpty())
        throw PlatformError(QObject::tr("The favorites folder cannot be found."));
    TAddFavoriteDialog dialog(root, Title.isEmpty() ? Url : Title, Owner);
    if (dialogrunner::exec(dialog) != QDialog::Accepted)
        return false;
    const QString file = dialog.TargetFile();
    if (QFileInfo::exists(file) && !confirm(&dialog, dialog.windowTitle(),
                                            QObject::tr("A favorite named \"%1\" already exists in this folder. "
                                                        "Do you want to replace it?")
                                                .arg(QFileInfo(file).completeBaseName())))
        return false;
    if (!WriteInternetShortcut(file, Url))
        throw PlatformError(QObject::tr("The favorite \"%1\" cannot be created.").arg(file));
    return true;
}

// ---- icons ----

QIcon GetFileIcon(const QString &Path, bool Open)
{
    const QFileInfo info(Path);
    if (info.isDir())
        return GetFolderIcon(Open);
    QIcon icon;
    if (info.exists())
        icon = iconProvider().icon(info);
    return icon.isNull() ? standardIcon(QStyle::SP_FileIcon) : icon;
}

QIcon GetFolderIcon(bool Open)
{
    QIcon icon = QIcon::fromTheme(Open ? QStringLiteral("folder-open") : QStringLiteral("folder"));
    if (icon.isNull())
        icon = standardIcon(Open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirIcon);
    return icon;
}

QIcon GetHtmlIcon()
{
    if (g_htmlIcon.isNull()) {
        releaseWithTheApplication();
        g_htmlIcon = QIcon::fromTheme(QStringLiteral("text-html"));
        if (g_htmlIcon.isNull())
            g_htmlIcon = standardIcon(QStyle::SP_DriveNetIcon);
    }
    return g_htmlIcon;
}

// ---- internet shortcuts ----

bool GetInternetShortcutUrl(const QString &FileName, QString &Url)
{
    Url.clear();
    if (!QFileInfo(FileName).isFile())
        return false;
    const ProfileIni ini(FileName, ProfileIni::ValueLength::Cut, ProfileIni::MaxShortcutSize);
    Url = ini.readString(InternetShortcutSection, UrlKey, QString());
    return !Url.isEmpty();
}

bool WriteInternetShortcut(const QString &FileName, const QString &Url)
{
    ProfileIni ini(FileName, ProfileIni::ValueLength::Cut, ProfileIni::MaxShortcutSize);
    return ini.writeString(InternetShortcutSection, UrlKey, Url);
}

// ---- links ----

bool IsShellLink(const QString &FileName)
{
    const QFileInfo info(FileName);
    return info.isSymLink() || info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0;
}

bool ResolveShellLink(const QString &LinkFile, QString &Target)
{
    const QFileInfo info(LinkFile);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty() || !QFileInfo::exists(target))
            return false;
        Target = target;
        return true;
    }
    if (!info.isFile())
        return false;
    const ProfileIni entry(LinkFile, ProfileIni::ValueLength::Cut, ProfileIni::MaxShortcutSize);
    const QString section = QStringLiteral("Desktop Entry");
    if (!textrules::sameText(entry.readString(section, QStringLiteral("Type"), QString()), QStringLiteral("Link")))
        return false;
    const QString url = entry.readString(section, QStringLiteral("URL"), QString());
    if (url.isEmpty())
        return false;
    Target = url;
    return true;
}

// ---- dropped files ----

bool DropFilesToStrings(const QMimeData *Data, QStringList &List)
{
    if (Data && Data->hasFormat(QLatin1String(dragpayload::UriListFormat))) {
        QStringList others;
        dragpayload::parseUriList(Data->data(QLatin1String(dragpayload::UriListFormat)), List, others);
    }
    return !List.isEmpty();
}

// ---- Trash and rename ----

bool DeleteToRecycleBin(QWidget *Owner, const QString &Path)
{
    const QString caption = QObject::tr("Delete");
    const QFileInfo info(Path);
    if (Path.isEmpty() || !pathExists(info)) {
        error(Owner, caption, QObject::tr("Cannot delete \"%1\": the file or folder does not exist.").arg(Path));
        return false;
    }
    if (platformpaths::dataHome() != QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) {
        // the data folder's name is no UTF-8: the Trash would be made anew beside it, where no one looks
        error(Owner, caption,
              QObject::tr("Cannot move \"%1\" to the Trash: the name of the folder that holds the Trash is not "
                          "UTF-8 text, so the Trash cannot be reached.")
                  .arg(info.fileName()));
        return false;
    }
    const QString question = info.isDir() && !info.isSymLink()
                                 ? QObject::tr("Are you sure you want to move the folder \"%1\" and all its "
                                               "contents to the Trash?")
                                 : QObject::tr("Are you sure you want to move \"%1\" to the Trash?");
    if (!confirm(Owner, QObject::tr("Confirm Delete"), question.arg(info.fileName())))
        return false;

    bool moved = false;
    QString reason;
    {
        TBusyCursor busy;
        ensureHomeTrash();
        QFile file(Path);
        moved = file.moveToTrash();
        if (!moved)
            reason = file.errorString();
        const QString inTrash = moved ? file.fileName() : QString();
        if (moved && !liesInTrash(inTrash)) {
            // the item went somewhere that is no trash: bring it back and report the failure
            if (!inTrash.isEmpty() && pathExists(QFileInfo(inTrash)) && !pathExists(QFileInfo(Path)))
                QDir().rename(inTrash, Path);
            moved = false;
            reason = QObject::tr("it did not reach a Trash folder");
        }
    }
    if (!moved)
        error(Owner, caption, QObject::tr("Cannot move \"%1\" to the Trash: %2").arg(info.fileName(), reason));
    return moved;
}

bool ShellRenameFile(QWidget *Owner, const QString &OldPath, const QString &NewPath)
{
    const QString caption = QObject::tr("Rename");
    const QFileInfo from(OldPath);
    const QString oldName = from.fileName();
    if (OldPath.isEmpty() || !pathExists(from)) {
        error(Owner, caption, QObject::tr("Cannot rename \"%1\": the file or folder does not exist.").arg(OldPath));
        return false;
    }
    const QString folder = from.absolutePath();
    const QString target = QDir::isAbsolutePath(NewPath) ? NewPath : QDir::current().absoluteFilePath(NewPath);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    const QString newName = target.startsWith(prefix) ? target.mid(prefix.size()) : NewPath;
    if (!target.startsWith(prefix) || newName.isEmpty() || newName == u"." || newName == u".." ||
        newName.contains(u'/') || newName.contains(QChar(0))) {
        error(Owner, caption, QObject::tr("Cannot rename \"%1\": \"%2\" is not a valid name.").arg(oldName, newName));
        return false;
    }
    if (newName == oldName)
        return true;
    if (pathExists(QFileInfo(target))) {
        error(Owner, caption,
              QObject::tr("Cannot rename \"%1\": a file or folder named \"%2\" already exists. "
                          "Specify a different name.")
                  .arg(oldName, newName));
        return false;
    }
    bool renamed = false;
    QString reason;
    {
        TBusyCursor busy;
        renamed = atomicfile::renameNoReplace(from.absoluteFilePath(), target, &reason);
    }
    if (!renamed)
        error(Owner, caption, QObject::tr("Cannot rename \"%1\" to \"%2\": %3").arg(oldName, newName, reason));
    return renamed;
}
