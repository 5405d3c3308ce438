// Rows of the built-in language tables' [Main] sections that their readers rely on; that every key the
// main window reads is there is checked by the main window's tests.
#include "settings/MemInis.h"

#include <gtest/gtest.h>

namespace {

// In the Chinese tables the second line of these four actions repeats the caption key.
const QStringList kSizeActionsWithoutHint = {"actSmallest", "actMedium", "actLarger", "actLargest"};

const QString kMissing = QStringLiteral("\x01missing");

// The first of the two lines counts: the caption stays, the size actions' hints read blank.
TEST(MainTableKeys, ChineseRepeatedSizeLinesKeepTheFirstAsCaption)
{
    for (const char *name : {"SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        SCOPED_TRACE(name);
        TMemIni table(QString::fromLatin1(name), QStringLiteral("INI"));
        QStringList lines;
        table.ReadSectionValues(QStringLiteral("Main"), lines);
        for (const QString &action : kSizeActionsWithoutHint) {
            SCOPED_TRACE(action.toStdString());
            QStringList both;
            for (const QString &line : lines)
                if (line.startsWith(action + u'='))
                    both.append(line);
            ASSERT_EQ(both.size(), 2);
            const QString caption = table.ReadString(QStringLiteral("Main"), action, QString());
            EXPECT_EQ(action + u'=' + caption, both.first());
            EXPECT_TRUE(caption.contains(QLatin1String("(&"))) << "the first line is the menu caption";
            EXPECT_EQ(table.ReadString(QStringLiteral("Main"), action + QStringLiteral("Hint"), kMissing), kMissing);
        }
    }
}

TEST(MainTableKeys, EnglishTellingRows)
{
    TMemIni table(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
    const auto text = [&](const char *key) { return table.ReadString(QStringLiteral("Main"), key, kMissing); };
    EXPECT_EQ(text("tlbtnFile"), "&File");
    EXPECT_EQ(text("tlbtnFileHint"), "");
    EXPECT_EQ(text("lblLinks"), " Links:  ");
    EXPECT_EQ(text("cmbKeyWords"), "Keywords");
    EXPECT_EQ(text("tlbtnGo"), "Move");
    EXPECT_EQ(text("actFind"), "&Find(on this page)...");
    EXPECT_EQ(text("actCloseAllOthers"), "Close All (&Except Current)");
    EXPECT_EQ(text("tlbtnMinimize"), "Minimize");
    EXPECT_EQ(text("actJapaneseShiftJIS"), "Japanese (Shift JIS)");
    EXPECT_EQ(text("acttbTileV"), "Vertical");
    EXPECT_EQ(text("acttbTileVHint"), "Tile Vertical");
    EXPECT_EQ(table.ReadString(QStringLiteral("RichEditFrame"), QStringLiteral("Caption"), kMissing), "Edit");
}

// The English table spells two keys in its own letter case; lookups find them all the same.
TEST(MainTableKeys, EnglishKeysKeepTheirOwnLetterCase)
{
    TMemIni table(QStringLiteral("ENGLISH"), QStringLiteral("INI"));
    QStringList keys;
    table.ReadSection(QStringLiteral("Main"), keys);
    EXPECT_TRUE(keys.contains(QStringLiteral("actsmallest")));
    EXPECT_TRUE(keys.contains(QStringLiteral("acttbHomePage")));
    EXPECT_FALSE(keys.contains(QStringLiteral("actSmallest")));
    EXPECT_FALSE(keys.contains(QStringLiteral("acttbHomepage")));
    EXPECT_EQ(table.ReadString(QStringLiteral("Main"), QStringLiteral("actSmallest"), kMissing), "Sm&allest");
    EXPECT_EQ(table.ReadString(QStringLiteral("Main"), QStringLiteral("acttbHomepage"), kMissing), "Home");
}

} // namespace
