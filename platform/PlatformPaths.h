#pragma once
// Where the program keeps its files.
#include <QString>

namespace platformpaths {

// A path the system gives as bytes (the environment, the executable's link) as a path the program's
// file functions reach. File names are UTF-8 to them; a path whose bytes are no UTF-8 (a home folder
// named in Latin-1, used under LANG=C) would decode to another name, with U+FFFD in it, and the
// folders made under it would be new ones beside the real one. Such a path is reached through a handle
// held open on its last folder that is no UTF-8 ("/proc/<process>/fd/<handle>/..." names the real
// folder for as long as the program runs); any other path is simply decoded.
QString fromLocalBytes(const QByteArray &bytes);
// The user's home folder (HOME, else the user's entry in the system), the config folder
// (XDG_CONFIG_HOME when it is an absolute path, else ~/.config) and the data folder (XDG_DATA_HOME,
// else ~/.local/share), each as fromLocalBytes gives it.
QString homeDir();
QString configHome();
QString dataHome();
// The running program's file, as fromLocalBytes gives it.
QString executablePath();
// Qt's own standard folders (QStandardPaths) decode the home folder's name as UTF-8, so a library that
// makes its folders there (the web engine makes its profile's first folder before the program gives
// it its own) would make them beside a home folder whose name is no UTF-8. pointQtDataHome() points
// them at dataHome() through XDG_DATA_HOME when the two differ, while no other thread runs (it changes
// the environment); restoreQtDataHome() puts the variable back as it was, so programs started later
// inherit the user's own environment.
void pointQtDataHome();
void restoreQtDataHome();

// The program's folder under the user's config folder (configHome()/brivo); created on demand.
QString configDir();
// The program's folder under the user's data folder (dataHome()/brivo); created on demand.
QString dataDir();
// The settings file: the executable's path with ".ini" when the executable's folder is writable
// (portable use), else the same file name in configDir().
QString settingsFileFor(const QString &executablePath);
// settingsFileFor() of the running executable, unless tests set another with setSettingsFile().
QString settingsFile();
void setSettingsFile(const QString &path);

// The settings file the program is distributed with: beside the executable, named like it.
QString shippedSettingsFileFor(const QString &executablePath);
// Copies the shipped settings file to target when target does not exist yet and is another file (the
// settings live in the user's config folder); false only when a needed copy failed.
bool seedSettingsFile(const QString &shipped, const QString &target);
// The same for the running executable and settingsFile().
bool seedSettingsFile();

} // namespace platformpaths
