#include "platform/CodePage.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace codepage {

QByteArray converterName(int codePage)
{
    switch (codePage) {
    case 932:
        return "windows-31j";
    case 936:
        return "windows-936";
    case 949:
        return "windows-949";
    case 950:
        return "windows-950";
    case 874:
        return "windows-874";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 10000:
    case 10079: // Mac Icelandic: Mac Roman with six letters of its own (see patchDecoded)
        return "macintosh";
    // the Mac's East Asian code pages share the byte layout of the Windows ones, which ICU has
    case 10001:
        return "windows-31j"; // Mac Japanese
    case 10002:
        return "windows-950"; // Mac traditional Chinese
    case 10003:
        return "windows-949"; // Mac Korean
    case 10008:
        return "windows-936"; // Mac simplified Chinese
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10029:
        return "x-mac-centraleurroman";
    case 10081:
        return "x-mac-turkish";
    case 20127:
        return "US-ASCII";
    case 28591:
        return "ISO-8859-1";
    case 65001:
        return "UTF-8";
    default:
        break;
    }
    if (codePage >= 1250 && codePage <= 1258)
        return "windows-" + QByteArray::number(codePage);
    return {};
}

bool isSupported(int codePage)
{
    const QByteArray name = converterName(codePage);
    if (name.isEmpty())
        return false;
    QStringDecoder d(name.constData());
    return d.isValid();
}

int fromCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252; // ANSI
    case 77:
        return 10000; // Mac Roman
    case 78:
        return 10001; // Mac Shift_JIS
    case 79:
        return 10003; // Mac Hangul
    case 80:
        return 10008; // Mac GB2312
    case 81:
        return 10002; // Mac Big5
    case 85:
        return 10006; // Mac Greek
    case 86:
        return 10081; // Mac Turkish
    case 88:
        return 10029; // Mac Eastern Europe
    case 89:
        return 10007; // Mac Cyrillic
    case 128:
        return 932; // Shift_JIS
    case 129:
        return 949; // Hangul
    case 134:
        return 936; // GB2312
    case 136:
        return 950; // Big5
    case 161:
        return 1253; // Greek
    case 162:
        return 1254; // Turkish
    case 163:
        return 1258; // Vietnamese
    case 177:
        return 1255; // Hebrew
    case 178:
        return 1256; // Arabic
    case 186:
        return 1257; // Baltic
    case 204:
        return 1251; // Russian
    case 222:
        return 874; // Thai
    case 238:
        return 1250; // Eastern Europe
    case 255:
        return 437; // OEM
    default:
        return 0;
    }
}

void patchDecoded(int codePage, QByteArrayView bytes, QString &text)
{
    if (codePage != 10079 || text.size() != bytes.size())
        return;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        switch (uchar(bytes[i])) {
        case 0xA0:
            text[i] = QChar(0x00DD); // Y acute
            break;
        case 0xDC:
            text[i] = QChar(0x00D0); // eth
            break;
        case 0xDD:
            text[i] = QChar(0x00F0);
            break;
        case 0xDE:
            text[i] = QChar(0x00DE); // thorn
            break;
        case 0xDF:
            text[i] = QChar(0x00FE);
            break;
        case 0xE0:
            text[i] = QChar(0x00FD); // y acute
            break;
        default:
            break;
        }
    }
}

QString decode(const QByteArray &bytes, int codePage, bool *ok)
{
    const QByteArray name = converterName(codePage);
    QStringDecoder d(name.isEmpty() ? "ISO-8859-1" : name.constData(), QStringConverter::Flag::Stateless);
    if (!d.isValid()) {
        if (ok)
            *ok = false;
        return QString::fromLatin1(bytes);
    }
    QString text = d.decode(bytes);
    patchDecoded(codePage, bytes, text);
    if (ok)
        *ok = !name.isEmpty() && !d.hasError() && !text.contains(QChar::ReplacementCharacter);
    return text;
}

QByteArray encode(const QString &text, int codePage, bool *ok)
{
    const QByteArray name = converterName(codePage);
    QStringEncoder e(name.isEmpty() ? "ISO-8859-1" : name.constData(), QStringConverter::Flag::Stateless);
    if (!e.isValid()) {
        if (ok)
            *ok = false;
        return text.toLatin1();
    }
    QByteArray bytes = e.encode(text);
    if (ok) {
        // a character the code page cannot hold comes back as a substitute, so check the round trip
        QStringDecoder d(name.constData(), QStringConverter::Flag::Stateless);
        *ok = !name.isEmpty() && !e.hasError() && QString(d.decode(bytes)) == text;
    }
    return bytes;
}

static bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

int ansiLength(const QString &text)
{
    int n = 0;
    for (char32_t c : text.toUcs4())
        n += isWide(c) ? 2 : 1;
    return n;
}

QString ansiLeft(const QString &text, int maxBytes)
{
    int n = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        char32_t c = text.at(i).unicode();
        qsizetype units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        const int w = isWide(c) ? 2 : 1;
        if (n + w > maxBytes)
            break;
        n += w;
        i += units;
    }
    return text.left(i);
}

} // namespace codepage
