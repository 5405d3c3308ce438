#include "notes/ShownHeight.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>

namespace richedit {

namespace {

// Distinct characters beyond Latin-1 measured one by one, a font: past that each counts as wide as the
// font is high (wider than nearly every character, so no line is counted short) and as high as a
// character of its script measured.
constexpr qsizetype MaxMeasuredChars = 4096;

// Chinese, Japanese and Yi break between characters (Korean at spaces, as Qt lays it out).
bool breaksAround(char32_t u)
{
    return (u >= 0x2E80 && u < 0xA4D0) || (u >= 0xF900 && u < 0xFB00) || (u >= 0xFF00 && u < 0xFFF0) ||
           (u >= 0x20000 && u < 0x40000);
}

// The character at i (both halves of a surrogate pair, i then on the second).
char32_t nextChar(QStringView text, qsizetype &i)
{
    const char16_t c = text.at(i).unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(++i).unicode());
    return c;
}

enum class Kind {
    Letter,    // part of a word
    Space,     // a line may break after it, and it may hang past the line's end
    Ideograph, // a line may break before and after it
    Tab,       // a line may break after it
};

} // namespace

// A font's line height and its characters' advances.
struct TShownHeight::Font {
    struct Glyph {
        float Advance;
        float Ascent;
        float Descent; // with the leading
    };

    explicit Font(const QFont &font)
        : Metrics(font)
        , Value(font)
        , Ascent(Metrics.ascent())
        , Descent(Metrics.descent() + std::max<qreal>(0, Metrics.leading()))
    {
        for (int c = 0; c < int(Latin.size()); ++c)
            Latin[c] = float(Metrics.horizontalAdvance(QChar(c)));
    }

    Glyph glyph(char32_t c)
    {
        if (c < Latin.size())
            return {Latin[c], float(Ascent), float(Descent)};
        if (const auto known = Others.constFind(c); known != Others.cend())
            return *known;
        if (Others.size() >= MaxMeasuredChars) {
            // as high as the last of its script measured
            const auto known = Scripts.constFind(int(QChar::script(c)));
            const Glyph g = known != Scripts.cend() ? *known : measured(c);
            return {std::max(g.Advance, float(Metrics.height())), g.Ascent, g.Descent};
        }
        const Glyph g = measured(c);
        Others.insert(c, g);
        Scripts.insert(int(QChar::script(c)), g);
        return g;
    }

    // The character laid out alone, in the font Qt takes for it (its fallback where this font lacks it).
    Glyph measured(char32_t c) const
    {
        QTextLayout layout(QString::fromUcs4(&c, 1), Value);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid())
            return {float(Metrics.height()), float(Ascent), float(Descent)};
        return {float(line.naturalTextWidth()), float(std::max(Ascent, line.ascent())),
                float(std::max(Descent, line.descent() + std::max<qreal>(0, line.leading())))};
    }

    QFontMetricsF Metrics;
    QFont Value;
    qreal Ascent;
    qreal Descent;
    std::array<float, 256> Latin;
    QHash<char32_t, Glyph> Others;
    QHash<int, Glyph> Scripts; // the last character of each script measured
};

// What a paragraph needs at any width, for WidthFor.
struct TShownHeight::Paragraph {
    float Margins; // the indents that narrow its lines
    float Natural; // its widest line unwrapped
    float Text;    // all of its text's advances
    float Tallest; // its tallest line
    float Spacing; // the space before it
    qint32 Hard;   // its lines unwrapped
    qint32 Count = 1;

    bool sameAs(const Paragraph &o) const
    {
        return Margins == o.Margins && Natural == o.Natural && Text == o.Text && Tallest == o.Tallest &&
               Spacing == o.Spacing && Hard == o.Hard;
    }
};

// Fills one paragraph's lines, glyph by glyph.
class TShownHeight::Fill {
public:
    Fill(const QTextBlockFormat &format, qreal origin, qreal room, qreal indent, bool wraps, bool anywhere,
         qreal tabStop, qreal markAscent, qreal markDescent)
        : m_format(format)
        , m_origin(origin)
        , m_room(room)
        , m_indent(indent)
        , m_wraps(wraps)
        , m_anywhere(anywhere)
        , m_tabStop(tabStop > 0 ? tabStop : 80)
        , m_markAscent(markAscent)
        , m_markDescent(markDescent)
    {}

    void glyph(qreal advance, qreal ascent, qreal descent, Kind kind)
    {
        m_text += advance;
        m_segment += advance;
        if (kind == Kind::Space || kind == Kind::Tab) {
            // spaces past the line's end hang there; a tab does once, the next one goes down
            commit();
            if (kind == Kind::Tab && m_wraps && m_lineUsed > room())
                newLine();
            m_lineUsed += advance;
            raise(m_lineAscent, m_lineDescent, ascent, descent);
            return;
        }
        const bool breaks = kind == Kind::Ideograph || m_anywhere;
        if (breaks)
            commit();
        if (m_wraps && m_lineUsed + m_word + advance > room()) {
            if (m_lineUsed > 0)
                newLine(); // the word goes down to the next line
            if (m_word > 0 && m_word + advance > room()) {
                commit(); // a word longer than a line breaks where the line ends
                newLine();
            }
        }
        m_word += advance;
        raise(m_wordAscent, m_wordDescent, ascent, descent);
        if (breaks)
            commit();
    }
    // The character c of that font.
    void character(Font &font, char32_t c)
    {
        const Font::Glyph g = font.glyph(c);
        if (c == QChar::LineSeparator)
            lineBreak(g.Ascent, g.Descent);
        else if (c == u'\t')
            tab(g.Ascent, g.Descent);
        else if (c == 0x200B || (c != QChar::Nbsp && QChar::isSpace(c)))
            glyph(g.Advance, g.Ascent, g.Descent, Kind::Space);
        else
            glyph(g.Advance, g.Ascent, g.Descent, breaksAround(c) ? Kind::Ideograph : Kind::Letter);
    }
    void tab(qreal ascent, qreal descent)
    {
        // to the next tab stop from the page's edge; on the next line when this one is full
        const qreal x = m_origin + (m_wraps && m_lineUsed + m_word > room() ? 0 : m_lineUsed + m_word);
        qreal advance = m_tabStop - std::fmod(x, m_tabStop);
        if (advance < 1)
            advance += m_tabStop;
        glyph(advance, ascent, descent, Kind::Tab);
    }
    // A line separator ends the line where it stands.
    void lineBreak(qreal ascent, qreal descent)
    {
        commit();
        raise(m_lineAscent, m_lineDescent, ascent, descent);
        newLine();
        m_natural = std::max(m_natural, m_segment);
        m_segment = 0;
        ++m_hard;
    }
    void end()
    {
        commit();
        newLine();
        m_natural = std::max(m_natural, m_segment);
        ++m_hard;
    }

    qreal Height = 0;
    qint64 Lines = 0;
    qreal tallest() const { return m_tallest; }
    qreal natural() const { return m_natural; }
    qreal text() const { return m_text; }
    int hard() const { return m_hard; }

private:
    static void raise(qreal &ascent, qreal &descent, qreal a, qreal d)
    {
        ascent = std::max(ascent, a);
        descent = std::max(descent, d);
    }
    qreal room() const { return Lines == 0 ? m_room - m_indent : m_room; }
    void commit()
    {
        m_lineUsed += m_word;
        raise(m_lineAscent, m_lineDescent, m_wordAscent, m_wordDescent);
        m_word = m_wordAscent = m_wordDescent = 0;
    }
    void newLine()
    {
        qreal ascent = m_lineAscent, descent = m_lineDescent;
        if (ascent + descent <= 0) {
            ascent = m_markAscent;
            descent = m_markDescent;
        }
        const qreal height = m_format.lineHeight(std::ceil(ascent + descent), 1.0);
        Height += height;
        m_tallest = std::max(m_tallest, height);
        ++Lines;
        m_lineUsed = m_lineAscent = m_lineDescent = 0;
    }

    const QTextBlockFormat &m_format;
    qreal m_origin; // where the lines start, for the tab stops
    qreal m_room;
    qreal m_indent;
    bool m_wraps;
    bool m_anywhere;
    qreal m_tabStop;
    qreal m_markAscent;
    qreal m_markDescent;
    qreal m_lineUsed = 0, m_lineAscent = 0, m_lineDescent = 0;
    qreal m_word = 0, m_wordAscent = 0, m_wordDescent = 0;
    qreal m_tallest = 0, m_natural = 0, m_segment = 0, m_text = 0;
    int m_hard = 0;
};

TShownHeight::TShownHeight(const QTextDocument &like, qreal width, QTextOption::WrapMode wrap, bool widths)
    : m_width(wrap == QTextOption::NoWrap || wrap == QTextOption::ManualWrap ? 0 : std::max<qreal>(0, width))
    , m_anywhere(wrap == QTextOption::WrapAnywhere)
    , m_tabStop(like.defaultTextOption().tabStopDistance())
    , m_indentWidth(like.indentWidth())
    , m_origin(like.rootFrame()->frameFormat().leftMargin())
    , m_margins(like.rootFrame()->frameFormat().topMargin() + like.rootFrame()->frameFormat().bottomMargin())
    , m_base(std::make_unique<QFont>(like.defaultFont()))
    , m_keep(widths)
{}

TShownHeight::~TShownHeight() = default;

TShownHeight::Font &TShownHeight::fontOf(const QTextCharFormat &format)
{
    const QFont font = format.font().resolve(*m_base);
    std::shared_ptr<Font> &known = m_fonts[font.key()];
    if (!known)
        known = std::make_shared<Font>(font);
    return *known;
}

qreal TShownHeight::origin(const QTextBlockFormat &format) const
{
    return m_origin + format.leftMargin() + format.indent() * m_indentWidth;
}

qreal TShownHeight::available(const QTextBlockFormat &format, qreal page) const
{
    return page - format.leftMargin() - format.rightMargin() - format.indent() * m_indentWidth;
}

void TShownHeight::addParagraph(const QTextBlockFormat &format, Fill &fill)
{
    fill.end();
    const qreal spacing = std::max(m_spaceAfter, format.topMargin());
    m_height += fill.Height + spacing;
    m_lines += fill.Lines;
    m_spaceAfter = format.bottomMargin();
    if (!m_keep)
        return;
    const Paragraph p{float(m_width - available(format, m_width) + std::max<qreal>(0, format.textIndent())),
                      float(fill.natural()),
                      float(fill.text()),
                      float(fill.tallest()),
                      float(spacing),
                      fill.hard()};
    if (!m_paragraphs.isEmpty() && m_paragraphs.last().sameAs(p) && m_paragraphs.last().Count < INT32_MAX)
        ++m_paragraphs.last().Count;
    else
        m_paragraphs.append(p);
}

void TShownHeight::AddDocument(const QTextDocument &doc)
{
    AddParagraphs(doc.begin(), doc.lastBlock());
}

void TShownHeight::AddParagraphs(const QTextBlock &first, const QTextBlock &last)
{
    // a document has few formats: each is looked at once
    struct Run {
        Font *Measure = nullptr; // none for an object, which is as wide and as high as its picture is shown
        float Width = 0;
        float Height = 0;
    };
    QHash<int, Run> runs;
    auto runAt = [&](int index, auto formatOf) {
        auto known = runs.constFind(index);
        if (known == runs.cend()) {
            const QTextCharFormat format = formatOf();
            Run run;
            if (format.isImageFormat()) {
                run.Width = float(format.toImageFormat().width());
                run.Height = float(format.toImageFormat().height());
            } else {
                run.Measure = &fontOf(format);
            }
            known = runs.insert(index, run);
        }
        return *known;
    };
    QHash<int, QTextBlockFormat> paragraphs;
    const QTextBlock stop = last.next();
    for (QTextBlock b = first; b.isValid() && b != stop; b = b.next()) {
        auto format = paragraphs.constFind(b.blockFormatIndex());
        if (format == paragraphs.cend())
            format = paragraphs.insert(b.blockFormatIndex(), b.blockFormat());
        const Font *mark = runAt(b.charFormatIndex(), [&] { return b.charFormat(); }).Measure;
        Fill fill(*format, origin(*format), available(*format, m_width), format->textIndent(),
                  m_width > 0 && !format->nonBreakableLines(), m_anywhere, m_tabStop, mark ? mark->Ascent : 0,
                  mark ? mark->Descent : 0);
        if (b.length() > 1) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const Run run = runAt(f.charFormatIndex(), [&] { return f.charFormat(); });
                const QString text = f.text();
                for (qsizetype i = 0; i < text.size(); ++i) {
                    if (run.Measure)
                        fill.character(*run.Measure, nextChar(text, i));
                    else // an object stands on the line's base
                        fill.glyph(run.Width, run.Height, 0, Kind::Ideograph);
                }
            }
        }
        addParagraph(*format, fill);
    }
}

void TShownHeight::AddText(QStringView text, const QTextCharFormat &format, const QTextBlockFormat &paragraph)
{
    Font &font = fontOf(format);
    const qreal room = available(paragraph, m_width);
    const bool wraps = m_width > 0 && !paragraph.nonBreakableLines();
    auto fill = std::make_unique<Fill>(paragraph, origin(paragraph), room, paragraph.textIndent(), wraps, m_anywhere,
                                       m_tabStop, font.Ascent, font.Descent);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n' || c == QChar::ParagraphSeparator) {
            addParagraph(paragraph, *fill);
            fill = std::make_unique<Fill>(paragraph, origin(paragraph), room, paragraph.textIndent(), wraps, m_anywhere,
                                          m_tabStop, font.Ascent, font.Descent);
            continue;
        }
        fill->character(font, nextChar(text, i));
    }
    addParagraph(paragraph, *fill);
}

qreal TShownHeight::WidthFor(qreal height, qreal from) const
{
    auto heightAt = [&](qreal page) {
        qreal total = m_margins + m_spaceAfter;
        for (const Paragraph &p : m_paragraphs) {
            const qreal room = std::max<qreal>(1, page - p.Margins);
            const qreal lines = p.Natural <= room ? p.Hard : p.Hard + std::ceil(2 * p.Text / room);
            total += p.Count * (lines * p.Tallest + p.Spacing);
        }
        return total;
    };
    if (heightAt(from) <= height)
        return from;
    qreal widest = from;
    for (const Paragraph &p : m_paragraphs)
        widest = std::max<qreal>(widest, p.Natural + p.Margins);
    widest = std::ceil(widest) + 1;
    if (heightAt(widest) > height)
        return widest;
    qreal low = from, high = widest; // too tall at low, short enough at high
    while (high - low > 1) {
        const qreal middle = std::floor((low + high) / 2);
        (heightAt(middle) <= height ? high : low) = middle;
    }
    return high;
}

} // namespace richedit
