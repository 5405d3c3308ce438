// Where the settings file goes.
#include "platform/PlatformPaths.h"

#include "common/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(PlatformPaths, SettingsFileNextToWritableExecutable)
{
    QTemporaryDir dir;
    EXPECT_EQ(platformpaths::settingsFileFor(dir.path() + "/brivo"), dir.path() + "/brivo.ini");
    if (::geteuid() != 0) {
        EXPECT_EQ(platformpaths::settingsFileFor("/usr/bin/brivo"), platformpaths::configDir() + "/brivo.ini");
    }
}
