// The document text: character and paragraph formats, paragraphs, line breaks, table rows and cells.
#include "notes/RtfReaderCore.h"

#include <algorithm>
#include <utility>

namespace rtf::reader {

// ---- document output ----

// True when the text can go into the document as it is (see cleanText).
static bool isCleanText(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || c.isSurrogate() || u == 0x2028 || u == 0x2029)
            return false;
    }
    return true;
}

void Reader::bodyText(QStringView input)
{
    if (m_highSurrogate.isNull() && isCleanText(input)) {
        if (input.isEmpty())
            return;
        beginContent();
        applyCharFormat();
        m_builder.AddText(input);
        contentAdded();
        return;
    }
    // a high surrogate waits for the \uN that may bring its low half
    QString text;
    if (!m_highSurrogate.isNull()) {
        text += std::exchange(m_highSurrogate, QChar());
        text += input;
        input = text;
    }
    QChar stash;
    const QString clean = cleanText(input, &stash);
    if (!clean.isEmpty()) {
        beginContent();
        applyCharFormat();
        m_builder.AddText(clean);
        contentAdded();
    }
    m_highSurrogate = stash;
}

// What must come before new content: the break of the paragraph before, the separator of the table
// cell before, and the list prefix of a paragraph without numbering of its own.
void Reader::beginContent()
{
    if (!m_highSurrogate.isNull()) {
        m_highSurrogate = QChar();
        applyCharFormat();
        m_builder.AddText(QString(QChar(QChar::ReplacementCharacter)));
    }
    if (m_pendingPar) {
        m_pendingPar = false;
        m_builder.SetParaFormat(m_pendingParaFormat);
        m_builder.EndParagraph();
    }
    if (m_pendingCells > 0) {
        applyCharFormat();
        m_builder.AddText(QString(std::exchange(m_pendingCells, 0), u'\t'));
    }
    if (m_hasListPrefix) {
        m_hasListPrefix = false;
        const QString prefix = cleanText(std::exchange(m_listPrefix, QString()));
        if (numberingOf(st().Para).Numbering == PfnNone && !prefix.isEmpty()) {
            applyCharFormat();
            m_builder.AddText(prefix);
        }
    }
}

void Reader::applyCharFormat()
{
    const CharState &c = st().Char;
    if (m_charValid && c == m_lastChar)
        return;
    m_charValid = true;
    m_lastChar = c;
    TRichCharFormat f = m_base;
    int font = c.Font >= 0 ? c.Font : m_defaultFont;
    auto it = m_fonts.constFind(font);
    if (it == m_fonts.cend())
        it = m_fonts.constFind(m_defaultFont);
    if (it != m_fonts.cend()) {
        if (!it->Name.isEmpty())
            f.FaceName = it->Name;
        f.Charset = quint8(it->Charset >= 0 ? it->Charset : DEFAULT_CHARSET);
        f.PitchAndFamily = quint8(it->Family | it->Pitch);
    }
    f.Height = std::clamp(c.HalfPoints, 2, 3276) * 10;
    f.Effects = c.Effects;
    f.Weight = (c.Effects & CFE_BOLD) ? 700 : 400;
    f.UnderlineType = (c.Effects & CFE_UNDERLINE) ? c.UnderlineType : 0;
    f.Offset = c.Offset;
    if (c.Color > 0 && c.Color < int(m_colors.size()) && !m_colors[size_t(c.Color)].Auto)
        f.TextColor = m_colors[size_t(c.Color)].Rgb;
    else
        f.Effects |= CFE_AUTOCOLOR;
    if (c.Back > 0 && c.Back < int(m_colors.size()) && !m_colors[size_t(c.Back)].Auto)
        f.BackColor = m_colors[size_t(c.Back)].Rgb;
    else
        f.Effects |= CFE_AUTOBACKCOLOR;
    m_builder.SetCharFormat(f);
}

ListLevel Reader::numberingOf(const ParaState &p, bool *fromList) const
{
    if (fromList)
        *fromList = false;
    if (p.List >= 0) {
        const auto ov = m_overrides.constFind(p.List);
        if (ov != m_overrides.cend() || (p.List > 0 && !p.Pn)) {
            if (fromList)
                *fromList = true;
            const auto list = ov == m_overrides.cend() ? m_lists.cend() : m_lists.constFind(ov->ListId);
            // a list the file does not describe shows bullets
            if (list == m_lists.cend() || list->isEmpty())
                return ListLevel{PfnBullet, 1, {}, QStringLiteral("."), {}};
            return list->value(std::min(p.Level, int(list->size()) - 1));
        }
    }
    if (p.Pn)
        return ListLevel{p.PnNumbering, p.PnStart, p.PnPrefix, p.PnSuffix, {}};
    return ListLevel{PfnNone, 1, {}, QStringLiteral("."), {}};
}

// The overrides of one list are one list: a paragraph counts on from the paragraphs of the others. An
// override that gives a level a start number of its own starts that level again there, at its first
// paragraph of the level; the paragraphs after it, of whichever override, count on from it. At the first
// level, the list starts again; at another, a start number other than the level's starts a list that
// goes on from there (one equal to it leaves the level to count on, unless a higher level came between).
int Reader::listOf(const ParaState &p, ListLevel &numbering, QList<TLevelNumbering> &outer)
{
    const int level = std::clamp(p.Level, 0, MAX_LIST_LEVELS - 1);
    const auto ov = m_overrides.find(p.List);
    DocumentList &list = ov != m_overrides.end() ? m_documentLists[ov->ListId] : m_unlistedList;
    bool restart = false;
    if (ov != m_overrides.end()) {
        const int start = ov->Starts[size_t(level)];
        if (start >= 0 && !ov->Used[size_t(level)]) {
            restart = true;
            numbering.Start = start;
            if (level == 0)
                list = DocumentList{};
        }
        ov->Used[size_t(level)] = true;
    }
    const int id = list.For(level, numbering, !restart);
    if (!IsCounted(numbering.Numbering) || numbering.Label.isEmpty())
        return id; // a label that shows no other level's number
    // how the levels above number in this list: as its paragraphs there did, else as the list table says
    const auto definition = ov != m_overrides.end() ? m_lists.constFind(ov->ListId) : m_lists.cend();
    bool counted = false;
    for (int above = 0; above < level; ++above) {
        std::optional<ListLevel> &known = list.Levels[size_t(above)];
        if (!known) {
            if (definition != m_lists.cend() && !definition->isEmpty())
                known = definition->value(std::min(above, int(definition->size()) - 1));
            else
                known = ListLevel{PfnBullet, 1, {}, QStringLiteral("."), {}};
        }
        // a level above that does not count is one as any other (its start number means nothing)
        const bool counts = IsCounted(known->Numbering);
        outer.append(counts ? TLevelNumbering{known->Numbering, known->Start} : TLevelNumbering{PfnNone, 1});
        counted = counted || counts;
    }
    if (!counted)
        outer.clear();
    return id;
}

TRichParaFormat Reader::paraFormat(const ParaState &p)
{
    TRichParaFormat f;
    f.Mask = PFM_ALL;
    f.Alignment = p.Alignment;
    f.StartIndent = p.Left + p.First;
    f.Offset = -p.First;
    f.RightIndent = p.Right;
    f.SpaceBefore = p.SpaceBefore;
    f.SpaceAfter = p.SpaceAfter;
    bool fromList = false;
    ListLevel numbering = numberingOf(p, &fromList);
    if (!IsCounted(numbering.Numbering)) {
        numbering.Prefix.clear(); // bullets show no text around them
        numbering.Suffix = QStringLiteral(".");
    }
    const int level = fromList ? p.Level : p.PnLevel;
    if (numbering.Numbering != 0) {
        // the entries the override table lacks (bullets all) are one list: lists grow only with the table
        f.List = fromList ? listOf(p, numbering, f.OuterLevels) : m_pnList.For(level, numbering, false);
        f.ListLevel = level;
        if (fromList)
            m_pnList = DocumentList{};
    }
    f.Numbering = numbering.Numbering;
    f.NumberingStart = numbering.Start;
    f.NumberPrefix = numbering.Prefix;
    f.NumberSuffix = numbering.Suffix;
    f.LabelText = numbering.Label;
    if (f.Numbering == 0) {
        if (!p.Pn)
            m_pnList = DocumentList{}; // a paragraph without numbering ends the list (one marked to go on does not)
        f.NumberingStart = 1;
        f.NumberPrefix.clear();
        f.NumberSuffix = QStringLiteral(".");
        f.LabelText.clear();
    }
    f.Tabs = p.Tabs;
    if (p.InTable && f.Tabs.isEmpty()) {
        // a row of a table: its cells line up on tab stops at their right edges
        for (qsizetype i = 0; i + 1 < m_cellEdges.size() && f.Tabs.size() < MAX_TAB_STOPS; ++i) {
            const int x = std::min(m_cellEdges[i] - m_rowLeft, 31680);
            if (x > 0 && (f.Tabs.isEmpty() || x > f.Tabs.last()))
                f.Tabs.append(x);
        }
    }
    if (p.LineSpacing == 0) {
        f.LineSpacingRule = LINESPACING_SINGLE;
    } else if (p.LineMultiple) {
        // in 240ths of a line; the model keeps 20ths, with single, one and a half and double apart
        const int l = std::max(1, std::abs(p.LineSpacing) / 12);
        f.LineSpacingRule = l == 20 ? LINESPACING_SINGLE : l == 30 ? 1 : l == 40 ? 2 : LINESPACING_MULTIPLE;
        f.LineSpacing = f.LineSpacingRule == LINESPACING_MULTIPLE ? l : 0;
    } else if (p.LineSpacing > 0) {
        f.LineSpacingRule = LINESPACING_ATLEAST;
        f.LineSpacing = p.LineSpacing;
    } else {
        f.LineSpacingRule = LINESPACING_EXACTLY;
        f.LineSpacing = -p.LineSpacing;
    }
    return f;
}

int Reader::DocumentList::For(int level, ListLevel &numbering, bool sameStart)
{
    std::optional<ListLevel> &known = Levels[size_t(level)];
    if (Id == 0 || (known && !(sameStart ? known->labelsLike(numbering) : *known == numbering))) {
        Id = NewListId();
        Levels.fill(std::nullopt);
    } else if (known) {
        numbering.Start = known->Start;
    }
    known = numbering;
    return Id;
}

void Reader::endParagraph()
{
    if (m_hasListPrefix || m_pendingPar || m_pendingCells || !m_highSurrogate.isNull())
        beginContent(); // a paragraph without text still ends the one before
    m_pendingPar = true;
    m_pendingParaFormat = paraFormat(st().Para);
    m_pendingCells = 0;
    m_contentSinceBreak = false;
}

void Reader::emitObject(const TRichObject &object)
{
    beginContent();
    applyCharFormat();
    m_builder.AddObject(object);
    contentAdded();
}

// ---- handlers ----

void Reader::charToggle(const Token &t, int bit)
{
    auto &e = st().Char.Effects;
    const bool on = !t.HasParam || t.Param != 0;
    e = on ? (e | quint32(bit)) : (e & ~quint32(bit));
}

void Reader::underline(const Token &t, int type)
{
    auto &c = st().Char;
    if (t.HasParam && t.Param == 0) {
        c.Effects &= ~CFE_UNDERLINE;
        c.UnderlineType = 0;
        return;
    }
    c.Effects |= CFE_UNDERLINE;
    c.UnderlineType = quint8(type);
}

void Reader::underlineNone(const Token &, int)
{
    st().Char.Effects &= ~CFE_UNDERLINE;
    st().Char.UnderlineType = 0;
}

void Reader::vertical(const Token &t, int which)
{
    auto &e = st().Char.Effects;
    e &= ~(CFE_SUBSCRIPT | CFE_SUPERSCRIPT);
    if (t.HasParam && t.Param == 0)
        return;
    if (which == 1)
        e |= CFE_SUBSCRIPT;
    else if (which == 2)
        e |= CFE_SUPERSCRIPT;
}

void Reader::raise(const Token &t, int sign)
{
    const int halfPoints = t.HasParam ? std::clamp(t.Param, 0, 3276) : 6;
    st().Char.Offset = sign * halfPoints * 10;
}

void Reader::fontSize(const Token &t, int)
{
    st().Char.HalfPoints = t.HasParam ? std::clamp(t.Param, 2, 3276) : 24;
}

void Reader::font(const Token &t, int)
{
    const int n = t.HasParam ? t.Param : 0;
    State &s = st();
    if (s.Destination == Dest::FontTable) {
        // the next entry begins
        finishFont();
        if (m_fonts.size() > 100000)
            return;
        m_fontEntry = n;
        m_fontOpen = true;
        m_fonts[n] = FontEntry{};
        m_fontName.clear();
        return;
    }
    s.Char.Font = n;
    s.ClassFonts[s.FontClass] = n;
}

void Reader::associatedFont(const Token &t, int)
{
    State &s = st();
    if (s.Destination == Dest::FontTable)
        return;
    if (s.FontClass > 0)
        s.ClassFonts[s.FontClass] = t.HasParam ? t.Param : 0;
}

void Reader::fontClass(const Token &, int cls)
{
    st().FontClass = quint8(cls);
}

void Reader::foreColor(const Token &t, int)
{
    st().Char.Color = t.HasParam ? std::max(0, t.Param) : 0;
}

void Reader::backColor(const Token &t, int)
{
    st().Char.Back = t.HasParam ? std::max(0, t.Param) : 0;
}

void Reader::plain(const Token &, int)
{
    State &s = st();
    s.Char = CharState{};
    s.FontClass = 0;
    std::fill(std::begin(s.ClassFonts), std::end(s.ClassFonts), -1);
}

void Reader::pard(const Token &, int)
{
    st().Para = ParaState{};
}

void Reader::align(const Token &, int a)
{
    st().Para.Alignment = a;
}

void Reader::indent(const Token &t, int which)
{
    const int v = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
    ParaState &p = st().Para;
    (which == 0 ? p.Left : which == 1 ? p.First : p.Right) = v;
}

void Reader::spacing(const Token &t, int which)
{
    const int v = t.HasParam ? std::clamp(t.Param, 0, 31680) : 0;
    (which == 0 ? st().Para.SpaceBefore : st().Para.SpaceAfter) = v;
}

void Reader::lineSpacing(const Token &t, int)
{
    st().Para.LineSpacing = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
}

void Reader::lineMultiple(const Token &t, int)
{
    st().Para.LineMultiple = t.HasParam && t.Param != 0;
}

void Reader::tabStop(const Token &t, int)
{
    QList<int> &tabs = st().Para.Tabs;
    if (t.HasParam && t.Param >= 0 && tabs.size() < MAX_TAB_STOPS)
        tabs.append(std::min(t.Param, 31680));
}

void Reader::inTable(const Token &, int)
{
    st().Para.InTable = true;
}

void Reader::listOverride(const Token &t, int)
{
    const int ls = !t.HasParam ? 0 : t.Param >= 0 ? t.Param : -1;
    if (st().Destination == Dest::Override)
        m_overrideLs = ls;
    else
        st().Para.List = ls;
}

void Reader::listLevel(const Token &t, int)
{
    st().Para.Level = t.HasParam ? std::clamp(t.Param, 0, 8) : 0;
}

void Reader::paragraph(const Token &, int)
{
    if (st().Destination == Dest::Body)
        endParagraph();
}

void Reader::lineBreak(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    beginContent();
    applyCharFormat();
    m_builder.AddLineBreak();
    contentAdded();
}

// The automatic mark of a footnote where its reference stands: the footnote's number. The footnote's
// own text is skipped, and the mark it repeats with it.
void Reader::footnoteMark(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    const QString number = QString::number(++m_footnotes);
    addDecoded(number);
}

void Reader::cell(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    if (m_pendingPar || m_hasListPrefix)
        beginContent();
    if (m_pendingCells < 64)
        ++m_pendingCells;
}

void Reader::row(const Token &, int)
{
    if (st().Destination != Dest::Body)
        return;
    m_pendingCells = 0;
    ParaState p = st().Para;
    p.InTable = true;
    if (m_hasListPrefix || m_pendingPar)
        beginContent();
    m_pendingPar = true;
    m_pendingParaFormat = paraFormat(p);
    m_contentSinceBreak = false;
}

void Reader::rowDefaults(const Token &, int)
{
    m_cellEdges.clear();
    m_rowLeft = 0;
}

void Reader::cellEdge(const Token &t, int)
{
    if (m_cellEdges.size() < 64 && t.HasParam)
        m_cellEdges.append(std::clamp(t.Param, -31680, 31680));
}

void Reader::rowLeft(const Token &t, int)
{
    m_rowLeft = t.HasParam ? std::clamp(t.Param, -31680, 31680) : 0;
}

void Reader::defaultFont(const Token &t, int)
{
    m_defaultFont = t.HasParam ? t.Param : 0;
}

} // namespace rtf::reader
