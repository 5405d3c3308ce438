#pragma once
// Runs modal dialogs behind a seam: tests install a runner that fills a dialog in and answers for
// the user, so nothing waits for a user who is not there. (Message boxes have their own seam in
// platform/MessageBoxes.h.)
#include <functional>

class QDialog;

namespace dialogrunner {

// Returns the dialog's result (QDialog::Accepted or Rejected).
using Runner = std::function<int(QDialog &dialog)>;
// Installs the runner (an empty one restores QDialog::exec); returns the one before.
Runner setRunner(Runner runner);
int exec(QDialog &dialog);

} // namespace dialogrunner
