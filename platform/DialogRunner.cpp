#include "platform/DialogRunner.h"

#include <QDialog>

namespace dialogrunner {

namespace {
Runner g_runner;
} // namespace

Runner setRunner(Runner runner)
{
    Runner previous = std::move(g_runner);
    g_runner = std::move(runner);
    return previous;
}

int exec(QDialog &dialog)
{
    return run(dialog, [](QDialog &shown) { return shown.exec(); });
}

int run(QDialog &dialog, const std::function<int(QDialog &)> &showItself)
{
    return g_runner ? g_runner(dialog) : showItself(dialog);
}

} // namespace dialogrunner
