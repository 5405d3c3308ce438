// The main window's actions, created from one table, and its menus.
#include "browser/Browser.h"
#include "browser/BrowserDialogs.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/InternetOptions.h"
#include "browser/WebEngineProfiles.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCompact02.h"
#include "mainwindow/PageScrollers.h"
#include "mainwindow/StatusBars.h"
#include "platform/ActionUpdater.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>

namespace {

enum Flag : unsigned {
    Checkable = 1,
    Checked = 2,
    Toolbar = 4, // a tool-bar action (acttb...)
};

// When an action is enabled.
enum class Rule {
    Always,
    Page,        // a page window is active
    CanBack,     // the active page can go back
    CanForward,  // the active page can go forward
    PageSize,    // a page window is active; the mark follows its text-size action
    PageEncode,  // a page window is active; the mark follows its encoding action
    WindowState, // tab pop-up: a page window is active and not already in the action's state
    Link,        // the link the action's tag names still exists
    Disabled,    // a language without a table
    Pending,     // the command needs a part of the program that has not been built yet
};

struct ActionDef {
    const char *name;
    int tag;
    const char *shortcut;
    int image;
    unsigned flags;
    Rule rule;
};

// clang-format off
const ActionDef kActions[] = {
    // File
    {"actNewBrowser", 0, "Ctrl+N", 0, 0, Rule::Always},
    {"actOpen", 0, "Ctrl+O", 1, 0, Rule::Always},
    {"actSave", 0, "Ctrl+S", 2, 0, Rule::Page},
    {"actClose", 0, "", 3, 0, Rule::Page},
    {"actPageSetup", 0, "", -1, 0, Rule::Page},
    {"actPrint", 0, "Ctrl+P", 4, 0, Rule::Page},
    {"actPreview", 0, "", 5, 0, Rule::Page},
    {"actProperty", 0, "", 6, 0, Rule::Page},
    {"actExit", 0, "", -1, 0, Rule::Always},
    // View
    {"actExplorerBar", 0, "", 7, Checkable | Checked, Rule::Always},
    {"actStatusBar", 0, "", -1, Checkable | Checked, Rule::Always},
    {"actBack", 0, "", 16, 0, Rule::CanBack},
    {"actHomepage", 0, "Alt+Home", 18, 0, Rule::Page},
    {"actForward", 0, "", 17, 0, Rule::CanForward},
    {"actStop", 0, "Esc", 9, 0, Rule::Page},
    {"actRefresh", 0, "F5", 10, 0, Rule::Page},
    {"actSource", 0, "", -1, 0, Rule::Page},
    {"actFullScreen", 0, "F11", 13, Checkable, Rule::Always},
    {"actFind", 0, "Ctrl+F", 14, 0, Rule::Page},
    {"actWindowsBar", 0, "", -1, Checkable | Checked, Rule::Always},
    {"actLinksBar", 0, "", -1, Checkable | Checked, Rule::Always},
    {"actToolbar", 0, "", -1, Checkable | Checked, Rule::Always},
    {"actSearchsBar", 0, "", 15, Checkable | Checked, Rule::Always},
    {"actAddressBar", 0, "", -1, Checkable | Checked, Rule::Always},
    {"actSmallest", 0, "", -1, Checkable, Rule::PageSize},
    {"actSmaller", 1, "", -1, Checkable, Rule::PageSize},
    {"actMedium", 2, "", -1, Checkable, Rule::PageSize},
    {"actLarger", 3, "", -1, Checkable, Rule::PageSize},
    {"actLargest", 4, "", -1, Checkable, Rule::PageSize},
    // encodings
    {"actDefaultCharSet", 0, "", -1, Checkable | Checked, Rule::PageEncode},
    {"actAutoDetect", 1, "", -1, Checkable, Rule::PageEncode},
    {"actJapaneseAutoDetect", 2, "", -1, Checkable, Rule::PageEncode},
    {"actJapaneseShiftJIS", 3, "", -1, Checkable, Rule::PageEncode},
    {"actJapaneseEUCJP", 4, "", -1, Checkable, Rule::PageEncode},
    {"actUnicodeUTF8", 5, "", -1, Checkable, Rule::PageEncode},
    {"actUnicodeUTF7", 6, "", -1, Checkable, Rule::PageEncode},
    {"actArabiaWindows", 7, "", -1, Checkable, Rule::PageEncode},
    {"actBalticISO", 8, "", -1, Checkable, Rule::PageEncode},
    {"actBalticWindows", 9, "", -1, Checkable, Rule::PageEncode},
    {"actCentralEuropeISO", 10, "", -1, Checkable, Rule::PageEncode},
    {"actCentralEuropeWindows", 11, "", -1, Checkable, Rule::PageEncode},
    {"actSimplifiedChineseGB2312", 12, "", -1, Checkable, Rule::PageEncode},
    {"actSimplifiedChineseHZ", 13, "", -1, Checkable, Rule::PageEncode},
    {"actTraditionalChineseBig5", 14, "", -1, Checkable, Rule::PageEncode},
    {"actCyrillicISO", 15, "", -1, Checkable, Rule::PageEncode},
    {"actCyrillicKOI8R", 16, "", -1, Checkable, Rule::PageEncode},
    {"actCyrillicWindows", 17, "", -1, Checkable, Rule::PageEncode},
    {"actGreekISO", 18, "", -1, Checkable, Rule::PageEncode},
    {"actGreekWindows", 19, "", -1, Checkable, Rule::PageEncode},
    {"actHebrewWindows", 20, "", -1, Checkable, Rule::PageEncode},
    {"actKoreanAutoDetect", 21, "", -1, Checkable, Rule::PageEncode},
    {"actThaiWindows", 22, "", -1, Checkable, Rule::PageEncode},
    {"actTurkishISO", 23, "", -1, Checkable, Rule::PageEncode},
    {"actTurkishWindows", 24, "", -1, Checkable, Rule::PageEncode},
    {"actVietnameseWindows", 25, "", -1, Checkable, Rule::PageEncode},
    {"actWestEuropeISO", 26, "", -1, Checkable, Rule::PageEncode},
    {"actWestEuropeWindows", 27, "", -1, Checkable, Rule::PageEncode},
    {"actLatinISO", 28, "", -1, Checkable, Rule::PageEncode},
    // Tools
    {"actCustomizeLinks", 0, "", -1, 0, Rule::Pending},
    {"actCustomizeToolButtons", 0, "", -1, 0, Rule::Pending},
    {"actCustomizeSearchs", 0, "", 15, 0, Rule::Pending},
    {"actAddToLinks", 0, "", -1, 0, Rule::Page},
    {"actMail", 0, "Ctrl+M", 19, 0, Rule::Pending},
    {"actMailTo", 0, "", 20, 0, Rule::Pending},
    {"actMailToOptions", 0, "", -1, 0, Rule::Pending},
    {"actResetSetting", 0, "", 21, 0, Rule::Pending},
    {"actInternetOptions", 0, "", 22, 0, Rule::Always},
    // Language
    {"actEnglish", 0, "", -1, Checkable, Rule::Always},
    {"actJapaneseKanji", 1, "", -1, Checkable, Rule::Always},
    {"actJapaneseHiragana", 2, "", -1, Checkable, Rule::Always},
    {"actSimplifiedChinese", 3, "", -1, Checkable, Rule::Always},
    {"actTraditionalChinese", 4, "", -1, Checkable, Rule::Always},
    {"actKorean", 5, "", -1, Checkable, Rule::Disabled},
    {"actGerman", 6, "", -1, Checkable, Rule::Disabled},
    {"actFrench", 7, "", -1, Checkable, Rule::Disabled},
    {"actItalian", 8, "", -1, Checkable, Rule::Disabled},
    {"actSpanish", 9, "", -1, Checkable, Rule::Disabled},
    {"actPortuguese", 10, "", -1, Checkable, Rule::Disabled},
    // Windows
    {"actSaveBrowsers", 0, "", -1, 0, Rule::Always},
    {"actTile", 0, "", -1, 0, Rule::Page},
    {"actTileV", 0, "", 24, 0, Rule::Page},
    {"actTileH", 0, "", 25, 0, Rule::Page},
    {"actCascade", 0, "", 23, 0, Rule::Page},
    {"actArrangeIcons", 0, "", -1, 0, Rule::Page},
    {"actMinimizeAll", 0, "", -1, 0, Rule::Page},
    {"actCloseAll", 0, "", -1, 0, Rule::Page},
    {"actCloseAllOthers", 0, "", -1, 0, Rule::Page},
    {"actRestoreAll", 0, "", -1, 0, Rule::Page},
    // Help
    {"actAbout", 0, "", 45, 0, Rule::Always},
    {"actContents", 0, "", 26, 0, Rule::Always},
    {"actTopicSearch", 0, "", 27, 0, Rule::Always},
    {"actHowToUseHelp", 0, "", -1, 0, Rule::Always},
    // tool bar
    {"acttbNewBrowser", 0, "", 0, Toolbar, Rule::Always},
    {"acttbClose", 0, "", 1, Toolbar, Rule::Page},
    {"acttbBack", 0, "", 2, Toolbar, Rule::CanBack},
    {"acttbForward", 0, "", 3, Toolbar, Rule::CanForward},
    {"acttbStop", 0, "", 4, Toolbar, Rule::Page},
    {"acttbRefresh", 0, "", 5, Toolbar, Rule::Page},
    {"acttbHomepage", 0, "", 6, Toolbar, Rule::Page},
    {"acttbOpen", 0, "", 7, Toolbar, Rule::Always},
    {"acttbSave", 0, "", 8, Toolbar, Rule::Page},
    {"acttbPrint", 0, "", 9, Toolbar, Rule::Page},
    {"acttbExplorerBar", 0, "", 10, Toolbar | Checkable, Rule::Always},
    {"acttbMail", 0, "", 11, Toolbar, Rule::Pending},
    {"acttbMailTo", 0, "", 12, Toolbar, Rule::Pending},
    {"acttbFullScreen", 0, "", 13, Toolbar | Checkable, Rule::Always},
    {"acttbCascade", 0, "", 14, Toolbar, Rule::Page},
    {"acttbTileV", 0, "", 15, Toolbar, Rule::Page},
    {"acttbTileH", 0, "", 16, Toolbar, Rule::Page},
    // window tabs
    {"actWindowMinimize", int(TWindowState::wsMinimized), "", -1, 0, Rule::WindowState},
    {"actWindowMaximize", int(TWindowState::wsMaximized), "", -1, 0, Rule::WindowState},
    {"actWindowRestore", int(TWindowState::wsNormal), "", -1, 0, Rule::WindowState},
    {"actWindowClose", 0, "", -1, 0, Rule::Page},
    // link buttons
    {"actLinkOpen", 0, "", 8, 0, Rule::Link},
    {"actLinkOpenNewWindow", 0, "", 35, 0, Rule::Link},
    {"actLinkDelete", 0, "", 36, 0, Rule::Link},
    {"actLinkEdit", 0, "", -1, 0, Rule::Pending},
    // explorer bar
    {"actFavoritesAdd", 0, "", 34, 0, Rule::Pending},
    {"actFavoritesOpen", 0, "", 8, 0, Rule::Pending},
    {"actFavoritesOpenNew", 0, "", 35, 0, Rule::Pending},
    {"actFavoritesDelete", 0, "", 36, 0, Rule::Pending},
    {"actFavoritesRename", 0, "", -1, 0, Rule::Pending},
    {"actFavoritesRefresh", 0, "", 37, 0, Rule::Pending},
    {"actFavoritesOrganize", 0, "", 38, 0, Rule::Pending},
    {"actFavoritesImport", 0, "", -1, 0, Rule::Pending},
    {"actFavoritesExport", 0, "", -1, 0, Rule::Pending},
    {"actHistoryOpen", 0, "", 8, 0, Rule::Pending},
    {"actHistoryOpenNew", 0, "", 35, 0, Rule::Pending},
    {"actHistoryDelete", 0, "", 36, 0, Rule::Pending},
    {"actHistoryRefresh", 0, "", 37, 0, Rule::Pending},
    {"actHistoryAddToFavorites", 0, "", 34, 0, Rule::Pending},
    {"actBookmarkOpen", 0, "", 8, 0, Rule::Pending},
    {"actBookmarkOpenNew", 0, "", 35, 0, Rule::Pending},
    {"actBookmarkDelete", 0, "", 36, 0, Rule::Pending},
    {"actBookmarkRename", 0, "", -1, 0, Rule::Pending},
    {"actBookmarkProperty", 0, "", 6, 0, Rule::Pending},
    {"actBookmarkLoad", 0, "", 1, 0, Rule::Pending},
    {"actBookmarkSave", 0, "", 2, 0, Rule::Pending},
    {"actBookmarkSaveAs", 0, "", -1, 0, Rule::Pending},
    {"actBookmarkAddUrl", 0, "", -1, 0, Rule::Pending},
    {"actBookmarkAddFolder", 0, "", -1, 0, Rule::Pending},
    {"actBookmarkAddToFavorites", 0, "", 34, 0, Rule::Pending},
};
// clang-format on

// What each tool-bar action executes.
const char *const kToolbarTargets[][2] = {
    {"acttbNewBrowser", "actNewBrowser"},
    {"acttbClose", "actClose"},
    {"acttbBack", "actBack"},
    {"acttbForward", "actForward"},
    {"acttbStop", "actStop"},
    {"acttbRefresh", "actRefresh"},
    {"acttbHomepage", "actHomepage"},
    {"acttbOpen", "actOpen"},
    {"acttbSave", "actSave"},
    {"acttbPrint", "actPrint"},
    {"acttbExplorerBar", "actExplorerBar"},
    {"acttbMail", "actMail"},
    {"acttbMailTo", "actMailTo"},
    {"acttbFullScreen", "actFullScreen"},
    {"acttbCascade", "actCascade"},
    {"acttbTileV", "actTileV"},
    {"acttbTileH", "actTileH"},
};

} // namespace

int mainActionCount()
{
    return int(std::size(kActions));
}

namespace {
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
} // namespace

void TfrmMain::CreateActions()
{
    for (const ActionDef &d : kActions) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(d.name));
        a->setText(a->objectName()); // replaced by the language table at once
        a->setData(d.tag);
        a->setProperty("Tag", d.tag);
        a->setProperty("Toolbar", (d.flags & Toolbar) != 0);
        if (*d.shortcut) {
            a->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
            a->setShortcutContext(Qt::WindowShortcut);
        }
        if (d.image >= 0)
            a->setIcon((d.flags & Toolbar) ? toolbarImage(d.image) : icons::menuIcon(d.image));
        a->setCheckable((d.flags & Checkable) != 0);
        a->setChecked((d.flags & Checked) != 0);
        addAction(a);
        FActions.insert(a->objectName(), a);
        const Rule rule = d.rule;
        Updater->add(a, [this, rule](QAction *act) {
            TfrmBrowser *page = ActiveBrowser();
            switch (rule) {
            case Rule::Always:
                act->setEnabled(true);
                break;
            case Rule::Page:
                act->setEnabled(page != nullptr);
                break;
            case Rule::CanBack:
                act->setEnabled(page && page->CanGoBack());
                break;
            case Rule::CanForward:
                act->setEnabled(page && page->CanGoForward());
                break;
            case Rule::PageSize:
            case Rule::PageEncode: {
                act->setEnabled(page != nullptr);
                if (page) {
                    const auto &list = rule == Rule::PageSize ? page->FontList() : page->EncodeList();
                    const int tag = act->property("Tag").toInt();
                    if (tag >= 0 && tag < list.size())
                        act->setChecked(list.at(tag)->isChecked());
                }
                break;
            }
            case Rule::WindowState:
                act->setEnabled(page && page->WindowStateValue() != TWindowState(act->property("Tag").toInt()));
                break;
            case Rule::Link: {
                const int tag = act->property("Tag").toInt();
                act->setEnabled(tag >= 0 && tag < BrivoIni->Links.size());
                break;
            }
            case Rule::Disabled:
            case Rule::Pending:
                act->setEnabled(false);
                break;
            }
        });
    }
    // the tool-bar actions run their menu action's command
    for (const auto &pair : kToolbarTargets) {
        QAction *tb = FActions.value(QString::fromLatin1(pair[0]));
        QAction *target = FActions.value(QString::fromLatin1(pair[1]));
        connect(tb, &QAction::triggered, this, [tb, target] {
            if (tb->isCheckable())
                tb->setChecked(!tb->isChecked()); // the command itself sets the mark
            target->trigger();
        });
    }

    FLanguageActions.clear();
    for (const char *name :
         {"actEnglish", "actJapaneseKanji", "actJapaneseHiragana", "actSimplifiedChinese", "actTraditionalChinese",
          "actKorean", "actGerman", "actFrench", "actItalian", "actSpanish", "actPortuguese"})
        FLanguageActions.append(FActions.value(QString::fromLatin1(name)));

    auto on = [this](const char *name, auto handler) {
        connect(FActions.value(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("actNewBrowser", [this] { actNewBrowserExecute(); });
    on("actOpen", [this] { actOpenExecute(); });
    on("actClose", [this] { actCloseExecute(); });
    on("actExit", [this] { actExitExecute(); });
    on("actLinksBar", [this] { actBarToggle(action("actLinksBar"), pnlLinks); });
    on("actToolbar", [this] { actBarToggle(action("actToolbar"), pgsToolButtons); });
    on("actSearchsBar", [this] { actBarToggle(action("actSearchsBar"), pnlSearchsBar); });
    on("actAddressBar", [this] { actBarToggle(action("actAddressBar"), pnlAddressBar); });
    on("actWindowsBar", [this] { actBarToggle(action("actWindowsBar"), tbcWindows); });
    on("actStatusBar", [this] { actBarToggle(action("actStatusBar"), StatusBar); });
    on("actFullScreen", [this] { actFullScreenExecute(); });
    on("actExplorerBar", [this] { actExplorerBarExecute(); });
    on("actWindowMinimize", [this] { actWindowStateExecute(TWindowState::wsMinimized); });
    on("actWindowMaximize", [this] { actWindowStateExecute(TWindowState::wsMaximized); });
    on("actWindowRestore", [this] { actWindowStateExecute(TWindowState::wsNormal); });
    on("actWindowClose", [this] { actCloseExecute(); });
    for (QAction *a : std::as_const(FLanguageActions))
        connect(a, &QAction::triggered, this, [this, a] { actLanguageExecute(a); });
    for (const ActionDef &d : kActions) {
        if (d.rule == Rule::PageSize || d.rule == Rule::PageEncode) {
            QAction *a = FActions.value(QString::fromLatin1(d.name));
            const bool sizes = d.rule == Rule::PageSize;
            connect(a, &QAction::triggered, this, [this, a, sizes] { actPageFamilyExecute(a, sizes); });
        }
    }
    // page commands on the active page's browser control
    auto page = [this](const char *name, void (TIEBrowser::*command)()) {
        connect(FActions.value(QString::fromLatin1(name)), &QAction::triggered, this, [this, command] {
            if (TfrmBrowser *p = ActiveBrowser())
                (p->WebBrowser()->*command)();
        });
    };
    page("actSave", &TIEBrowser::SaveAs);
    page("actPageSetup", &TIEBrowser::PageSetup);
    page("actPrint", &TIEBrowser::Print);
    page("actPreview", &TIEBrowser::PrintPreview);
    page("actProperty", &TIEBrowser::Properties);
    page("actBack", &TIEBrowser::GoBack);
    page("actForward", &TIEBrowser::GoForward);
    page("actHomepage", &TIEBrowser::GoHome);
    page("actStop", &TIEBrowser::Stop);
    page("actRefresh", &TIEBrowser::Refresh);
    page("actSource", &TIEBrowser::ViewSource);
    page("actFind", &TIEBrowser::Find);
    on("actAddToLinks", [this] { actAddToLinksExecute(); });
    on("actLinkOpen", [this] {
        const int tag = action("actLinkOpen")->property("Tag").toInt();
        if (tag >= 0 && tag < FLinkButtons.size())
            LinkButtonClick(FLinkButtons.at(tag));
    });
    on("actLinkOpenNewWindow", [this] {
        const int tag = action("actLinkOpenNewWindow")->property("Tag").toInt();
        if (tag >= 0 && tag < FLinkButtons.size() && !FLinkButtons.at(tag)->isHidden())
            NewBrowser()->WebBrowser()->Navigate(FLinkButtons.at(tag)->property("Hint").toString());
    });
    on("actLinkDelete", [this] { actLinkDeleteExecute(); });
    on("actLinkEdit", [this] { action("actCustomizeLinks")->trigger(); });
    on("actSaveBrowsers", [this] { actSaveBrowsersExecute(); });
    on("actAbout", [this] { actAboutExecute(); });
    on("actTile", [this] { Arrange(Arrangement::Tile); });
    on("actTileV", [this] { Arrange(Arrangement::TileVertical); });
    on("actTileH", [this] { Arrange(Arrangement::TileHorizontal); });
    on("actCascade", [this] { Arrange(Arrangement::Cascade); });
    on("actArrangeIcons", [this] { Arrange(Arrangement::Icons); });
    on("actRestoreAll", [this] { RestoreMinimizedBrowsers(); });
    on("actMinimizeAll", [this] { actMinimizeAllExecute(); });
    on("actCloseAll", [this] { actCloseAllExecute(false); });
    on("actCloseAllOthers", [this] { actCloseAllExecute(true); });
    on("actContents", [this] { ShowHelp(HelpTopic::Contents); });
    on("actTopicSearch", [this] { ShowHelp(HelpTopic::Search); });
    on("actHowToUseHelp", [this] { ShowHelp(HelpTopic::HowTo); });
    on("actInternetOptions", [this] {
        if (TfrmBrowser *p = ActiveBrowser()) {
            p->WebBrowser()->InternetOptions();
            return;
        }
        // without a page the options act on the program's profile
        TInternetOptionsDialog dialog(webengine::profile(), QString(), this);
        browserDialogs().exec(dialog);
    });
}

void TfrmMain::CreateMenus()
{
    auto menu = [this](const QString &name, QWidget *parent) {
        auto *m = new QMenu(parent);
        m->setObjectName(name);
        m->setTitle(name);
        m->setToolTipsVisible(true);
        // a menu never shows a stale state
        connect(m, &QMenu::aboutToShow, this, &TfrmMain::UpdateActions);
        FMenus.insert(name, m);
        return m;
    };
    auto fill = [this](QMenu *m, const QStringList &items) {
        for (const QString &item : items) {
            if (item == u"-")
                m->addSeparator();
            else if (FMenus.contains(item))
                m->addMenu(FMenus.value(item));
            else
                m->addAction(FActions.value(item));
        }
    };
    QMenu *file = menu(QStringLiteral("mniFile"), this);
    fill(file, {"actNewBrowser", "actOpen", "actSave", "actClose", "-", "actPageSetup", "actPrint", "actPreview", "-",
                "actProperty", "actExit"});

    QMenu *view = menu(QStringLiteral("mniView"), this);
    QMenu *toolbar = menu(QStringLiteral("mniToolbar"), view);
    fill(toolbar, {"actLinksBar", "actToolbar", "actSearchsBar", "actAddressBar", "actWindowsBar"});
    QMenu *go = menu(QStringLiteral("mniGo"), view);
    fill(go, {"actBack", "actForward", "-", "actHomepage"});
    QMenu *font = menu(QStringLiteral("mniFont"), view);
    fill(font, {"actLargest", "actLarger", "actMedium", "actSmaller", "actSmallest"});
    QMenu *encode = menu(QStringLiteral("mniEncode"), view);
    QMenu *more = menu(QStringLiteral("mniMore"), encode);
    fill(more, {"actArabiaWindows",
                "-",
                "actBalticISO",
                "actBalticWindows",
                "-",
                "actCentralEuropeISO",
                "actCentralEuropeWindows",
                "-",
                "actCyrillicISO",
                "actCyrillicKOI8R",
                "actCyrillicWindows",
                "-",
                "actGreekISO",
                "actGreekWindows",
                "-",
                "actHebrewWindows",
                "-",
                "actLatinISO",
                "-",
                "actThaiWindows",
                "-",
                "actTurkishISO",
                "actTurkishWindows",
                "-",
                "actUnicodeUTF7",
                "actUnicodeUTF8",
                "-",
                "actVietnameseWindows"});
    fill(encode,
         {"actDefaultCharSet", "-", "actAutoDetect", "-", "actJapaneseAutoDetect", "actJapaneseShiftJIS",
          "actJapaneseEUCJP", "-", "actWestEuropeISO", "actWestEuropeWindows", "-", "actSimplifiedChineseGB2312",
          "actSimplifiedChineseHZ", "-", "actTraditionalChineseBig5", "-", "actKoreanAutoDetect", "-", "mniMore"});
    fill(view, {"mniToolbar", "actStatusBar", "actExplorerBar", "-", "mniGo", "actStop", "actRefresh", "-", "mniFont",
                "mniEncode", "-", "actSource", "actFullScreen", "-", "actFind"});

    QMenu *tools = menu(QStringLiteral("mniTools"), this);
    QMenu *customize = menu(QStringLiteral("mniCustomize"), tools);
    fill(customize, {"actCustomizeLinks", "actCustomizeSearchs", "actCustomizeToolButtons"});
    QMenu *favorites = menu(QStringLiteral("mniFavorites"), tools);
    fill(favorites, {"actFavoritesAdd", "-", "actFavoritesRefresh", "actFavoritesOrganize", "-", "actFavoritesImport",
                     "actFavoritesExport"});
    QMenu *history = menu(QStringLiteral("mniHistory"), tools);
    fill(history, {"actHistoryRefresh"});
    QMenu *bookmark = menu(QStringLiteral("mniBookmark"), tools);
    fill(bookmark, {"actBookmarkAddUrl", "-", "actBookmarkLoad", "-", "actBookmarkSave", "actBookmarkSaveAs"});
    fill(tools, {"actAddToLinks", "-", "actMail", "actMailTo", "-", "mniCustomize", "mniFavorites", "mniHistory",
                 "mniBookmark", "-", "actResetSetting", "-", "actMailToOptions", "actInternetOptions"});

    QMenu *language = menu(QStringLiteral("mniLanguage"), this);
    fill(language,
         {"actEnglish", "actJapaneseKanji", "actJapaneseHiragana", "actSimplifiedChinese", "actTraditionalChinese",
          "actKorean", "actGerman", "actFrench", "actItalian", "actSpanish", "actPortuguese"});
    QMenu *windows = menu(QStringLiteral("mniWindows"), this);
    fill(windows, {"actSaveBrowsers", "-", "actTile", "actTileV", "actTileH", "actCascade", "actArrangeIcons",
                   "actMinimizeAll", "actCloseAll", "actCloseAllOthers", "actRestoreAll"});
    QMenu *help = menu(QStringLiteral("mniHelp"), this);
    fill(help, {"actContents", "actTopicSearch", "actHowToUseHelp", "-", "actAbout"});

    QMenu *coolbar = menu(QStringLiteral("pmnCoolBar"), this);
    QMenu *customize2 = menu(QStringLiteral("mniCustomize2"), coolbar);
    fill(customize2, {"actCustomizeLinks", "actCustomizeSearchs", "actCustomizeToolButtons"});
    fill(coolbar,
         {"actLinksBar", "actToolbar", "actSearchsBar", "actAddressBar", "actWindowsBar", "-", "mniCustomize2"});

    QMenu *windowsBar = menu(QStringLiteral("pmnWindowsBar"), this);
    fill(windowsBar, {"actWindowRestore", "-", "actWindowMinimize", "actWindowMaximize", "-", "actWindowClose"});
    QMenu *links = menu(QStringLiteral("pmnLinks"), this);
    fill(links, {"actLinkOpen", "actLinkOpenNewWindow", "-", "actLinkDelete", "-", "actLinkEdit"});
    QMenu *pmnFavorites = menu(QStringLiteral("pmnFavorites"), this);
    fill(pmnFavorites,
         {"actFavoritesOpen", "actFavoritesOpenNew", "-", "actFavoritesDelete", "actFavoritesRename", "-",
          "actFavoritesRefresh", "actFavoritesOrganize", "-", "actFavoritesImport", "actFavoritesExport"});
    QMenu *pmnHistory = menu(QStringLiteral("pmnHistory"), this);
    fill(pmnHistory, {"actHistoryAddToFavorites", "-", "actHistoryOpen", "actHistoryOpenNew", "-", "actHistoryDelete"});
    QMenu *pmnBookmark = menu(QStringLiteral("pmnBookmark"), this);
    fill(pmnBookmark, {"actBookmarkOpen", "actBookmarkOpenNew", "-", "actBookmarkDelete", "actBookmarkRename", "-",
                       "actBookmarkProperty", "-", "actBookmarkAddToFavorites", "-", "actBookmarkAddFolder",
                       "actBookmarkAddUrl", "-", "actBookmarkLoad", "actBookmarkSave", "actBookmarkSaveAs"});
}
