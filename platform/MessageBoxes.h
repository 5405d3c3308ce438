#pragma once
// Message boxes described by the classic flag word (buttons in the low nibble, icon in the next),
// answering with the classic button codes, behind a seam that tests replace to answer them.
#include <QString>
#include <functional>

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

// Shows the box and returns the pressed button's code (Cancel when the box is closed).
int show(QWidget *parent, const QString &text, const QString &caption, unsigned flags);

using Responder = std::function<int(const QString &text, const QString &caption, unsigned flags)>;
// Replaces the boxes by the responder (an empty one restores them); returns the previous one.
Responder setResponder(Responder responder);

} // namespace messageboxes
