#pragma once
// Import and export of the favorites folder through bookmark files: a bookmark file's folders become
// folders of the favorites folder and its bookmarks internet shortcuts (".url"); exporting writes the
// favorites folder's tree of shortcuts as a bookmark file.
#include <QString>

namespace favoritestransfer {

// Adds the bookmark file's folders and bookmarks below the favorites folder. A name already taken
// gets " (2)", " (3)"... so nothing existing is overwritten. False with a reason when the file cannot
// be read or a shortcut cannot be written (what was written before stays).
bool importFile(const QString &bookmarkFile, const QString &favoritesFolder, QString *error = nullptr);
// Writes the favorites folder's sub-folders and shortcuts (names sorted as the trees sort them) as a
// bookmark file, atomically.
bool exportFile(const QString &favoritesFolder, const QString &bookmarkFile, QString *error = nullptr);
// A file name that the file system takes for the title and the favorites tree lists: no "/" or
// control characters, no leading "." (so never "." or ".." nor a hidden file), never empty, at most
// 200 bytes in UTF-8.
QString safeName(const QString &title);

// Makes the shell utilities' import and export entry points use these (asking for the file when none
// is given).
void install();

} // namespace favoritestransfer
