#include "notes/ParagraphNumbers.h"

#include "notes/RichTextModel.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace richedit {

TParagraphNumbers::TParagraphNumbers(const QTextDocument *doc)
    : m_doc(doc)
{}

void TParagraphNumbers::Invalidate(int position)
{
    if (m_numbers.empty())
        return;
    const QTextBlock b = m_doc->findBlock(std::max(0, position));
    // a change may join a paragraph to the one before it: that one is counted afresh too
    const size_t from = b.isValid() ? size_t(std::max(0, b.blockNumber() - 1)) : 0;
    if (from >= m_numbers.size())
        return;
    // back to the last checkpoint before the change
    const size_t checkpoint = std::min(from / CheckpointEvery, m_checkpoints.size() - 1);
    m_numbers.resize(checkpoint * CheckpointEvery);
    m_labels.erase(m_labels.lower_bound(int(m_numbers.size())), m_labels.end());
    m_counter = m_checkpoints[checkpoint];
    m_checkpoints.resize(checkpoint + 1);
    if (m_numbers.empty())
        m_sawNumbers = false;
}

int TParagraphNumbers::NumberOf(const QTextBlock &block)
{
    const int wanted = block.blockNumber();
    if (wanted < 0)
        return 0;
    if (size_t(wanted) < m_numbers.size())
        return m_numbers[size_t(wanted)];
    if (m_checkpoints.empty())
        m_checkpoints.push_back(m_counter);
    m_numbers.reserve(size_t(m_doc->blockCount()));
    for (QTextBlock b = m_doc->findBlockByNumber(int(m_numbers.size()));
         b.isValid() && size_t(wanted) >= m_numbers.size(); b = b.next()) {
        const size_t at = m_numbers.size();
        // a checkpoint is kept only while the counter is small, so memory stays bounded; a change
        // below a missing one counts from the one before
        if (at % CheckpointEvery == 0 && at / CheckpointEvery == m_checkpoints.size() &&
            m_counter.Lists() <= MaxCheckpointLists)
            m_checkpoints.push_back(m_counter);
        const QTextBlockFormat f = b.blockFormat();
        const int numbering = NumberingOf(f);
        const int level = ListLevelOf(f);
        const int n = m_counter.Next(numbering, NumberingStartOf(f), ListOf(f), level,
                                     numbering != 0 && level > 0 ? OuterLevelsOf(f) : QList<TLevelNumbering>());
        if (IsCounted(numbering) && !LabelTextOf(f).isEmpty())
            m_labels.emplace(int(at), m_counter.Label(ParaFormatOf(f), n));
        m_sawNumbers = m_sawNumbers || n > 0;
        m_numbers.push_back(n);
    }
    return size_t(wanted) < m_numbers.size() ? m_numbers[size_t(wanted)] : 0;
}

QString TParagraphNumbers::LabelOf(const QTextBlock &block)
{
    const int number = NumberOf(block);
    const QTextBlockFormat f = block.blockFormat();
    const int numbering = NumberingOf(f);
    if (numbering == 0 || LabelTextOf(f).isEmpty())
        return number > 0 ? NumberLabel(ParaFormatOf(f), number) : QString();
    if (!IsCounted(numbering))
        return TParagraphCounter().Label(ParaFormatOf(f), 0); // a bullet's text
    const auto label = m_labels.find(block.blockNumber());
    return label != m_labels.end() ? label->second : QString();
}

void DrawParagraphNumbers(QPainter &painter, const QTextDocument *doc, TParagraphNumbers &numbers, const QRectF &clip,
                          const QColor &text)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int at = layout->hitTest(QPointF(0, clip.top()), Qt::FuzzyHit);
    QTextBlock b = at >= 0 ? doc->findBlock(at) : doc->begin();
    if (b.previous().isValid())
        b = b.previous();
    for (; b.isValid(); b = b.next()) {
        const QRectF bounds = layout->blockBoundingRect(b);
        if (bounds.top() > clip.bottom())
            break;
        if (bounds.bottom() < clip.top() || NumberingOf(b.blockFormat()) == 0)
            continue;
        const QTextLayout *lines = b.layout();
        if (!lines || lines->lineCount() == 0)
            continue;
        const QString label = numbers.LabelOf(b);
        if (label.isEmpty())
            continue;
        // in the font the paragraph's text starts with, laid out as the document's text is, for the
        // device the document is laid out for (whatever the painter draws on)
        const QTextCharFormat format = b.begin().atEnd() ? b.charFormat() : b.begin().fragment().charFormat();
        QTextLayout number(label, format.font().resolve(doc->defaultFont()), layout->paintDevice());
        number.beginLayout();
        const QTextLine numberLine = number.createLine();
        number.endLayout();
        const QFontMetricsF metrics(number.font(), layout->paintDevice());
        const QTextLine first = lines->lineAt(0);
        const QRectF textRect = first.naturalTextRect().translated(lines->position());
        const qreal gap = metrics.horizontalAdvance(u' ');
        const qreal width = numberLine.naturalTextWidth();
        const qreal x = b.textDirection() == Qt::RightToLeft ? textRect.right() + gap : textRect.left() - gap - width;
        const qreal top = lines->position().y() + first.y() + first.ascent() - numberLine.ascent();
        const QBrush brush = format.foreground();
        painter.save();
        painter.setPen(brush.style() == Qt::NoBrush ? text : brush.color());
        number.draw(&painter, QPointF(x, top));
        painter.restore();
    }
}

} // namespace richedit
