// How the rich-edit control lays out and draws its document beyond what Qt does: the numbers of
// numbered paragraphs, and wrapping that stays linear for text without places to break.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "notes/ShownHeight.h"
#include "notes/ShownLines.h"

#include <QAbstractTextDocumentLayout>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTimer>
#include <algorithm>
#include <cmath>

using richedit::TShownHeight;

namespace {

// Qt wraps a line at its last word boundary and breaks a word only when the line holds no boundary:
// to know that, it looks for the end of the word first. Inside a run of n characters without a place
// to break, every line looks to the end of the run, so laying the run out takes time n² / line length
// (600,000 letters without a space: twenty seconds). A document holding a run longer than this is
// wrapped at any character instead, which costs time in proportion to the text; its words are then
// broken at the right edge too.
constexpr int LongRunLength = 4096;

// The most characters a note may hold for the width it is wrapped at, when that is wider than the
// window, to be found by measuring it at several widths.
constexpr int MaxRefinedWrap = 2 << 20;

// What changes not measured before they are made may bring before the document is measured whole: the
// room between the height a document may have and the end of Qt's first page takes it.
constexpr qreal UnmeasuredRoom = 450000;

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
    m_heights.reset();
    if (added > 0 && !m_measuredEdit)
        fitChange(position, added);

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

void TMMRxCustomRichEdit::fitChange(int position, int added)
{
    // A change nobody measured before it was made (an undo or a redo, a new format): the document is
    // measured whole, and wrapped wider when it would be too tall, once what such changes brought could
    // pass the room left below the height Qt lays out (Qt has not laid the change out yet).
    if (!m_wordWrap || m_fittingWrap)
        return;
    QTextDocument *doc = document();
    TShownHeight changed(*doc, wrapWidth(), wordWrapMode());
    changed.AddParagraphs(doc->findBlock(position), blockOfChar(position + added));
    m_unmeasured += changed.Height();
    if (m_unmeasured <= UnmeasuredRoom)
        return;
    m_unmeasured = 0;
    fitWrapWidth();
}

void TMMRxCustomRichEdit::chooseWrapFor(QTextDocument *doc)
{
    const bool longRun = hasLongRun(doc, 0, doc->characterCount());
    if (longRun && wordWrapMode() != QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAnywhere);
    else if (!longRun && wordWrapMode() == QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

qreal TMMRxCustomRichEdit::windowWrapWidth() const
{
    if (!m_wordWrap)
        return 0;
    const QTextFrameFormat root = document()->rootFrame()->frameFormat();
    return std::max<qreal>(1, viewport()->width() - root.leftMargin() - root.rightMargin());
}

qreal TMMRxCustomRichEdit::wrapWidth() const
{
    return m_wordWrap && m_wrapFloor > 0 ? m_wrapFloor : windowWrapWidth();
}

qreal TMMRxCustomRichEdit::ShownHeight(const QTextDocument &doc, qint64 *lines) const
{
    TShownHeight measure(doc, windowWrapWidth(), wordWrapMode());
    measure.AddDocument(doc);
    if (lines)
        *lines = measure.Lines();
    return measure.Height();
}

std::unique_ptr<TShownHeight> TMMRxCustomRichEdit::MeasureIncoming() const
{
    return std::make_unique<TShownHeight>(*document(), wrapWidth(), wordWrapMode());
}

qreal TMMRxCustomRichEdit::HeightWith(int start, int end, const TShownHeight &incoming, qint64 *lines) const
{
    QTextDocument *doc = document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const qreal now = layout->documentSize().height(); // lays out what is not laid out yet
    // the paragraphs the replaced text touches go, but for their lines before start and from end on
    const QTextBlock first = blockOfChar(start), last = blockOfChar(end);
    const QRectF top = layout->blockBoundingRect(first), bottom = layout->blockBoundingRect(last);
    auto lineAt = [](const QTextBlock &b, int position) {
        return b.layout() ? b.layout()->lineForTextPosition(std::clamp(position - b.position(), 0, b.length() - 1))
                          : QTextLine();
    };
    const QTextLine before = lineAt(first, start), after = lineAt(last, end);
    const qreal kept = (before.isValid() ? before.y() + before.height() : top.height()) +
                       (after.isValid() ? bottom.height() - after.y() : bottom.height());
    const qreal replaced = std::max<qreal>(0, bottom.bottom() - top.top() - kept);
    const qreal height = std::max<qreal>(0, now - replaced) + incoming.Height();
    if (lines) {
        // as many lines as the document shows now for its height, and what comes
        const qreal shown = LineFromChar(TextLength()) + 1;
        *lines = qint64(now > 0 ? shown * std::max<qreal>(0, now - replaced) / now : 0) + incoming.Lines();
    }
    return height;
}

QString TMMRxCustomRichEdit::TooLongText(qreal height, qint64 lines, bool change)
{
    const qint64 fit = height > 0 ? qint64(qreal(lines) * MaxDocumentHeight / height) : lines;
    return QStringLiteral("%1 too long to show: about %2 lines, where a note can show about %3 lines of its size.")
        .arg(change ? QStringLiteral("This would make the note") : QStringLiteral("It is"), QLocale().toString(lines),
             QLocale().toString(fit));
}

bool TMMRxCustomRichEdit::roomFor(int start, int end, const TShownHeight &incoming)
{
    if (HeightWith(start, end, incoming) <= MaxDocumentHeight)
        return true;
    qint64 lines = 0; // counted only now: the lines of a long note are counted from its changed one on
    const qreal height = HeightWith(start, end, incoming, &lines);
    ShowObjectMessage(TooLongText(height, lines, true));
    return false;
}

bool TMMRxCustomRichEdit::roomForText(int start, int end, const QString &text)
{
    QTextCursor at(document());
    at.setPosition(start);
    const std::unique_ptr<TShownHeight> incoming = MeasureIncoming();
    incoming->AddText(text, richedit::InsertionFormat(at.charFormat()), at.blockFormat());
    return roomFor(start, end, *incoming);
}

bool TMMRxCustomRichEdit::roomForDocument(int start, int end, const QTextDocument &incoming)
{
    const std::unique_ptr<TShownHeight> measure = MeasureIncoming();
    measure->AddDocument(incoming);
    return roomFor(start, end, *measure);
}

bool TMMRxCustomRichEdit::roomForFormat(int start, int end, const std::function<void(QTextCursor &)> &apply)
{
    QTextCursor range(document());
    range.setPosition(start);
    range.setPosition(end, QTextCursor::KeepAnchor);
    const std::unique_ptr<QTextDocument> copy = CreateDocument();
    QTextCursor changed(copy.get());
    changed.insertFragment(range.selection());
    changed.select(QTextCursor::Document);
    apply(changed);
    return roomForDocument(start, end, *copy);
}

void TMMRxCustomRichEdit::setWrapFloor(qreal width)
{
    m_wrapFloor = m_wordWrap ? width : 0;
    if (m_wrapFloor <= 0) {
        setLineWrapMode(m_wordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    } else {
        const QTextFrameFormat root = document()->rootFrame()->frameFormat();
        const int page =
            int(std::min<qreal>(QWIDGETSIZE_MAX, std::ceil(width + root.leftMargin() + root.rightMargin())));
        if (lineWrapMode() != QTextEdit::FixedPixelWidth) {
            // each step lays the document out again: never at the window's width, where it is too tall
            setLineWrapMode(QTextEdit::NoWrap);
            setLineWrapColumnOrWidth(page);
            setLineWrapMode(QTextEdit::FixedPixelWidth);
        } else if (lineWrapColumnOrWidth() != page) {
            setLineWrapColumnOrWidth(page);
        }
    }
    updateScrollBars();
}

void TMMRxCustomRichEdit::fitWrapWidth()
{
    if (!m_wordWrap || m_fittingWrap)
        return;
    const qreal window = windowWrapWidth();
    if (m_heights && m_wrapFloor > 0) {
        // the document has not changed since it was wrapped wider than the window: no narrower now; at
        // the window's width once that is as wide (lines grow no more as their width grows)
        if (window >= m_wrapFloor)
            setWrapFloor(0);
        return;
    }
    m_fittingWrap = true; // laying the document out again may show or hide a scroll bar, and resize it
    // surely short enough at the window's width, by what was measured at another: nothing to measure
    if (!m_heights || (m_heightsWidth != window && m_heights->WidthFor(MaxDocumentHeight, window) > window)) {
        m_heights = std::make_unique<TShownHeight>(*document(), window, wordWrapMode(), true);
        m_heights->AddDocument(*document());
        m_heightsWidth = window;
        m_unmeasured = 0;
    }
    qreal floor = 0;
    if (m_heightsWidth == window && m_heights->Height() > MaxDocumentHeight) {
        // wide enough by a bound that counts each wrapped line half empty; narrowed down by measuring
        // the document again (a few times, for a note that is not too long for that)
        floor = m_heights->WidthFor(MaxDocumentHeight, window);
        if (document()->characterCount() <= MaxRefinedWrap) {
            qreal tooNarrow = window;
            for (int step = 0; step < 12 && floor - tooNarrow > 4; ++step) {
                const qreal middle = std::floor((tooNarrow + floor) / 2);
                TShownHeight at(*document(), middle, wordWrapMode());
                at.AddDocument(*document());
                (at.Height() <= MaxDocumentHeight ? floor : tooNarrow) = middle;
            }
        }
    }
    setWrapFloor(floor);
    m_fittingWrap = false;
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
