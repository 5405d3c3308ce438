#include "platform/MessageBoxes.h"

#include <QMessageBox>

namespace messageboxes {

namespace {
Responder g_responder;
}

int show(QWidget *parent, const QString &text, const QString &caption, unsigned flags)
{
    if (g_responder)
        return g_responder(text, caption, flags);
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (flags & 0xF0) {
    case IconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case IconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case IconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (flags & 0x0F) {
    case OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IdOK;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return (flags & 0x0F) == YesNo ? IdNo : IdCancel;
    }
}

Responder setResponder(Responder responder)
{
    Responder previous = std::move(g_responder);
    g_responder = std::move(responder);
    return previous;
}

} // namespace messageboxes
