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

TEST(PlatformPaths, TheShippedSettingsSeedTheUsersSettingsFileOnce)
{
    QTemporaryDir dir;
    const QString shipped = platformpaths::shippedSettingsFileFor(dir.path() + "/bin/brivo");
    EXPECT_EQ(shipped, dir.path() + "/bin/brivo.ini");
    const QString user = dir.path() + "/config/brivo/brivo.ini";
    // nothing shipped: nothing to copy, and no file made
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_FALSE(QFileInfo::exists(user));
    testsupport::writeBytes(shipped, "[Links]\nHome=https://home.example/\n");
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_EQ(testsupport::readBytes(user), "[Links]\nHome=https://home.example/\n");
    // the user's file is never replaced
    testsupport::writeBytes(user, "[Links]\n");
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_EQ(testsupport::readBytes(user), "[Links]\n");
    // settings kept beside the program are the shipped file itself
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, shipped));
    EXPECT_FALSE(QFileInfo::exists(shipped + ".part"));
}
