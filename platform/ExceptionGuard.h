#pragma once
// The application object: no exception crosses the event loop. An exception thrown by an event
// handler is caught and dropped without a message, as the program has always done with failures
// that reach the application object; the running operation simply stops. Each event it delivers is
// one action of the user (see atomicfile::ActionScope).
#include <QApplication>

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    // How many exceptions were dropped (for tests and diagnostics).
    static int droppedExceptions();
};
