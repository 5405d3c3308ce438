#pragma once
// Resources built into the executable, found by name and type without regard to case
// (":/<TYPE>/<NAME>" in the Qt resource system, both in upper case).
#include <QByteArray>
#include <QString>
#include <optional>

namespace builtinresources {

std::optional<QByteArray> find(const QString &name, const QString &type);
// The code page a built-in "INI" resource is stored in (932 for the Japanese tables and the default
// settings, 936, 950, else 1252).
int iniCodePage(const QString &name);

} // namespace builtinresources
