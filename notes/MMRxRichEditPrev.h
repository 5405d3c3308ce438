#pragma once
// The editor of every notes tab: the rich-edit control that prints inside page margins.
#include "notes/MMRxRichEdit.h"

class TMMRxRichEditPrev : public TMMRxRichEdit {
    Q_OBJECT
public:
    explicit TMMRxRichEditPrev(QWidget *parent = nullptr);

    // Prints the whole document inside the margins, each in hundredths of a millimetre. Raises
    // PlatformError when the margins leave no room or the printer refuses the job.
    void PrintWithMargins(QPrinter &printer, const QString &title, int left, int right, int top, int bottom);

    // The document's number in the notes frame.
    int Tag = 0;
};
