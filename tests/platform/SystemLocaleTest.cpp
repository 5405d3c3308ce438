// The three-letter language abbreviation of a POSIX locale.
#include "platform/SystemLocale.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

TEST(SystemLocale, AbbreviationsOfPosixLocales)
{
    using systemlocale::abbreviationOf;
    EXPECT_EQ(abbreviationOf("ja_JP.UTF-8"), "JPN");
    EXPECT_EQ(abbreviationOf("zh_CN.GB18030"), "CHS");
    EXPECT_EQ(abbreviationOf("zh_TW"), "CHT");
    EXPECT_EQ(abbreviationOf("es_ES.UTF-8"), "ESN");
    EXPECT_EQ(abbreviationOf("pt_BR"), "PTB");
    EXPECT_EQ(abbreviationOf("pt_PT"), "PTG");
    EXPECT_EQ(abbreviationOf("de_DE@euro"), "DEU");
    EXPECT_EQ(abbreviationOf("en_US.UTF-8"), "ENU");
    EXPECT_EQ(abbreviationOf("C"), "ENU");
    EXPECT_EQ(abbreviationOf(""), "ENU");
    const auto locale = testsupport::restoringDefault(systemlocale::setOverride, QStringLiteral("ko_KR.UTF-8"));
    EXPECT_EQ(systemlocale::abbreviation(), "KOR");
}
