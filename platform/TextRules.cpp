#include "platform/TextRules.h"

#include <QTextDocument>

namespace textrules {

QString trim(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && s.at(e - 1).unicode() <= 0x20)
        --e;
    return s.mid(b, e - b);
}

QString trimLeft(const QString &s)
{
    qsizetype b = 0;
    while (b < s.size() && s.at(b).unicode() <= 0x20)
        ++b;
    return s.mid(b);
}

QString trimRight(const QString &s)
{
    qsizetype e = s.size();
    while (e > 0 && s.at(e - 1).unicode() <= 0x20)
        --e;
    return s.left(e);
}

static inline char16_t upperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

int compareText(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = upperAscii(a.at(i).unicode());
        const char16_t y = upperAscii(b.at(i).unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && compareText(a, b) == 0;
}

QString foldAscii(const QString &s)
{
    QString r = s;
    for (qsizetype i = 0; i < r.size(); ++i) {
        const char16_t c = r.at(i).unicode();
        if (c >= u'a' && c <= u'z')
            r[i] = QChar(char16_t(c - 32));
    }
    return r;
}

std::optional<int> strToInt(const QString &s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    bool negative = false;
    if (i < n && (s.at(i) == u'-' || s.at(i) == u'+')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && s.at(i) == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && s.at(i) == u'0' && (s.at(i + 1) == u'x' || s.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    } else if (i < n && (s.at(i) == u'x' || s.at(i) == u'X')) {
        base = 16;
        ++i;
    }
    if (i >= n)
        return std::nullopt;
    unsigned long long value = 0;
    for (; i < n; ++i) {
        const char16_t c = s.at(i).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 10) {
        if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull)
            return std::nullopt;
        const long long v = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
        return static_cast<int>(v);
    }
    // hexadecimal: the 32 bits as they stand
    const auto bits = static_cast<std::uint32_t>(value);
    int v = static_cast<int>(bits);
    return negative ? -v : v;
}

int strToIntDef(const QString &s, int def)
{
    const auto v = strToInt(s);
    return v ? *v : def;
}

QString lineName(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq);
}

QString lineValue(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.mid(eq + 1);
}

int indexOfName(const QStringList &lines, const QString &name)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && sameText(line.left(eq), name))
            return i;
    }
    return -1;
}

QString valueOf(const QStringList &lines, const QString &name)
{
    const int i = indexOfName(lines, name);
    return i < 0 ? QString() : lineValue(lines.at(i));
}

QString decodeCharacterReferences(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c != u'&') {
            out += c;
            ++i;
            continue;
        }
        const qsizetype semi = text.indexOf(u';', i + 1);
        if (semi < 0 || semi - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QStringView ref = text.sliced(i + 1, semi - i - 1);
        char32_t code = 0;
        if (ref.startsWith(u'#')) {
            bool ok = false;
            uint v = 0;
            if (ref.size() > 2 && (ref[1] == u'x' || ref[1] == u'X'))
                v = ref.sliced(2).toUInt(&ok, 16);
            else if (ref.size() > 1 && ref[1].isDigit())
                v = ref.sliced(1).toUInt(&ok, 10);
            if (ok && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF))
                code = v;
        } else if (ref == u"amp") {
            code = u'&';
        } else if (ref == u"lt") {
            code = u'<';
        } else if (ref == u"gt") {
            code = u'>';
        } else if (ref == u"quot") {
            code = u'"';
        } else if (ref == u"apos") {
            code = u'\'';
        } else if (ref == u"nbsp") {
            code = 0xA0;
        }
        if (code == 0) {
            out += c;
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i = semi + 1;
    }
    return out;
}

QString plainToolTip(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

} // namespace textrules
