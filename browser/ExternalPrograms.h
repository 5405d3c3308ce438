#pragma once
// Links to other programs: addresses of a kind the engine does not open itself ("mailto:", or any
// kind a program registered itself for with the desktop), which the desktop hands to that program.
#include <QString>
#include <QUrl>

namespace externalprograms {

// Whether the address is a link to another program.
bool isProgramLink(const QUrl &url);
// The name of the program the desktop opens links of the kind (the address's scheme) with, or empty
// when it has none.
QString programFor(const QString &scheme);

} // namespace externalprograms
