#pragma once
// Desktop entries (the ".desktop" files of freedesktop desktops) as the mail commands and the
// question before a link opens another program need them: the desktop's default application for a
// kind of file or link, finding an application's entry, reading its name and command line, and
// splitting a command line into a program and its arguments by the entry's quoting rules, so no
// shell ever reads it.
#include <QString>
#include <QStringList>

namespace desktopentries {

// The entry's file for an application id ("thunderbird" or "thunderbird.desktop") in the user's and
// the system's application folders (XDG data folders), or empty. Ids with a folder part are refused.
QString find(const QString &id);
// The application id ("thunderbird.desktop") the desktop opens the MIME type with
// ("x-scheme-handler/mailto"), as xdg-mime answers within a few seconds; empty when it has none.
QString defaultApplication(const QString &mimeType);
// The Exec value of the file's [Desktop Entry] group with its escapes resolved, or empty. Files over
// 256 KiB are not read.
QString execLine(const QString &path);
// The Name value of the file's [Desktop Entry] group (the untranslated one), or empty.
QString name(const QString &path);
// The command line cut into arguments: blanks separate them, double quotes group them (inside, a
// backslash keeps the next character), a backslash outside quotes keeps the next character.
QStringList splitCommand(const QString &line);
// Field codes ("%f", "%U", "%i"...) removed from every argument and arguments left empty by that
// dropped; "%%" becomes "%".
QStringList removeFieldCodes(const QStringList &arguments);

} // namespace desktopentries
