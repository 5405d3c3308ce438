// Text bytes into characters: the code page of the document and of each font, \uN and its fallback.
#include "notes/RtfReaderCore.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace rtf::reader {

QString cleanText(QStringView input, QChar *stash)
{
    QString clean;
    clean.reserve(input.size());
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t')
            continue;
        if (c.isHighSurrogate()) {
            if (i + 1 < input.size() && input[i + 1].isLowSurrogate()) {
                clean += c;
                clean += input[++i];
            } else if (i + 1 == input.size() && stash) {
                *stash = c;
            } else {
                clean += QChar(QChar::ReplacementCharacter);
            }
            continue;
        }
        if (c.isLowSurrogate()) {
            clean += QChar(QChar::ReplacementCharacter);
            continue;
        }
        clean += (u == 0x2028 || u == 0x2029) ? QChar(QChar::Space) : c;
    }
    return clean;
}

// ---- text bytes and decoding ----

void Reader::textBytes(QByteArrayView data)
{
    switch (st().Destination) {
    case Dest::Picture:
        for (char c : data) {
            const int v = HexValue(c);
            if (v < 0)
                continue;
            if (m_nibble < 0) {
                m_nibble = v;
            } else {
                m_pict.append(char((m_nibble << 4) | v));
                m_nibble = -1;
            }
        }
        return;
    case Dest::FontTable:
        for (char c : data) {
            if (c == ';') {
                flushBytes();
                finishFont();
            } else {
                addByte(c);
            }
        }
        return;
    case Dest::ColorTable:
        for (char c : data) {
            if (c == ';')
                finishColor();
        }
        return;
    case Dest::Body:
    case Dest::ListText:
    case Dest::LevelText:
    case Dest::NumberBefore:
    case Dest::NumberAfter:
        addBytes(data);
        return;
    default:
        return;
    }
}

void Reader::addByte(char byte)
{
    addBytes(QByteArrayView(&byte, 1));
}

void Reader::addBytes(QByteArrayView bytes)
{
    const Dest d = st().Destination;
    if (d != Dest::Body && d != Dest::ListText && d != Dest::FontTable && d != Dest::LevelText &&
        d != Dest::NumberBefore && d != Dest::NumberAfter)
        return;
    const int cp = codePageNow();
    if (!m_bytes.isEmpty() && cp != m_bytesCodePage)
        flushBytes();
    m_bytesCodePage = cp;
    m_bytes.append(bytes);
}

int Reader::codePageOfFont(int font) const
{
    const auto it = m_fonts.constFind(font);
    if (it != m_fonts.cend()) {
        const int cp = it->Charset >= 0 ? codepage::fromCharset(it->Charset) : 0;
        if (cp && it->Charset != 2)
            return cp;
        if (it->CodePage && codepage::isSupported(it->CodePage))
            return it->CodePage;
    }
    return m_docCodePage;
}

int Reader::codePageNow() const
{
    const State &s = m_states.back();
    if (s.Destination == Dest::FontTable)
        return m_fontEntry >= 0 ? codePageOfFont(m_fontEntry) : m_docCodePage;
    int font = s.Char.Font >= 0 ? s.Char.Font : m_defaultFont;
    if (s.FontClass > 0 && s.ClassFonts[s.FontClass] >= 0)
        font = s.ClassFonts[s.FontClass];
    return codePageOfFont(font);
}

QString Reader::decode(const QByteArray &bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    auto attempt = [this, &bytes](int cp, bool &ok) -> QString {
        auto &slot = m_decoders[cp];
        if (!slot) {
            const QByteArray name = codepage::converterName(cp);
            slot = std::make_unique<QStringDecoder>(name.isEmpty() ? "windows-1252" : name.constData(),
                                                    QStringConverter::Flag::Stateless);
        }
        if (!slot->isValid()) {
            ok = false;
            return QString::fromLatin1(bytes);
        }
        slot->resetState();
        QString s = slot->decode(bytes);
        codepage::patchDecoded(cp, bytes, s);
        ok = !slot->hasError() && !s.contains(QChar::ReplacementCharacter);
        return s;
    };
    bool ok = false;
    QString s = attempt(codePage, ok);
    if (!ok && codePage != m_docCodePage) {
        // a font that claims a character set its bytes are not in: the document's code page
        bool ok2 = false;
        QString t = attempt(m_docCodePage, ok2);
        if (ok2)
            return t;
    }
    return s;
}

void Reader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    if (!m_states.empty() && st().Destination == Dest::LevelText) {
        // decoded once the level's font is known
        const qsizetype room = std::max<qsizetype>(0, MaxLevelText - m_levelTextSize);
        if (m_levelText.empty() || !m_levelText.back().Bytes)
            m_levelText.push_back(LevelTextPart{true, {}, {}});
        m_levelText.back().Data += m_bytes.first(std::min(room, m_bytes.size()));
        m_levelTextSize += std::min(room, m_bytes.size());
        m_bytes.clear();
        return;
    }
    const QString text = decode(m_bytes, m_bytesCodePage);
    m_bytes.clear();
    addDecoded(text);
}

void Reader::addDecoded(QStringView text)
{
    if (m_states.empty())
        return;
    switch (st().Destination) {
    case Dest::Body:
        bodyText(text);
        break;
    case Dest::FontTable:
        m_fontName += text;
        break;
    case Dest::ListText:
        m_listPrefix += text;
        m_hasListPrefix = true;
        break;
    case Dest::LevelText: {
        // a length (one character) and the text: nothing longer is kept
        const qsizetype room = std::max<qsizetype>(0, MaxLevelText - m_levelTextSize);
        if (m_levelText.empty() || m_levelText.back().Bytes)
            m_levelText.push_back(LevelTextPart{});
        m_levelText.back().Text += text.first(std::min(room, text.size()));
        m_levelTextSize += std::min(room, text.size());
        break;
    }
    case Dest::NumberBefore:
    case Dest::NumberAfter: {
        QString &to = st().Destination == Dest::NumberBefore ? m_pn.Prefix : m_pn.Suffix;
        to += text.first(std::min(text.size(), std::max<qsizetype>(0, qsizetype(4) * MAX_NUMBER_TEXT - to.size())));
        break;
    }
    default:
        break;
    }
}

void Reader::special(const Token &, int ch)
{
    const QChar c{char16_t(ch)};
    addDecoded(QStringView(&c, 1));
}

void Reader::unicode(const Token &t, int)
{
    if (!t.HasParam)
        return;
    const char16_t u = char16_t(t.Param & 0xFFFF); // negative values are the upper half
    const QChar c(u);
    addDecoded(QStringView(&c, 1));
    m_skip = st().Uc;
}

void Reader::unicodeSkip(const Token &t, int)
{
    st().Uc = t.HasParam ? std::clamp(t.Param, 0, 16) : 1;
}

void Reader::docCodePage(const Token &, int cp)
{
    m_docCodePage = cp;
}

void Reader::ansiCodePage(const Token &t, int)
{
    if (t.HasParam && codepage::isSupported(t.Param))
        m_docCodePage = t.Param;
}

} // namespace rtf::reader
