#pragma once
// The font a form takes from a language table's [Font] section.
#include <QFont>

class TMemIni;

struct TTableFont {
    QFont font;
    int charset = 0; // the font character set, one byte
};

// [Font] Name (an empty or missing one keeps the family), Charset (a missing one keeps currentCharset)
// and Size in points (a missing, malformed or non-positive one keeps the size), applied to current.
TTableFont ReadTableFont(const TMemIni &table, const QFont &current, int currentCharset);

// The tables name Windows fonts: the font with a family that holds the characters of a font character
// set when the named family is not installed (the Noto CJK families for the East Asian character sets, else the
// application's).
QFont FontForCharset(QFont font, int charset);
