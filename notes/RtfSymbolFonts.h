#pragma once
// The symbol fonts of Windows documents: their text is codes 0x20 to 0xFF (written as themselves or as
// U+F020 to U+F0FF) that the font draws as symbols of its own. Symbol and Wingdings, the fonts of most
// list bullets, are read as the Unicode characters those codes show.
#include <QString>

namespace rtf {

enum class SymbolFont {
    None,      // a font of text
    Symbol,    // Greek letters and mathematical signs
    Wingdings, // pictures, shapes and arrows
    Other,     // a symbol font whose codes are not known here
};

// The kind of a font by its name and its character set (2: symbols).
SymbolFont SymbolFontOf(const QString &name, int charset);

// The character a code (0x20 to 0xFF, or U+F020 to U+F0FF) shows in the font; 0 when it shows nothing
// that Unicode has.
char32_t SymbolCharacter(SymbolFont font, char32_t code);

} // namespace rtf
