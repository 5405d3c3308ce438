// Printing the rich-edit control's document page by page.
#include "notes/MMRxRichEdit.h"
#include "notes/ParagraphNumbers.h"
#include "platform/PlatformError.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <vector>

namespace {

constexpr int TwipsPerInch = 1440;
constexpr qreal ScreenDpi = 96; // the pixels the document's formats are given in (15 twips each)

// The dots per inch at which a document's text is laid out when no device is given: the screen's
// logical dpi. Measured on a large font, so the answer is exact to a tenth.
qreal textLayoutDpi()
{
    QFont probe;
    probe.setPointSizeF(720);
    const int pixels = QFontInfo(probe).pixelSize();
    return pixels > 0 ? pixels / 10.0 : ScreenDpi;
}

// Multiplies every point size of the document (its default font, its text and its paragraphs' own
// character formats) by factor.
void scalePointSizes(QTextDocument &doc, qreal factor)
{
    QFont base = doc.defaultFont();
    if (base.pointSizeF() > 0) {
        base.setPointSizeF(base.pointSizeF() * factor);
        doc.setDefaultFont(base);
    }
    // gathered first: a changed format may merge a run with its neighbour
    struct Run {
        int position;
        int length; // 0: the paragraph's own character format
        QTextCharFormat format;
    };
    std::vector<Run> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.charFormat().hasProperty(QTextFormat::FontPointSize))
            runs.push_back({b.position(), 0, b.charFormat()});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().hasProperty(QTextFormat::FontPointSize))
                runs.push_back({f.position(), f.length(), f.charFormat()});
        }
    }
    QTextCursor c(&doc);
    c.beginEditBlock();
    for (Run &run : runs) {
        run.format.setFontPointSize(run.format.fontPointSize() * factor);
        c.setPosition(run.position);
        if (run.length == 0) {
            c.setBlockCharFormat(run.format);
        } else {
            c.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
            c.setCharFormat(run.format);
        }
    }
    c.endEditBlock();
}

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
    // Its text is laid out at the screen's logical dpi, though: on a screen of another than 96, its
    // point sizes are scaled so that its text takes the pixels of 1/96 inch it takes at 96.
    const qreal scaleX = dpiX / ScreenDpi;
    const qreal scaleY = dpiY / ScreenDpi;
    const QSizeF page(render.width() / scaleX, render.height() / scaleY);
    std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->setUndoRedoEnabled(false);
    if (const qreal layoutDpi = textLayoutDpi(); qAbs(layoutDpi - ScreenDpi) >= 0.05)
        scalePointSizes(*copy, ScreenDpi / layoutDpi);
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
