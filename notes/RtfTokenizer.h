#pragma once
// Splits RTF bytes into tokens: group braces, control words with their numeric parameters, control
// symbols, runs of text bytes, \'hh bytes and the raw data of \binN. Nothing here knows what a word
// means; the reader does. Bounded: a control word keeps at most 32 letters, a parameter is clamped to
// the int range, \binN never runs past the input, and every call consumes at least one byte.
#include <QByteArray>
#include <QByteArrayView>

namespace rtf {

enum class TokenType {
    GroupStart,
    GroupEnd,
    ControlWord,   // Word, HasParam, Param
    ControlSymbol, // Symbol: the character after the backslash (a line end reads as '\n')
    Text,          // Data: bytes of text (no braces, backslashes or line ends)
    HexByte,       // Byte: the value of \'hh
    Binary,        // Data: the bytes of \binN
    End,
};

struct Token {
    TokenType Type = TokenType::End;
    QByteArrayView Word; // control word letters (a view into the input)
    bool HasParam = false;
    int Param = 0;
    char Symbol = 0;
    quint8 Byte = 0;
    QByteArrayView Data;
    qsizetype Offset = 0; // where the token starts in the input

    bool is(const char *word) const { return Type == TokenType::ControlWord && Word == word; }
};

// The value of a hexadecimal digit, or -1.
int HexValue(char c);

class Tokenizer {
public:
    static constexpr int MaxWordLength = 32;
    static constexpr int MaxParamDigits = 10;

    explicit Tokenizer(QByteArrayView input);
    Token Next();
    qsizetype Position() const { return m_pos; }
    QByteArrayView Input() const { return m_input; }
    // Skips to the end of the group whose opening brace has just been read (nested groups and \bin
    // data included); returns the offset just past its closing brace, or the input's end.
    qsizetype SkipGroup();

private:
    Token controlWord(qsizetype start);
    QByteArrayView m_input;
    qsizetype m_pos = 0;
};

} // namespace rtf
