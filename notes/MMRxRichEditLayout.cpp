// How the rich-edit control draws its document beyond what Qt does: the numbers of numbered paragraphs.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

void TMMRxCustomRichEdit::onContentsChange(int position, int, int)
{
    m_numbers->Invalidate(position);
    // a change may renumber paragraphs far below it, whose lines Qt does not draw again
    if (m_numbers->SawNumbers())
        viewport()->update();
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
