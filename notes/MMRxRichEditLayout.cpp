// How the rich-edit control lays out and draws its document beyond what Qt does: the numbers of
// numbered paragraphs, and wrapping that stays linear for text without places to break.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "notes/ShownLines.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// Qt wraps a line at its last word boundary and breaks a word only when the line holds no boundary:
// to know that, it looks for the end of the word first. Inside a run of n characters without a place
// to break, every line looks to the end of the run, so laying the run out takes time n² / line length
// (600,000 letters without a space: twenty seconds). A document holding a run longer than this is
// wrapped at any character instead, which costs time in proportion to the text; its words are then
// broken at the right edge too.
constexpr int LongRunLength = 4096;

// Characters where a line may break anyway: white space (paragraph ends too), and Chinese, Japanese and
// Yi, which break between characters (Korean breaks at spaces, as Qt lays it out).
bool breaksLine(QChar c)
{
    const char16_t u = c.unicode();
    return c.isSpace() || u == 0x200B || (u >= 0x2E80 && u < 0xA4D0) || (u >= 0xF900 && u < 0xFB00) ||
           (u >= 0xFF00 && u < 0xFFF0);
}

// Whether a run longer than LongRunLength touches [from, to): the range is read with as much text on
// either side as a run could reach into it with.
bool hasLongRun(QTextDocument *doc, int from, int to)
{
    const int last = doc->characterCount() - 1;
    QTextCursor c(doc);
    c.setPosition(std::clamp(from - LongRunLength - 1, 0, last));
    c.setPosition(std::clamp(to + LongRunLength + 1, 0, last), QTextCursor::KeepAnchor);
    int run = 0;
    for (const QChar ch : c.selectedText()) {
        run = breaksLine(ch) ? 0 : run + 1;
        if (run > LongRunLength)
            return true;
    }
    return false;
}

// Whether the text in [from, to) holds a place where a line may break.
bool addsBreak(QTextDocument *doc, int from, int to)
{
    QTextCursor c(doc);
    const int last = doc->characterCount() - 1;
    c.setPosition(std::clamp(from, 0, last));
    c.setPosition(std::clamp(to, 0, last), QTextCursor::KeepAnchor);
    const QString text = c.selectedText();
    return std::any_of(text.cbegin(), text.cend(), breaksLine);
}

} // namespace

void TMMRxCustomRichEdit::onContentsChange(int position, int removed, int added)
{
    // a change may renumber paragraphs far below it, whose lines Qt does not draw again
    if (m_numbers->SawNumbers())
        viewport()->update();
    m_numbers->Invalidate(position);
    m_shownLines->Invalidate(position);

    // this runs before the document lays the change out, so a long run is never laid out word-wrapped
    QTextDocument *doc = document();
    if (wordWrapMode() != QTextOption::WrapAnywhere) {
        if (added > 0 && hasLongRun(doc, position, position + added))
            setWordWrapMode(QTextOption::WrapAnywhere);
        return;
    }
    if (doc->characterCount() <= 1) {
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    } else if (removed > 0 || (added > 0 && addsBreak(doc, position, position + added))) {
        // whether the long run is still there is seen once the edits of this event are done (text typed
        // without a place to break cannot end a run, and costs no look over the whole document)
        if (!m_wrapCheckPending) {
            m_wrapCheckPending = true;
            QTimer::singleShot(0, this, &TMMRxCustomRichEdit::checkLongRuns);
        }
    }
}

void TMMRxCustomRichEdit::chooseWrapFor(QTextDocument *doc)
{
    const bool longRun = hasLongRun(doc, 0, doc->characterCount());
    if (longRun && wordWrapMode() != QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAnywhere);
    else if (!longRun && wordWrapMode() == QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

namespace {

// How a character format's text is measured: its line height, the mean width of its characters, and
// the width of a wide (Chinese, Japanese or Korean) character.
struct TextMeasure {
    qreal LineHeight = 0;
    qreal CharWidth = 0;
    qreal WideWidth = 0;
};

bool isWide(char16_t u)
{
    return (u >= 0x1100 && u < 0x1200) || (u >= 0x2E80 && u < 0xA4D0) || (u >= 0xAC00 && u < 0xD7A4) ||
           (u >= 0xF900 && u < 0xFB00) || (u >= 0xFE30 && u < 0xFE50) || (u >= 0xFF00 && u < 0xFF61);
}

} // namespace

qreal TMMRxCustomRichEdit::ShownHeight(const QTextDocument &doc, qint64 *lines) const
{
    qreal width = 0; // no wrapping
    if (lineWrapMode() != QTextEdit::NoWrap) {
        const QTextFrameFormat root = doc.rootFrame()->frameFormat();
        width = std::max<qreal>(1, viewport()->width() - root.leftMargin() - root.rightMargin());
    }
    // a document has few formats: each is measured once
    QHash<int, TextMeasure> measures; // by character format
    QHash<int, QTextBlockFormat> paragraphFormats;
    const QFont base = doc.defaultFont();
    auto measureOf = [&](int index, const auto &formatOf) {
        auto known = measures.constFind(index);
        if (known == measures.cend()) {
            const QFontMetricsF metrics(formatOf().font().resolve(base));
            known = measures.insert(index, {std::ceil(metrics.ascent() + metrics.descent() + metrics.leading()),
                                            metrics.averageCharWidth(), metrics.height()});
        }
        return *known;
    };
    qreal height = 0;
    qint64 count = 0;
    qreal spaceAfter = 0; // the space after a paragraph and the space before the next one overlap
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        qreal line = 0;
        qreal textWidth = 0;
        int breaks = 0;
        if (b.length() > 1) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const TextMeasure m = measureOf(f.charFormatIndex(), [&] { return f.charFormat(); });
                line = std::max(line, m.LineHeight);
                const QString text = f.text();
                int wide = 0;
                for (const QChar c : text) {
                    breaks += c == QChar::LineSeparator;
                    wide += isWide(c.unicode());
                }
                textWidth += (text.size() - wide) * m.CharWidth + wide * m.WideWidth;
            }
        } else { // an empty paragraph is as high as its paragraph mark's font
            line = measureOf(b.charFormatIndex(), [&] { return b.charFormat(); }).LineHeight;
        }
        auto format = paragraphFormats.constFind(b.blockFormatIndex());
        if (format == paragraphFormats.cend())
            format = paragraphFormats.insert(b.blockFormatIndex(), b.blockFormat());
        const qint64 shown = std::max<qint64>(breaks + 1, width > 0 ? qint64(std::ceil(textWidth / width)) : 0);
        count += shown;
        height += shown * format->lineHeight(line, 1.0) + std::max(spaceAfter, format->topMargin());
        spaceAfter = format->bottomMargin();
    }
    if (lines)
        *lines = count;
    return height + spaceAfter;
}

bool TMMRxCustomRichEdit::LayOutDocument(const std::function<bool(qint64, qint64)> &progress)
{
    constexpr int Slice = 1 << 15; // characters
    QTextDocument *doc = document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int total = doc->characterCount();
    for (int done = 0; done < total;) {
        done = std::min(done + Slice, total);
        layout->blockBoundingRect(doc->findBlock(done - 1)); // lays the document out up to that paragraph
        if (progress && !progress(done, total))
            return false;
    }
    scheduleUrlOverlay(); // what is shown is where it will stay
    return true;
}

void TMMRxCustomRichEdit::checkLongRuns()
{
    m_wrapCheckPending = false;
    if (wordWrapMode() == QTextOption::WrapAnywhere && !hasLongRun(document(), 0, document()->characterCount()))
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TMMRxCustomRichEdit::paintEvent(QPaintEvent *e)
{
    QTextEdit::paintEvent(e);
    // the numbers go where QTextEdit drew the document: scrolled, and mirrored right to left
    const int x = isRightToLeft() ? horizontalScrollBar()->maximum() - horizontalScrollBar()->value()
                                  : horizontalScrollBar()->value();
    const int y = verticalScrollBar()->value();
    QPainter painter(viewport());
    painter.translate(-x, -y);
    richedit::DrawParagraphNumbers(painter, document(), *m_numbers, QRectF(e->rect().translated(x, y)),
                                   palette().color(QPalette::Text));
}
