// The application object that stops an exception from crossing the event loop.
#include "platform/ExceptionGuard.h"

#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

namespace {

// A receiver whose event handler fails.
class Failing : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw PlatformError(QStringLiteral("handler failed"));
        return QObject::event(e);
    }
};

} // namespace

TEST(ExceptionGuard, AFailingHandlerStopsWithoutCrossingTheEventLoop)
{
    Failing receiver;
    const int before = GuardedApplication::droppedExceptions();
    QEvent sent(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&receiver, &sent));
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EXPECT_NO_THROW(QCoreApplication::processEvents());
    EXPECT_EQ(GuardedApplication::droppedExceptions(), before + 2);
}
