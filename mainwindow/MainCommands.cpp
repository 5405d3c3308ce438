#include "mainwindow/MainCommands.h"

#include "browser/Browser.h"
#include "browser/BrowserDialogs.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/InternetOptions.h"
#include "browser/WebEngineProfiles.h"
#include "explorerbar/BookmarkTreeViews.h"
#include "explorerbar/FavoriteTreeViews.h"
#include "explorerbar/HistoryTreeViews.h"
#include "mainwindow/CoolBarBands.h"
#include "mainwindow/Hints.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/StatusBars.h"
#include "platform/ActionUpdater.h"
#include "platform/PageScrollers.h"
#include "settings/BrivoInisCompact.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QMenu>
#include <QTabBar>

QString mainText(const TMemIni &table, const QString &key)
{
    return table.ReadString(QStringLiteral("Main"), key, QString());
}

namespace {

using Row = MainCommands::Row;
using Enable = MainCommands::Enable;
using Texts = MainCommands::Texts;
constexpr unsigned Checkable = MainCommands::Checkable;
constexpr unsigned Checked = MainCommands::Checked;
constexpr unsigned Menu = MainCommands::Menu;
constexpr unsigned MenuBar = MainCommands::MenuBar;

// A command run on the active page's browser control; nothing without a page.
template <void (TIEBrowser::*Command)()> void onPage(TfrmMain &w, QAction *)
{
    if (TfrmBrowser *page = w.ActiveBrowser())
        (page->WebBrowser()->*Command)();
}

QString toolBarName(const char *name)
{
    return QStringLiteral("acttb") + QLatin1String(name + 3);
}

// A tool-bar image at both bar sizes, muted and hot.
QIcon toolbarImage(int index)
{
    QIcon both;
    for (int size : {16, 20}) {
        const QIcon one = icons::toolbarIcon(index, size);
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active})
            both.addPixmap(one.pixmap(QSize(size, size), mode), mode);
    }
    return both;
}

// The template of the tool bar: the tool-bar action of each number, empty where a separator stands.
const QStringList &toolTemplate()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Row &row : MainCommands::rows()) {
            if (row.tool.number < 0)
                continue;
            if (list.size() <= row.tool.number)
                list.resize(row.tool.number + 1);
            list[row.tool.number] = toolBarName(row.name);
        }
        return list;
    }();
    return names;
}

} // namespace

Row MainCommands::encoding(const char *name, int tag, const char *menus, unsigned flags)
{
    return {.name = name,
            .tag = tag,
            .flags = Checkable | flags,
            .enable = Enable::PageEncode,
            .texts = Texts::CaptionIsHint,
            .menus = menus,
            .run = [](TfrmMain &w, QAction *a) { w.actPageFamilyExecute(a, false); }};
}

Row MainCommands::language(const char *name, int tag, Enable enable)
{
    return {.name = name,
            .tag = tag,
            .flags = Checkable,
            .enable = enable,
            .menus = "mniLanguage",
            .run = [](TfrmMain &w, QAction *a) { w.actLanguageExecute(a); }};
}

// The handlers are the window's own members; this table is their one list.
std::span<const Row> MainCommands::rows()
{
    using W = TfrmMain;
    // clang-format off
    static const Row table[] = {
        // pop-up menus of the bars and the explorer bar
        {.name = "pmnCoolBar", .flags = Menu, .texts = Texts::None},
        {.name = "pmnWindowsBar", .flags = Menu, .texts = Texts::None},
        {.name = "pmnLinks", .flags = Menu, .texts = Texts::None},
        {.name = "pmnFavorites", .flags = Menu, .texts = Texts::None},
        {.name = "pmnHistory", .flags = Menu, .texts = Texts::None},
        {.name = "pmnBookmark", .flags = Menu, .texts = Texts::None},

        // File
        {.name = "mniFile", .flags = Menu | MenuBar, .texts = Texts::None},
        {.name = "actNewBrowser", .shortcut = "Ctrl+N", .image = 0, .menus = "mniFile", .tool = {0, 0},
         .run = [](W &w, QAction *) { w.actNewBrowserExecute(); }, .pageKey = "Ctrl+N"},
        {.name = "actOpen", .shortcut = "Ctrl+O", .image = 1, .menus = "mniFile", .tool = {9, 7},
         .run = [](W &w, QAction *) { w.actOpenExecute(); }, .pageKey = "Ctrl+O"},
        {.name = "actSave", .shortcut = "Ctrl+S", .image = 2, .enable = Enable::Page, .menus = "mniFile",
         .tool = {10, 8}, .run = onPage<&TIEBrowser::SaveAs>, .pageKey = "Ctrl+S"},
        {.name = "actClose", .image = 3, .enable = Enable::Page, .menus = "mniFile", .tool = {1, 1},
         .run = [](W &w, QAction *) { w.actCloseExecute(); }},
        {.name = "actPageSetup", .enable = Enable::Page, .menus = "-mniFile", .run = onPage<&TIEBrowser::PageSetup>},
        {.name = "actPrint", .shortcut = "Ctrl+P", .image = 4, .enable = Enable::Page, .menus = "mniFile",
         .tool = {11, 9}, .run = onPage<&TIEBrowser::Print>},
        {.name = "actPreview", .image = 5, .enable = Enable::Page, .menus = "mniFile",
         .run = onPage<&TIEBrowser::PrintPreview>},
        {.name = "actProperty", .image = 6, .enable = Enable::Page, .menus = "-mniFile",
         .run = onPage<&TIEBrowser::Properties>},
        {.name = "actExit", .menus = "mniFile", .run = [](W &w, QAction *) { w.actExitExecute(); }},

        // View
        {.name = "mniView", .flags = Menu | MenuBar, .texts = Texts::None},
        {.name = "mniToolbar", .flags = Menu, .menus = "mniView"},
        {.name = "actLinksBar", .flags = Checkable | Checked, .menus = "mniToolbar pmnCoolBar",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.pnlLinks); }},
        {.name = "actToolbar", .flags = Checkable | Checked, .menus = "mniToolbar pmnCoolBar",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.pgsToolButtons); }},
        {.name = "actSearchsBar", .image = 15, .flags = Checkable | Checked, .menus = "mniToolbar pmnCoolBar",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.pnlSearchsBar); }},
        {.name = "actAddressBar", .flags = Checkable | Checked, .menus = "mniToolbar pmnCoolBar",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.pnlAddressBar); }},
        {.name = "actWindowsBar", .flags = Checkable | Checked, .menus = "mniToolbar pmnCoolBar",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.tbcWindows); }},
        {.name = "actStatusBar", .flags = Checkable | Checked, .menus = "mniView",
         .run = [](W &w, QAction *a) { w.actBarToggle(a, w.StatusBar); }},
        {.name = "actExplorerBar", .image = 7, .flags = Checkable | Checked, .menus = "mniView", .tool = {13, 10},
         .run = [](W &w, QAction *) { w.actExplorerBarExecute(); }},
        {.name = "mniGo", .flags = Menu, .menus = "-mniView"},
        {.name = "actBack", .image = 16, .enable = Enable::CanBack, .menus = "mniGo", .tool = {3, 2},
         .run = onPage<&TIEBrowser::GoBack>},
        {.name = "actForward", .image = 17, .enable = Enable::CanForward, .menus = "mniGo", .tool = {4, 3},
         .run = onPage<&TIEBrowser::GoForward>},
        {.name = "actHomepage", .shortcut = "Alt+Home", .image = 18, .enable = Enable::Page, .menus = "-mniGo",
         .tool = {7, 6}, .run = onPage<&TIEBrowser::GoHome>},
        {.name = "actStop", .shortcut = "Esc", .image = 9, .enable = Enable::Page, .menus = "mniView", .tool = {5, 4},
         .run = onPage<&TIEBrowser::Stop>},
        {.name = "actRefresh", .shortcut = "F5", .image = 10, .enable = Enable::Page, .menus = "mniView",
         .tool = {6, 5}, .run = onPage<&TIEBrowser::Refresh>},
        // text sizes and encodings: the Tag is the page window's own action of the family
        {.name = "mniFont", .flags = Menu, .menus = "-mniView"},
        {.name = "actLargest", .tag = 4, .flags = Checkable, .enable = Enable::PageSize, .menus = "mniFont",
         .run = [](W &w, QAction *a) { w.actPageFamilyExecute(a, true); }},
        {.name = "actLarger", .tag = 3, .flags = Checkable, .enable = Enable::PageSize, .menus = "mniFont",
         .run = [](W &w, QAction *a) { w.actPageFamilyExecute(a, true); }},
        {.name = "actMedium", .tag = 2, .flags = Checkable, .enable = Enable::PageSize, .menus = "mniFont",
         .run = [](W &w, QAction *a) { w.actPageFamilyExecute(a, true); }},
        {.name = "actSmaller", .tag = 1, .flags = Checkable, .enable = Enable::PageSize, .menus = "mniFont",
         .run = [](W &w, QAction *a) { w.actPageFamilyExecute(a, true); }},
        {.name = "actSmallest", .tag = 0, .flags = Checkable, .enable = Enable::PageSize, .menus = "mniFont",
         .run = [](W &w, QAction *a) { w.actPageFamilyExecute(a, true); }},
        {.name = "mniEncode", .flags = Menu, .menus = "mniView"},
        encoding("actDefaultCharSet", 0, "mniEncode", Checked),
        encoding("actAutoDetect", 1, "-mniEncode"),
        encoding("actJapaneseAutoDetect", 2, "-mniEncode"),
        encoding("actJapaneseShiftJIS", 3, "mniEncode"),
        encoding("actJapaneseEUCJP", 4, "mniEncode"),
        encoding("actWestEuropeISO", 26, "-mniEncode"),
        encoding("actWestEuropeWindows", 27, "mniEncode"),
        encoding("actSimplifiedChineseGB2312", 12, "-mniEncode"),
        encoding("actSimplifiedChineseHZ", 13, "mniEncode"),
        encoding("actTraditionalChineseBig5", 14, "-mniEncode"),
        encoding("actKoreanAutoDetect", 21, "-mniEncode"),
        {.name = "mniMore", .flags = Menu, .menus = "-mniEncode"},
        encoding("actArabiaWindows", 7, "mniMore"),
        encoding("actBalticISO", 8, "-mniMore"),
        encoding("actBalticWindows", 9, "mniMore"),
        encoding("actCentralEuropeISO", 10, "-mniMore"),
        encoding("actCentralEuropeWindows", 11, "mniMore"),
        encoding("actCyrillicISO", 15, "-mniMore"),
        encoding("actCyrillicKOI8R", 16, "mniMore"),
        encoding("actCyrillicWindows", 17, "mniMore"),
        encoding("actGreekISO", 18, "-mniMore"),
        encoding("actGreekWindows", 19, "mniMore"),
        encoding("actHebrewWindows", 20, "-mniMore"),
        encoding("actLatinISO", 28, "-mniMore"),
        encoding("actThaiWindows", 22, "-mniMore"),
        encoding("actTurkishISO", 23, "-mniMore"),
        encoding("actTurkishWindows", 24, "mniMore"),
        encoding("actUnicodeUTF7", 6, "-mniMore"),
        encoding("actUnicodeUTF8", 5, "mniMore"),
        encoding("actVietnameseWindows", 25, "-mniMore"),
        {.name = "actSource", .enable = Enable::Page, .menus = "-mniView", .run = onPage<&TIEBrowser::ViewSource>},
        {.name = "actFullScreen", .shortcut = "F11", .image = 13, .flags = Checkable, .menus = "mniView",
         .tool = {18, 13}, .run = [](W &w, QAction *) { w.actFullScreenExecute(); }, .pageKey = "F11"},
        {.name = "actFind", .shortcut = "Ctrl+F", .image = 14, .enable = Enable::Page, .menus = "-mniView",
         .run = onPage<&TIEBrowser::Find>},

        // Tools
        {.name = "mniTools", .flags = Menu | MenuBar, .texts = Texts::None},
        {.name = "actAddToLinks", .enable = Enable::Page, .menus = "mniTools",
         .run = [](W &w, QAction *) { w.actAddToLinksExecute(); }},
        {.name = "actMail", .shortcut = "Ctrl+M", .image = 19, .menus = "-mniTools", .tool = {15, 11},
         .run = [](W &w, QAction *) { w.actMailExecute(); }, .pageKey = "Ctrl+M"},
        {.name = "actMailTo", .image = 20, .menus = "mniTools", .tool = {16, 12},
         .run = [](W &w, QAction *) { w.actMailToExecute(); }},
        {.name = "mniCustomize", .flags = Menu, .menus = "-mniTools"},
        {.name = "mniCustomize2", .flags = Menu, .textKey = "mniCustomize", .menus = "-pmnCoolBar"},
        {.name = "actCustomizeLinks", .menus = "mniCustomize mniCustomize2",
         .run = [](W &w, QAction *) { w.actCustomizeLinksExecute(); }},
        {.name = "actCustomizeSearchs", .image = 15, .menus = "mniCustomize mniCustomize2",
         .run = [](W &w, QAction *) { w.actCustomizeSearchsExecute(); }},
        {.name = "actCustomizeToolButtons", .menus = "mniCustomize mniCustomize2",
         .run = [](W &w, QAction *) { w.actCustomizeToolButtonsExecute(); }},
        // the explorer bar's commands, in the Tools menu and in the pop-up menus of its pages
        {.name = "mniFavorites", .flags = Menu, .texts = Texts::CaptionOnly, .menus = "mniTools"},
        {.name = "actFavoritesAdd", .image = 34, .enable = Enable::Page, .texts = Texts::CaptionOnly,
         .menus = "mniFavorites", .run = [](W &w, QAction *) { w.actFavoritesAddExecute(); }},
        {.name = "actFavoritesOpen", .image = 8, .enable = Enable::FavoriteUrl, .texts = Texts::CaptionOnly,
         .menus = "pmnFavorites", .run = [](W &w, QAction *) { w.actFavoritesOpenExecute(false); }},
        {.name = "actFavoritesOpenNew", .image = 35, .enable = Enable::FavoriteUrl, .texts = Texts::CaptionOnly,
         .menus = "pmnFavorites", .run = [](W &w, QAction *) { w.actFavoritesOpenExecute(true); }},
        {.name = "actFavoritesDelete", .image = 36, .enable = Enable::FavoriteDelete, .texts = Texts::CaptionOnly,
         .menus = "-pmnFavorites",
         .run = [](W &w, QAction *) { w.favoriteTree()->DeleteNode(w.favoriteTree()->GetSelected()); }},
        {.name = "actFavoritesRename", .enable = Enable::FavoriteRename, .texts = Texts::CaptionOnly,
         .menus = "pmnFavorites", .run = [](W &w, QAction *) {
             if (TFavoriteNode *node = w.favoriteTree()->GetSelected())
                 node->BeginRename();
         }},
        {.name = "actFavoritesRefresh", .image = 37, .texts = Texts::CaptionOnly,
         .menus = "-mniFavorites -pmnFavorites", .run = [](W &w, QAction *) { w.favoriteTree()->RefreshIfIdle(); }},
        {.name = "actFavoritesOrganize", .image = 38, .texts = Texts::CaptionOnly,
         .menus = "mniFavorites pmnFavorites", .run = [](W &w, QAction *) { w.favoriteTree()->OrganizeFavorites(); }},
        {.name = "actFavoritesImport", .enable = Enable::FavoriteTransfer, .texts = Texts::CaptionOnly,
         .menus = "-mniFavorites -pmnFavorites", .run = [](W &w, QAction *) { w.favoriteTree()->ImportFavorites(); }},
        {.name = "actFavoritesExport", .enable = Enable::FavoriteTransfer, .texts = Texts::CaptionOnly,
         .menus = "mniFavorites pmnFavorites", .run = [](W &w, QAction *) { w.favoriteTree()->ExportFavorites(); }},
        {.name = "mniHistory", .flags = Menu, .texts = Texts::CaptionOnly, .menus = "mniTools"},
        {.name = "actHistoryAddToFavorites", .image = 34, .enable = Enable::HistoryUrlVisible,
         .texts = Texts::CaptionOnly, .menus = "pmnHistory",
         .run = [](W &w, QAction *) { w.actHistoryAddToFavoritesExecute(); }},
        {.name = "actHistoryOpen", .image = 8, .enable = Enable::HistoryUrl, .texts = Texts::CaptionOnly,
         .menus = "-pmnHistory", .run = [](W &w, QAction *) {
             if (const THistoryNode *node = w.historyTree()->GetSelected())
                 w.OpenTreeUrl(node->Url, false);
         }},
        {.name = "actHistoryOpenNew", .image = 35, .enable = Enable::HistoryUrl, .texts = Texts::CaptionOnly,
         .menus = "pmnHistory", .run = [](W &w, QAction *) {
             if (const THistoryNode *node = w.historyTree()->GetSelected())
                 w.OpenTreeUrl(node->Url, true);
         }},
        {.name = "actHistoryDelete", .image = 36, .enable = Enable::HistorySelected, .texts = Texts::CaptionOnly,
         .menus = "-pmnHistory",
         .run = [](W &w, QAction *) { w.historyTree()->DeleteNode(w.historyTree()->GetSelected()); }},
        {.name = "actHistoryRefresh", .image = 37, .texts = Texts::CaptionOnly, .menus = "mniHistory",
         .run = [](W &w, QAction *) { w.historyTree()->RefreshIfIdle(); }},
        {.name = "mniBookmark", .flags = Menu, .texts = Texts::CaptionOnly, .menus = "mniTools"},
        {.name = "actBookmarkOpen", .image = 8, .enable = Enable::BookmarkUrl, .texts = Texts::CaptionOnly,
         .menus = "pmnBookmark", .run = [](W &w, QAction *) {
             if (const TBookmarkNode *node = w.BookmarkTreeView->GetSelected())
                 w.OpenTreeUrl(node->Url, false);
         }},
        {.name = "actBookmarkOpenNew", .image = 35, .enable = Enable::BookmarkUrl, .texts = Texts::CaptionOnly,
         .menus = "pmnBookmark", .run = [](W &w, QAction *) {
             if (const TBookmarkNode *node = w.BookmarkTreeView->GetSelected())
                 w.OpenTreeUrl(node->Url, true);
         }},
        {.name = "actBookmarkDelete", .image = 36, .enable = Enable::BookmarkSelected, .texts = Texts::CaptionOnly,
         .menus = "-pmnBookmark",
         .run = [](W &w, QAction *) { w.BookmarkTreeView->DeleteNode(w.BookmarkTreeView->GetSelected()); }},
        {.name = "actBookmarkRename", .enable = Enable::BookmarkSelected, .texts = Texts::CaptionOnly,
         .menus = "pmnBookmark", .run = [](W &w, QAction *) {
             if (TBookmarkNode *node = w.BookmarkTreeView->GetSelected())
                 node->BeginRename();
         }},
        {.name = "actBookmarkProperty", .image = 6, .enable = Enable::BookmarkUrl, .texts = Texts::CaptionOnly,
         .menus = "-pmnBookmark", .run = [](W &w, QAction *) { w.actBookmarkPropertyExecute(); }},
        {.name = "actBookmarkAddToFavorites", .image = 34, .enable = Enable::BookmarkUrl, .texts = Texts::CaptionOnly,
         .menus = "-pmnBookmark", .run = [](W &w, QAction *) { w.actBookmarkAddToFavoritesExecute(); }},
        // without a list, adding makes one in the data folder
        {.name = "actBookmarkAddFolder", .texts = Texts::CaptionOnly, .menus = "-pmnBookmark",
         .run = [](W &w, QAction *) { w.actBookmarkAddFolderExecute(); }},
        {.name = "actBookmarkAddUrl", .texts = Texts::CaptionOnly, .menus = "mniBookmark pmnBookmark",
         .run = [](W &w, QAction *) { w.actBookmarkAddUrlExecute(); }},
        {.name = "actBookmarkLoad", .image = 1, .texts = Texts::CaptionOnly, .menus = "-mniBookmark -pmnBookmark",
         .run = [](W &w, QAction *) { w.actBookmarkLoadExecute(); }},
        {.name = "actBookmarkSave", .image = 2, .enable = Enable::BookmarkModified, .texts = Texts::CaptionOnly,
         .menus = "-mniBookmark pmnBookmark", .run = [](W &w, QAction *) { w.actBookmarkSaveExecute(); }},
        {.name = "actBookmarkSaveAs", .enable = Enable::BookmarkList, .texts = Texts::CaptionOnly,
         .menus = "mniBookmark pmnBookmark", .run = [](W &w, QAction *) { w.actBookmarkSaveAsExecute(); }},
        {.name = "actResetSetting", .image = 21, .menus = "-mniTools",
         .run = [](W &w, QAction *) { w.actResetSettingExecute(); }},
        {.name = "actMailToOptions", .menus = "-mniTools", .run = [](W &w, QAction *) { w.actMailToOptionsExecute(); }},
        {.name = "actInternetOptions", .image = 22, .menus = "mniTools",
         .run = [](W &w, QAction *) { w.actInternetOptionsExecute(); }},

        // Language: the Tag is the language
        {.name = "mniLanguage", .flags = Menu | MenuBar, .texts = Texts::None},
        language("actEnglish", 0),
        language("actJapaneseKanji", 1),
        language("actJapaneseHiragana", 2),
        language("actSimplifiedChinese", 3),
        language("actTraditionalChinese", 4),
        language("actKorean", 5, Enable::Disabled),
        language("actGerman", 6, Enable::Disabled),
        language("actFrench", 7, Enable::Disabled),
        language("actItalian", 8, Enable::Disabled),
        language("actSpanish", 9, Enable::Disabled),
        language("actPortuguese", 10, Enable::Disabled),

        // Windows
        {.name = "mniWindows", .flags = Menu | MenuBar, .texts = Texts::None},
        {.name = "actSaveBrowsers", .menus = "mniWindows", .run = [](W &w, QAction *) { w.actSaveBrowsersExecute(); }},
        {.name = "actTile", .enable = Enable::Page, .menus = "-mniWindows",
         .run = [](W &w, QAction *) { w.Arrange(W::Arrangement::Tile); }},
        {.name = "actTileV", .image = 24, .enable = Enable::Page, .menus = "mniWindows", .tool = {21, 15},
         .run = [](W &w, QAction *) { w.Arrange(W::Arrangement::TileVertical); }},
        {.name = "actTileH", .image = 25, .enable = Enable::Page, .menus = "mniWindows", .tool = {22, 16},
         .run = [](W &w, QAction *) { w.Arrange(W::Arrangement::TileHorizontal); }},
        {.name = "actCascade", .image = 23, .enable = Enable::Page, .menus = "mniWindows", .tool = {20, 14},
         .run = [](W &w, QAction *) { w.Arrange(W::Arrangement::Cascade); }},
        {.name = "actArrangeIcons", .enable = Enable::Page, .menus = "mniWindows",
         .run = [](W &w, QAction *) { w.Arrange(W::Arrangement::Icons); }},
        {.name = "actMinimizeAll", .enable = Enable::Page, .menus = "mniWindows",
         .run = [](W &w, QAction *) { w.actMinimizeAllExecute(); }},
        {.name = "actCloseAll", .enable = Enable::Page, .menus = "mniWindows",
         .run = [](W &w, QAction *) { w.actCloseAllExecute(false); }},
        {.name = "actCloseAllOthers", .enable = Enable::Page, .menus = "mniWindows",
         .run = [](W &w, QAction *) { w.actCloseAllExecute(true); }},
        {.name = "actRestoreAll", .enable = Enable::Page, .menus = "mniWindows",
         .run = [](W &w, QAction *) { w.RestoreMinimizedBrowsers(); }},

        // Help
        {.name = "mniHelp", .flags = Menu | MenuBar, .texts = Texts::None},
        {.name = "actContents", .image = 26, .menus = "mniHelp",
         .run = [](W &w, QAction *) { w.ShowHelp(W::HelpTopic::Contents); }, .pageKey = "F1"},
        {.name = "actTopicSearch", .image = 27, .menus = "mniHelp",
         .run = [](W &w, QAction *) { w.ShowHelp(W::HelpTopic::Search); }},
        {.name = "actHowToUseHelp", .menus = "mniHelp", .run = [](W &w, QAction *) { w.ShowHelp(W::HelpTopic::HowTo); }},
        {.name = "actAbout", .image = 45, .menus = "-mniHelp", .run = [](W &w, QAction *) { w.actAboutExecute(); }},

        // the window tabs' pop-up menu: the Tag is the state the command puts the page window in
        {.name = "actWindowRestore", .tag = int(TWindowState::wsNormal), .enable = Enable::WindowState,
         .menus = "pmnWindowsBar", .run = [](W &w, QAction *a) { w.actWindowStateExecute(a); }},
        {.name = "actWindowMinimize", .tag = int(TWindowState::wsMinimized), .enable = Enable::WindowState,
         .menus = "-pmnWindowsBar", .run = [](W &w, QAction *a) { w.actWindowStateExecute(a); }},
        {.name = "actWindowMaximize", .tag = int(TWindowState::wsMaximized), .enable = Enable::WindowState,
         .menus = "pmnWindowsBar", .run = [](W &w, QAction *a) { w.actWindowStateExecute(a); }},
        {.name = "actWindowClose", .enable = Enable::Page, .menus = "-pmnWindowsBar",
         .run = [](W &w, QAction *) { w.actCloseExecute(); }},

        // the link buttons' pop-up menu: the Tag is the number of the button it was opened on
        {.name = "actLinkOpen", .image = 8, .enable = Enable::Link, .menus = "pmnLinks",
         .run = [](W &w, QAction *a) { w.actLinkOpenExecute(a, false); }},
        {.name = "actLinkOpenNewWindow", .image = 35, .enable = Enable::Link, .menus = "pmnLinks",
         .run = [](W &w, QAction *a) { w.actLinkOpenExecute(a, true); }},
        {.name = "actLinkDelete", .image = 36, .enable = Enable::Link, .menus = "-pmnLinks",
         .run = [](W &w, QAction *a) { w.actLinkDeleteExecute(a); }},
        {.name = "actLinkEdit", .menus = "-pmnLinks",
         .run = [](W &w, QAction *) { w.action("actCustomizeLinks")->trigger(); }},
    };
    // clang-format on
    return table;
}

MainCommands::MainCommands(TfrmMain &window)
    : m_window(window)
    , m_updater(new ActionUpdater(&window))
{
    // every menu first, so a row may place its item in a menu declared further down
    for (const Row &row : rows()) {
        if (!(row.flags & Menu))
            continue;
        const QString name = QString::fromLatin1(row.name);
        auto *m = new QMenu(&window);
        m->setObjectName(name);
        m->setTitle(name);
        m->setToolTipsVisible(true);
        // a menu never shows a stale state
        QObject::connect(m, &QMenu::aboutToShow, &window, [this] { updateAll(); });
        m_menus.insert(name, m);
        if (row.flags & MenuBar)
            m_menuBar.append(m);
    }
    for (const Row &row : rows()) {
        if (!(row.flags & Menu)) {
            createAction(row, QString::fromLatin1(row.name), false);
            if (row.tool.number >= 0)
                createAction(row, toolBarName(row.name), true);
        }
        placeInMenus(row);
    }
}

MainCommands::~MainCommands() = default;

QAction *MainCommands::actionForPageKey(QKeyCombination key) const
{
    if (QAction *a = m_pageKeys.value(key.toCombined()))
        return a;
    const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35;
    return functionKey ? m_pageKeys.value(QKeyCombination(key.key()).toCombined()) : nullptr;
}

void MainCommands::createAction(const Row &row, const QString &name, bool toolBar)
{
    auto *a = new QAction(&m_window);
    a->setObjectName(name);
    a->setText(name); // replaced by the language table at once
    a->setData(row.tag);
    a->setProperty("Tag", row.tag);
    a->setProperty("Toolbar", toolBar);
    if (!toolBar && *row.shortcut) {
        a->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        a->setShortcutContext(Qt::WindowShortcut);
    }
    if (toolBar)
        a->setIcon(toolbarImage(row.tool.image));
    else if (row.image >= 0)
        a->setIcon(icons::menuIcon(row.image));
    a->setCheckable((row.flags & Checkable) != 0);
    a->setChecked(!toolBar && (row.flags & Checked) != 0);
    m_window.addAction(a);
    m_actions.insert(name, a);
    if (!toolBar && *row.pageKey)
        m_pageKeys.insert(QKeySequence(QString::fromLatin1(row.pageKey))[0].toCombined(), a);
    TfrmMain *window = &m_window;
    const Enable rule = row.enable;
    m_updater->add(a, [window, rule](QAction *act) { update(*window, act, rule); });
    if (toolBar) {
        // a tool-bar action runs its menu action's command
        QAction *target = m_actions.value(QString::fromLatin1(row.name));
        QObject::connect(a, &QAction::triggered, window, [a, target] {
            if (a->isCheckable())
                a->setChecked(!a->isChecked()); // the command itself sets the mark
            target->trigger();
        });
    } else if (row.run) {
        const Handler run = row.run;
        QObject::connect(a, &QAction::triggered, window, [window, a, run] { run(*window, a); });
    }
}

void MainCommands::placeInMenus(const Row &row)
{
    const QString self = QString::fromLatin1(row.name);
    for (QString place : QString::fromLatin1(row.menus).split(u' ', Qt::SkipEmptyParts)) {
        const bool separator = place.startsWith(u'-');
        if (separator)
            place.remove(0, 1);
        QMenu *into = m_menus.value(place);
        Q_ASSERT_X(into, row.name, "placed in a menu no row declares");
        if (!into)
            continue;
        if (separator)
            into->addSeparator();
        if (QMenu *sub = m_menus.value(self)) {
            sub->setParent(into, sub->windowFlags());
            into->addMenu(sub);
        } else {
            into->addAction(m_actions.value(self));
        }
    }
}

void MainCommands::update(TfrmMain &window, QAction *act, Enable rule)
{
    TfrmBrowser *page = window.ActiveBrowser();
    // read only by the rules of a family, not at every update of every command
    const auto tagOf = [act] { return act->property("Tag").toInt(); };
    switch (rule) {
    case Enable::Always:
        act->setEnabled(true);
        break;
    case Enable::Page:
        act->setEnabled(page != nullptr);
        break;
    case Enable::CanBack:
        act->setEnabled(page && page->CanGoBack());
        break;
    case Enable::CanForward:
        act->setEnabled(page && page->CanGoForward());
        break;
    case Enable::PageSize:
    case Enable::PageEncode: {
        act->setEnabled(page != nullptr);
        if (page) {
            const auto &list = rule == Enable::PageSize ? page->FontList() : page->EncodeList();
            const int tag = tagOf();
            if (tag >= 0 && tag < list.size())
                act->setChecked(list.at(tag)->isChecked());
        }
        break;
    }
    case Enable::WindowState:
        act->setEnabled(page && page->WindowStateValue() != TWindowState(tagOf()));
        break;
    case Enable::Link: {
        const int tag = tagOf();
        act->setEnabled(tag >= 0 && tag < BrivoIni->Links.size());
        break;
    }
    case Enable::FavoriteUrl:
    case Enable::FavoriteDelete:
    case Enable::FavoriteRename: {
        // a page never shown has nothing selected
        const TFavoriteNode *node = window.FavoriteTreeView ? window.FavoriteTreeView->GetSelected() : nullptr;
        act->setEnabled(node && (rule == Enable::FavoriteUrl      ? !node->Url.isEmpty()
                                 : rule == Enable::FavoriteDelete ? node->CanDelete
                                                                  : node->CanRename));
        break;
    }
    case Enable::HistoryUrl:
    case Enable::HistoryUrlVisible:
    case Enable::HistorySelected: {
        const THistoryNode *node = window.HistoryTreeView ? window.HistoryTreeView->GetSelected() : nullptr;
        const bool withUrl = node && !node->Url.isEmpty();
        if (rule == Enable::HistoryUrlVisible)
            act->setVisible(withUrl);
        act->setEnabled(rule == Enable::HistorySelected ? node != nullptr : withUrl);
        break;
    }
    case Enable::BookmarkUrl:
    case Enable::BookmarkSelected: {
        const TBookmarkNode *node = window.BookmarkTreeView->GetSelected();
        act->setEnabled(node && (rule == Enable::BookmarkSelected || !node->Url.isEmpty()));
        break;
    }
    case Enable::BookmarkModified:
        act->setEnabled(window.BookmarkTreeView->Modified());
        break;
    case Enable::BookmarkList:
        act->setEnabled(window.BookmarkTreeView->CanAdd());
        break;
    case Enable::FavoriteTransfer:
        act->setVisible(window.FavoriteTreeView ? window.FavoriteTreeView->ImportExportAvailable()
                                                : window.FFavoritesTransfer);
        act->setEnabled(true);
        break;
    case Enable::Disabled:
    case Enable::Pending:
        act->setEnabled(false);
        break;
    }
}

void MainCommands::updateAll()
{
    m_updater->updateAll();
}

void MainCommands::ApplyLanguage(const TMemIni &table) const
{
    auto apply = [&](const QString &name, const QString &key, Texts texts) {
        if (texts == Texts::None)
            return;
        const QString caption = mainText(table, key);
        const QString hint = texts == Texts::CaptionAndHint  ? mainText(table, key + QStringLiteral("Hint"))
                             : texts == Texts::CaptionIsHint ? caption
                                                             : QString();
        if (QMenu *m = m_menus.value(name)) {
            m->setTitle(caption);
            if (texts != Texts::CaptionOnly)
                hints::setHint(m->menuAction(), hint);
        } else if (QAction *a = m_actions.value(name)) {
            a->setText(caption);
            if (texts != Texts::CaptionOnly)
                hints::setHint(a, hint);
        }
    };
    for (const Row &row : rows()) {
        const QString name = QString::fromLatin1(row.name);
        apply(name, row.textKey ? QString::fromLatin1(row.textKey) : name, row.texts);
        if (row.tool.number >= 0)
            apply(toolBarName(row.name), toolBarName(row.name), Texts::CaptionAndHint);
    }
}

QString MainCommands::toolButtonTemplate(int number)
{
    const QStringList &names = toolTemplate();
    return number >= 0 && number < names.size() ? names.at(number) : QString();
}

int MainCommands::toolButtonTemplateCount()
{
    return int(toolTemplate().size());
}
