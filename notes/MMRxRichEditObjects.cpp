// The control's side of its inline objects: messages, the object context menu, verbs, properties and
// the closing of every object.
#include "notes/MMRxRichEdit.h"
#include "notes/RichEditObjects.h"
#include "platform/ApplicationTitle.h"
#include "platform/MessageBoxes.h"

void TMMRxCustomRichEdit::ShowObjectMessage(const QString &text)
{
    messageboxes::show(this, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconStop);
}
