#include "notes/MMRxRichEditPrev.h"

namespace {

// Hundredths of a millimetre to twips.
int toTwips(int hundredthsOfMm)
{
    return int(qint64(hundredthsOfMm) * 144 / 254);
}

} // namespace

TMMRxRichEditPrev::TMMRxRichEditPrev(QWidget *parent)
    : TMMRxRichEdit(parent)
{}

void TMMRxRichEditPrev::PrintWithMargins(QPrinter &printer, const QString &title, int left, int right, int top,
                                         int bottom)
{
    printInside(printer, title, QMargins(toTwips(left), toTwips(top), toTwips(right), toTwips(bottom)));
}
