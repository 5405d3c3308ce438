#pragma once
// The main frame window: the cool bar with its bands (menu bar with the logo and the links, tool bar,
// search bar, address bar, window tabs), the full-screen panel, the explorer bar beside the area of
// page windows, and the status bar. Page windows register themselves with it and report to it
// through their events; every command of the program is one of its actions, declared in the command
// table of MainCommands and run by a member of this window.
#include "platform/Types.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class AddressBand;
class FullScreenPanel;
class LinksBand;
class MainCommands;
class MenuBand;
class SearchBand;
class QAction;
class QCalendarWidget;
class QDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QTabBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QComboBox;
class TBrivoStatusBar;
class TComboList;
class TfrmBrowser;
class TPageScroller;
class TUrlComboBox;
class TBookmarkTreeView;
class TExplorerTreeView;
class TMemIni;
class TFavoriteTreeView;
class THistoryTreeView;
class TFileSystemPage;
class QFileDialog;
class TMGRichEditFramePrev;
class TO2BookmarkTreeView;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Navigates the active page window (a new one when none is open) to the URL, shown in the address
    // box first; an empty URL means "about:blank".
    void NavigateUrl(const QString &url);
    // A new page window, registered (tab, events, texts) before this returns.
    TfrmBrowser *NewBrowser();
    // Reopens the saved page windows, last to first, or one window at the start page.
    void OpenSavedBrowsers();
    // The start: opens the argument (a URL or file name) or else the saved page windows, then shows
    // the window (when it is not shown yet) and puts the focus in the address box.
    void StartUp(const QString &argument);
    void ApplyLanguage(const TMemIni &table);
    void LoadSettings();
    void SaveSettings();
    // Rebuild the customisable tool bar, the link buttons and the search-engine list from the settings.
    void UpdateToolButtons();
    void UpdateLinkButtons();
    void UpdateSearchList();
    QToolBar *toolButtonsBar() const { return tlbToolButtons; }
    QToolBar *linksBar() const;
    TComboList *searchEngines() const;
    QComboBox *keywordBox() const;

    // The active page window: the MDI area's current sub-window, or null.
    TfrmBrowser *ActiveBrowser() const;
    // Page windows in the frame's child order (creation order).
    QList<TfrmBrowser *> Browsers() const;

    QAction *action(const QString &name) const;
    // Runs every action's update handler now (the event loop runs them whenever it goes idle).
    void UpdateActions();
    QMdiArea *mdiArea() const { return MdiArea; }
    QTabBar *windowsTabs() const { return tbcWindows; }
    TBrivoStatusBar *statusBarPanels() const { return StatusBar; }
    TUrlComboBox *addressBox() const;
    TBookmarkTreeView *bookmarkTree() const { return BookmarkTreeView; }
    // The explorer bar's other pages are built the first time they are shown; these build the page
    // when it has not been shown yet.
    TMGRichEditFramePrev *richEditFrame();
    TFavoriteTreeView *favoriteTree();
    THistoryTreeView *historyTree();
    TFileSystemPage *fileSystemPage();
    int progress() const { return FProgress; }
    int progressMax() const { return FProgressMax; }

    enum class Arrangement { Tile, TileVertical, TileHorizontal, Cascade, Icons };
    enum class HelpTopic { Contents, Search, HowTo };
    // Opens a help page in a new page window; the online help page when the help is not installed.
    void ShowHelp(HelpTopic topic);
    // Page windows front first (the active one, then in the order they were last active).
    QList<TfrmBrowser *> BrowsersFrontFirst() const;

    // Answer to a key a page window offers: true when it was handled.
    bool HandleOfferedKey(QKeyCombination key);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // the command table's handlers are members of this window
    friend class MainCommands;

    void CreateComponents();
    void CreateCoolBar();
    void CreateWindowsBar();
    void CreateExplorerBar();
    // Builds what an explorer-bar page holds, once; nothing for a page built already.
    void BuildExplorerPage(QWidget *page);
    void SetUpExplorerTree(TExplorerTreeView *tree, const QString &menu);
    void FormCreate();
    bool FormCloseQuery();
    bool FormClose();

    // page-window handshake and events
    void WMBrowserCreated(TfrmBrowser *page);
    void BrowserActivate(TfrmBrowser *sender);
    void BrowserFreed(TfrmBrowser *sender);
    void BrowserTitleChanged(TfrmBrowser *sender, const QString &title);
    void BrowserAddressChanged(TfrmBrowser *sender, const QString &url);
    void BrowserDownloading(TfrmBrowser *sender, int progress, int progressMax);
    void BrowserStatusTextChanged(TfrmBrowser *sender, const QString &text);
    void BrowserDownloadBegin(TfrmBrowser *sender, QString &url, bool &cancel);

    void tbcWindowsChange(int index);
    // The pointer rests on the tab of the given number (-1: on none).
    void tbcWindowsPointed(int index);
    // The page window of the tab of the given number, or null.
    TfrmBrowser *BrowserOfTab(int index) const;
    void FavoriteTreeViewNavigateUrl(QObject *sender, const QString &url);
    void HistoryTreeViewNavigateUrl(QObject *sender, const QString &url);
    // A bookmark to a local file that has gone opens the file of that name in the working folder
    // when there is one.
    void BookmarkTreeViewNavigateUrl(QObject *sender, const QString &url);
    void tlbtnGoClick();
    void StatusBarResize();
    void ShowHint(const QString &hint);
    void SetBarVisible(QWidget *bar, QAction *action, bool visible);

    // commands of this window
    void actNewBrowserExecute();
    void actOpenExecute();
    void actCloseExecute();
    void actExitExecute();
    void actBarToggle(QAction *action, QWidget *bar);
    void actFullScreenExecute();
    void SetFullScreen(bool on);
    void actExplorerBarExecute();
    void actLanguageExecute(QAction *action);
    void actWindowStateExecute(QAction *action);
    void actPageFamilyExecute(QAction *action, bool sizes);
    void actSaveBrowsersExecute();
    void actInternetOptionsExecute();
    void RestoreMinimizedBrowsers();
    void Arrange(Arrangement how);
    void PlaceNewBrowser(TfrmBrowser *page);
    // Places the new windows made while the window area was not laid out yet.
    void PlacePendingBrowsers();
    void actMinimizeAllExecute();
    void actCloseAllExecute(bool keepActive);
    void tlbtnSearchClick();
    void LinkButtonClick(QToolButton *button);
    void LinkButtonContextPopup(QToolButton *button, const QPoint &pos);
    void actLinkOpenExecute(QAction *action, bool newWindow);
    void actLinkDeleteExecute(QAction *action);
    void actAddToLinksExecute();
    void actFavoritesAddExecute();
    void actFavoritesOpenExecute(bool newWindow);
    // Opens a tree node's URL in the active page window or a new one; nothing for an empty URL.
    void OpenTreeUrl(const QString &url, bool newWindow);
    void actHistoryAddToFavoritesExecute();
    void actBookmarkAddToFavoritesExecute();
    void actBookmarkPropertyExecute();
    void actBookmarkAddUrlExecute();
    void actBookmarkAddFolderExecute();
    void actBookmarkLoadExecute();
    void actBookmarkSaveExecute();
    void actBookmarkSaveAsExecute();
    // The bookmark list is ready for an addition: without a file name, the list in the data folder
    // is opened, made empty first when it does not exist. False (the user told) when that fails.
    bool EnsureBookmarkList();
    // Tells the user that the bookmark list could not be saved to the file, and why.
    void ReportBookmarkSaveFailure(const QString &file);
    // Runs the dialog behind the dialog seam with the HTML filters; the chosen file or empty.
    QString RunHtmlFileDialog(QFileDialog &dialog);
    // The parent-folder button of the file-system page.
    void SpeedButton1Click();
    void actAboutExecute();
    // the Tools menu's mail, customise and reset commands, and the customise dialogs' apply handlers
    void ReportNoMailProgram(const QString &client);
    void actMailExecute();
    void actMailToExecute();
    void actMailToOptionsExecute();
    void MailToOptionsApply(QDialog *sender);
    void actCustomizeLinksExecute();
    void actCustomizeSearchsExecute();
    void ShowCustomizeDialog(const QStringList &lines, const std::function<void(QDialog *)> &apply);
    void CustomizeLinksApply(QDialog *sender);
    void CustomizeSearchsApply(QDialog *sender);
    void actCustomizeToolButtonsExecute();
    void CustomizeToolButtonsApply(QDialog *sender);
    void actResetSettingExecute();

    // The language's actions, in the order of their Tags.
    QList<QAction *> LanguageActions() const;

    std::unique_ptr<MainCommands> FCommands;

    // components (their object names are the language table's keys)
    QWidget *CoolBar = nullptr;
    MenuBand *pnlMenu = nullptr;
    LinksBand *pnlLinks = nullptr;
    TPageScroller *pgsToolButtons = nullptr;
    QToolBar *tlbToolButtons = nullptr;
    SearchBand *pnlSearchsBar = nullptr;
    AddressBand *pnlAddressBar = nullptr;
    QTabBar *tbcWindows = nullptr;
    FullScreenPanel *pnlFullScreen = nullptr;
    QSplitter *Splitter = nullptr;
    QTabWidget *PageControl = nullptr;
    QWidget *tbsFavorites = nullptr;
    QWidget *tbsHistory = nullptr;
    QWidget *tbsBookmark = nullptr;
    QWidget *tbsEdit = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QCalendarWidget *MonthCalendar1 = nullptr;
    TFavoriteTreeView *FavoriteTreeView = nullptr;
    THistoryTreeView *HistoryTreeView = nullptr;
    TFileSystemPage *FileSystemPage = nullptr;
    TBookmarkTreeView *BookmarkTreeView = nullptr;
    TO2BookmarkTreeView *O2BookmarkTreeView1 = nullptr;
    TMGRichEditFramePrev *RichEditFrame = nullptr;
    QList<QWidget *> FPagesToBuild;  // explorer-bar pages not shown yet
    bool FFavoritesTransfer = false; // favorites import and export, as the tree finds them when built
    QMdiArea *MdiArea = nullptr;
    // new page windows made before the window area was first shown: placed once it is laid out
    QList<QPointer<TfrmBrowser>> FBrowsersToPlace;
    TBrivoStatusBar *StatusBar = nullptr;

    int FProgressMax = 0;
    int FProgress = 0;
    int FExplorerBarMode = 0;
    int FExplorerBarWidth = 0; // the explorer bar's width when it was last shown
    bool FClosing = false;
    QPointer<TfrmBrowser> FPointedBrowser; // the window whose tab the pointer rests on
    // remembered while in full screen
    Qt::WindowStates SavedWindowState;
    bool SavedStatusBarVisible = true;
    QRect SavedNormalGeometry;
    bool FTileVertical = false; // the frame's current tile mode
    // the state to ask for again when the native window is made anew while shown
    Qt::WindowStates FStateAcrossRecreate;
    bool FExplorerPageNone = false; // the stored explorer page was none of the pages
};

// Every "=" removed and, past 20 bytes of double-byte code-page text (a wide character counts two,
// never split), cut to 20 bytes followed by "....": tab captions, link names and link captions.
QString ShortCaption(const QString &s);

// The program's main window, created by the start-up block.
extern TfrmMain *frmMain;
