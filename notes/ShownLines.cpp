#include "notes/ShownLines.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>

namespace richedit {

namespace {

// Paragraphs counted after one look at the layout when the paragraph sought is not known in advance.
constexpr int CountStep = 256;

} // namespace

TShownLines::TShownLines(QTextDocument *doc)
    : m_doc(doc)
    , m_inputs(currentInputs())
{}

TShownLines::LayoutInputs TShownLines::currentInputs() const
{
    const QTextOption option = m_doc->defaultTextOption();
    return {m_doc->documentLayout(), m_doc->pageSize(),       m_doc->defaultFont(),     option.wrapMode(),
            option.alignment(),      option.flags(),          option.tabStopDistance(), option.tabs(),
            option.textDirection(),  m_doc->documentMargin(), m_doc->indentWidth(),     m_doc->useDesignMetrics()};
}

void TShownLines::Invalidate(int position)
{
    if (m_counted == 0)
        return;
    // a change inside a table (or another frame) may lay out every paragraph of it anew
    const QTextFrame *root = m_doc->rootFrame();
    const QTextFrame *frame = m_doc->frameAt(position);
    while (frame && frame != root && frame->parentFrame() != root)
        frame = frame->parentFrame();
    if (frame && frame != root)
        position = std::min(position, frame->firstPosition() - 1);
    const QTextBlock block = m_doc->findBlock(std::max(0, position));
    m_counted = std::min(m_counted, block.isValid() ? block.blockNumber() : m_doc->blockCount() - 1);
}

int TShownLines::LinesOf(const QTextBlock &block)
{
    QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        block.document()->documentLayout()->blockBoundingRect(block); // lays the document out up to the block
    return std::max(1, layout->lineCount());
}

void TShownLines::checkInputs()
{
    const LayoutInputs inputs = currentInputs();
    if (!(inputs == m_inputs)) {
        m_inputs = inputs;
        m_counted = 0;
    }
    m_counted = std::min(m_counted, m_doc->blockCount());
}

void TShownLines::countThrough(int last)
{
    checkInputs();
    last = std::min(last, m_doc->blockCount() - 1);
    if (last < m_counted)
        return;
    // the layout catches up to the last paragraph first, so no layout read below is a stale one
    m_doc->documentLayout()->blockBoundingRect(m_doc->findBlockByNumber(last));
    QTextBlock b = m_doc->findBlockByNumber(m_counted);
    for (; b.isValid() && m_counted <= last; b = b.next(), ++m_counted)
        b.setLineCount(LinesOf(b));
}

int TShownLines::FirstLineOf(const QTextBlock &block)
{
    countThrough(block.blockNumber());
    return block.firstLineNumber();
}

QTextBlock TShownLines::BlockOfLine(int lineNo, int *lineInBlock)
{
    if (lineNo < 0)
        return {};
    checkInputs();
    const auto countedLines = [this] {
        if (m_counted == 0)
            return 0;
        const QTextBlock last = m_doc->findBlockByNumber(m_counted - 1);
        return last.firstLineNumber() + last.lineCount();
    };
    while (countedLines() <= lineNo && m_counted < m_doc->blockCount())
        countThrough(m_counted + CountStep - 1);
    if (countedLines() <= lineNo)
        return {};
    const QTextBlock block = m_doc->findBlockByLineNumber(lineNo);
    if (lineInBlock)
        *lineInBlock = lineNo - block.firstLineNumber();
    return block;
}

} // namespace richedit
