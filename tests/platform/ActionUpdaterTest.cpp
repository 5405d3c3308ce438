// The idle-time update of actions.
#include "platform/ActionUpdater.h"

#include "platform/PlatformError.h"

#include <QAction>
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
