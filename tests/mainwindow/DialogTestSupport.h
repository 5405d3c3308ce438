#pragma once
// Answers for the user in the dialog tests.
#include "platform/MessageBoxes.h"

#include <QStringList>

// Answers every message box with OK and keeps its text; the boxes come back when it goes.
struct MessageCatcher {
    QStringList texts;
    messageboxes::Responder previous;
    MessageCatcher()
    {
        previous = messageboxes::setResponder([this](const QString &text, const QString &, unsigned) {
            texts.append(text);
            return int(messageboxes::IdOK);
        });
    }
    ~MessageCatcher() { messageboxes::setResponder(previous); }
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;
};
