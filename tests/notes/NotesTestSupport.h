#pragma once
// Seams the notes tests install, each restored when its guard goes: the message boxes, the modal
// dialogs and the rich-text codec.
#include "common/DialogAnswers.h"
#include "notes/MMRxRichEditStrings.h"
#include "notes/RtfCodec.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QMessageBox>
#include <QStringList>
#include <memory>

namespace notestest {

// Answers every message box with the next answer (Cancel when none is left) and keeps its text; other
// dialogs go to the runner installed before.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(QList<int> answers = {})
        : m_answers(std::move(answers))
    {
        m_previous = dialogrunner::setRunner(testsupport::answeringMessageBoxes(
            [this](const QString &text, const QString &, unsigned) {
                Texts.append(text);
                return m_answers.isEmpty() ? int(messageboxes::IdCancel) : m_answers.takeFirst();
            },
            [this](QDialog &dialog) { return m_previous ? m_previous(dialog) : int(QDialog::Rejected); }));
    }
    ~MessageBoxAnswers() { dialogrunner::setRunner(std::move(m_previous)); }
    MessageBoxAnswers(const MessageBoxAnswers &) = delete;
    MessageBoxAnswers &operator=(const MessageBoxAnswers &) = delete;

    QStringList Texts;

private:
    QList<int> m_answers;
    dialogrunner::Runner m_previous;
};

// Runs modal dialogs through the runner instead of showing them; message boxes go to the runner
// installed before, when there is one.
class DialogAnswers {
public:
    explicit DialogAnswers(dialogrunner::Runner runner)
        : m_runner(std::move(runner))
    {
        m_previous = dialogrunner::setRunner([this](QDialog &dialog) {
            if (m_previous && qobject_cast<QMessageBox *>(&dialog))
                return m_previous(dialog);
            return m_runner(dialog);
        });
    }
    ~DialogAnswers() { dialogrunner::setRunner(std::move(m_previous)); }
    DialogAnswers(const DialogAnswers &) = delete;
    DialogAnswers &operator=(const DialogAnswers &) = delete;

private:
    dialogrunner::Runner m_runner;
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
