#pragma once
// The file name a download is offered under. The name comes from the server (its
// Content-Disposition header or the URL), so it is reduced to a plain name that stays inside the
// download folder: no folder separators, no "." or "..", no name of dots alone, no control
// characters, no leading dot, bounded in length, and never the name of a file that is already there.
#include <QString>

namespace downloadname {

// The plain file name made of what the server suggested; "download" when nothing usable is left.
QString plainName(const QString &suggested);
// folder/plainName(suggested), numbered "name (2).ext", "name (3).ext"... past files already there.
QString pathInFolder(const QString &folder, const QString &suggested);

} // namespace downloadname
