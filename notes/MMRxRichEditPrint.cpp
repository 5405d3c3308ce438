// Printing the rich-edit control's document page by page.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "platform/PlatformError.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>

namespace {

constexpr int TwipsPerInch = 1440;
constexpr qreal ScreenDpi = 96; // the pixels the document's formats are given in (15 twips each)

} // namespace

void TMMRxCustomRichEdit::Print(QPrinter &printer, const QString &caption)
{
    printInside(printer, caption, QMargins());
}

void TMMRxCustomRichEdit::printInside(QPrinter &printer, const QString &title, const QMargins &marginTwips)
{
    printer.setDocName(title);
    const int dpiX = std::max(1, printer.logicalDpiX());
    const int dpiY = std::max(1, printer.logicalDpiY());
    // the printable page in twips, then the render rectangle back in printer pixels
    const qint64 pageWidth = qint64(printer.width()) * TwipsPerInch / dpiX;
    const qint64 pageHeight = qint64(printer.height()) * TwipsPerInch / dpiY;
    const qint64 left = marginTwips.left(), top = marginTwips.top();
    const qint64 right = pageWidth - marginTwips.right(), bottom = pageHeight - marginTwips.bottom();
    const QRectF render(qreal(left) * dpiX / TwipsPerInch, qreal(top) * dpiY / TwipsPerInch,
                        qreal(right - left) * dpiX / TwipsPerInch, qreal(bottom - top) * dpiY / TwipsPerInch);
    if (render.width() < 1 || render.height() < 1)
        throw PlatformError(QStringLiteral("The margins leave no room to print on the page."));

    // a copy is laid out for the page, so the document on screen is left as it is. It is laid out as on
    // screen, in pixels of 1/96 inch (the unit of its indents, tab stops and pictures), and drawn scaled
    // to the printer: laid out for the printer itself, Qt would leave indents and tab stops in printer
    // pixels, a twelfth of their size at 1200 dpi, and the numbers of numbered paragraphs off the page.
    const qreal scaleX = dpiX / ScreenDpi;
    const qreal scaleY = dpiY / ScreenDpi;
    const QSizeF page(render.width() / scaleX, render.height() / scaleY);
    std::unique_ptr<QTextDocument> copy(document()->clone());
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    frame.setBorder(0);
    copy->rootFrame()->setFrameFormat(frame);
    copy->setPageSize(page);

    QPainter painter;
    if (!painter.begin(&printer)) {
        const bool none = printer.printerName().isEmpty() && printer.outputFileName().isEmpty();
        throw PlatformError(
            none ? QStringLiteral("No printer is set up.")
                 : QStringLiteral("The printer \"%1\" did not accept the job.").arg(printer.printerName()));
    }
    richedit::TParagraphNumbers numbers(copy.get());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    const int pages = std::max(1, copy->pageCount());
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage()) {
            painter.end();
            throw PlatformError(QStringLiteral("The printer did not accept page %1.").arg(p + 1));
        }
        painter.save();
        const QRectF clip(0, p * page.height(), page.width(), page.height());
        painter.translate(render.left(), render.top());
        painter.scale(scaleX, scaleY);
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        // lines are drawn only on their own page: one that ends right at the top edge or starts
        // right at the bottom edge belongs to the page before or after (drawn here, it would be
        // hidden by the clip yet still be text of this page)
        context.clip = clip.adjusted(0, 0.5 / scaleY, 0, -0.5 / scaleY);
        copy->documentLayout()->draw(&painter, context);
        richedit::DrawParagraphNumbers(painter, copy.get(), numbers, context.clip, Qt::black);
        painter.restore();
    }
    painter.end();
}
