#include "platform/ExceptionGuard.h"

#include <exception>

namespace {
int g_dropped = 0;
}

GuardedApplication::GuardedApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
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
