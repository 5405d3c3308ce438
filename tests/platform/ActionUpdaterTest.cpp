// The idle-time update of actions.
#include "platform/ActionUpdater.h"

#include "platform/PlatformError.h"

#include <QAction>
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
