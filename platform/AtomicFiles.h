#pragma once
// Whole-file writes that never leave a half-written file: the bytes go to a temporary file beside the
// target, which replaces the target only when every byte has reached it. (A buffered QSaveFile can
// report success after the file system took only part of the data; this reads every write's count.)
#include <QByteArray>
#include <QString>

namespace atomicfile {

// False, with the reason in error, when the file could not be written; the previous file is then whole.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Renames (or moves, within one file system) from to to, never replacing an entry named to; false,
// with the system's reason in error, when it could not.
bool renameNoReplace(const QString &from, const QString &to, QString *error = nullptr);

} // namespace atomicfile
