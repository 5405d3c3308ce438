// The main window's texts in the five built-in language tables: every key its language routine reads
// is there with a text, except the blanks each table leaves on purpose.
#include "common/MainTableKeys.h"

#include "common/TestSupport.h"
#include "settings/MemInis.h"

#include <QSet>
#include <array>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace maintablekeys;

QString folded(const QString &key)
{
    return key.toLower();
}

const QStringList kAbsentEverywhere = {"mniMoreHint", "actLinkOpenHint", "actLinkOpenNewWindowHint",
                                       "actLinkDeleteHint", "actLinkEditHint"};
// In the Chinese tables the second line of these four actions repeats the caption key.
const QStringList kSizeActionsWithoutHint = {"actSmallest", "actMedium", "actLarger", "actLargest"};
const QStringList kLanguageActions = {
    "actEnglish",   "actJapaneseKanji", "actJapaneseHiragana", "actSimplifiedChinese", "actTraditionalChinese",
    "actKorean",    "actGerman",        "actFrench",           "actItalian",           "actSpanish",
    "actPortuguese"};

enum class Expect { Text, Empty, Absent };

bool isChinese(const QString &table)
{
    return table == QLatin1String("SIMPLIFIEDCHINESE") || table == QLatin1String("TRADITIONALCHINESE");
}

Expect expected(const QString &table, const QString &key)
{
    if (kAbsentEverywhere.contains(key))
        return Expect::Absent;
    const bool hintKey = key.endsWith(QLatin1String("Hint"));
    const QString owner = hintKey ? key.chopped(4) : key;
    if (hintKey && isChinese(table) && kSizeActionsWithoutHint.contains(owner))
        return Expect::Absent;
    if (hintKey && table == QLatin1String("ENGLISH") && !key.startsWith(QLatin1String("acttb")))
        return Expect::Empty;
    if (hintKey && table == QLatin1String("TRADITIONALCHINESE") && !kLanguageActions.contains(owner))
        return Expect::Empty;
    return Expect::Text;
}

const QString kMissing = QStringLiteral("\x01missing");

TEST(MainTableKeys, ListCoversEachComponentOnce)
{
    std::array<int, 9> perGroup{};
    int actions = 0;
    int toolBarActions = 0;
    QSet<QString> names;
    for (const MainComponent &c : kMainComponents) {
        ++perGroup.at(c.group);
        const QString name = QString::fromLatin1(c.name);
        actions += name.startsWith(QLatin1String("act"));
        toolBarActions += name.startsWith(QLatin1String("acttb"));
        EXPECT_FALSE(names.contains(folded(name))) << c.name;
        names.insert(folded(name));
    }
    EXPECT_EQ(perGroup, (std::array<int, 9>{0, 6, 5, 34, 3, 29, 2, 59, 31}));
    EXPECT_EQ(actions, 142);
    EXPECT_EQ(toolBarActions, 17);
    EXPECT_EQ(mainReads().size(), 270);
}

class MainTable : public ::testing::TestWithParam<const char *> {
protected:
    QString name() const { return QString::fromLatin1(GetParam()); }
};

TEST_P(MainTable, EveryKeyReadHasATextExceptTheStatedBlanks)
{
    TMemIni table(name(), QStringLiteral("INI"));
    for (const Read &read : mainReads()) {
        SCOPED_TRACE(read.key.toStdString() + " (group " + std::to_string(read.component->group) + ", " +
                     read.component->name + ")");
        const QString value = table.ReadString(QStringLiteral("Main"), read.key, kMissing);
        switch (expected(name(), read.key)) {
        case Expect::Absent:
            EXPECT_EQ(value, kMissing);
            break;
        case Expect::Empty:
            EXPECT_EQ(value, QString());
            break;
        case Expect::Text:
            ASSERT_NE(value, kMissing);
            EXPECT_FALSE(value.trimmed().isEmpty());
            if (read.key != QLatin1String("lblLinks")) {
                EXPECT_EQ(value, value.trimmed()) << "stray blanks";
            }
            break;
        }
    }
    EXPECT_FALSE(table.ReadString(QStringLiteral("RichEditFrame"), QStringLiteral("Caption"), QString()).isEmpty());
}

// A misspelt key would leave its component blank and sit unread in the table.
TEST_P(MainTable, HoldsOnlyKeysTheWindowReads)
{
    QSet<QString> read;
    for (const Read &r : mainReads())
        read.insert(folded(r.key));
    TMemIni table(name(), QStringLiteral("INI"));
    QStringList keys;
    table.ReadSection(QStringLiteral("Main"), keys);
    QStringList repeated;
    QSet<QString> seen;
    for (const QString &key : keys) {
        EXPECT_TRUE(read.contains(folded(key))) << key.toStdString();
        if (seen.contains(folded(key)))
            repeated.append(key);
        seen.insert(folded(key));
    }
    EXPECT_EQ(repeated, isChinese(name()) ? kSizeActionsWithoutHint : QStringList());
    QStringList sections;
    table.ReadSections(sections);
    EXPECT_EQ(sections.count(QStringLiteral("Main")), 1);
    EXPECT_EQ(sections.count(QStringLiteral("RichEditFrame")), 1);
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, MainTable,
                         ::testing::Values("ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE",
                                           "TRADITIONALCHINESE"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

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
