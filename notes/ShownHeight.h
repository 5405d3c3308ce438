#pragma once
// How tall text would be shown, found in one pass over its characters and without laying it out: each
// paragraph's lines are filled as Qt fills them (a word that does not fit goes to the next line, a word
// longer than a line is broken, spaces may hang past the edge), each line as high as the tallest font
// or object on it, with the paragraph's line height, indents and spacing. Characters are measured by
// their fonts' advances (the fallback font's height where the font lacks the character). Lines of a
// long document stay short of the height Qt can place them at only when they are counted before Qt
// lays them out: the notes control measures what would come in with this.
#include <QHash>
#include <QList>
#include <QStringView>
#include <QTextOption>
#include <memory>

class QTextBlock;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;

namespace richedit {

class TShownHeight {
public:
    // like: the document the text is shown in (its default font, tab stops and indent width); width:
    // the page width lines wrap at, 0 when they do not wrap; wrap: how they wrap. widths: what WidthFor
    // needs is kept (a few numbers a paragraph).
    TShownHeight(const QTextDocument &like, qreal width, QTextOption::WrapMode wrap, bool widths = false);
    ~TShownHeight();
    TShownHeight(const TShownHeight &) = delete;
    TShownHeight &operator=(const TShownHeight &) = delete;

    // Every paragraph of the document, measured with that document's formats.
    void AddDocument(const QTextDocument &doc);
    // The paragraphs from first to last of one document.
    void AddParagraphs(const QTextBlock &first, const QTextBlock &last);
    // Paragraphs of plain text in one format, each ended by "\n" but the last, as they would be
    // inserted into a paragraph of that paragraph format.
    void AddText(QStringView text, const QTextCharFormat &format, const QTextBlockFormat &paragraph);

    // With the page's own margins above and below.
    qreal Height() const { return m_margins + m_height + m_spaceAfter; }
    qint64 Lines() const { return m_lines; }
    // The narrowest page width (at least from) at which the paragraphs measured so far surely stay within
    // height, counting each wrapped paragraph at twice its text's width (a line breaks before a word that
    // does not fit, so two lines together hold more than a line's width); when none does, the width at
    // which none of them wraps. Only when the widths were kept.
    qreal WidthFor(qreal height, qreal from) const;

private:
    struct Font;
    struct Paragraph;
    class Fill;
    Font &fontOf(const QTextCharFormat &format);
    void addParagraph(const QTextBlockFormat &format, Fill &fill);
    qreal available(const QTextBlockFormat &format, qreal page) const;
    qreal origin(const QTextBlockFormat &format) const;

    qreal m_width;
    bool m_anywhere;
    qreal m_tabStop;
    qreal m_indentWidth;
    qreal m_origin;  // the page's edge to where lines start
    qreal m_margins; // the page's top and bottom margins
    std::unique_ptr<QFont> m_base;
    QHash<QString, std::shared_ptr<Font>> m_fonts; // by the font's key
    qreal m_height = 0;
    qint64 m_lines = 0;
    qreal m_spaceAfter = 0; // the space after a paragraph and the space before the next one overlap
    // what each paragraph needs at any width, paragraphs alike counted together: for WidthFor
    bool m_keep;
    QList<Paragraph> m_paragraphs;
};

} // namespace richedit
