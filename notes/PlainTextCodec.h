#pragma once
// Plain-text notes files: which encoding and line-end style a file uses, decoding it into text with
// "\n" line breaks, and writing text back the same way.
#include <QByteArray>
#include <QString>

namespace plaintext {

enum class TEncoding {
    Utf8,       // UTF-8 without a byte-order mark
    Utf8Bom,    // UTF-8 with a byte-order mark
    Utf16LE,    // UTF-16 little-endian with a byte-order mark
    Utf16BE,    // UTF-16 big-endian with a byte-order mark
    Utf16LERaw, // UTF-16 little-endian without a mark (the Unicode stream mode)
    Utf16BERaw, // UTF-16 big-endian without a mark
    CodePage,   // a legacy Windows code page
};

enum class TLineEnd { CrLf, Lf, Cr };

struct TTextFormat {
    TEncoding Encoding = TEncoding::Utf8;
    int CodePage = 0; // for TEncoding::CodePage
    TLineEnd LineEnd = TLineEnd::Lf;
    bool operator==(const TTextFormat &) const = default;
};

// Decodes a file's bytes. The encoding is found from a byte-order mark, else UTF-8 when the bytes are
// valid UTF-8, else UTF-16 without a mark when its zero bytes say so, else the fallback code page.
// Line ends of every style (CR LF, lone LF, lone CR) become "\n"; the first style met is reported.
// False for binary data (zero bytes outside UTF-16 text): nothing is decoded then.
bool Decode(const QByteArray &bytes, int fallbackCodePage, QString &text, TTextFormat &format);
// Decodes UTF-16 little-endian without a mark (the Unicode stream mode); false for binary data.
bool DecodeUtf16(const QByteArray &bytes, QString &text, TTextFormat &format);

// Encodes text with "\n" line breaks in the format. A text that the format's code page cannot hold is
// written as UTF-8 instead, and format says so afterwards, so nothing is lost.
QByteArray Encode(const QString &text, TTextFormat &format);

// Line breaks of every style turned into "\n".
QString NormalizeLineBreaks(const QString &text, TLineEnd *firstStyle = nullptr);

} // namespace plaintext
