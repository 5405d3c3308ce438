// The font table, the colour table, the list tables and paragraph numbering.
#include "notes/RtfReaderCore.h"
#include "notes/RtfSymbolFonts.h"

#include <algorithm>

namespace rtf::reader {

int numberingOfLevelFormat(int nfc)
{
    switch (nfc) {
    case 23:
        return PfnBullet;
    case 255:
        return PfnNone;
    case 1:
        return PfnUcRoman;
    case 2:
        return PfnLcRoman;
    case 3:
        return PfnUcLetter;
    case 4:
        return PfnLcLetter;
    default:
        return PfnArabic;
    }
}

// ---- font and colour tables ----

void Reader::finishFont()
{
    if (!m_fontOpen)
        return;
    flushBytes();
    m_fontOpen = false;
    FontEntry &f = m_fonts[m_fontEntry];
    QString name = cleanText(m_fontName).remove(u'\t').trimmed();
    if (name.endsWith(u';'))
        name.chop(1);
    f.Name = name.left(64).trimmed();
    m_fontName.clear();
}

void Reader::finishColor()
{
    m_colors.push_back(m_colorTouched ? m_color : ColorEntry{});
    m_color = ColorEntry{};
    m_colorTouched = false;
}

void Reader::fontCharset(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        // a character set outside the byte range is none: the font's text is in the document's code page
        m_fonts[m_fontEntry].Charset = !t.HasParam ? 0 : t.Param >= 0 && t.Param <= 255 ? t.Param : -1;
}

void Reader::fontPitch(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        m_fonts[m_fontEntry].Pitch = quint8(t.HasParam ? std::clamp(t.Param, 0, 2) : 0);
}

void Reader::fontFamily(const Token &, int family)
{
    if (st().Destination == Dest::FontTable && m_fontOpen)
        m_fonts[m_fontEntry].Family = quint8(family);
}

void Reader::fontCodePage(const Token &t, int)
{
    if (st().Destination == Dest::FontTable && m_fontOpen && t.HasParam)
        m_fonts[m_fontEntry].CodePage = t.Param;
}

void Reader::colorPart(const Token &t, int shift)
{
    if (st().Destination != Dest::ColorTable)
        return;
    const int v = t.HasParam ? std::clamp(t.Param, 0, 255) : 0;
    m_color.Auto = false;
    m_color.Rgb = qRgb(0, 0, 0) | (m_color.Rgb & ~(0xFFu << shift)) | (quint32(v) << shift);
    m_colorTouched = true;
}

void Reader::listBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::ListTable) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::List;
    s.Owner = true;
    m_listLevels.clear();
    m_listId = 0;
    m_listLevelStart = 1;
}

void Reader::listId(const Token &t, int)
{
    const Dest d = st().Destination;
    if (d == Dest::List)
        m_listId = t.HasParam ? t.Param : 0;
    else if (d == Dest::Override)
        m_override.ListId = t.HasParam ? t.Param : 0;
}

void Reader::levelFormat(const Token &t, int)
{
    if (st().Destination == Dest::ListLevel)
        m_listLevelFormat = t.HasParam ? t.Param : 0;
}

namespace {

// A start number as a paragraph keeps it: the file's number, within what a list can count from.
int startNumber(const Token &t)
{
    return t.HasParam ? std::clamp(t.Param, 0, 32767) : 1;
}

} // namespace

void Reader::levelStart(const Token &t, int)
{
    const Dest d = st().Destination;
    if (d == Dest::ListLevel)
        m_listLevelStart = startNumber(t);
    else if (d == Dest::OverrideLevel && m_overrideStartAt && m_overrideLevel < MAX_LIST_LEVELS)
        m_override.Starts[size_t(m_overrideLevel)] = startNumber(t);
}

void Reader::levelText(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::ListLevel) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::LevelText;
    s.Owner = true;
    m_levelText.clear();
    m_levelTextSize = 0;
    m_hasLevelText = true;
}

QString Reader::levelTextShown(int font)
{
    if (font < 0)
        font = m_defaultFont;
    const auto entry = m_fonts.constFind(font);
    const SymbolFont symbols = entry == m_fonts.cend() ? SymbolFont::None : SymbolFontOf(entry->Name, entry->Charset);
    // the text as the file holds it: a symbol font's bytes as their codes, any other font's decoded
    QString text;
    for (const LevelTextPart &part : m_levelText) {
        if (!part.Bytes)
            text += part.Text;
        else if (symbols != SymbolFont::None)
            text += QString::fromLatin1(part.Data);
        else
            text += decode(part.Data, codePageOfFont(font));
    }
    if (text.isEmpty())
        return {};
    QStringView body = QStringView(text).sliced(1);
    if (text[0].unicode() < body.size())
        body = body.first(text[0].unicode());
    else if (body.endsWith(u';'))
        body.chop(1); // a length past the text: all of it but the mark that ends it
    QString shown;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char32_t c = body[i].unicode();
        const bool symbolCode = c >= 0xF020 && c <= 0xF0FF;
        if (c < 0x20) {
            shown += body[i]; // the places of numbers (and what no text keeps, dropped later)
            continue;
        }
        char32_t s = c;
        if (symbols != SymbolFont::None && (c < 0x100 || symbolCode)) {
            s = SymbolCharacter(symbols, c); // nothing for a font whose codes are not known
        } else if (symbolCode) {
            // a symbol font's code in a font that is none: the Symbol bullet, or a Wingdings shape
            s = SymbolCharacter(c == 0xF0B7 ? SymbolFont::Symbol : SymbolFont::Wingdings, c);
        } else if (c >= 0xE000 && c <= 0xF8FF) {
            s = 0; // a private character of a font: nothing that can be shown
        }
        if (s)
            shown += QString::fromUcs4(&s, 1);
    }
    return shown;
}

bool levelTextParts(QStringView text, int index, ListLevel &level)
{
    auto literal = [](QStringView part) { return cleanText(part).remove(u'\t').left(MAX_NUMBER_TEXT); };
    if (!IsCounted(level.Numbering)) {
        // a bullet shows its text; a round one is drawn as the list draws it
        const QString bullet = literal(text);
        level.Label = bullet == QStringView(u"\u2022") ? QString() : bullet;
        return true;
    }
    // the places of the numbers of this level and those above (a level below has none to show)
    QList<qsizetype> places;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() <= char16_t(index))
            places.append(i);
    }
    if (places.isEmpty())
        return false;
    level.Prefix = literal(text.first(places.first()));
    level.Suffix = literal(text.sliced(places.last() + 1));
    level.Label.clear();
    if (places.size() == 1 && text[places.first()].unicode() == char16_t(index))
        return true; // its own number alone, between the texts around it
    level.Label = level.Prefix;
    for (qsizetype k = 0; k < places.size(); ++k) {
        level.Label += text[places[k]];
        if (k + 1 < places.size())
            level.Label += literal(text.sliced(places[k] + 1, places[k + 1] - places[k] - 1));
    }
    level.Label += level.Suffix;
    return true;
}

void Reader::overrideBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::OverrideTable) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Override;
    s.Owner = true;
    m_override = ListOverride{};
    m_overrideLs = -1;
    m_overrideLevel = -1;
}

// An override's level, in the order of the levels: a start number of its own when it says so.
void Reader::overrideLevel(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Override) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::OverrideLevel;
    s.Owner = true;
    m_overrideLevel = std::min(m_overrideLevel + 1, int(MAX_LIST_LEVELS));
    m_overrideStartAt = false;
}

void Reader::overrideStartAt(const Token &, int)
{
    if (st().Destination == Dest::OverrideLevel)
        m_overrideStartAt = true;
}

void Reader::numberingBegin(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Body) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest::Numbering;
    s.Owner = true;
    m_pn = ListLevel{PfnBullet, 1, {}, {}, {}};
    m_pnLevel = 0;
    m_pnHasText = false;
}

void Reader::numberingKind(const Token &, int kind)
{
    if (st().Destination == Dest::Numbering)
        m_pn.Numbering = kind;
}

// \pnlvlN: a level of outline numbering; \pnlvlbody, \pnlvlblt and \pnlvlcont the outermost.
void Reader::numberingLevel(const Token &t, int kind)
{
    if (st().Destination != Dest::Numbering)
        return;
    m_pn.Numbering = kind;
    m_pnLevel = t.HasParam ? std::clamp(t.Param - 1, 0, MAX_LIST_LEVELS - 1) : 0;
}

void Reader::numberingStart(const Token &t, int)
{
    if (st().Destination == Dest::Numbering)
        m_pn.Start = startNumber(t);
}

// \pntxtb and \pntxta: the text before and after the number.
void Reader::numberingText(const Token &, int dest)
{
    State &s = st();
    if (s.Destination != Dest::Numbering) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = Dest(dest);
    s.Owner = true;
    (s.Destination == Dest::NumberBefore ? m_pn.Prefix : m_pn.Suffix).clear();
    m_pnHasText = true;
}

void Reader::listText(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::Body) {
        skipDestination(Token(), 0);
        return;
    }
    if (m_pendingPar)
        beginContent();
    s.Destination = Dest::ListText;
    s.Owner = true;
    m_listPrefix.clear();
    m_hasListPrefix = false;
}

} // namespace rtf::reader
