#pragma once
// Answers for the user in the dialog tests.
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QStringList>
#include <gtest/gtest.h>

// Answers every message box with OK and keeps its text; any other dialog is a test failure. The
// runner before comes back when it goes.
struct MessageCatcher {
    QStringList texts;
    dialogrunner::ScopedRunner runner{[this](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box) {
            ADD_FAILURE() << "a dialog other than a message box was shown";
            return int(QDialog::Rejected);
        }
        texts.append(box->text());
        return messageboxes::buttonOf(messageboxes::IdOK);
    }};
};
