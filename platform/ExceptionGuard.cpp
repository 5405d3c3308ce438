#include "platform/ExceptionGuard.h"

#include "platform/AtomicFiles.h"

#include <exception>

namespace {
int g_dropped = 0;
}

GuardedApplication::GuardedApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    // each event handler is one action: a locked folder costs it one wait
    const atomicfile::ActionScope action;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &) {
        ++g_dropped;
    } catch (...) {
        ++g_dropped;
    }
    return false;
}

int GuardedApplication::droppedExceptions()
{
    return g_dropped;
}
