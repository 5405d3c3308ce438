#pragma once
// Seams the notes tests install, each restored when its guard goes: the message boxes, the modal
// dialogs and the rich-text codec.
#include "notes/MMRxRichEditStrings.h"
#include "notes/RtfCodec.h"
#include "platform/MessageBoxes.h"
#include "settings/DialogRunner.h"

#include <QStringList>
#include <memory>

namespace notestest {

// Answers every message box with the next answer (Cancel when none is left) and keeps its text.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(QList<int> answers = {})
        : m_answers(std::move(answers))
    {
        m_previous = messageboxes::setResponder([this](const QString &text, const QString &, unsigned) {
            Texts.append(text);
            return m_answers.isEmpty() ? int(messageboxes::IdCancel) : m_answers.takeFirst();
        });
    }
    ~MessageBoxAnswers() { messageboxes::setResponder(m_previous); }
    MessageBoxAnswers(const MessageBoxAnswers &) = delete;
    MessageBoxAnswers &operator=(const MessageBoxAnswers &) = delete;

    QStringList Texts;

private:
    QList<int> m_answers;
    messageboxes::Responder m_previous;
};

// Runs modal dialogs through the runner instead of showing them.
class DialogAnswers {
public:
    explicit DialogAnswers(dialogrunner::Runner runner) { m_previous = dialogrunner::setRunner(std::move(runner)); }
    ~DialogAnswers() { dialogrunner::setRunner(m_previous); }
    DialogAnswers(const DialogAnswers &) = delete;
    DialogAnswers &operator=(const DialogAnswers &) = delete;

private:
    dialogrunner::Runner m_previous;
};

// The program's RTF codec for the guard's lifetime.
class RtfCodecInstalled {
public:
    RtfCodecInstalled()
        : m_previous(RichTextCodec())
    {
        InstallRtfCodec();
    }
    ~RtfCodecInstalled() { SetRichTextCodec(m_previous); }
    RtfCodecInstalled(const RtfCodecInstalled &) = delete;
    RtfCodecInstalled &operator=(const RtfCodecInstalled &) = delete;

private:
    std::shared_ptr<TRichTextCodec> m_previous;
};

} // namespace notestest
