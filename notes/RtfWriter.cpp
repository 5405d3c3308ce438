#include "notes/RtfWriter.h"

#include "notes/RichEditObjects.h"
#include "notes/RtfPicture.h"
#include "notes/RtfReader.h"
#include "platform/CodePage.h"

#include <QBuffer>
#include <QHash>
#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <vector>

using namespace richedit;

namespace rtf {

namespace {

struct FontKey {
    QString Face;
    int Charset = 0;
    int PitchAndFamily = 0;
    bool operator==(const FontKey &) const = default;
};

size_t qHash(const FontKey &k, size_t seed = 0)
{
    return qHashMulti(seed, k.Face, k.Charset, k.PitchAndFamily);
}

constexpr int SymbolCharset = 2;

// A level of a list as the list table describes it.
struct LevelDef {
    int Numbering = PFN_ARABIC;
    int Start = 1;
    QString Prefix;
    QString Suffix = QStringLiteral(".");
    QString Label;    // TRichParaFormat::LabelText
    int First = -360; // the indents of its paragraphs: \fi and \li
    int Left = 720;
    // Known only from the paragraphs below it (how they show its number), not from its own: the first
    // paragraph of its own that numbers as they say gives the rest.
    bool Provisional = false;
    // the same numbers and texts (the indents are only what a new paragraph of the level takes)
    bool numbersLike(const LevelDef &o) const
    {
        return Numbering == o.Numbering && Start == o.Start && Prefix == o.Prefix && Suffix == o.Suffix &&
               Label == o.Label;
    }
    // How the paragraphs below see it: a level that counts by its kind and start, any other as one.
    TLevelNumbering seenFromBelow() const
    {
        return IsCounted(Numbering) ? TLevelNumbering{Numbering, Start} : TLevelNumbering{0, 1};
    }
};

// A list of the list table, and its one override (\ls): the levels its paragraphs use.
struct WrittenList {
    std::array<std::optional<LevelDef>, MAX_LIST_LEVELS> Levels;
};

// Text as RTF: ASCII as it is (with \, { and } escaped, and ; too for the list table's texts), the
// rest as \uN with a "?" for readers without Unicode; no control characters.
QByteArray rtfText(QStringView text)
{
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u';') {
            out += "\\'3b";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x80) {
            out += "\\u" + QByteArray::number(int(qint16(u))) + '?';
        }
    }
    return out;
}

QByteArray hexByte(int v)
{
    return "\\'" + QByteArray::number(v & 0xFF, 16).rightJustified(2, '0');
}

QString withoutControls(const QString &text)
{
    QString s;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20)
            s += c;
    }
    return s;
}

int levelFormatOf(int numbering)
{
    switch (numbering & 0xFF) {
    case PFN_UCROMAN:
        return 1;
    case PFN_LCROMAN:
        return 2;
    case PFN_UCLETTER:
        return 3;
    case PFN_LCLETTER:
        return 4;
    case PFN_BULLET:
        return 23;
    default:
        return 0;
    }
}

// One level of the list table: its kind, start and the text shown for it (a length, then the text with
// the numbers of levels as the characters of their indexes, and where they stand in it).
QByteArray listLevelGroup(int index, const LevelDef &d)
{
    const QByteArray nfc = QByteArray::number(levelFormatOf(d.Numbering));
    QByteArray g = "{\\listlevel\\levelnfc" + nfc + "\\levelnfcn" + nfc +
                   "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" + QByteArray::number(d.Start);
    if (!IsCounted(d.Numbering)) {
        const QString bullet = withoutControls(d.Label);
        g += bullet.isEmpty() ? "{\\leveltext" + hexByte(1) + "\\u8226 ?;}{\\levelnumbers;}"
                              : "{\\leveltext" + hexByte(int(bullet.size())) + rtfText(bullet) + ";}{\\levelnumbers;}";
    } else {
        const QString label = d.Label.isEmpty()
                                  ? withoutControls(d.Prefix) + QChar(char16_t(index)) + withoutControls(d.Suffix)
                                  : d.Label;
        QByteArray text, places;
        for (qsizetype i = 0; i < label.size(); ++i) {
            if (label[i].unicode() < MAX_LIST_LEVELS) {
                text += hexByte(label[i].unicode());
                places += hexByte(int(i + 1));
            } else {
                text += rtfText(QStringView(label).sliced(i, 1));
            }
        }
        g += "{\\leveltext" + hexByte(int(label.size())) + text + ";}{\\levelnumbers" + places + ";}";
    }
    g += "\\fi" + QByteArray::number(d.First) + "\\li" + QByteArray::number(d.Left) + "\\lin" +
         QByteArray::number(d.Left) + '}';
    return g;
}

class Writer : public TRichDocumentVisitor {
public:
    Writer(const TRichCharFormat &defaults, const WriteOptions &options)
        : m_options(options)
    {
        m_body.reserve(4096);
        fontIndex(defaults);                    // \deff0: the control's default font
        m_prev = DocumentStartFormat(defaults); // what a reader starts from
    }

    QByteArray Result() const
    {
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
        for (qsizetype i = 0; i < m_fonts.size(); ++i)
            writeFontEntry(out, int(i), m_fonts[i]);
        out += "}\r\n{\\colortbl ;";
        for (QRgb c : m_colors)
            out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue" +
                   QByteArray::number(qBlue(c)) + ';';
        out += "}\r\n";
        writeListTables(out);
        out += m_body;
        out += "}\r\n";
        return out;
    }

    void BeginParagraph(const TRichParaFormat &format) override
    {
        const bool changed = !m_paraValid || !(format == m_para);
        if (changed) {
            word("pard");
            m_para = format;
            m_paraValid = true;
        }
        const int number = m_counter.Next(format);
        const bool legacy = format.Numbering != 0 && format.List == 0;
        if (legacy && !m_inLegacyRun)
            m_listIndex.remove(0); // numbered paragraphs without a list: each run is a list of its own
        m_inLegacyRun = legacy;
        if (format.Numbering != 0) {
            // the number or bullet as text for readers without numbering, then the numbering in the list
            // table's form and in the older form
            const int list = writtenList(format);
            const int level = std::clamp(format.ListLevel, 0, MAX_LIST_LEVELS - 1);
            const QString label = m_counter.Label(format, number);
            if (!IsCounted(format.Numbering) && label.isEmpty()) {
                // a round bullet: the Symbol font's
                const int symbol = symbolFont();
                m_body += "{\\listtext\\f" + QByteArray::number(symbol) + "\\'B7\\tab}";
                if (changed)
                    m_body += "{\\*\\pn\\pnlvlblt\\pnf" + QByteArray::number(symbol) + "\\pnindent0{\\pntxtb\\'B7}}";
            } else if (!IsCounted(format.Numbering)) {
                m_body += "{\\listtext\\f0 " + rtfText(label) + "\\tab}";
                if (changed)
                    m_body += "{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb " + rtfText(label) + "}}";
            } else {
                m_body += "{\\listtext\\f0 " + rtfText(label) + "\\tab}";
                if (changed) {
                    m_body += "{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart" +
                              QByteArray::number(format.NumberingStart) + numberingWord(format.Numbering);
                    if (!format.NumberPrefix.isEmpty())
                        m_body += "{\\pntxtb " + rtfText(format.NumberPrefix) + '}';
                    if (!format.NumberSuffix.isEmpty())
                        m_body += "{\\pntxta " + rtfText(format.NumberSuffix) + '}';
                    m_body += '}';
                }
            }
            m_space = false;
            if (changed) {
                word("ls", list);
                word("ilvl", level);
            }
        }
        if (changed)
            writeParaProperties(format);
    }

    void Text(QStringView text, const TRichCharFormat &format) override
    {
        applyChar(format);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            switch (u) {
            case u'\\':
                raw("\\\\");
                break;
            case u'{':
                raw("\\{");
                break;
            case u'}':
                raw("\\}");
                break;
            case u'\t':
                word("tab");
                break;
            case 0x2028:
                word("line");
                break;
            default:
                if (u < 0x20) {
                    break; // no control characters in text
                } else if (u < 0x80) {
                    if (m_space) {
                        m_body += ' ';
                        m_space = false;
                    }
                    m_body += char(u);
                } else {
                    // the fallback "?" ends the word: no delimiting space
                    m_body += "\\u" + QByteArray::number(int(qint16(u))) + '?';
                    m_space = false;
                }
                break;
            }
        }
    }

    void Object(const TRichObject &object, const TRichCharFormat &format) override
    {
        if (m_options.NoObjects)
            return;
        applyChar(format);
        const bool kept = (object.ObjectKind == TRichObject::Object && object.DataFormat == u"rtf-object") ||
                          (object.ObjectKind == TRichObject::Picture && object.DataFormat == u"rtf-pict");
        if (kept && !object.Data.isEmpty()) {
            raw(object.Data); // as it was read
            return;
        }
        if (object.IsFile()) {
            raw(FileObjectGroup(object, PictureGroup(object)));
            return;
        }
        raw(PictureGroup(object));
    }

    void EndParagraph(bool) override
    {
        // the last paragraph's mark too: a reader takes the final one as the document's own end
        word("par");
        m_body += "\r\n";
        m_space = false;
    }

private:
    void word(const char *w, std::optional<int> param = std::nullopt)
    {
        m_body += '\\';
        m_body += w;
        if (param)
            m_body += QByteArray::number(*param);
        m_space = true;
    }

    void raw(const QByteArray &bytes)
    {
        m_body += bytes;
        m_space = false;
    }

    int fontIndex(const TRichCharFormat &f)
    {
        const FontKey key{f.FaceName, f.Charset, f.PitchAndFamily};
        const auto it = m_fontIndex.constFind(key);
        if (it != m_fontIndex.cend())
            return *it;
        const int index = int(m_fonts.size());
        m_fonts.append(key);
        m_fontIndex.insert(key, index);
        return index;
    }

    int symbolFont()
    {
        TRichCharFormat f;
        f.FaceName = QStringLiteral("Symbol");
        f.Charset = SymbolCharset;
        return fontIndex(f);
    }

    int colorIndex(QRgb rgb)
    {
        rgb |= 0xFF000000u;
        const auto it = m_colorIndex.constFind(rgb);
        if (it != m_colorIndex.cend())
            return *it;
        m_colors.append(rgb);
        const int index = int(m_colors.size()); // entry 0 is the automatic colour
        m_colorIndex.insert(rgb, index);
        return index;
    }

    static QByteArray numberingWord(int numbering)
    {
        switch (numbering & 0xFF) {
        case 3:
            return "\\pnlcltr";
        case 4:
            return "\\pnucltr";
        case 5:
            return "\\pnlcrm";
        case 6:
            return "\\pnucrm";
        default:
            return "\\pndec";
        }
    }

    // How a paragraph whose label shows the numbers of levels above its own sees one of them.
    static TLevelNumbering outerLevel(const TRichParaFormat &f, int level)
    {
        return level < f.OuterLevels.size() ? f.OuterLevels[level] : TLevelNumbering{0, 1};
    }

    static bool showsLevelsAbove(const TRichParaFormat &f) { return IsCounted(f.Numbering) && !f.LabelText.isEmpty(); }

    // Whether a list's levels number as the paragraph at the level says, and those above it as its label
    // sees them.
    static bool fits(const WrittenList &w, const TRichParaFormat &f, int level, const LevelDef &def)
    {
        const std::optional<LevelDef> &own = w.Levels[size_t(level)];
        if (own && (own->Provisional ? !(own->seenFromBelow() == def.seenFromBelow()) : !own->numbersLike(def)))
            return false;
        for (int above = 0; above < (showsLevelsAbove(f) ? level : 0); ++above) {
            const std::optional<LevelDef> &known = w.Levels[size_t(above)];
            if (known && !(known->seenFromBelow() == outerLevel(f, above)))
                return false;
        }
        return true;
    }

    // The levels of a list as the paragraph says they number: its own, and those above it its label sees.
    static void take(WrittenList &w, const TRichParaFormat &f, int level, const LevelDef &def)
    {
        std::optional<LevelDef> &own = w.Levels[size_t(level)];
        if (!own || own->Provisional || !own->numbersLike(def))
            own = def;
        for (int above = 0; above < (showsLevelsAbove(f) ? level : 0); ++above) {
            std::optional<LevelDef> &known = w.Levels[size_t(above)];
            const TLevelNumbering seen = outerLevel(f, above);
            if (known && known->seenFromBelow() == seen)
                continue;
            // a level no paragraph of its own has shown yet: what the paragraphs below see of it
            known = LevelDef{IsCounted(seen.Numbering) ? seen.Numbering : PFN_BULLET,
                             seen.Start,
                             {},
                             QStringLiteral("."),
                             {},
                             -360,
                             720 * (above + 1),
                             true};
        }
    }

    // The list table's list (numbered from 1) a numbered paragraph goes in: its list's, unless that one
    // numbers the paragraph's level, or one above it, otherwise (then a copy of it that does it so from
    // here on).
    int writtenList(const TRichParaFormat &f)
    {
        const int level = std::clamp(f.ListLevel, 0, MAX_LIST_LEVELS - 1);
        LevelDef def{f.Numbering, f.NumberingStart, f.NumberPrefix,          f.NumberSuffix,
                     f.LabelText, -f.Offset,        f.StartIndent + f.Offset};
        if (!IsCounted(def.Numbering)) {
            def.Prefix.clear();
            def.Suffix = QStringLiteral(".");
            def.Label = m_counter.Label(f, 0);
        }
        const auto it = m_listIndex.constFind(f.List);
        if (it != m_listIndex.cend() && fits(m_lists[*it], f, level, def)) {
            take(m_lists[*it], f, level, def);
            return *it + 1;
        }
        WrittenList w = it != m_listIndex.cend() ? m_lists[*it] : WrittenList{};
        take(w, f, level, def);
        m_lists.append(w);
        m_listIndex.insert(f.List, int(m_lists.size() - 1));
        return int(m_lists.size());
    }

    void writeListTables(QByteArray &out) const
    {
        if (m_lists.isEmpty())
            return;
        out += "{\\*\\listtable";
        for (qsizetype i = 0; i < m_lists.size(); ++i) {
            const QByteArray id = QByteArray::number(i + 1);
            // a list of one level is written as one; any other with all its levels
            const auto &levels = m_lists[i].Levels;
            const bool simple = std::none_of(levels.begin() + 1, levels.end(), [](const auto &l) { return bool(l); });
            out += "{\\list\\listtemplateid" + id + (simple ? "\\listsimple1" : "");
            for (int level = 0; level < (simple ? 1 : MAX_LIST_LEVELS); ++level) {
                // a level no paragraph uses: numbers in figures, further in at each level
                const LevelDef unused{PFN_ARABIC, 1, {}, QStringLiteral("."), {}, -360, 720 * (level + 1)};
                out += listLevelGroup(level, m_lists[i].Levels[size_t(level)].value_or(unused));
            }
            out += "{\\listname ;}\\listid" + id + "}\r\n";
        }
        out += "}\r\n{\\*\\listoverridetable";
        for (qsizetype i = 0; i < m_lists.size(); ++i) {
            const QByteArray id = QByteArray::number(i + 1);
            out += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + '}';
        }
        out += "}\r\n";
    }

    void writeParaProperties(const TRichParaFormat &p)
    {
        const int first = -p.Offset;
        const int left = p.StartIndent + p.Offset;
        // a list paragraph states its indents even when they are 0: other readers would take the list
        // level's instead
        if (first || p.Numbering != 0)
            word("fi", first);
        if (left || p.Numbering != 0)
            word("li", left);
        if (p.RightIndent)
            word("ri", p.RightIndent);
        if (p.SpaceBefore)
            word("sb", p.SpaceBefore);
        if (p.SpaceAfter)
            word("sa", p.SpaceAfter);
        switch (p.LineSpacingRule) {
        case 1:
            word("sl", 360);
            word("slmult", 1);
            break;
        case 2:
            word("sl", 480);
            word("slmult", 1);
            break;
        case LINESPACING_ATLEAST:
            word("sl", std::abs(p.LineSpacing));
            word("slmult", 0);
            break;
        case LINESPACING_EXACTLY:
            word("sl", -std::abs(p.LineSpacing));
            word("slmult", 0);
            break;
        case LINESPACING_MULTIPLE:
            word("sl", p.LineSpacing * 12);
            word("slmult", 1);
            break;
        default:
            break;
        }
        switch (p.Alignment) {
        case PFA_RIGHT:
            word("qr");
            break;
        case PFA_CENTER:
            word("qc");
            break;
        case PFA_JUSTIFY:
            word("qj");
            break;
        default:
            break;
        }
        for (qsizetype i = 0; i < std::min<qsizetype>(p.Tabs.size(), MAX_TAB_STOPS); ++i)
            word("tx", p.Tabs[i]);
    }

    static bool on(const TRichCharFormat &f, quint32 bit) { return (f.Effects & bit) != 0; }

    void toggle(const TRichCharFormat &f, quint32 bit, const char *name)
    {
        if (on(f, bit) == on(m_prev, bit))
            return;
        if (on(f, bit)) {
            word(name);
        } else {
            word(name, 0);
        }
    }

    void applyChar(const TRichCharFormat &f)
    {
        if (m_charValid && f == m_prev)
            return;
        const bool first = !m_charValid;
        const int font = fontIndex(f);
        if (first || font != fontIndex(m_prev))
            word("f", font);
        const int halfPoints = std::max(2, (f.Height + 5) / 10);
        if (first || halfPoints != (m_prev.Height + 5) / 10)
            word("fs", halfPoints);
        toggle(f, CFE_BOLD, "b");
        toggle(f, CFE_ITALIC, "i");
        const quint8 ul = on(f, CFE_UNDERLINE) ? (f.UnderlineType ? f.UnderlineType : CFU_UNDERLINE) : 0;
        const quint8 prevUl =
            on(m_prev, CFE_UNDERLINE) ? (m_prev.UnderlineType ? m_prev.UnderlineType : CFU_UNDERLINE) : 0;
        if (ul != prevUl) {
            static const char *const words[] = {"ulnone", "ul",      "ulw",      "uldb",   "uld",
                                                "uldash", "uldashd", "uldashdd", "ulwave", "ulth"};
            word(ul < std::size(words) ? words[ul] : "ul");
        }
        toggle(f, CFE_STRIKEOUT, "strike");
        const quint32 vert = f.Effects & (CFE_SUBSCRIPT | CFE_SUPERSCRIPT);
        if (vert != (m_prev.Effects & (CFE_SUBSCRIPT | CFE_SUPERSCRIPT)))
            word(vert & CFE_SUBSCRIPT ? "sub" : vert & CFE_SUPERSCRIPT ? "super" : "nosupersub");
        if (f.Offset != m_prev.Offset) {
            const int halves = std::abs(f.Offset) / 10;
            if (f.Offset >= 0)
                word("up", halves);
            else
                word("dn", halves);
        }
        const int color = on(f, CFE_AUTOCOLOR) ? 0 : colorIndex(f.TextColor);
        const int prevColor = on(m_prev, CFE_AUTOCOLOR) ? 0 : colorIndex(m_prev.TextColor);
        if (color != prevColor)
            word("cf", color);
        const int back = on(f, CFE_AUTOBACKCOLOR) ? 0 : colorIndex(f.BackColor);
        const int prevBack = on(m_prev, CFE_AUTOBACKCOLOR) ? 0 : colorIndex(m_prev.BackColor);
        if (back != prevBack)
            word("highlight", back);
        toggle(f, CFE_HIDDEN, "v");
        toggle(f, CFE_PROTECTED, "protect");
        m_prev = f;
        m_charValid = true;
    }

    void writeFontEntry(QByteArray &out, int index, const FontKey &f) const
    {
        static const char *const families[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};
        const int family = (f.PitchAndFamily >> 4) & 0xF;
        out += "{\\f" + QByteArray::number(index) + '\\' + (family < 6 ? families[family] : "fnil");
        if (f.PitchAndFamily & 3)
            out += "\\fprq" + QByteArray::number(f.PitchAndFamily & 3);
        out += "\\fcharset" + QByteArray::number(f.Charset) + ' ';
        // the name in its own character set where it can be, else as \uN
        const int cp = codepage::fromCharset(f.Charset);
        for (qsizetype i = 0; i < f.Face.size(); ++i) {
            const QChar c = f.Face[i];
            const char16_t u = c.unicode();
            if (u == u'\\' || u == u'{' || u == u'}') {
                out += '\\';
                out += char(u);
            } else if (u >= 0x20 && u < 0x7F && u != u';') {
                out += char(u);
            } else if (u < 0x20) {
                continue;
            } else {
                bool ok = false;
                const QByteArray bytes = cp && u != u';' ? codepage::encode(QString(c), cp, &ok) : QByteArray();
                // a character a code page writes as a byte below 0x80 (one converter puts DEL at 0x1C)
                // would read back as that byte's ASCII character: \uN instead
                if (ok && !bytes.isEmpty() && uchar(bytes[0]) >= 0x80) {
                    for (char b : bytes)
                        out += "\\'" + QByteArray::number(uchar(b), 16).rightJustified(2, '0');
                } else {
                    out += "\\u" + QByteArray::number(int(qint16(u))) + '?';
                }
            }
        }
        out += ";}";
    }

    WriteOptions m_options;
    QByteArray m_body;
    bool m_space = false;
    QList<FontKey> m_fonts;
    QHash<FontKey, int> m_fontIndex;
    QList<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    TRichCharFormat m_prev;
    bool m_charValid = false;
    TRichParaFormat m_para;
    bool m_paraValid = false;
    TParagraphCounter m_counter;
    QList<WrittenList> m_lists;
    QHash<int, int> m_listIndex; // the document's list -> the one written for it now
    bool m_inLegacyRun = false;
};

} // namespace

QByteArray PictureGroup(const TRichObject &object)
{
    QByteArray data = object.Data;
    QByteArray kind = object.DataFormat == u"jpeg" ? "jpegblip" : "pngblip";
    if (object.IsFile() || data.isEmpty() || (object.DataFormat != u"png" && object.DataFormat != u"jpeg")) {
        if (object.Image.isNull())
            return {}; // nothing that can be shown
        data = PngBytes(object.Image);
        kind = "pngblip";
    }
    const int w = object.Width > 0 ? object.Width : object.Image.width() * 15;
    const int h = object.Height > 0 ? object.Height : object.Image.height() * 15;
    const int pw = object.Image.isNull() ? (w + 7) / 15 : object.Image.width();
    const int ph = object.Image.isNull() ? (h + 7) / 15 : object.Image.height();
    QByteArray g = "{\\pict\\" + kind + "\\picw" + QByteArray::number(pw) + "\\pich" + QByteArray::number(ph) +
                   "\\picwgoal" + QByteArray::number(w) + "\\pichgoal" + QByteArray::number(h);
    if (object.ScaleX != 100)
        g += "\\picscalex" + QByteArray::number(object.ScaleX);
    if (object.ScaleY != 100)
        g += "\\picscaley" + QByteArray::number(object.ScaleY);
    g += "\r\n";
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        g += hex.mid(i, 128);
        g += "\r\n";
    }
    g += '}';
    return g;
}

QByteArray WriteDocument(const TRichDocumentSource &source, const WriteOptions &options)
{
    Writer writer(source.Defaults(), options);
    source.Visit(writer);
    return writer.Result();
}

} // namespace rtf
