#pragma once
// What the user typed, a bookmark or the command line gave, as the URL to open. Text is a local path
// only when it is an absolute path, begins with "~/", "./" or "../", or names a file or folder that
// exists in the working folder; anything else is a web address ("example.com", "127.0.0.1:8080/x")
// or a URL with its scheme.
#include <QString>
#include <QUrl>

namespace useraddress {

QUrl toUrl(const QString &text, const QString &workingFolder);

} // namespace useraddress
