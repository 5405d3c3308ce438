#pragma once
// The components whose texts the main window reads from section [Main] of a language table, in
// reading order, with the rule of each: shared by the table tests and the language routine's test.
#include <QList>
#include <QString>

namespace maintablekeys {

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
inline constexpr MainComponent kMainComponents[] = {
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
inline QList<Read> mainReads()
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

} // namespace maintablekeys
