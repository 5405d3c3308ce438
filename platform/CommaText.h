#pragma once
// Comma text: a list of texts in one line, as the old class library's string lists wrote and read it.
// Writing joins the texts with ","; a text holding a character up to U+0020, a double quote or a comma
// goes inside double quotes with each inner quote doubled. Reading splits at commas and at blanks and
// control characters outside quotes, so "a b" reads as two texts.
#include <QString>
#include <QStringList>

namespace commatext {

// The texts as one line. A list of exactly one empty text gives "\"\"" so that it reads back as one
// text; an empty list gives an empty line.
QString write(const QStringList &texts);

// The texts of a line. Characters up to U+0020 before and between items are skipped; an item is a
// quoted string (a doubled quote stands for one quote; an unclosed quote runs to the end of the line)
// or a run of characters up to the next character up to U+0020 or comma; one comma (and the blanks
// after it) separates two items, and a comma that ends the line adds an empty last item.
QStringList read(const QString &line);

// The text quoted as write() quotes it: inside double quotes, inner quotes doubled.
QString quoted(const QString &text);

} // namespace commatext
