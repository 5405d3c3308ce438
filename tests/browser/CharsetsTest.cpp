// Character-set names as the engine reports them.
#include "browser/Charsets.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

TEST(Charsets, CanonicalNamesMatchWhatTheEngineReports)
{
    EXPECT_TRUE(charsets::same(QStringLiteral("gb2312"), QStringLiteral("GBK")));
    EXPECT_TRUE(charsets::same(QStringLiteral("iso-8859-1"), QStringLiteral("windows-1252")));
    EXPECT_TRUE(charsets::same(QStringLiteral("ISO8859-9"), QStringLiteral("windows-1254")));
    EXPECT_TRUE(charsets::same(QStringLiteral("x-sjis"), QStringLiteral("Shift_JIS")));
    EXPECT_TRUE(charsets::same(QStringLiteral("UTF8"), QStringLiteral("utf-8")));
    EXPECT_TRUE(charsets::same(QStringLiteral("cp1251"), QStringLiteral("windows-1251")));
    EXPECT_TRUE(charsets::same(QStringLiteral("ks_c_5601-1987"), QStringLiteral("EUC-KR")));
    EXPECT_FALSE(charsets::same(QStringLiteral("koi8-r"), QStringLiteral("windows-1251")));
    EXPECT_FALSE(charsets::same(QStringLiteral("iso-8859-15"), QStringLiteral("iso-8859-1")));
    EXPECT_EQ(charsets::canonical(QStringLiteral(" Made-Up ")), QStringLiteral("made-up"));
    EXPECT_TRUE(charsets::isAutoDetect(QStringLiteral("_autodetect_all")));
    EXPECT_FALSE(charsets::isAutoDetect(QStringLiteral("utf-8")));
    EXPECT_TRUE(charsets::isKnown(QStringLiteral("koi8-r")));
    EXPECT_TRUE(charsets::isKnown(QStringLiteral("gb2312")));
    EXPECT_FALSE(charsets::isKnown(QStringLiteral("no-such-charset")));
    EXPECT_FALSE(charsets::isKnown(QStringLiteral("_autodetect")));
}
