// Text and paragraph attribute objects of the rich-edit control.
#include "notes/MMRxRichEditAttributes.h"

#include "notes/MMRxRichEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <cmath>

using namespace richedit;

namespace {

constexpr int TwipsPerPoint = 20;
// what a run's format may say without changing how tall or wide its text is
constexpr quint32 HeightNeutralChar =
    CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_UNDERLINETYPE | CFM_BACKCOLOR | CFM_COLOR;

QTextCursor wholeDocument(QTextDocument *doc)
{
    QTextCursor c(doc);
    c.select(QTextCursor::Document);
    return c;
}

} // namespace

// ---- text attributes ----

TRxTextAttributes::TRxTextAttributes(TMMRxCustomRichEdit *richEdit, TAttributeType type)
    : m_richEdit(richEdit)
    , m_type(type)
{}

TRichCharFormat TRxTextAttributes::GetAttributes() const
{
    const TRichCharFormat &defaults = m_richEdit->DefaultCharFormat();
    if (m_type == atDefaultText)
        return defaults;
    const QTextCursor c = m_richEdit->textCursor();
    if (!c.hasSelection())
        return CharFormatOf(c.charFormat(), defaults); // the format new text takes here
    return ReadCharFormat(m_richEdit->document(), c.selectionStart(), c.selectionEnd(), defaults);
}

void TRxTextAttributes::SetAttributes(const TRichCharFormat &format)
{
    if (m_type == atDefaultText) {
        QTextCharFormat over;
        ApplyCharFormat(format, over);
        m_richEdit->SetDefaultCharFormat(CharFormatOf(over, m_richEdit->DefaultCharFormat()));
        return;
    }
    QTextCharFormat q;
    ApplyCharFormat(format, q);
    // a format that may make lines taller or wider is refused when the note would be too tall to show
    const bool height = format.Mask & ~HeightNeutralChar;
    auto room = [&](const QTextCursor &range) {
        return !height || !range.hasSelection() ||
               m_richEdit->roomForFormat(range.selectionStart(), range.selectionEnd(),
                                         [&](QTextCursor &copy) { copy.mergeCharFormat(q); });
    };
    const TMMRxCustomRichEdit::MeasuredEdit measured(*m_richEdit);
    if (m_richEdit->PlainText()) {
        // plain text has one format for all of its text
        QTextCursor all = wholeDocument(m_richEdit->document());
        if (!room(all))
            return;
        all.mergeCharFormat(q);
        m_richEdit->mergeCurrentCharFormat(q);
        return;
    }
    QTextCursor c = m_richEdit->textCursor();
    if (m_type == atWord && !c.hasSelection()) {
        c.select(QTextCursor::WordUnderCursor);
        if (c.hasSelection()) {
            if (room(c))
                c.mergeCharFormat(q);
            return;
        }
    }
    if (room(c))
        m_richEdit->mergeCurrentCharFormat(q);
}

int TRxTextAttributes::Charset() const
{
    return GetAttributes().Charset;
}

void TRxTextAttributes::SetCharset(int value)
{
    TRichCharFormat f;
    f.Mask = CFM_CHARSET;
    f.Charset = quint8(value);
    SetAttributes(f);
}

QColor TRxTextAttributes::Color() const
{
    const TRichCharFormat f = GetAttributes();
    return f.effect(CFE_AUTOCOLOR) ? QColor() : QColor::fromRgb(f.TextColor);
}

void TRxTextAttributes::SetColor(const QColor &value)
{
    TRichCharFormat f;
    f.Mask = CFM_COLOR;
    if (value.isValid())
        f.TextColor = value.rgb();
    else
        f.Effects = CFE_AUTOCOLOR;
    SetAttributes(f);
}

QString TRxTextAttributes::Name() const
{
    return GetAttributes().FaceName;
}

void TRxTextAttributes::SetName(const QString &value)
{
    TRichCharFormat f;
    f.Mask = CFM_FACE;
    f.FaceName = value.left(31);
    SetAttributes(f);
}

TFontStyles TRxTextAttributes::Style() const
{
    const TRichCharFormat f = GetAttributes();
    TFontStyles s;
    if (f.has(CFM_BOLD) && f.effect(CFE_BOLD))
        s |= fsBold;
    if (f.has(CFM_ITALIC) && f.effect(CFE_ITALIC))
        s |= fsItalic;
    if (f.has(CFM_UNDERLINE) && f.effect(CFE_UNDERLINE))
        s |= fsUnderline;
    if (f.has(CFM_STRIKEOUT) && f.effect(CFE_STRIKEOUT))
        s |= fsStrikeOut;
    return s;
}

void TRxTextAttributes::SetStyle(TFontStyles value)
{
    const TFontStyles changed = Style() ^ value;
    TRichCharFormat f;
    const struct {
        TFontStyle style;
        quint32 mask;
        quint32 effect;
    } map[] = {{fsBold, CFM_BOLD, CFE_BOLD},
               {fsItalic, CFM_ITALIC, CFE_ITALIC},
               {fsUnderline, CFM_UNDERLINE, CFE_UNDERLINE},
               {fsStrikeOut, CFM_STRIKEOUT, CFE_STRIKEOUT}};
    for (const auto &m : map) {
        if (changed.testFlag(m.style)) {
            f.Mask |= m.mask;
            if (value.testFlag(m.style))
                f.Effects |= m.effect;
        }
    }
    if (f.Mask)
        SetAttributes(f);
}

int TRxTextAttributes::Size() const
{
    return GetAttributes().Height / TwipsPerPoint;
}

void TRxTextAttributes::SetSize(int value)
{
    if (value <= 0)
        return;
    TRichCharFormat f;
    f.Mask = CFM_SIZE;
    f.Height = value * TwipsPerPoint;
    SetAttributes(f);
}

TFontPitch TRxTextAttributes::Pitch() const
{
    switch (GetAttributes().PitchAndFamily & 3) {
    case FIXED_PITCH:
        return fpFixed;
    case VARIABLE_PITCH:
        return fpVariable;
    default:
        return fpDefault;
    }
}

void TRxTextAttributes::SetPitch(TFontPitch value)
{
    // the pitch is kept with the run (and drawn with a fixed-pitch font where asked for)
    TRichCharFormat f;
    f.Mask = CFM_PITCH;
    f.PitchAndFamily = value == fpVariable ? VARIABLE_PITCH : value == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    SetAttributes(f);
}

int TRxTextAttributes::SubscriptStyle() const
{
    const TRichCharFormat f = GetAttributes();
    if (f.effect(CFE_SUBSCRIPT))
        return 1;
    if (f.effect(CFE_SUPERSCRIPT))
        return 2;
    return 0;
}

void TRxTextAttributes::SetSubscriptStyle(int value)
{
    TRichCharFormat f;
    f.Mask = CFM_SUBSCRIPT;
    if (value == 1)
        f.Effects = CFE_SUBSCRIPT;
    else if (value == 2)
        f.Effects = CFE_SUPERSCRIPT;
    SetAttributes(f);
}

void TRxTextAttributes::AssignFont(const QFont &font, const QColor &color, int charset)
{
    TRichCharFormat f;
    f.Mask = CFM_SIZE | CFM_STYLES | CFM_FACE | CFM_COLOR | CFM_CHARSET | CFM_WEIGHT | CFM_PITCH;
    f.PitchAndFamily = font.fixedPitch() ? FIXED_PITCH : DEFAULT_PITCH;
    qreal points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * 72.0 / 96.0;
    f.Height = int(std::lround(points * TwipsPerPoint));
    if (font.bold())
        f.Effects |= CFE_BOLD;
    if (font.italic())
        f.Effects |= CFE_ITALIC;
    if (font.underline())
        f.Effects |= CFE_UNDERLINE;
    if (font.strikeOut())
        f.Effects |= CFE_STRIKEOUT;
    f.FaceName = font.family().left(31);
    if (color.isValid())
        f.TextColor = color.rgb();
    else
        f.Effects |= CFE_AUTOCOLOR; // the window text colour: the automatic colour
    f.Charset = quint8(charset);
    f.Weight = font.weight();
    SetAttributes(f);
}

void TRxTextAttributes::Assign(const TRxTextAttributes &source)
{
    SetAttributes(source.GetAttributes());
}

void TRxTextAttributes::AssignTo(QFont &font) const
{
    const TRichCharFormat f = GetAttributes();
    font.setFamily(f.FaceName);
    const TFontStyles s = Style();
    font.setBold(s.testFlag(fsBold));
    font.setItalic(s.testFlag(fsItalic));
    font.setUnderline(s.testFlag(fsUnderline));
    font.setStrikeOut(s.testFlag(fsStrikeOut));
    if (f.Height >= TwipsPerPoint)
        font.setPointSize(f.Height / TwipsPerPoint);
    font.setFixedPitch((f.PitchAndFamily & 3) == FIXED_PITCH);
}

// ---- paragraph attributes ----

TRxParaAttributes::TRxParaAttributes(TMMRxCustomRichEdit *richEdit)
    : m_richEdit(richEdit)
{}

TRichParaFormat TRxParaAttributes::GetAttributes() const
{
    const QTextCursor c = m_richEdit->textCursor();
    return ReadParaFormat(m_richEdit->document(), c.selectionStart(), c.selectionEnd());
}

void TRxParaAttributes::SetAttributes(const TRichParaFormat &format)
{
    QTextCursor c = m_richEdit->PlainText() ? wholeDocument(m_richEdit->document()) : m_richEdit->textCursor();
    // indents, spacing, numbers and tab stops that would make the note too tall to show are refused
    if (format.Mask & ~PFM_ALIGNMENT) {
        QTextCursor paragraphs(c);
        paragraphs.setPosition(c.selectionStart());
        paragraphs.movePosition(QTextCursor::StartOfBlock);
        paragraphs.setPosition(c.selectionEnd(), QTextCursor::KeepAnchor);
        paragraphs.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        if (!m_richEdit->roomForFormat(paragraphs.selectionStart(), paragraphs.selectionEnd(),
                                       [&](QTextCursor &copy) { WriteParaFormat(copy, format); }))
            return;
    }
    const TMMRxCustomRichEdit::MeasuredEdit measured(*m_richEdit);
    WriteParaFormat(c, format);
}

TParaAlignment TRxParaAttributes::Alignment() const
{
    return TParaAlignment(std::clamp(GetAttributes().Alignment - 1, 0, 3));
}

void TRxParaAttributes::SetAlignment(TParaAlignment value)
{
    TRichParaFormat f;
    f.Mask = PFM_ALIGNMENT;
    f.Alignment = int(value) + 1;
    if (m_richEdit->UseRightToLeftAlignment()) {
        if (f.Alignment == PFA_LEFT)
            f.Alignment = PFA_RIGHT;
        else if (f.Alignment == PFA_RIGHT)
            f.Alignment = PFA_LEFT;
    }
    SetAttributes(f);
}

int TRxParaAttributes::FirstIndent() const
{
    return GetAttributes().StartIndent / TwipsPerPoint;
}

void TRxParaAttributes::SetFirstIndent(int value)
{
    setIndent(PFM_STARTINDENT, &TRichParaFormat::StartIndent, value);
}

int TRxParaAttributes::LeftIndent() const
{
    return GetAttributes().Offset / TwipsPerPoint;
}

void TRxParaAttributes::SetLeftIndent(int value)
{
    setIndent(PFM_OFFSET, &TRichParaFormat::Offset, value);
}

int TRxParaAttributes::RightIndent() const
{
    return GetAttributes().RightIndent / TwipsPerPoint;
}

void TRxParaAttributes::SetRightIndent(int value)
{
    setIndent(PFM_RIGHTINDENT, &TRichParaFormat::RightIndent, value);
}

void TRxParaAttributes::setIndent(quint32 mask, int TRichParaFormat::*field, int points)
{
    TRichParaFormat f;
    f.Mask = mask;
    f.*field = points * TwipsPerPoint;
    SetAttributes(f);
}

TNumberingStyle TRxParaAttributes::Numbering() const
{
    return TNumberingStyle(GetAttributes().Numbering & 0xFF);
}

void TRxParaAttributes::SetNumbering(TNumberingStyle value)
{
    // one undo step for the indent and the bullets together
    QTextCursor block = m_richEdit->textCursor();
    block.beginEditBlock();
    if (value == nsNone)
        SetLeftIndent(0);
    else if (LeftIndent() < 10)
        SetLeftIndent(10);
    TRichParaFormat f;
    f.Mask = PFM_NUMBERING;
    f.Numbering = int(value);
    SetAttributes(f);
    block.endEditBlock();
}

int TRxParaAttributes::Tab(int index) const
{
    const TRichParaFormat f = GetAttributes();
    return index >= 0 && index < f.Tabs.size() ? f.Tabs[index] / TwipsPerPoint : 0;
}

int TRxParaAttributes::TabCount() const
{
    return int(GetAttributes().Tabs.size());
}

void TRxParaAttributes::SetTab(int index, int value)
{
    if (index < 0 || index >= MAX_TAB_STOPS)
        return;
    TRichParaFormat f = GetAttributes();
    if (f.Tabs.size() < index + 1)
        f.Tabs.resize(index + 1);
    f.Tabs[index] = value * TwipsPerPoint;
    f.Mask = PFM_TABSTOPS;
    SetAttributes(f);
}

void TRxParaAttributes::Assign(const TRxParaAttributes &source)
{
    SetAttributes(source.GetAttributes());
}
