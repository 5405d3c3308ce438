#pragma once
// The system's default locale as the three-letter abbreviation of its language and region
// ("ENU", "JPN", "CHS", "CHT", "ESN", "PTB"...), taken from LC_ALL or LANG.
#include <QString>
#include <optional>

namespace systemlocale {

// Abbreviation of the running system's locale ("ENU" when none is set).
QString abbreviation();
// Abbreviation of a POSIX locale name such as "ja_JP.UTF-8" or "zh_TW"; unknown languages give
// their two letters followed by "X" in upper case, "C" and "POSIX" give "ENU".
QString abbreviationOf(const QString &posixLocale);
// Makes abbreviation() answer the given locale name instead of the environment (tests).
void setOverride(const std::optional<QString> &posixLocale);

} // namespace systemlocale
