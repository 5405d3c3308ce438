// How the rich-edit control lays out and draws its document beyond what Qt does: the numbers of
// numbered paragraphs, and wrapping that stays linear for text without places to break.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "notes/ShownLines.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

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
