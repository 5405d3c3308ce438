// A language table's [Font] section read over the current font.
#include "settings/LanguageFonts.h"

#include "common/TestSupport.h"
#include "settings/MemInis.h"

#include <QFont>
#include <gtest/gtest.h>

TEST(LanguageFonts, FontSectionKeepsWhatIsMissingEmptyOrMalformed)
{
    QFont current(QStringLiteral("Current Family"));
    current.setPointSize(10);
    TMemIni table;
    table.SetStrings({"[Font]", "Name=", "Charset=0x80", "Size=big"});
    const TTableFont a = ReadTableFont(table, current, 0);
    EXPECT_EQ(a.font.family(), current.family());
    EXPECT_EQ(a.font.pointSize(), 10);
    EXPECT_EQ(a.charset, 128);
    table.SetStrings({"[font]", "NAME=Other", "Size=0x0C", "Charset=390"});
    const TTableFont b = ReadTableFont(table, current, 7);
    EXPECT_EQ(b.font.family(), QStringLiteral("Other"));
    EXPECT_EQ(b.font.pointSize(), 12);
    EXPECT_EQ(b.charset, 390 & 0xFF) << "a character set is one byte";
    TMemIni empty;
    EXPECT_EQ(ReadTableFont(empty, current, 136).charset, 136);
}
