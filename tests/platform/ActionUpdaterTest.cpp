// The idle-time update of actions.
#include "platform/ActionUpdater.h"

#include "platform/PlatformError.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ActionUpdater, RunsEveryHandlerAndForgetsDestroyedActions)
{
    ActionUpdater updater;
    auto *kept = new QAction;
    auto *gone = new QAction;
    int runs = 0;
    updater.add(kept, [&](QAction *a) {
        ++runs;
        a->setEnabled(false);
    });
    updater.add(gone, [&](QAction *) { ++runs; });
    updater.add(new QAction(&updater), [](QAction *) { throw PlatformError(QStringLiteral("x")); });
    delete gone;
    updater.updateAll();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(kept->isEnabled());
    delete kept;
}

TEST(ActionUpdater, AnIdleLoopRunsTheHandlersWhenItGoesToSleepAndThenSleeps)
{
    ActionUpdater updater;
    QAction action;
    int runs = 0;
    updater.add(&action, [&](QAction *a) {
        ++runs;
        // the same state again: nothing changes, nothing wakes the loop
        a->setEnabled(false);
        a->setChecked(false);
    });
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    // once when the loop first waits, at most once more around the timer that ends it
    EXPECT_GE(runs, 1);
    EXPECT_LE(runs, 3) << "the handlers kept the loop awake";
}

TEST(ActionUpdater, TheTicksOfAQuietTimerAloneRunNoHandlersAnythingElseDoes)
{
    ActionUpdater updater;
    QAction action;
    int runs = 0;
    updater.add(&action, [&](QAction *) { ++runs; });
    QTimer quiet;
    quiet.setInterval(10);
    int ticks = 0;
    QObject::connect(&quiet, &QTimer::timeout, [&] { ++ticks; });
    ActionUpdater::addQuietTimer(&quiet);
    quiet.start();
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_GE(ticks, 10) << "the quiet timer did not tick";
    EXPECT_LE(runs, 3) << "the quiet timer's " << ticks << " ticks ran the handlers";

    // another timer beside it, and a posted event, each stir the handlers
    QTimer other;
    other.setInterval(10);
    int otherTicks = 0;
    QObject::connect(&other, &QTimer::timeout, [&] { ++otherTicks; });
    other.start();
    const int before = runs;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    other.stop();
    EXPECT_GE(runs - before, otherTicks / 2) << "ticks of an ordinary timer: " << otherTicks;
    const int beforePosted = runs;
    QObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(runs - beforePosted, 2) << "a posted event and the end of the wait";
}
