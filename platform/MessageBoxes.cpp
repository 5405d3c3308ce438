#include "platform/MessageBoxes.h"

#include "platform/DialogRunner.h"

#include <QMessageBox>

namespace messageboxes {

int show(QWidget *parent, const QString &text, const QString &caption, unsigned flags)
{
    QMessageBox box(parent);
    box.setProperty("Flags", flags);
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
    return answerOf(dialogrunner::exec(box), flags);
}

int buttonOf(int answer)
{
    switch (answer) {
    case IdOK:
        return QMessageBox::Ok;
    case IdYes:
        return QMessageBox::Yes;
    case IdNo:
        return QMessageBox::No;
    default:
        return QMessageBox::Cancel;
    }
}

int answerOf(int button, unsigned flags)
{
    switch (button) {
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

} // namespace messageboxes
