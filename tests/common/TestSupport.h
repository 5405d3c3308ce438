#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QString>

namespace testsupport {

// Whole contents of a file, or an empty array when it cannot be read.
QByteArray readBytes(const QString &path);
// Writes the bytes to the file, creating its folder; fails the calling test on error.
void writeBytes(const QString &path, const QByteArray &bytes);
// Path of a file under the shared fixtures folder.
QString fixture(const QString &relative);

} // namespace testsupport
