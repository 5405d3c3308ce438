// The store of platform values: keys, typed values, well-known answers and environment strings.
#include "platform/PlatformStore.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class PlatformStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const testsupport::SeamGuard store = testsupport::restoringDefault(platformstore::setFolder, dir.path());
};

TEST_F(PlatformStoreTest, StringsRoundTripAndOtherTypesRaise)
{
    const QString key = QStringLiteral("Software\\Test\\Key");
    EXPECT_FALSE(platformstore::keyExists(Hive::CurrentUser, key));
    EXPECT_FALSE(platformstore::readString(Hive::CurrentUser, key, "v").has_value());
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, key, "v", "C:\\path with = sign"));
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, key, "", "default"));
    EXPECT_TRUE(platformstore::keyExists(Hive::CurrentUser, "\\software\\test\\KEY"));
    EXPECT_TRUE(platformstore::keyExists(Hive::CurrentUser, "Software\\Test"));
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, key, "V").value(), "C:\\path with = sign");
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, key, "").value(), "default");
    EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key), QStringList({"v", ""}));
    ASSERT_TRUE(platformstore::writeInteger(Hive::CurrentUser, key, "n", 5));
    EXPECT_THROW(platformstore::readString(Hive::CurrentUser, key, "n"), PlatformError);
    ASSERT_TRUE(platformstore::deleteValue(Hive::CurrentUser, key, "v"));
    EXPECT_FALSE(platformstore::readString(Hive::CurrentUser, key, "v").has_value());
    // the two hives are apart
    EXPECT_FALSE(platformstore::keyExists(Hive::LocalMachine, key));
}

TEST_F(PlatformStoreTest, WellKnownValuesAnswerUntilStored)
{
    const QString ie = QStringLiteral("Software\\Microsoft\\Internet Explorer");
    EXPECT_EQ(platformstore::readString(Hive::LocalMachine, ie, "Version").value(), "6.0");
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, ie + "\\Main", "Start Page").value(), "about:blank");
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, ie + "\\Main", "Start Page", "https://example.org/"));
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, ie + "\\Main", "Start Page").value(),
              "https://example.org/");
    const auto favorites = platformstore::readString(
        Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites");
    ASSERT_TRUE(favorites.has_value());
    EXPECT_TRUE(favorites->startsWith(platformpaths::dataDir()));
    const auto mail = testsupport::restoringDefault(platformstore::setMailHandlerQuery,
                                                    [] { return QStringLiteral("thunderbird.desktop"); });
    EXPECT_EQ(platformstore::readString(Hive::LocalMachine, "SOFTWARE\\Clients\\Mail", "").value(), "thunderbird");
}

TEST(PlatformStore, ExpandsEnvironmentStrings)
{
    qputenv("BRIVO_TEST_VAR", "value");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("a%BRIVO_TEST_VAR%b"), "avalueb");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("%NOT_SET_ANYWHERE%x"), "%NOT_SET_ANYWHERE%x");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("100% sure"), "100% sure");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("%%BRIVO_TEST_VAR%"), "%value");
}
