#pragma once
// The one seam for every modal dialog of the program: message boxes, the browser control's questions,
// file and print dialogs and the program's own forms are all run through exec() here. Tests install
// a runner that fills a dialog in and answers for the user, so nothing waits for a user who is not
// there and no dialog escapes the test.
#include <functional>

class QDialog;

namespace dialogrunner {

// Returns the dialog's result (QDialog::Accepted or Rejected; a message box's pressed button).
using Runner = std::function<int(QDialog &dialog)>;
// Installs the runner (an empty one restores QDialog::exec); returns the one before.
Runner setRunner(Runner runner);
int exec(QDialog &dialog);
// Runs the dialog through the installed runner, or, without one, by showItself (a dialog that must
// not block the program, for one).
int run(QDialog &dialog, const std::function<int(QDialog &)> &showItself);

// Installs a runner for its own lifetime, then puts back the one before.
class ScopedRunner {
public:
    explicit ScopedRunner(Runner runner)
        : m_previous(setRunner(std::move(runner)))
    {}
    ~ScopedRunner() { setRunner(std::move(m_previous)); }
    ScopedRunner(const ScopedRunner &) = delete;
    ScopedRunner &operator=(const ScopedRunner &) = delete;

private:
    Runner m_previous;
};

} // namespace dialogrunner
