#pragma once
// Seams the notes tests install, each restored when its guard goes: the message boxes, the modal
// dialogs and the rich-text codec.
#include "common/DialogAnswers.h"
#include "common/TestSupport.h"
#include "notes/MMRxRichEditStrings.h"
#include "notes/RtfCodec.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace notestest {

// Shows the window and makes it the active one (the focus goes only into an active window).
[[nodiscard]] inline ::testing::AssertionResult showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    if (testsupport::waitUntil([&] { return window.isActiveWindow(); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the window did not become active";
}

// Gives the widget the input focus.
[[nodiscard]] inline ::testing::AssertionResult focus(QWidget *w)
{
    w->setFocus(Qt::OtherFocusReason);
    if (testsupport::waitUntil([&] { return QApplication::focusWidget() == w; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus did not move to " << w->metaObject()->className();
}

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
