#pragma once
// Where the program keeps its files.
#include <QString>

namespace platformpaths {

// The program's folder under the user's config folder (XDG_CONFIG_HOME/brivo); created on demand.
QString configDir();
// The program's folder under the user's data folder (XDG_DATA_HOME/brivo); created on demand.
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
