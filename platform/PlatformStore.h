#pragma once
// The store of platform values that programs keep in the system registry elsewhere: two hives, each
// a file of its own in the store's folder, holding keys (paths such as "Software\Vendor\Key") with
// named values, kept whole whatever their length. A value is read as a string; a value of another type
// makes the reader raise.
// Well-known values that the store lacks get this platform's answers (browser version, start page,
// favorites and history folders, links folder name, default mail client).
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

enum class Hive { CurrentUser, LocalMachine };

namespace platformstore {

// The folder of the two hive files; by default configDir()/registry. Tests set their own.
void setFolder(const QString &folder);
QString folder();
QString hiveFile(Hive hive);

// True when the key exists, or a well-known value lives under it.
bool keyExists(Hive hive, const QString &key);
// The string value, or nothing when the key or the value is missing. An empty name reads the key's
// default value. Raises PlatformError when the value is stored with another type.
// "%NAME%" environment strings in expandable strings are expanded.
std::optional<QString> readString(Hive hive, const QString &key, const QString &name);
// Writes a string value, creating the key; false when the hive file cannot be written.
bool writeString(Hive hive, const QString &key, const QString &name, const QString &value);
// Writes a 32-bit integer value (for completeness of the model; readers of strings refuse it).
bool writeInteger(Hive hive, const QString &key, const QString &name, int value);
bool deleteValue(Hive hive, const QString &key, const QString &name);
bool deleteKey(Hive hive, const QString &key);
// One change of a key's string values, made against the store as it is now under its lock, so what
// another program wrote there in the meantime is what the change applies to: change receives the key's
// string values (name, text) in stored order and returns the ones the key is to hold. Values of other
// types stay as they are. False when the hive file cannot be written.
using StringValues = QList<QPair<QString, QString>>;
bool changeStrings(Hive hive, const QString &key,
                   const std::function<StringValues(const StringValues &current)> &change);
// Why the hive's last write failed (the file's name is hiveFile), else why its file was refused at
// its last read; empty when neither.
QString errorString(Hive hive);
// Names of the values stored under the key, in stored order ("" for the default value).
QStringList valueNames(Hive hive, const QString &key);

// Registers the platform's answer for a value the store lacks.
void registerWellKnown(Hive hive, const QString &key, const QString &name, std::function<QString()> answer);
// The command that tells the desktop's mailto handler (tests replace it); it returns a desktop file name.
void setMailHandlerQuery(std::function<QString()> query);

// "%NAME%" replaced by the environment variable's value; unknown names stay as written.
QString expandEnvironmentStrings(const QString &text);

} // namespace platformstore
