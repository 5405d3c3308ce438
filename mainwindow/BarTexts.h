#pragma once
// The text rules of the tool bar and the search bar, apart from any widget.
#include <QList>
#include <QString>

namespace bartexts {

// The tool-bar layout: blanks removed, split at ";" and line breaks; an empty layout is the single
// number 0; an entry that is not an integer is left out.
QList<int> parseToolButtons(const QString &layout);

// The keyword as a query string: each byte of its UTF-8 text kept when it is a letter A-Z or a-z,
// a digit, "@" or one of * . _ - $ ! ' ( ); a blank becomes "+"; every other byte "%HH".
QString encodeKeyword(const QString &keyword);

// The engine's template with its "%s" replaced by the encoded keyword and "%%" by "%"; any other
// "%" stays as written. A template without "%s" is used as it stands.
QString fillSearchTemplate(const QString &templ, const QString &encoded);

} // namespace bartexts
