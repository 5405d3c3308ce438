#pragma once
// Dialog runners for tests (see platform/DialogRunner.h): the program's message boxes answered with
// their classic codes, every other dialog handed on.
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <functional>

namespace testsupport {

using MessageBoxAnswer = std::function<int(const QString &text, const QString &caption, unsigned flags)>;

// Answers each of the program's message boxes with answer(text, caption, flags), a classic answer
// code; hands every other dialog to other, and rejects it when there is none.
inline dialogrunner::Runner answeringMessageBoxes(MessageBoxAnswer answer, dialogrunner::Runner other = {})
{
    return [answer = std::move(answer), other = std::move(other)](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (box && box->property("Flags").isValid())
            return messageboxes::buttonOf(answer(box->text(), box->windowTitle(), box->property("Flags").toUInt()));
        return other ? other(dialog) : int(QDialog::Rejected);
    };
}

} // namespace testsupport
