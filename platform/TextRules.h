#pragma once
// Text rules of the old class library that stored data and callers depend on.
#include <QString>
#include <QStringList>
#include <optional>

namespace textrules {

// Strips characters up to U+0020 from both ends (not U+00A0 or U+3000, unlike QString::trimmed).
QString trim(const QString &s);
QString trimLeft(const QString &s);
QString trimRight(const QString &s);

// Case-insensitive comparison that folds only the letters a-z; <0, 0 or >0.
int compareText(const QString &a, const QString &b);
bool sameText(const QString &a, const QString &b);
// Key for hashing under sameText: a-z folded to upper case.
QString foldAscii(const QString &s);

// HTML character references (&amp; &lt; &gt; &quot; &apos; &nbsp; &#n; &#xh;) decoded; anything else
// (an unknown name, a reference to no character) kept as it stands.
QString decodeCharacterReferences(QStringView text);

// Integer parse as the class library did it: optional sign, decimal, or hexadecimal with "$", "0x",
// "0X", "x" or "X"; no blanks; the value must fit in 32 bits (hex up to FFFFFFFF wraps to negative).
std::optional<int> strToInt(const QString &s);
int strToIntDef(const QString &s, int def);

// Name-value lines ("name=value"): the name is the text before the first "=", the value the text
// after it; a line without "=" has an empty name and an empty value.
QString lineName(const QString &line);
QString lineValue(const QString &line);
// Index of the first line whose name equals name (without regard to case), or -1.
int indexOfName(const QStringList &lines, const QString &name);
// Value of the first line with that name, or an empty string.
QString valueOf(const QStringList &lines, const QString &name);

// A tool tip that shows text as it stands: text a tool tip would read as markup (a page's title, an
// address from a file) is escaped, so it never loads an image or draws a link.
QString plainToolTip(const QString &text);

} // namespace textrules
