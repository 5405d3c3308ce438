#pragma once
// Character-set names as documents, menus and the engine spell them. The engine reports the
// canonical name of the encoding it decodes with ("GBK" for a page declared gb2312, "windows-1252"
// for iso-8859-1), so names are compared by their canonical form.
#include <QString>

namespace charsets {

// The canonical lower-case name of a label ("ISO8859-1" -> "windows-1252", "gb2312" -> "gbk",
// "x-sjis" -> "shift_jis"); an unknown label comes back lower-cased and trimmed.
QString canonical(const QString &label);
// True when both labels name the same encoding.
bool same(const QString &a, const QString &b);
// True for the auto-detect markers ("_autodetect", "_autodetect_all", "_autodetect_kr").
bool isAutoDetect(const QString &label);
// True when the engine can decode text in this encoding.
bool isKnown(const QString &label);

} // namespace charsets
