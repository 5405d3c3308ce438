// The main window's texts in the five built-in language tables: every key its language routine reads
// is there with a text, except the blanks each table leaves on purpose.
#include "common/TestSupport.h"
#include "settings/MemInis.h"

#include <QSet>
#include <array>
#include <gtest/gtest.h>
#include <string>

namespace {

// How a component takes its texts from section [Main].
enum class Rule {
    CaptionAndHint,  // caption from the key <name>, then hint from <name>Hint
    CaptionOnly,     // caption (or a combo box's text) from <name>; no hint
    HintOnly,        // hint from <name>; no caption
    CaptionIsHint,   // one read of <name>, which becomes caption and hint
    SharedCustomize, // both Customise submenus read mniCustomize and mniCustomizeHint
};

struct MainComponent {
    int group;
    const char *name;
    Rule rule;
};

// Every component the main window's language routine covers, in reading order.
constexpr MainComponent kMainComponents[] = {
    // 1: menu-bar buttons
    {1, "tlbtnFile", Rule::CaptionAndHint},
    {1, "tlbtnView", Rule::CaptionAndHint},
    {1, "tlbtnTools", Rule::CaptionAndHint},
    {1, "tlbtnLanguage", Rule::CaptionAndHint},
    {1, "tlbtnWindows", Rule::CaptionAndHint},
    {1, "tlbtnHelp", Rule::CaptionAndHint},
    // 2: search and address bars
    {2, "lblLinks", Rule::CaptionOnly},
    {2, "lblAddress", Rule::CaptionOnly},
    {2, "cmbKeyWords", Rule::CaptionOnly},
    {2, "tlbtnSearch", Rule::CaptionOnly},
    {2, "tlbtnGo", Rule::CaptionOnly},
    // 3: File and View menus
    {3, "actNewBrowser", Rule::CaptionAndHint},
    {3, "actOpen", Rule::CaptionAndHint},
    {3, "actSave", Rule::CaptionAndHint},
    {3, "actClose", Rule::CaptionAndHint},
    {3, "actPageSetup", Rule::CaptionAndHint},
    {3, "actPrint", Rule::CaptionAndHint},
    {3, "actPreview", Rule::CaptionAndHint},
    {3, "actProperty", Rule::CaptionAndHint},
    {3, "actExit", Rule::CaptionAndHint},
    {3, "mniToolbar", Rule::CaptionAndHint},
    {3, "actExplorerBar", Rule::CaptionAndHint},
    {3, "actStatusBar", Rule::CaptionAndHint},
    {3, "mniGo", Rule::CaptionAndHint},
    {3, "actBack", Rule::CaptionAndHint},
    {3, "actHomepage", Rule::CaptionAndHint},
    {3, "actForward", Rule::CaptionAndHint},
    {3, "actStop", Rule::CaptionAndHint},
    {3, "actRefresh", Rule::CaptionAndHint},
    {3, "mniFont", Rule::CaptionAndHint},
    {3, "mniEncode", Rule::CaptionAndHint},
    {3, "actSource", Rule::CaptionAndHint},
    {3, "actFullScreen", Rule::CaptionAndHint},
    {3, "actFind", Rule::CaptionAndHint},
    {3, "mniMore", Rule::CaptionAndHint},
    {3, "actWindowsBar", Rule::CaptionAndHint},
    {3, "actLinksBar", Rule::CaptionAndHint},
    {3, "actToolbar", Rule::CaptionAndHint},
    {3, "actSearchsBar", Rule::CaptionAndHint},
    {3, "actAddressBar", Rule::CaptionAndHint},
    {3, "actSmaller", Rule::CaptionAndHint},
    {3, "actSmallest", Rule::CaptionAndHint},
    {3, "actMedium", Rule::CaptionAndHint},
    {3, "actLarger", Rule::CaptionAndHint},
    {3, "actLargest", Rule::CaptionAndHint},
    // 4: full-screen buttons (hint only)
    {4, "tlbtnMinimize", Rule::HintOnly},
    {4, "tlbtnRestore", Rule::HintOnly},
    {4, "tlbtnClose", Rule::HintOnly},
    // 5: encodings (one text for caption and hint)
    {5, "actDefaultCharSet", Rule::CaptionIsHint},
    {5, "actAutoDetect", Rule::CaptionIsHint},
    {5, "actJapaneseAutoDetect", Rule::CaptionIsHint},
    {5, "actJapaneseShiftJIS", Rule::CaptionIsHint},
    {5, "actJapaneseEUCJP", Rule::CaptionIsHint},
    {5, "actUnicodeUTF8", Rule::CaptionIsHint},
    {5, "actUnicodeUTF7", Rule::CaptionIsHint},
    {5, "actArabiaWindows", Rule::CaptionIsHint},
    {5, "actBalticISO", Rule::CaptionIsHint},
    {5, "actBalticWindows", Rule::CaptionIsHint},
    {5, "actCentralEuropeISO", Rule::CaptionIsHint},
    {5, "actCentralEuropeWindows", Rule::CaptionIsHint},
    {5, "actSimplifiedChineseGB2312", Rule::CaptionIsHint},
    {5, "actSimplifiedChineseHZ", Rule::CaptionIsHint},
    {5, "actTraditionalChineseBig5", Rule::CaptionIsHint},
    {5, "actCyrillicISO", Rule::CaptionIsHint},
    {5, "actCyrillicKOI8R", Rule::CaptionIsHint},
    {5, "actCyrillicWindows", Rule::CaptionIsHint},
    {5, "actGreekISO", Rule::CaptionIsHint},
    {5, "actGreekWindows", Rule::CaptionIsHint},
    {5, "actHebrewWindows", Rule::CaptionIsHint},
    {5, "actKoreanAutoDetect", Rule::CaptionIsHint},
    {5, "actThaiWindows", Rule::CaptionIsHint},
    {5, "actTurkishISO", Rule::CaptionIsHint},
    {5, "actTurkishWindows", Rule::CaptionIsHint},
    {5, "actVietnameseWindows", Rule::CaptionIsHint},
    {5, "actWestEuropeISO", Rule::CaptionIsHint},
    {5, "actWestEuropeWindows", Rule::CaptionIsHint},
    {5, "actLatinISO", Rule::CaptionIsHint},
    // 6: Customise submenus of the Tools menu and of the bars' pop-up menu
    {6, "mniCustomize", Rule::SharedCustomize},
    {6, "mniCustomize2", Rule::SharedCustomize},
    // 7: Tools, Language, Windows and Help menus, tool-bar, window-tab and link actions
    {7, "actCustomizeLinks", Rule::CaptionAndHint},
    {7, "actCustomizeToolButtons", Rule::CaptionAndHint},
    {7, "actCustomizeSearchs", Rule::CaptionAndHint},
    {7, "actAddToLinks", Rule::CaptionAndHint},
    {7, "actMail", Rule::CaptionAndHint},
    {7, "actMailTo", Rule::CaptionAndHint},
    {7, "actMailToOptions", Rule::CaptionAndHint},
    {7, "actResetSetting", Rule::CaptionAndHint},
    {7, "actInternetOptions", Rule::CaptionAndHint},
    {7, "actEnglish", Rule::CaptionAndHint},
    {7, "actJapaneseKanji", Rule::CaptionAndHint},
    {7, "actJapaneseHiragana", Rule::CaptionAndHint},
    {7, "actSimplifiedChinese", Rule::CaptionAndHint},
    {7, "actTraditionalChinese", Rule::CaptionAndHint},
    {7, "actKorean", Rule::CaptionAndHint},
    {7, "actGerman", Rule::CaptionAndHint},
    {7, "actFrench", Rule::CaptionAndHint},
    {7, "actItalian", Rule::CaptionAndHint},
    {7, "actSpanish", Rule::CaptionAndHint},
    {7, "actPortuguese", Rule::CaptionAndHint},
    {7, "actSaveBrowsers", Rule::CaptionAndHint},
    {7, "actTile", Rule::CaptionAndHint},
    {7, "actTileV", Rule::CaptionAndHint},
    {7, "actTileH", Rule::CaptionAndHint},
    {7, "actCascade", Rule::CaptionAndHint},
    {7, "actArrangeIcons", Rule::CaptionAndHint},
    {7, "actMinimizeAll", Rule::CaptionAndHint},
    {7, "actCloseAll", Rule::CaptionAndHint},
    {7, "actCloseAllOthers", Rule::CaptionAndHint},
    {7, "actRestoreAll", Rule::CaptionAndHint},
    {7, "actAbout", Rule::CaptionAndHint},
    {7, "actContents", Rule::CaptionAndHint},
    {7, "actTopicSearch", Rule::CaptionAndHint},
    {7, "actHowToUseHelp", Rule::CaptionAndHint},
    {7, "acttbNewBrowser", Rule::CaptionAndHint},
    {7, "acttbClose", Rule::CaptionAndHint},
    {7, "acttbBack", Rule::CaptionAndHint},
    {7, "acttbForward", Rule::CaptionAndHint},
    {7, "acttbStop", Rule::CaptionAndHint},
    {7, "acttbRefresh", Rule::CaptionAndHint},
    {7, "acttbHomepage", Rule::CaptionAndHint},
    {7, "acttbOpen", Rule::CaptionAndHint},
    {7, "acttbSave", Rule::CaptionAndHint},
    {7, "acttbPrint", Rule::CaptionAndHint},
    {7, "acttbExplorerBar", Rule::CaptionAndHint},
    {7, "acttbMail", Rule::CaptionAndHint},
    {7, "acttbMailTo", Rule::CaptionAndHint},
    {7, "acttbFullScreen", Rule::CaptionAndHint},
    {7, "acttbCascade", Rule::CaptionAndHint},
    {7, "acttbTileV", Rule::CaptionAndHint},
    {7, "acttbTileH", Rule::CaptionAndHint},
    {7, "actWindowMinimize", Rule::CaptionAndHint},
    {7, "actWindowMaximize", Rule::CaptionAndHint},
    {7, "actWindowRestore", Rule::CaptionAndHint},
    {7, "actWindowClose", Rule::CaptionAndHint},
    {7, "actLinkOpen", Rule::CaptionAndHint},
    {7, "actLinkOpenNewWindow", Rule::CaptionAndHint},
    {7, "actLinkDelete", Rule::CaptionAndHint},
    {7, "actLinkEdit", Rule::CaptionAndHint},
    // 8: explorer-bar menus, tabs and actions (caption only)
    {8, "mniFavorites", Rule::CaptionOnly},
    {8, "tbsFavorites", Rule::CaptionOnly},
    {8, "actFavoritesAdd", Rule::CaptionOnly},
    {8, "actFavoritesOpen", Rule::CaptionOnly},
    {8, "actFavoritesOpenNew", Rule::CaptionOnly},
    {8, "actFavoritesDelete", Rule::CaptionOnly},
    {8, "actFavoritesRename", Rule::CaptionOnly},
    {8, "actFavoritesRefresh", Rule::CaptionOnly},
    {8, "actFavoritesOrganize", Rule::CaptionOnly},
    {8, "actFavoritesImport", Rule::CaptionOnly},
    {8, "actFavoritesExport", Rule::CaptionOnly},
    {8, "mniHistory", Rule::CaptionOnly},
    {8, "tbsHistory", Rule::CaptionOnly},
    {8, "actHistoryOpen", Rule::CaptionOnly},
    {8, "actHistoryOpenNew", Rule::CaptionOnly},
    {8, "actHistoryDelete", Rule::CaptionOnly},
    {8, "actHistoryRefresh", Rule::CaptionOnly},
    {8, "actHistoryAddToFavorites", Rule::CaptionOnly},
    {8, "mniBookmark", Rule::CaptionOnly},
    {8, "tbsBookmark", Rule::CaptionOnly},
    {8, "actBookmarkOpen", Rule::CaptionOnly},
    {8, "actBookmarkOpenNew", Rule::CaptionOnly},
    {8, "actBookmarkDelete", Rule::CaptionOnly},
    {8, "actBookmarkRename", Rule::CaptionOnly},
    {8, "actBookmarkProperty", Rule::CaptionOnly},
    {8, "actBookmarkLoad", Rule::CaptionOnly},
    {8, "actBookmarkSave", Rule::CaptionOnly},
    {8, "actBookmarkSaveAs", Rule::CaptionOnly},
    {8, "actBookmarkAddUrl", Rule::CaptionOnly},
    {8, "actBookmarkAddFolder", Rule::CaptionOnly},
    {8, "actBookmarkAddToFavorites", Rule::CaptionOnly},
};

struct Read {
    QString key;
    const MainComponent *component;
};

// The keys read for the components above, in reading order (a key may be read twice).
QList<Read> mainReads()
{
    QList<Read> reads;
    for (const MainComponent &c : kMainComponents) {
        const QString name = QString::fromLatin1(c.name);
        switch (c.rule) {
        case Rule::CaptionAndHint:
            reads.append({name, &c});
            reads.append({name + QStringLiteral("Hint"), &c});
            break;
        case Rule::SharedCustomize:
            reads.append({QStringLiteral("mniCustomize"), &c});
            reads.append({QStringLiteral("mniCustomizeHint"), &c});
            break;
        case Rule::CaptionOnly:
        case Rule::HintOnly:
        case Rule::CaptionIsHint:
            reads.append({name, &c});
            break;
        }
    }
    return reads;
}

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
