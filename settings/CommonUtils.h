#pragma once
// Small routines through which the program talks to the desktop: the busy cursor, the platform
// browser's version, favorites (add-favorite dialog, import and export), file icons, internet
// shortcuts (".url" files), links (symbolic links and ".desktop" links), dropped files, moving to
// the Trash and renaming. All run on the GUI thread.
#include <QIcon>
#include <QString>
#include <QStringList>
#include <functional>

class QMimeData;
class QObject;
class QWidget;

// Asks the receiver to navigate to the URL; the type of every OnNavigateUrl event.
using TNavigateUrlEvent = std::function<void(QObject *Sender, QString Url)>;
// The name of an HTML file (the bookmark trees' file name).
using THtmlFileName = QString;

// ---- busy cursor ----
// Nested: the first true shows the hourglass, the last false restores the cursor in force before.
// An unpaired false is ignored.
void ShowBusyCursor(bool Busy);
// The nesting depth (0 when no busy section is open).
int BusyCursorDepth();
// A busy section for the length of a scope.
class TBusyCursor {
public:
    TBusyCursor() { ShowBusyCursor(true); }
    ~TBusyCursor() { ShowBusyCursor(false); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

// ---- platform browser version ----
// The version number of a stored version text: its first three characters read as a decimal
// number ("6.0..." gives 6.0, "5.50" gives 5.5); 1.0 when they are no number.
double ParseIEVersion(const QString &Version);
// The stored version (local machine, Software\Microsoft\Internet Explorer, value Version) through
// ParseIEVersion; a missing value reads as "0". Raises PlatformError when the value is not a string.
double GetIEVersion();

// ---- favorites ----
// The favorites folder (from the store's shell folders), created when missing.
QString FavoritesFolder();
// Imports (true) or exports (false) favorites through the handler set below, under the busy cursor;
// Path empty lets the handler ask for the file. Raises PlatformError when no handler is set (the
// bookmark file codec provides it) or the handler raises.
using TFavoritesTransfer = std::function<void(bool Import, const QString &Path)>;
void SetFavoritesTransfer(TFavoritesTransfer Transfer);
void ImportExportFavorites(bool Import, const QString &Path);
// Shows the add-favorite dialog (name and folder of the favorites folder) and writes the favorite
// as a ".url" file. False when the user cancels or declines to replace an existing favorite; raises
// PlatformError when the file cannot be written.
bool AddFavorite(const QString &Title, const QString &Url, QWidget *Owner = nullptr);

// ---- icons (valid without an icon theme: the style's standard icons stand in) ----
// The icon of the file or folder at Path (a missing path gets the plain file icon); Open asks for
// a folder's open icon.
QIcon GetFileIcon(const QString &Path, bool Open = false);
QIcon GetFolderIcon(bool Open = false);
// The icon of HTML files, cached at the first call.
QIcon GetHtmlIcon();

// ---- internet shortcuts ----
// Key URL of section InternetShortcut; true when it is not empty. Url is emptied first.
bool GetInternetShortcutUrl(const QString &FileName, QString &Url);
// Writes (or updates) the URL of an internet shortcut; false when the file cannot be written or the
// URL holds a line break.
bool WriteInternetShortcut(const QString &FileName, const QString &Url);

// ---- links ----
// A symbolic link, or a ".desktop" file (the extension in any case).
bool IsShellLink(const QString &FileName);
// The target of a link: the absolute path a symbolic link points to (false when it points nowhere),
// or the URL of a ".desktop" entry of Type=Link. Target is left unchanged when the result is false.
bool ResolveShellLink(const QString &LinkFile, QString &Target);

// ---- dropped files ----
// Appends the local files of the drag data's URI list to List, in order (the list is not cleared);
// true when List then holds at least one line.
bool DropFilesToStrings(const QMimeData *Data, QStringList &List);

// ---- Trash and rename ----
// Asks the user, then moves the file or folder to the freedesktop Trash; never deletes for good.
// False when the user declines, the path does not exist or the move fails (the user is told).
bool DeleteToRecycleBin(QWidget *Owner, const QString &Path);
// Renames within the same folder. Refuses an existing target and a new name that is empty, ".",
// ".." or holds "/"; tells the user why on any failure. True when renamed (or when the name is
// unchanged).
bool ShellRenameFile(QWidget *Owner, const QString &OldPath, const QString &NewPath);
