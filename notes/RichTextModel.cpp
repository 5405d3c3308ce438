#include "notes/RichTextModel.h"

#include "notes/RichEditObjects.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

using namespace richedit;

namespace {

// Our own properties on the Qt formats, each in the model's unit.
enum Property {
    PropHeight = QTextFormat::UserProperty + 0x4200,
    PropCharset,
    PropPitch,
    PropProtected,
    PropHidden,
    PropUnderlineType,
    PropOffset,
    PropAlignment,
    PropStartIndent,
    PropRightIndent,
    PropParaOffset,
    PropNumbering,
    PropTabs,
    PropSpaceBefore,
    PropSpaceAfter,
    PropLineSpacing,
    PropLineSpacingRule,
    PropObjectKind,
    PropObjectData,
    PropObjectFormat,
    PropObjectWidth,
    PropObjectHeight,
    PropObjectScaleX,
    PropObjectScaleY,
    PropObjectFileName,
    PropObjectFileType,
    PropObjectIconic,
    PropObjectManualUpdate,
    PropObjectPicture, // the shared TObjectPictureRef
    PropNumberingStart,
    PropList,
    PropListLevel,
    PropNumberPrefix,
    PropNumberSuffix,
    PropLabelText,
    PropOuterLevels, // numbering kind and start of each level, one after the other
};

// Underline kinds Qt can draw; the others draw as a single line and keep their kind in our property.
constexpr std::pair<quint8, QTextCharFormat::UnderlineStyle> UnderlineStyles[] = {
    {CFU_UNDERLINEDOTTED, QTextCharFormat::DotLine},      {CFU_UNDERLINEDASH, QTextCharFormat::DashUnderline},
    {CFU_UNDERLINEDASHDOT, QTextCharFormat::DashDotLine}, {CFU_UNDERLINEDASHDOTDOT, QTextCharFormat::DashDotDotLine},
    {CFU_UNDERLINEWAVE, QTextCharFormat::WaveUnderline},
};

QTextCharFormat::UnderlineStyle underlineStyleOf(quint8 type)
{
    for (const auto &[t, style] : UnderlineStyles) {
        if (t == type)
            return style;
    }
    return QTextCharFormat::SingleUnderline;
}

quint8 underlineTypeOf(QTextCharFormat::UnderlineStyle style)
{
    if (style == QTextCharFormat::NoUnderline)
        return 0;
    for (const auto &[type, s] : UnderlineStyles) {
        if (s == style)
            return type;
    }
    return CFU_UNDERLINE;
}

Qt::Alignment qtAlignmentOf(int alignment)
{
    switch (alignment) {
    case PFA_RIGHT:
        return Qt::AlignRight;
    case PFA_CENTER:
        return Qt::AlignHCenter;
    case PFA_JUSTIFY:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

int alignmentOf(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return PFA_RIGHT;
    if (a & Qt::AlignHCenter)
        return PFA_CENTER;
    if (a & Qt::AlignJustify)
        return PFA_JUSTIFY;
    return PFA_LEFT;
}

void setEffect(quint32 &effects, quint32 bit, bool on)
{
    effects = on ? (effects | bit) : (effects & ~bit);
}

// Mask bits of the fields in which two full records differ.
quint32 differingChar(const TRichCharFormat &a, const TRichCharFormat &b)
{
    quint32 m = 0;
    const quint32 fx = a.Effects ^ b.Effects;
    if (fx & CFE_BOLD)
        m |= CFM_BOLD;
    if (fx & CFE_ITALIC)
        m |= CFM_ITALIC;
    if (fx & CFE_UNDERLINE)
        m |= CFM_UNDERLINE;
    if (fx & CFE_STRIKEOUT)
        m |= CFM_STRIKEOUT;
    if (fx & CFE_PROTECTED)
        m |= CFM_PROTECTED;
    if (fx & CFE_HIDDEN)
        m |= CFM_HIDDEN;
    if (fx & (CFE_SUBSCRIPT | CFE_SUPERSCRIPT))
        m |= CFM_SUBSCRIPT;
    if ((fx & CFE_AUTOCOLOR) || (!(a.Effects & CFE_AUTOCOLOR) && a.TextColor != b.TextColor))
        m |= CFM_COLOR;
    if ((fx & CFE_AUTOBACKCOLOR) || (!(a.Effects & CFE_AUTOBACKCOLOR) && a.BackColor != b.BackColor))
        m |= CFM_BACKCOLOR;
    if (a.Height != b.Height)
        m |= CFM_SIZE;
    if (a.Charset != b.Charset)
        m |= CFM_CHARSET;
    if (a.PitchAndFamily != b.PitchAndFamily)
        m |= CFM_PITCH;
    if (a.UnderlineType != b.UnderlineType)
        m |= CFM_UNDERLINETYPE;
    if (a.FaceName != b.FaceName)
        m |= CFM_FACE;
    if (a.Weight != b.Weight)
        m |= CFM_WEIGHT;
    if (a.Offset != b.Offset)
        m |= CFM_OFFSET;
    return m;
}

quint32 differingPara(const TRichParaFormat &a, const TRichParaFormat &b)
{
    quint32 m = 0;
    if (a.StartIndent != b.StartIndent)
        m |= PFM_STARTINDENT;
    if (a.RightIndent != b.RightIndent)
        m |= PFM_RIGHTINDENT;
    if (a.Offset != b.Offset)
        m |= PFM_OFFSET;
    if (a.Alignment != b.Alignment)
        m |= PFM_ALIGNMENT;
    if (a.Tabs != b.Tabs)
        m |= PFM_TABSTOPS;
    if (a.Numbering != b.Numbering)
        m |= PFM_NUMBERING;
    if (a.SpaceBefore != b.SpaceBefore)
        m |= PFM_SPACEBEFORE;
    if (a.SpaceAfter != b.SpaceAfter)
        m |= PFM_SPACEAFTER;
    if (a.LineSpacing != b.LineSpacing || a.LineSpacingRule != b.LineSpacingRule)
        m |= PFM_LINESPACING;
    if (a.NumberingStart != b.NumberingStart)
        m |= PFM_NUMBERINGSTART;
    if (a.NumberPrefix != b.NumberPrefix || a.NumberSuffix != b.NumberSuffix || a.LabelText != b.LabelText ||
        a.OuterLevels != b.OuterLevels)
        m |= PFM_NUMBERINGSTYLE;
    if (a.List != b.List || a.ListLevel != b.ListLevel)
        m |= PFM_LIST;
    return m;
}

// The masked fields of src copied into dst.
void mergePara(TRichParaFormat &dst, const TRichParaFormat &src)
{
    if (src.Mask & PFM_STARTINDENT)
        dst.StartIndent = src.StartIndent;
    if (src.Mask & PFM_RIGHTINDENT)
        dst.RightIndent = src.RightIndent;
    if (src.Mask & PFM_OFFSET)
        dst.Offset = src.Offset;
    if (src.Mask & PFM_ALIGNMENT)
        dst.Alignment = src.Alignment;
    if (src.Mask & PFM_TABSTOPS)
        dst.Tabs = src.Tabs;
    if (src.Mask & PFM_NUMBERING)
        dst.Numbering = src.Numbering;
    if (src.Mask & PFM_SPACEBEFORE)
        dst.SpaceBefore = src.SpaceBefore;
    if (src.Mask & PFM_SPACEAFTER)
        dst.SpaceAfter = src.SpaceAfter;
    if (src.Mask & PFM_LINESPACING) {
        dst.LineSpacing = src.LineSpacing;
        dst.LineSpacingRule = src.LineSpacingRule;
    }
    if (src.Mask & PFM_NUMBERINGSTART)
        dst.NumberingStart = src.NumberingStart;
    if (src.Mask & PFM_NUMBERINGSTYLE) {
        dst.NumberPrefix = src.NumberPrefix;
        dst.NumberSuffix = src.NumberSuffix;
        dst.LabelText = src.LabelText;
        dst.OuterLevels = src.OuterLevels;
    }
    if (src.Mask & PFM_LIST) {
        dst.List = src.List;
        dst.ListLevel = src.ListLevel;
    }
}

// The same label: the same texts around the number, the same label text and the same levels above.
bool labelledAlike(const TRichParaFormat &a, const TRichParaFormat &b)
{
    return a.NumberPrefix == b.NumberPrefix && a.NumberSuffix == b.NumberSuffix && a.LabelText == b.LabelText &&
           a.OuterLevels == b.OuterLevels;
}

// Numbered alike: the same kind, and the same start number and label unless only the kind was given.
bool numberedAlike(const TRichParaFormat &neighbour, const TRichParaFormat &f, quint32 given)
{
    if (neighbour.Numbering == 0 || neighbour.List == 0 || neighbour.Numbering != f.Numbering)
        return false;
    if ((given & PFM_NUMBERINGSTART) && neighbour.NumberingStart != f.NumberingStart)
        return false;
    return !(given & PFM_NUMBERINGSTYLE) || labelledAlike(neighbour, f);
}

// The list of a paragraph whose numbering was written (before: its format until then; f: with the
// write merged in; given: the mask of the write).
void settleList(const QTextBlock &b, const TRichParaFormat &before, TRichParaFormat &f, quint32 given)
{
    f.ListLevel = std::clamp(f.ListLevel, 0, MAX_LIST_LEVELS - 1);
    if (f.Numbering == 0) {
        f.List = 0;
        f.ListLevel = 0;
        f.LabelText.clear();
        f.OuterLevels.clear();
        return;
    }
    if (given & PFM_LIST) {
        if (f.List != 0)
            return; // the writer named it
    } else if (f.List != 0 && before.Numbering == f.Numbering && before.NumberingStart == f.NumberingStart &&
               labelledAlike(before, f)) {
        return; // numbered as it was: it stays where it is
    }
    for (const QTextBlock &n : {b.previous(), b.next()}) {
        if (!n.isValid())
            continue;
        const TRichParaFormat neighbour = ParaFormatOf(n.blockFormat());
        if (numberedAlike(neighbour, f, given)) {
            f.List = neighbour.List;
            f.ListLevel = neighbour.ListLevel;
            f.NumberingStart = neighbour.NumberingStart;
            f.NumberPrefix = neighbour.NumberPrefix;
            f.NumberSuffix = neighbour.NumberSuffix;
            f.LabelText = neighbour.LabelText;
            f.OuterLevels = neighbour.OuterLevels;
            return;
        }
    }
    // a list of its own: a number or a round bullet at its first level, unless the label was given
    f.List = NewListId();
    f.ListLevel = 0;
    f.OuterLevels.clear();
    if (!(given & PFM_NUMBERINGSTYLE))
        f.LabelText.clear();
}

// Text of a label as a paragraph keeps it: one line, without control characters (but the characters
// U+0000 to U+0008 that stand for numbers, where they are kept), and at most maxLength long.
QString labelText(const QString &text, qsizetype maxLength, bool keepNumbers)
{
    QString s;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            if (s.size() + 2 > maxLength)
                break;
            s += c;
            s += text[++i];
        } else if ((c.unicode() >= 0x20 || (keepNumbers && c.unicode() < MAX_LIST_LEVELS)) && !c.isSurrogate() &&
                   c != QChar::LineSeparator && c != QChar::ParagraphSeparator) {
            if (s.size() + 1 > maxLength)
                break;
            s += c;
        }
    }
    return s;
}

void leaveList(QTextList *list, const QTextBlock &b, QTextCursor &c)
{
    list->remove(b);
    QTextBlockFormat plain;
    plain.setObjectIndex(-1);
    c.mergeBlockFormat(plain);
}

// Puts a paragraph with a round bullet (numbering of a kind that does not count, without a text of its
// own) into a list, which draws its bullet: the list of the paragraph before when that one is bulleted
// too, else a new one. No numbering, numbers and a bullet of another text take the paragraph out of its
// list (they are drawn by whoever shows the document, from the paragraph's own numbering).
//
// Adding a paragraph to a list costs time in proportion to the list's length (the list marks all of
// its paragraphs for layout), so a run of bulleted paragraphs is kept in lists of at most
// MaxBulletListLength paragraphs: bullets look the same whichever list they belong to, and joining a
// long run stays linear.
void setListOf(const QTextBlock &b, QTextCursor &c, const TRichParaFormat &f)
{
    constexpr int MaxBulletListLength = 256;
    QTextList *list = b.textList();
    if (f.Numbering == 0 || IsCounted(f.Numbering) || !f.LabelText.isEmpty()) {
        if (list)
            leaveList(list, b, c);
        return;
    }
    if (list)
        return;
    QTextList *previous = b.previous().isValid() ? b.previous().textList() : nullptr;
    if (previous && previous->count() < MaxBulletListLength) {
        previous->add(b);
        return;
    }
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDisc);
    lf.setIndent(0);
    c.createList(lf);
}

} // namespace

bool TRichObject::operator==(const TRichObject &o) const
{
    return ObjectKind == o.ObjectKind && Data == o.Data && DataFormat == o.DataFormat && Width == o.Width &&
           Height == o.Height && ScaleX == o.ScaleX && ScaleY == o.ScaleY && Image == o.Image &&
           FileName == o.FileName && FileType == o.FileType && DisplayAsIcon == o.DisplayAsIcon &&
           ManualUpdate == o.ManualUpdate;
}

namespace richedit {

TRichCharFormat StandardCharFormat()
{
    TRichCharFormat f;
    f.Mask = CFM_ALL;
    f.Effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    f.Height = 200;
    f.Charset = DEFAULT_CHARSET;
    f.PitchAndFamily = DEFAULT_PITCH;
    f.FaceName = QStringLiteral("MS Sans Serif");
    f.Weight = 400;
    return f;
}

qreal TwipsToPixels(int twips)
{
    return twips / 15.0;
}

int PixelsToTwips(qreal pixels)
{
    return int(std::lround(pixels * 15.0));
}

void ApplyCharFormat(const TRichCharFormat &f, QTextCharFormat &out)
{
    const quint32 m = f.Mask;
    if ((m & CFM_WEIGHT) && f.Weight > 0) {
        int w = std::clamp(f.Weight, 1, 1000);
        if ((m & CFM_BOLD) && f.effect(CFE_BOLD) != (w >= 600))
            w = f.effect(CFE_BOLD) ? QFont::Bold : QFont::Normal;
        out.setFontWeight(w);
    } else if (m & CFM_BOLD) {
        out.setFontWeight(f.effect(CFE_BOLD) ? QFont::Bold : QFont::Normal);
    }
    if (m & CFM_ITALIC)
        out.setFontItalic(f.effect(CFE_ITALIC));
    if (m & CFM_STRIKEOUT)
        out.setFontStrikeOut(f.effect(CFE_STRIKEOUT));
    if (m & CFM_UNDERLINETYPE)
        out.setProperty(PropUnderlineType, int(f.UnderlineType));
    if (m & CFM_UNDERLINE) {
        const quint8 type = (m & CFM_UNDERLINETYPE) && f.UnderlineType ? f.UnderlineType : CFU_UNDERLINE;
        out.setUnderlineStyle(f.effect(CFE_UNDERLINE) ? underlineStyleOf(type) : QTextCharFormat::NoUnderline);
        if (!(m & CFM_UNDERLINETYPE))
            out.setProperty(PropUnderlineType, f.effect(CFE_UNDERLINE) ? int(type) : 0);
    }
    if (m & CFM_PROTECTED)
        out.setProperty(PropProtected, f.effect(CFE_PROTECTED));
    if (m & CFM_HIDDEN)
        out.setProperty(PropHidden, f.effect(CFE_HIDDEN));
    if (m & CFM_SUBSCRIPT) {
        if (f.effect(CFE_SUBSCRIPT))
            out.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        else if (f.effect(CFE_SUPERSCRIPT))
            out.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else
            out.setVerticalAlignment(QTextCharFormat::AlignNormal);
    }
    // the automatic colours are empty brushes (kept through merges): Qt then draws the palette's text
    // colour on no background
    if (m & CFM_COLOR)
        out.setForeground(f.effect(CFE_AUTOCOLOR) ? QBrush() : QBrush(QColor::fromRgb(f.TextColor)));
    if (m & CFM_BACKCOLOR)
        out.setBackground(f.effect(CFE_AUTOBACKCOLOR) ? QBrush() : QBrush(QColor::fromRgb(f.BackColor)));
    if ((m & CFM_SIZE) && f.Height > 0) {
        out.setProperty(PropHeight, f.Height);
        out.setFontPointSize(f.Height / 20.0);
    }
    if (m & CFM_CHARSET)
        out.setProperty(PropCharset, int(f.Charset));
    if (m & CFM_PITCH) {
        out.setProperty(PropPitch, int(f.PitchAndFamily));
        out.setFontFixedPitch((f.PitchAndFamily & 3) == FIXED_PITCH);
    }
    if ((m & CFM_FACE) && !f.FaceName.isEmpty())
        out.setFontFamilies(QStringList{f.FaceName});
    if (m & CFM_OFFSET)
        out.setProperty(PropOffset, f.Offset);
}

TRichCharFormat CharFormatOf(const QTextCharFormat &q, const TRichCharFormat &d)
{
    TRichCharFormat f = d;
    f.Mask = CFM_ALL;
    if (q.hasProperty(QTextFormat::FontWeight)) {
        f.Weight = q.fontWeight();
        setEffect(f.Effects, CFE_BOLD, f.Weight >= 600);
    }
    if (q.hasProperty(QTextFormat::FontItalic))
        setEffect(f.Effects, CFE_ITALIC, q.fontItalic());
    if (q.hasProperty(QTextFormat::FontStrikeOut))
        setEffect(f.Effects, CFE_STRIKEOUT, q.fontStrikeOut());
    if (q.hasProperty(QTextFormat::TextUnderlineStyle) || q.hasProperty(QTextFormat::FontUnderline)) {
        const auto style = q.underlineStyle();
        setEffect(f.Effects, CFE_UNDERLINE, style != QTextCharFormat::NoUnderline);
        f.UnderlineType = underlineTypeOf(style);
    }
    if (q.hasProperty(PropUnderlineType))
        f.UnderlineType = quint8(q.intProperty(PropUnderlineType));
    if (q.hasProperty(PropProtected))
        setEffect(f.Effects, CFE_PROTECTED, q.boolProperty(PropProtected));
    if (q.hasProperty(PropHidden))
        setEffect(f.Effects, CFE_HIDDEN, q.boolProperty(PropHidden));
    if (q.hasProperty(QTextFormat::TextVerticalAlignment)) {
        const auto v = q.verticalAlignment();
        setEffect(f.Effects, CFE_SUBSCRIPT, v == QTextCharFormat::AlignSubScript);
        setEffect(f.Effects, CFE_SUPERSCRIPT, v == QTextCharFormat::AlignSuperScript);
    }
    if (q.hasProperty(QTextFormat::ForegroundBrush)) {
        const QBrush b = q.foreground();
        setEffect(f.Effects, CFE_AUTOCOLOR, b.style() == Qt::NoBrush);
        f.TextColor = b.style() == Qt::NoBrush ? 0 : b.color().rgb();
    }
    if (q.hasProperty(QTextFormat::BackgroundBrush)) {
        const QBrush b = q.background();
        setEffect(f.Effects, CFE_AUTOBACKCOLOR, b.style() == Qt::NoBrush);
        f.BackColor = b.style() == Qt::NoBrush ? 0 : b.color().rgb();
    }
    if (q.hasProperty(PropHeight))
        f.Height = q.intProperty(PropHeight);
    else if (q.hasProperty(QTextFormat::FontPointSize))
        f.Height = int(std::lround(q.fontPointSize() * 20));
    if (q.hasProperty(PropCharset))
        f.Charset = quint8(q.intProperty(PropCharset));
    if (q.hasProperty(PropPitch))
        f.PitchAndFamily = quint8(q.intProperty(PropPitch));
    else if (q.hasProperty(QTextFormat::FontFixedPitch))
        f.PitchAndFamily = (f.PitchAndFamily & ~3) | (q.fontFixedPitch() ? FIXED_PITCH : DEFAULT_PITCH);
    if (q.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = q.fontFamilies().toStringList();
        if (!families.isEmpty())
            f.FaceName = families.first();
    }
    if (q.hasProperty(PropOffset))
        f.Offset = q.intProperty(PropOffset);
    return f;
}

void ApplyParaFormat(const TRichParaFormat &f, QTextBlockFormat &out)
{
    const quint32 m = f.Mask;
    if (m & PFM_ALIGNMENT) {
        out.setProperty(PropAlignment, f.Alignment);
        out.setAlignment(qtAlignmentOf(f.Alignment));
    }
    if (m & PFM_STARTINDENT)
        out.setProperty(PropStartIndent, f.StartIndent);
    if (m & PFM_OFFSET)
        out.setProperty(PropParaOffset, f.Offset);
    if ((m & PFM_STARTINDENT) && (m & PFM_OFFSET)) {
        // the first line starts at StartIndent, the others at StartIndent + Offset; a bullet sits at
        // StartIndent and its first line's text lines up with the others
        const bool bullet = (m & PFM_NUMBERING) && f.Numbering != 0;
        out.setLeftMargin(std::max<qreal>(0, TwipsToPixels(f.StartIndent + f.Offset)));
        out.setTextIndent(bullet ? 0.0 : TwipsToPixels(-f.Offset));
    }
    if (m & PFM_RIGHTINDENT) {
        out.setProperty(PropRightIndent, f.RightIndent);
        out.setRightMargin(std::max<qreal>(0, TwipsToPixels(f.RightIndent)));
    }
    if (m & PFM_NUMBERING)
        out.setProperty(PropNumbering, f.Numbering);
    if (m & PFM_NUMBERINGSTART)
        out.setProperty(PropNumberingStart, f.NumberingStart);
    if (m & PFM_NUMBERINGSTYLE) {
        out.setProperty(PropNumberPrefix, labelText(f.NumberPrefix, MAX_NUMBER_TEXT, false));
        out.setProperty(PropNumberSuffix, labelText(f.NumberSuffix, MAX_NUMBER_TEXT, false));
        out.setProperty(PropLabelText, labelText(f.LabelText, MAX_LABEL_TEXT, true));
        QVariantList outer;
        for (qsizetype i = 0; i < std::min<qsizetype>(f.OuterLevels.size(), MAX_LIST_LEVELS - 1); ++i) {
            outer.append(std::clamp(f.OuterLevels[i].Numbering, 0, 0xFF));
            outer.append(std::clamp(f.OuterLevels[i].Start, 0, 32767));
        }
        out.setProperty(PropOuterLevels, outer);
    }
    if (m & PFM_LIST) {
        out.setProperty(PropList, f.List);
        out.setProperty(PropListLevel, std::clamp(f.ListLevel, 0, MAX_LIST_LEVELS - 1));
    }
    if (m & PFM_TABSTOPS) {
        QVariantList stops;
        QList<QTextOption::Tab> tabs;
        for (int i = 0; i < std::min<qsizetype>(f.Tabs.size(), MAX_TAB_STOPS); ++i) {
            stops.append(f.Tabs[i]);
            tabs.append(QTextOption::Tab(TwipsToPixels(f.Tabs[i]), QTextOption::LeftTab));
        }
        out.setProperty(PropTabs, stops);
        out.setTabPositions(tabs);
    }
    if (m & PFM_SPACEBEFORE) {
        out.setProperty(PropSpaceBefore, f.SpaceBefore);
        out.setTopMargin(std::max<qreal>(0, TwipsToPixels(f.SpaceBefore)));
    }
    if (m & PFM_SPACEAFTER) {
        out.setProperty(PropSpaceAfter, f.SpaceAfter);
        out.setBottomMargin(std::max<qreal>(0, TwipsToPixels(f.SpaceAfter)));
    }
    if (m & PFM_LINESPACING) {
        out.setProperty(PropLineSpacing, f.LineSpacing);
        out.setProperty(PropLineSpacingRule, f.LineSpacingRule);
        switch (f.LineSpacingRule) {
        case 1:
            out.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
            break;
        case 2:
            out.setLineHeight(200, QTextBlockFormat::ProportionalHeight);
            break;
        case LINESPACING_ATLEAST:
            out.setLineHeight(TwipsToPixels(f.LineSpacing), QTextBlockFormat::MinimumHeight);
            break;
        case LINESPACING_EXACTLY:
            out.setLineHeight(TwipsToPixels(std::abs(f.LineSpacing)), QTextBlockFormat::FixedHeight);
            break;
        case LINESPACING_MULTIPLE:
            out.setLineHeight(std::max(1, f.LineSpacing * 5), QTextBlockFormat::ProportionalHeight);
            break;
        default:
            out.setLineHeight(0, QTextBlockFormat::SingleHeight);
            break;
        }
    }
}

TRichParaFormat ParaFormatOf(const QTextBlockFormat &q)
{
    TRichParaFormat f;
    f.Mask = PFM_ALL;
    f.Alignment = q.hasProperty(PropAlignment) ? q.intProperty(PropAlignment) : alignmentOf(q.alignment());
    f.Offset = q.hasProperty(PropParaOffset) ? q.intProperty(PropParaOffset) : -PixelsToTwips(q.textIndent());
    f.StartIndent =
        q.hasProperty(PropStartIndent) ? q.intProperty(PropStartIndent) : PixelsToTwips(q.leftMargin()) - f.Offset;
    f.RightIndent = q.hasProperty(PropRightIndent) ? q.intProperty(PropRightIndent) : PixelsToTwips(q.rightMargin());
    f.Numbering = NumberingOf(q);
    f.NumberingStart = NumberingStartOf(q);
    if (q.hasProperty(PropNumberPrefix))
        f.NumberPrefix = q.stringProperty(PropNumberPrefix);
    if (q.hasProperty(PropNumberSuffix))
        f.NumberSuffix = q.stringProperty(PropNumberSuffix);
    f.List = ListOf(q);
    f.ListLevel = ListLevelOf(q);
    f.LabelText = LabelTextOf(q);
    f.OuterLevels = OuterLevelsOf(q);
    if (q.hasProperty(PropTabs)) {
        for (const QVariant &v : q.property(PropTabs).toList())
            f.Tabs.append(v.toInt());
    } else {
        for (const QTextOption::Tab &t : q.tabPositions())
            f.Tabs.append(PixelsToTwips(t.position));
    }
    f.SpaceBefore = q.hasProperty(PropSpaceBefore) ? q.intProperty(PropSpaceBefore) : PixelsToTwips(q.topMargin());
    f.SpaceAfter = q.hasProperty(PropSpaceAfter) ? q.intProperty(PropSpaceAfter) : PixelsToTwips(q.bottomMargin());
    f.LineSpacing = q.intProperty(PropLineSpacing);
    f.LineSpacingRule = q.intProperty(PropLineSpacingRule);
    return f;
}

TRichCharFormat ReadCharFormat(QTextDocument *doc, int start, int end, const TRichCharFormat &defaults)
{
    QTextCursor at(doc);
    at.setPosition(std::clamp(start, 0, doc->characterCount() - 1));
    TRichCharFormat result = CharFormatOf(at.charFormat(), defaults);
    if (end <= start)
        return result;
    bool first = true;
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.position() + frag.length() <= start || frag.position() >= end)
                continue;
            const TRichCharFormat f = CharFormatOf(frag.charFormat(), defaults);
            if (first) {
                result = f;
                first = false;
            } else {
                result.Mask &= ~differingChar(result, f);
                if (result.Mask == 0)
                    return result;
            }
        }
    }
    return result;
}

void WriteCharFormat(QTextCursor &cursor, const TRichCharFormat &format)
{
    QTextCharFormat f;
    ApplyCharFormat(format, f);
    cursor.mergeCharFormat(f);
}

TRichParaFormat ReadParaFormat(QTextDocument *doc, int start, int end)
{
    QTextBlock b = doc->findBlock(std::max(0, start));
    if (!b.isValid())
        b = doc->lastBlock();
    TRichParaFormat result = ParaFormatOf(b.blockFormat());
    for (b = b.next(); b.isValid() && b.position() < end; b = b.next())
        result.Mask &= ~differingPara(result, ParaFormatOf(b.blockFormat()));
    return result;
}

void WriteParaFormat(QTextCursor &cursor, const TRichParaFormat &format)
{
    QTextDocument *doc = cursor.document();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.beginEditBlock();
    QTextBlock b = doc->findBlock(start);
    while (b.isValid()) {
        const TRichParaFormat before = ParaFormatOf(b.blockFormat());
        TRichParaFormat merged = before;
        mergePara(merged, format);
        merged.Mask = PFM_ALL;
        if (format.Mask & (PFM_NUMBERING | PFM_NUMBERINGSTART | PFM_NUMBERINGSTYLE | PFM_LIST))
            settleList(b, before, merged, format.Mask);
        QTextBlockFormat q;
        ApplyParaFormat(merged, q);
        QTextCursor c(b);
        c.mergeBlockFormat(q);
        if (format.Mask & (PFM_NUMBERING | PFM_NUMBERINGSTYLE))
            setListOf(b, c, merged);
        if (b.contains(end) || b.position() >= end)
            break;
        b = b.next();
    }
    cursor.endEditBlock();
}

int TParagraphCounter::Next(int numbering, int start, int list, int level, const QList<TLevelNumbering> &outer)
{
    const bool run = numbering != 0 && list == 0;
    if (run && !m_inRun)
        m_lists.remove(0); // a run begins
    m_inRun = run;
    if (numbering == 0)
        return 0;
    level = std::clamp(level, 0, MAX_LIST_LEVELS - 1);
    Levels &levels = m_lists[list];
    // the levels above that have not counted since they began take their start numbers
    for (qsizetype above = 0; above < std::min<qsizetype>(level, outer.size()); ++above) {
        Level &a = levels[size_t(above)];
        if (a.Numbering == 0 && IsCounted(outer[above].Numbering))
            a = Level{outer[above].Numbering, outer[above].Start, outer[above].Start};
    }
    Level &l = levels[size_t(level)];
    if (l.Numbering == numbering && l.Start == start && l.Number < std::numeric_limits<int>::max())
        ++l.Number;
    else
        l = Level{numbering, start, start};
    for (size_t deeper = size_t(level) + 1; deeper < levels.size(); ++deeper)
        levels[deeper] = Level{};
    return IsCounted(numbering) ? l.Number : 0;
}

QString TParagraphCounter::Label(const TRichParaFormat &f, int number) const
{
    if (f.Numbering == 0)
        return {};
    if (!IsCounted(f.Numbering)) {
        QString text = f.LabelText;
        text.removeIf([](QChar c) { return c.unicode() < MAX_LIST_LEVELS; });
        return text;
    }
    if (f.LabelText.isEmpty())
        return NumberLabel(f, number);
    const int own = std::clamp(f.ListLevel, 0, MAX_LIST_LEVELS - 1);
    const auto levels = m_lists.constFind(f.List);
    QString s;
    for (const QChar c : f.LabelText) {
        const int level = c.unicode();
        if (level >= MAX_LIST_LEVELS) {
            s += c;
        } else if (level == own) {
            s += NumberText(f.Numbering, number);
        } else if (level < own && levels != m_lists.cend()) {
            // a level above shows its number now; a level below (which a label cannot show) nothing
            const Level &l = (*levels)[size_t(level)];
            if (IsCounted(l.Numbering))
                s += NumberText(l.Numbering, l.Number);
        }
    }
    return s;
}

int NewListId()
{
    // ids run from 1 and come back only after two thousand million lists
    static std::atomic<unsigned> next{0};
    return int(next.fetch_add(1) % unsigned(std::numeric_limits<int>::max())) + 1;
}

bool IsCounted(int numbering)
{
    const int kind = numbering & 0xFF;
    return kind >= PFN_ARABIC && kind <= PFN_UCROMAN;
}

QString NumberText(int numbering, int number)
{
    auto roman = [](int v) {
        static const std::pair<int, const char *> parts[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString s;
        for (const auto &[value, text] : parts) {
            for (; v >= value; v -= value)
                s += QLatin1StringView(text);
        }
        return s;
    };
    auto letters = [](int v) {
        QString s;
        for (; v > 0; v = (v - 1) / 26)
            s.prepend(QChar(u'a' + (v - 1) % 26));
        return s;
    };
    // roman numerals run out past a few thousand: such numbers (and those below 1) are written in figures
    const bool romanFits = number > 0 && number < 5000;
    switch (numbering & 0xFF) {
    case PFN_LCLETTER:
        return number > 0 ? letters(number) : QString::number(number);
    case PFN_UCLETTER:
        return number > 0 ? letters(number).toUpper() : QString::number(number);
    case PFN_LCROMAN:
        return romanFits ? roman(number) : QString::number(number);
    case PFN_UCROMAN:
        return romanFits ? roman(number).toUpper() : QString::number(number);
    default:
        return QString::number(number);
    }
}

int NumberingOf(const QTextBlockFormat &q)
{
    if (q.hasProperty(PropNumbering))
        return q.intProperty(PropNumbering);
    return q.hasProperty(QTextFormat::ObjectIndex) && q.objectIndex() >= 0 ? PFN_BULLET : 0;
}

int NumberingStartOf(const QTextBlockFormat &q)
{
    return q.hasProperty(PropNumberingStart) ? q.intProperty(PropNumberingStart) : 1;
}

int ListOf(const QTextBlockFormat &q)
{
    return q.intProperty(PropList);
}

int ListLevelOf(const QTextBlockFormat &q)
{
    return std::clamp(q.intProperty(PropListLevel), 0, MAX_LIST_LEVELS - 1);
}

QString LabelTextOf(const QTextBlockFormat &q)
{
    return q.stringProperty(PropLabelText);
}

QList<TLevelNumbering> OuterLevelsOf(const QTextBlockFormat &q)
{
    QList<TLevelNumbering> outer;
    if (!q.hasProperty(PropOuterLevels))
        return outer;
    const QVariantList values = q.property(PropOuterLevels).toList();
    for (qsizetype i = 0; i + 1 < values.size(); i += 2)
        outer.append(TLevelNumbering{values[i].toInt(), values[i + 1].toInt()});
    return outer;
}

QString NumberLabel(const TRichParaFormat &format, int number)
{
    return format.NumberPrefix + NumberText(format.Numbering, number) + format.NumberSuffix;
}

bool IsObjectFormat(const QTextCharFormat &format)
{
    return format.isImageFormat() && format.hasProperty(PropObjectKind);
}

TRichObject ObjectOf(QTextDocument *doc, const QTextCharFormat &format)
{
    Q_UNUSED(doc);
    TRichObject o;
    if (!format.isImageFormat())
        return o;
    o.ObjectKind = TRichObject::Kind(format.intProperty(PropObjectKind));
    o.Data = format.property(PropObjectData).toByteArray();
    o.DataFormat = format.stringProperty(PropObjectFormat);
    o.Width = format.intProperty(PropObjectWidth);
    o.Height = format.intProperty(PropObjectHeight);
    o.ScaleX = format.hasProperty(PropObjectScaleX) ? format.intProperty(PropObjectScaleX) : 100;
    o.ScaleY = format.hasProperty(PropObjectScaleY) ? format.intProperty(PropObjectScaleY) : 100;
    o.FileName = format.stringProperty(PropObjectFileName);
    o.FileType = format.stringProperty(PropObjectFileType);
    o.DisplayAsIcon = format.boolProperty(PropObjectIconic);
    o.ManualUpdate = format.boolProperty(PropObjectManualUpdate);
    if (const auto picture = format.property(PropObjectPicture).value<TObjectPictureRef>())
        o.Image = picture->Image();
    return o;
}

quint64 ObjectIdOf(const QTextCharFormat &format)
{
    const auto picture = format.property(PropObjectPicture).value<TObjectPictureRef>();
    return picture ? picture->Id() : 0;
}

QTextImageFormat ObjectFormat(const TRichObject &object, const QTextCharFormat &charFormat)
{
    QTextImageFormat f;
    f.merge(charFormat);
    TRichObject o = object;
    const TObjectPictureRef picture = MakeObjectPicture(o);
    if (o.Width <= 0 || o.Height <= 0) {
        o.Width = picture->Size().isEmpty() ? 1440 : PixelsToTwips(picture->Size().width());
        o.Height = picture->Size().isEmpty() ? 1440 : PixelsToTwips(picture->Size().height());
    }
    f.setName(picture->Name());
    f.setWidth(TwipsToPixels(o.Width) * std::max(1, o.ScaleX) / 100.0);
    f.setHeight(TwipsToPixels(o.Height) * std::max(1, o.ScaleY) / 100.0);
    f.setProperty(PropObjectKind, int(o.ObjectKind));
    f.setProperty(PropObjectData, o.Data);
    f.setProperty(PropObjectFormat, o.DataFormat);
    f.setProperty(PropObjectWidth, o.Width);
    f.setProperty(PropObjectHeight, o.Height);
    f.setProperty(PropObjectScaleX, o.ScaleX);
    f.setProperty(PropObjectScaleY, o.ScaleY);
    if (o.IsFile()) {
        f.setProperty(PropObjectFileName, o.FileName);
        f.setProperty(PropObjectFileType, o.FileType);
        f.setProperty(PropObjectIconic, o.DisplayAsIcon);
        f.setProperty(PropObjectManualUpdate, o.ManualUpdate);
    }
    f.setProperty(PropObjectPicture, QVariant::fromValue(picture));
    return f;
}

void InsertObject(QTextCursor &cursor, const TRichObject &object, const QTextCharFormat &charFormat)
{
    cursor.insertImage(ObjectFormat(object, charFormat));
}

QString PlainTextOf(QTextDocument *doc, int start, int end, bool lineBreaksAsNewLines)
{
    QString s;
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() <= end; b = b.next()) {
        if (b.position() > start)
            s += u'\n';
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int fs = std::max(f.position(), start);
            const int fe = std::min(f.position() + f.length(), end);
            if (fe > fs && !IsObjectFormat(f.charFormat()))
                s += QStringView(f.text()).mid(fs - f.position(), fe - fs);
        }
    }
    if (lineBreaksAsNewLines)
        s.replace(QChar::LineSeparator, u'\n');
    return s;
}

bool IsProtected(const QTextCharFormat &format)
{
    return format.boolProperty(PropProtected);
}

QTextCharFormat InsertionFormat(const QTextCharFormat &format)
{
    QTextCharFormat f;
    const auto props = format.properties();
    for (auto it = props.cbegin(); it != props.cend(); ++it) {
        const int id = it.key();
        if (id == QTextFormat::ObjectType || id == QTextFormat::ObjectIndex || id == QTextFormat::ImageName ||
            id == QTextFormat::ImageWidth || id == QTextFormat::ImageHeight || id == QTextFormat::ImageQuality ||
            id == PropProtected || (id >= PropObjectKind && id <= PropObjectPicture))
            continue;
        f.setProperty(id, it.value());
    }
    return f;
}

} // namespace richedit

// ---- builder ----

TRichDocumentBuilder::TRichDocumentBuilder(QTextCursor cursor, const TRichCharFormat &defaults)
    : m_cursor(std::move(cursor))
    , m_defaults(defaults)
    , m_paraStart(m_cursor.position())
{
    m_paraFormat = ParaFormatOf(m_cursor.blockFormat());
    m_paraFormat.Mask = 0;
    SetCharFormat(defaults);
    // one edit for the whole build: outside an edit every insertion lays out its paragraph again
    // (to place the cursor) and tells the document's listeners, which makes a paragraph of many runs
    // cost the square of its length
    m_cursor.beginEditBlock();
}

TRichDocumentBuilder::~TRichDocumentBuilder()
{
    endEdit();
}

void TRichDocumentBuilder::endEdit()
{
    if (std::exchange(m_inEdit, false))
        m_cursor.endEditBlock();
}

size_t qHash(const TRichCharFormat &f, size_t seed)
{
    return qHashMulti(seed, f.Mask, f.Effects, f.Height, f.TextColor, f.BackColor, f.Charset, f.PitchAndFamily,
                      f.UnderlineType, f.FaceName, f.Weight, f.Offset);
}

bool TRichDocumentBuilder::Progress(qint64 done, qint64 total)
{
    if (!m_stopped && m_progress && !m_progress(done, total))
        m_stopped = true;
    return !m_stopped;
}

void TRichDocumentBuilder::SetProgressHandler(std::function<bool(qint64, qint64)> handler)
{
    m_progress = std::move(handler);
}

void TRichDocumentBuilder::SetCharFormat(const TRichCharFormat &format)
{
    flush();
    // a document switches between a few formats many times: each is turned into Qt's once
    if (const auto known = m_charFormats.constFind(format); known != m_charFormats.cend()) {
        m_charFormat = *known;
        return;
    }
    TRichCharFormat full = m_defaults;
    if (format.Mask != CFM_ALL) {
        // masked fields over the defaults
        QTextCharFormat over;
        ApplyCharFormat(format, over);
        full = CharFormatOf(over, m_defaults);
    } else {
        full = format;
    }
    m_charFormat = QTextCharFormat();
    ApplyCharFormat(full, m_charFormat);
    if (m_charFormats.size() >= MaxKnownCharFormats)
        m_charFormats.clear(); // a document of ever new formats keeps the memory bounded
    m_charFormats.insert(format, m_charFormat);
}

void TRichDocumentBuilder::SetParaFormat(const TRichParaFormat &format)
{
    m_paraFormat = format;
}

void TRichDocumentBuilder::AddText(QStringView text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator) {
            m_pending += text.mid(from, i - from);
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            EndParagraph();
            from = i + 1;
        }
    }
    m_pending += text.mid(from);
}

void TRichDocumentBuilder::AddLineBreak()
{
    m_pending += QChar::LineSeparator;
}

void TRichDocumentBuilder::AddObject(const TRichObject &object)
{
    flush();
    TRichObject ours;
    if (object.ObjectKind == TRichObject::Object && FileObjectFromGroup(object.Data, ours)) {
        // a file this program stored: back to the file object, its picture as the file last showed
        ours.Image = object.Image;
        ours.Width = object.Width;
        ours.Height = object.Height;
        ours.ScaleX = object.ScaleX;
        ours.ScaleY = object.ScaleY;
        if (ours.ObjectKind == TRichObject::LinkedFile && !ours.ManualUpdate)
            RefreshFileObject(ours);
        InsertObject(m_cursor, ours, m_charFormat);
        return;
    }
    InsertObject(m_cursor, object, m_charFormat);
}

void TRichDocumentBuilder::flush()
{
    if (m_pending.isEmpty())
        return;
    m_cursor.insertText(m_pending, m_charFormat);
    m_pending.clear();
}

void TRichDocumentBuilder::applyParaFormat()
{
    // a paragraph this builder began has no format but the one it was begun with, and no list: unless
    // it is bulleted, or numbered without naming its list (it joins the list beside it), its format is
    // the model's turned into Qt's (once for a run of paragraphs alike) and set whole, or left as it is
    // when it was begun with that one
    const bool numbered = (m_paraFormat.Mask & PFM_NUMBERING) && m_paraFormat.Numbering != 0;
    const bool bulleted = numbered && !IsCounted(m_paraFormat.Numbering);
    const bool listNamed = (m_paraFormat.Mask & PFM_LIST) && m_paraFormat.List != 0;
    if (m_fresh && !bulleted && (!numbered || listNamed)) {
        if (!m_blockFormatKnown || !(m_paraFormat == m_blockParaFormat)) {
            m_blockParaFormat = m_paraFormat;
            m_blockFormat = QTextBlockFormat();
            if (m_paraFormat.Mask) {
                TRichParaFormat merged = ParaFormatOf(QTextBlockFormat());
                mergePara(merged, m_paraFormat);
                merged.Mask = PFM_ALL;
                ApplyParaFormat(merged, m_blockFormat);
            }
            m_blockFormatKnown = true;
        }
        if (!(m_freshFormat == m_blockFormat))
            m_cursor.setBlockFormat(m_blockFormat);
        m_nextFormat = m_blockFormat;
        return;
    }
    m_nextFormat = QTextBlockFormat();
    if (m_fresh && !(m_freshFormat == QTextBlockFormat()))
        m_cursor.setBlockFormat(QTextBlockFormat()); // the model's format goes over none
    if (!m_paraFormat.Mask)
        return;
    QTextCursor block(m_cursor);
    block.setPosition(m_paraStart);
    block.setPosition(m_cursor.position(), QTextCursor::KeepAnchor);
    WriteParaFormat(block, m_paraFormat);
}

void TRichDocumentBuilder::EndParagraph()
{
    flush();
    applyParaFormat();
    // the next paragraph is begun with the format this one took: most paragraphs are like the one before
    m_cursor.insertBlock(m_nextFormat, m_charFormat);
    m_fresh = true;
    m_freshFormat = m_nextFormat;
    m_paraStart = m_cursor.position();
}

void TRichDocumentBuilder::Finish()
{
    flush();
    applyParaFormat();
    endEdit();
}

// ---- source ----

TRichDocumentSource::TRichDocumentSource(QTextDocument *doc, int start, int end, const TRichCharFormat &defaults)
    : m_doc(doc)
    , m_start(std::max(0, start))
    , m_end(end < 0 ? doc->characterCount() - 1 : end)
    , m_defaults(defaults)
{
    m_end = std::clamp(m_end, m_start, doc->characterCount() - 1);
}

void TRichDocumentSource::Visit(TRichDocumentVisitor &v) const
{
    QTextBlock b = m_doc->findBlock(m_start);
    while (b.isValid()) {
        v.BeginParagraph(ParaFormatOf(b.blockFormat()));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int fs = std::max(frag.position(), m_start);
            const int fe = std::min(frag.position() + frag.length(), m_end);
            if (fe <= fs)
                continue;
            const QTextCharFormat q = frag.charFormat();
            const TRichCharFormat f = CharFormatOf(q, m_defaults);
            const QString text = frag.text();
            QStringView part = QStringView(text).mid(fs - frag.position(), fe - fs);
            if (IsObjectFormat(q)) {
                const TRichObject object = ObjectOf(m_doc, q);
                for (qsizetype i = 0; i < part.size(); ++i)
                    v.Object(object, f);
            } else {
                v.Text(part, f);
            }
        }
        // the paragraph's break lies at position + length - 1; the range may end before it
        const bool last = !b.next().isValid() || b.position() + b.length() - 1 >= m_end;
        v.EndParagraph(last);
        if (last)
            break;
        b = b.next();
    }
}
