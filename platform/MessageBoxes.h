#pragma once
// Message boxes described by the classic flag word (buttons in the low nibble, icon in the next),
// answering with the classic button codes. The box is a QMessageBox run through the dialog runner
// (platform/DialogRunner.h), carrying its flag word in the property "Flags" for a runner to read.
#include <QString>

class QMessageBox;
class QWidget;

namespace messageboxes {

enum Flags : unsigned {
    OK = 0x0,
    OKCancel = 0x1,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    IconStop = 0x10,
    IconQuestion = 0x20,
    IconExclamation = 0x30,
    IconInformation = 0x40,
};
enum Answer : int { IdOK = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

// Shows the box and returns the pressed button's code (Cancel when the box is closed; No for a
// Yes/No box).
int show(QWidget *parent, const QString &text, const QString &caption, unsigned flags);

// Makes a box at least as wide as its caption needs in the title bar beside the window's icon and
// buttons; a box sized to a short text alone shows its caption cut ("B... t"). Call it when the box is
// set up, before it is shown.
void fitCaption(QMessageBox &box);

// The button a message box's runner returns for a classic answer code, and back.
int buttonOf(int answer);
int answerOf(int button, unsigned flags);

} // namespace messageboxes
