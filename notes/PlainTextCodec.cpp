#include "notes/PlainTextCodec.h"

#include "platform/CodePage.h"

#include <QStringDecoder>

namespace plaintext {

namespace {

// Valid UTF-8 comes back byte for byte; anything else (a stray byte, a cut sequence) does not.
bool validUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Text decoded from UTF-16 is refused when it holds NUL or other control characters that no text
// file carries.
bool plausibleText(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != 0x0C && u != 0x0B && u != 0x1A)
            return false;
    }
    return true;
}

// Zero bytes only at odd offsets (little-endian) or only at even offsets (big-endian) of an even-sized
// text say UTF-16 without a mark. 0: not UTF-16; 1: little-endian; 2: big-endian.
int utf16Guess(const QByteArray &bytes)
{
    if (bytes.size() % 2 != 0)
        return 0;
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0)
            ++((i % 2) ? odd : even);
    }
    if (odd > 0 && even == 0)
        return 1;
    if (even > 0 && odd == 0)
        return 2;
    return 0;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString s(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = uchar(bytes[i + (bigEndian ? 1 : 0)]);
        const auto hi = uchar(bytes[i + (bigEndian ? 0 : 1)]);
        s[i / 2] = QChar(char16_t(lo | (hi << 8)));
    }
    return s;
}

QByteArray encodeUtf16(const QString &text, bool bigEndian)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        out[2 * i + (bigEndian ? 1 : 0)] = char(u & 0xFF);
        out[2 * i + (bigEndian ? 0 : 1)] = char(u >> 8);
    }
    return out;
}

// UTF-8 with a U+FEFF at the start of the bytes kept as a character (the mark of a file is cut off
// before this is called).
QString fromUtf8Keeping(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool finish(const QString &decoded, QString &text, TTextFormat &format)
{
    if (!plausibleText(decoded))
        return false;
    text = NormalizeLineBreaks(decoded, &format.LineEnd);
    return true;
}

} // namespace

QString NormalizeLineBreaks(const QString &text, TLineEnd *firstStyle)
{
    bool seen = false;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            const bool pair = i + 1 < text.size() && text[i + 1] == u'\n';
            if (!seen && firstStyle)
                *firstStyle = pair ? TLineEnd::CrLf : TLineEnd::Cr;
            seen = true;
            if (pair)
                ++i;
            out += u'\n';
        } else if (c == u'\n') {
            if (!seen && firstStyle)
                *firstStyle = TLineEnd::Lf;
            seen = true;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

bool Decode(const QByteArray &bytes, int fallbackCodePage, QString &text, TTextFormat &format)
{
    format = TTextFormat{};
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        format.Encoding = TEncoding::Utf8Bom;
        return finish(fromUtf8Keeping(QByteArrayView(bytes).sliced(3)), text, format);
    }
    if (bytes.startsWith("\xFF\xFE")) {
        format.Encoding = TEncoding::Utf16LE;
        return finish(decodeUtf16(QByteArrayView(bytes).sliced(2), false), text, format);
    }
    if (bytes.startsWith("\xFE\xFF")) {
        format.Encoding = TEncoding::Utf16BE;
        return finish(decodeUtf16(QByteArrayView(bytes).sliced(2), true), text, format);
    }
    if (bytes.contains('\0')) {
        const int guess = utf16Guess(bytes);
        if (guess == 0)
            return false;
        format.Encoding = guess == 1 ? TEncoding::Utf16LERaw : TEncoding::Utf16BERaw;
        return finish(decodeUtf16(bytes, guess == 2), text, format);
    }
    if (validUtf8(bytes)) {
        format.Encoding = TEncoding::Utf8;
        return finish(fromUtf8Keeping(bytes), text, format);
    }
    format.Encoding = TEncoding::CodePage;
    format.CodePage = codepage::isSupported(fallbackCodePage) ? fallbackCodePage : 1252;
    return finish(codepage::decode(bytes, format.CodePage), text, format);
}

bool DecodeUtf16(const QByteArray &bytes, QString &text, TTextFormat &format)
{
    format = TTextFormat{};
    format.Encoding = TEncoding::Utf16LERaw;
    QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE"))
        view = view.sliced(2);
    return finish(decodeUtf16(view, false), text, format);
}

QByteArray Encode(const QString &text, TTextFormat &format)
{
    QString body = text;
    switch (format.LineEnd) {
    case TLineEnd::CrLf:
        body.replace(u'\n', QStringLiteral("\r\n"));
        break;
    case TLineEnd::Cr:
        body.replace(u'\n', u'\r');
        break;
    case TLineEnd::Lf:
        break;
    }
    switch (format.Encoding) {
    case TEncoding::Utf8:
        return body.toUtf8();
    case TEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + body.toUtf8();
    case TEncoding::Utf16LE:
        return QByteArray("\xFF\xFE") + encodeUtf16(body, false);
    case TEncoding::Utf16BE:
        return QByteArray("\xFE\xFF") + encodeUtf16(body, true);
    case TEncoding::Utf16LERaw:
        return encodeUtf16(body, false);
    case TEncoding::Utf16BERaw:
        return encodeUtf16(body, true);
    case TEncoding::CodePage: {
        bool ok = false;
        QByteArray bytes = codepage::encode(body, format.CodePage, &ok);
        if (ok)
            return bytes;
        // the code page cannot hold every character: keep them all
        format.Encoding = TEncoding::Utf8;
        format.CodePage = 0;
        return body.toUtf8();
    }
    }
    return body.toUtf8();
}

} // namespace plaintext
