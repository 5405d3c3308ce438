#pragma once
// The program's title, shown as the main window's caption, the caption of its questions and in the
// status bar. It is the program's own string: Qt's application name stays fixed (it names the folders
// where the web engine keeps its profile), and Qt's display name is never set.
#include <QString>

namespace applicationtitle {

QString get();
void set(const QString &title);

} // namespace applicationtitle
