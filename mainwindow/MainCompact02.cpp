#include "mainwindow/MainCompact02.h"

#include "browser/Browser.h"
#include "browser/BrowserMessages.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/UrlComboBoxes.h"
#include "explorerbar/BookmarkTreeViews.h"
#include "explorerbar/FavoriteTreeViews.h"
#include "explorerbar/FileSystemPages.h"
#include "explorerbar/HistoryTreeViews.h"
#include "explorerbar/O2BookmarkTreeViews.h"
#include "mainwindow/Avis.h"
#include "mainwindow/CoolBarBands.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/StatusBars.h"
#include "notes/MGRichEditFramePrev.h"
#include "platform/ApplicationTitle.h"
#include "platform/CodePage.h"
#include "platform/HistoryStore.h"
#include "platform/MessageBoxes.h"
#include "platform/PageScrollers.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"
#include "settings/CommonUtils.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

TfrmMain *frmMain = nullptr;

namespace {

// Tab captions, link names and link-button captions: every "=" removed, and a text longer than
// 20 bytes of its double-byte code-page text cut to its first 20 bytes (never inside a character)
// followed by "....".
QString shortCaptionOf(const QString &s)
{
    QString t = s;
    t.remove(u'=');
    if (codepage::ansiLength(t) > 20)
        t = codepage::ansiLeft(t, 20) + QStringLiteral("....");
    return t;
}

TWindowState stateOf(const QWidget *w)
{
    if (w->windowState() & Qt::WindowMinimized)
        return TWindowState::wsMinimized;
    if (w->windowState() & Qt::WindowMaximized)
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void applyState(QWidget *w, TWindowState state)
{
    switch (state) {
    case TWindowState::wsMinimized:
        w->setWindowState(Qt::WindowMinimized);
        break;
    case TWindowState::wsMaximized:
        w->setWindowState(Qt::WindowMaximized);
        break;
    default:
        w->setWindowState(Qt::WindowNoState);
        break;
    }
}

} // namespace

QString ShortCaption(const QString &s)
{
    return shortCaptionOf(s);
}

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setGeometry(196, 105, 821, 613);
    setWindowIcon(icons::programIcon());
    CreateComponents();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FClosing = true;
    // page windows go before the main window's components they report to
    for (TfrmBrowser *page : findChildren<TfrmBrowser *>()) {
        page->OnBrowserFreed = nullptr;
        delete page;
    }
    if (frmMain == this)
        frmMain = nullptr;
}

QAction *TfrmMain::action(const QString &name) const
{
    return FCommands->action(name);
}

void TfrmMain::UpdateActions()
{
    FCommands->updateAll();
}

QList<QAction *> TfrmMain::LanguageActions() const
{
    QList<QAction *> list;
    for (QAction *a : FCommands->menu(QStringLiteral("mniLanguage"))->actions())
        if (!a->isSeparator())
            list.append(a);
    return list;
}

QToolBar *TfrmMain::linksBar() const
{
    return pnlLinks->tlbLinks;
}

TComboList *TfrmMain::searchEngines() const
{
    return pnlSearchsBar->cmblstSearchs;
}

TUrlComboBox *TfrmMain::addressBox() const
{
    return pnlAddressBar->IEAddress;
}

void TfrmMain::CreateComponents()
{
    FCommands = std::make_unique<MainCommands>(*this);

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    CreateCoolBar();
    column->addWidget(CoolBar);

    pnlFullScreen = new FullScreenPanel(central, *FCommands);
    connect(pnlFullScreen->tlbtnMinimize, &QToolButton::clicked, this, [this] { showMinimized(); });
    connect(pnlFullScreen->tlbtnRestore, &QToolButton::clicked, this, [this] { action("actFullScreen")->trigger(); });
    connect(pnlFullScreen->tlbtnClose, &QToolButton::clicked, this, [this] { action("actExit")->trigger(); });
    pnlFullScreen->hide();
    column->addWidget(pnlFullScreen);

    Splitter = new QSplitter(Qt::Horizontal, central);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    CreateExplorerBar();
    MdiArea = new QMdiArea(Splitter);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setActivationOrder(QMdiArea::CreationOrder);
    // the widest explorer bar leaves the page area 10 pixels; the area's size hint would stop it far earlier
    MdiArea->setMinimumWidth(1);
    MdiArea->installEventFilter(this);
    Splitter->addWidget(PageControl);
    Splitter->addWidget(MdiArea);
    Splitter->setStretchFactor(1, 1);
    column->addWidget(Splitter, 1);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
        if (auto *page = qobject_cast<TfrmBrowser *>(w))
            page->FormActivate();
    });

    StatusBar = new TBrivoStatusBar(central);
    StatusBar->setTitleIcon(icons::programIcon());
    column->addWidget(StatusBar);
    connect(StatusBar, &TBrivoStatusBar::OnResize, this, &TfrmMain::StatusBarResize);
    connect(StatusBar, &TBrivoStatusBar::OnMouseUp, this, [this](int x) {
        if (x > StatusBar->width() - StatusBar->panelWidth(2))
            action("actAbout")->trigger();
    });
}

void TfrmMain::CreateCoolBar()
{
    CoolBar = new QWidget(this);
    CoolBar->setObjectName(QStringLiteral("CoolBar"));
    auto *bands = new QVBoxLayout(CoolBar);
    bands->setContentsMargins(0, 0, 0, 0);
    bands->setSpacing(1);
    CoolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(CoolBar, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        FCommands->menu(QStringLiteral("pmnCoolBar"))->popup(CoolBar->mapToGlobal(pos));
    });

    // band 1: the logo, the menu bar and the links
    pnlMenu = new MenuBand(CoolBar, FCommands->menuBarMenus());
    connect(pnlMenu->CompanyMark, &REZI::OnClick, this, [this] { NavigateUrl(BrivoIni->AdvertPage); });
    pnlLinks = pnlMenu->pnlLinks;
    connect(pnlLinks->tlbLinks, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        FCommands->menu(QStringLiteral("pmnLinks"))->popup(pnlLinks->tlbLinks->mapToGlobal(pos));
    });
    connect(pnlLinks, &LinksBand::linkClicked, this, &TfrmMain::LinkButtonClick);
    connect(pnlLinks, &LinksBand::linkMenuRequested, this, &TfrmMain::LinkButtonContextPopup);
    bands->addWidget(pnlMenu);

    // band 2: the customisable tool bar
    pgsToolButtons = new TPageScroller(CoolBar);
    pgsToolButtons->setObjectName(QStringLiteral("pgsToolButtons"));
    tlbToolButtons = new QToolBar;
    tlbToolButtons->setObjectName(QStringLiteral("tlbToolButtons"));
    pgsToolButtons->setControl(tlbToolButtons);
    bands->addWidget(pgsToolButtons);

    // band 3: the search bar
    pnlSearchsBar = new SearchBand(CoolBar);
    connect(pnlSearchsBar->tlbtnSearch, &QToolButton::clicked, this, &TfrmMain::tlbtnSearchClick);
    bands->addWidget(pnlSearchsBar);

    // band 4: the address bar
    pnlAddressBar = new AddressBand(CoolBar);
    connect(pnlAddressBar->tlbtnGo, &QToolButton::clicked, this, &TfrmMain::tlbtnGoClick);
    bands->addWidget(pnlAddressBar);

    // band 5: one tab per page window
    CreateWindowsBar();
    bands->addWidget(tbcWindows);
}

void TfrmMain::CreateWindowsBar()
{
    tbcWindows = new QTabBar(CoolBar);
    tbcWindows->setObjectName(QStringLiteral("tbcWindows"));
    tbcWindows->setShape(QTabBar::RoundedNorth);
    tbcWindows->setExpanding(false);
    tbcWindows->setDrawBase(false);
    tbcWindows->setDocumentMode(true);
    tbcWindows->setContextMenuPolicy(Qt::CustomContextMenu);
    tbcWindows->setAttribute(Qt::WA_Hover);
    tbcWindows->installEventFilter(this);
    connect(tbcWindows, &QTabBar::currentChanged, this, &TfrmMain::tbcWindowsChange);
    connect(tbcWindows, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // the tab under the pointer is selected, and its window active, before the menu opens
        const int index = tbcWindows->tabAt(pos);
        if (index >= 0)
            tbcWindows->setCurrentIndex(index);
        FCommands->menu(QStringLiteral("pmnWindowsBar"))->popup(tbcWindows->mapToGlobal(pos));
    });
}

void TfrmMain::CreateExplorerBar()
{
    PageControl = new QTabWidget(Splitter);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setTabPosition(QTabWidget::North);
    PageControl->resize(289, PageControl->height());
    // the widths the bar steps through count, not the width its pages' captions would ask for
    PageControl->setMinimumWidth(1);
    auto page = [this](const QString &name, const QString &caption) {
        auto *w = new QWidget(PageControl);
        w->setObjectName(name);
        new QVBoxLayout(w);
        w->layout()->setContentsMargins(0, 0, 0, 0);
        PageControl->addTab(w, caption);
        return w;
    };
    tbsFavorites = page(QStringLiteral("tbsFavorites"), QStringLiteral("tbsFavorites"));
    tbsHistory = page(QStringLiteral("tbsHistory"), QStringLiteral("tbsHistory"));
    tbsBookmark = page(QStringLiteral("tbsBookmark"), QStringLiteral("tbsBookmark"));
    tbsEdit = page(QStringLiteral("tbsEdit"), QStringLiteral("tbsEdit"));
    TabSheet1 = page(QStringLiteral("TabSheet1"), QString::fromUtf8("エクスプローラ"));
    TabSheet2 = page(QStringLiteral("TabSheet2"), QString::fromUtf8("カレンダー"));
    // the pages build what they hold the first time they are shown, or a command needs it
    FPagesToBuild = {tbsFavorites, tbsHistory, tbsEdit, TabSheet1, TabSheet2};
    // asked once, as the favorites tree asks when it is made, not at every update of the commands
    FFavoritesTransfer = GetIEVersion() >= 5.0;
    for (QWidget *w : FPagesToBuild)
        w->installEventFilter(this);
    BookmarkTreeView = new TBookmarkTreeView(tbsBookmark);
    BookmarkTreeView->setObjectName(QStringLiteral("BookmarkTreeView"));
    tbsBookmark->layout()->addWidget(BookmarkTreeView);
    // the second bookmark tree's page has no tab
    TabSheet3 = new QWidget(PageControl);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet3->hide();
    O2BookmarkTreeView1 = new TO2BookmarkTreeView(TabSheet3);
    O2BookmarkTreeView1->setObjectName(QStringLiteral("O2BookmarkTreeView1"));
    for (TCustomBookmarkTreeView *tree : {static_cast<TCustomBookmarkTreeView *>(BookmarkTreeView),
                                          static_cast<TCustomBookmarkTreeView *>(O2BookmarkTreeView1)}) {
        SetUpExplorerTree(tree, QStringLiteral("pmnBookmark"));
        connect(tree, &TExplorerTreeView::OnNavigateUrl, this,
                [this](TExplorerTreeView *sender, const QString &url) { BookmarkTreeViewNavigateUrl(sender, url); });
    }
    // connected once the pages are in: only a page the user picks ends a stored "no page"
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { FExplorerPageNone = false; });
}

void TfrmMain::SetUpExplorerTree(TExplorerTreeView *tree, const QString &menu)
{
    // every tree fills its page and opens its page's pop-up menu
    tree->setIndentation(23);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree, menu](const QPoint &pos) {
        FCommands->menu(menu)->popup(tree->viewport()->mapToGlobal(pos));
    });
}

void TfrmMain::BuildExplorerPage(QWidget *page)
{
    if (!FPagesToBuild.removeOne(page))
        return;
    page->removeEventFilter(this);
    QWidget *content = nullptr;
    if (page == tbsFavorites) {
        FavoriteTreeView = new TFavoriteTreeView(tbsFavorites);
        FavoriteTreeView->setObjectName(QStringLiteral("FavoriteTreeView"));
        SetUpExplorerTree(FavoriteTreeView, QStringLiteral("pmnFavorites"));
        connect(FavoriteTreeView, &TExplorerTreeView::OnNavigateUrl, this,
                [this](TExplorerTreeView *sender, const QString &url) { FavoriteTreeViewNavigateUrl(sender, url); });
        FavoriteTreeView->SetAutoRefresh(true);
        FavoriteTreeView->Loaded();
        content = FavoriteTreeView;
    } else if (page == tbsHistory) {
        HistoryTreeView = new THistoryTreeView(tbsHistory);
        HistoryTreeView->setObjectName(QStringLiteral("HistoryTreeView"));
        HistoryTreeView->SetHideSelection(true);
        SetUpExplorerTree(HistoryTreeView, QStringLiteral("pmnHistory"));
        connect(HistoryTreeView, &TExplorerTreeView::OnNavigateUrl, this,
                [this](TExplorerTreeView *sender, const QString &url) { HistoryTreeViewNavigateUrl(sender, url); });
        if (BrivoIni->LanguageTable)
            HistoryTreeView->ApplyLanguage(*BrivoIni->LanguageTable);
        HistoryTreeView->Loaded();
        content = HistoryTreeView;
    } else if (page == tbsEdit) {
        RichEditFrame = new TMGRichEditFramePrev(tbsEdit);
        RichEditFrame->SetMGUrlPrintButtonVisible(false);
        if (BrivoIni->LanguageTable)
            RichEditFrame->ApplyLanguage(*BrivoIni->LanguageTable);
        content = RichEditFrame;
    } else if (page == TabSheet1) {
        FileSystemPage = new TFileSystemPage(TabSheet1);
        FileSystemPage->setObjectName(QStringLiteral("FileSystemPage"));
        connect(FileSystemPage->SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
        connect(FileSystemPage, &TFileSystemPage::OnOpenFailed, this, [this](const QString &text) {
            messageboxes::show(this, text, applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
        });
        content = FileSystemPage;
    } else if (page == TabSheet2) {
        MonthCalendar1 = new QCalendarWidget(TabSheet2);
        MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
        content = MonthCalendar1;
    }
    if (content) {
        page->layout()->addWidget(content);
        // the calendar keeps its height at the top of its page
        if (content == MonthCalendar1)
            static_cast<QVBoxLayout *>(page->layout())->addStretch();
        // a page being shown shows what it holds now, not at the next turn of the event loop
        if (page->isVisible())
            content->show();
    }
}

TFavoriteTreeView *TfrmMain::favoriteTree()
{
    BuildExplorerPage(tbsFavorites);
    return FavoriteTreeView;
}

THistoryTreeView *TfrmMain::historyTree()
{
    BuildExplorerPage(tbsHistory);
    return HistoryTreeView;
}

TMGRichEditFramePrev *TfrmMain::richEditFrame()
{
    BuildExplorerPage(tbsEdit);
    return RichEditFrame;
}

TFileSystemPage *TfrmMain::fileSystemPage()
{
    BuildExplorerPage(TabSheet1);
    return FileSystemPage;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == tbcWindows) {
        if (e->type() == QEvent::HoverEnter || e->type() == QEvent::HoverMove)
            tbcWindowsPointed(tbcWindows->tabAt(static_cast<QHoverEvent *>(e)->position().toPoint()));
        else if (e->type() == QEvent::HoverLeave || e->type() == QEvent::Hide)
            tbcWindowsPointed(-1);
        return QMainWindow::eventFilter(watched, e);
    }
    if (e->type() == QEvent::Show && watched == MdiArea)
        PlacePendingBrowsers();
    else if (e->type() == QEvent::Show && watched->isWidgetType())
        BuildExplorerPage(static_cast<QWidget *>(watched));
    return QMainWindow::eventFilter(watched, e);
}

void TfrmMain::FormCreate()
{
    const int language = static_cast<int>(BrivoIni->Language);
    const QList<QAction *> languages = LanguageActions();
    if (language >= 0 && language < languages.size())
        languages.at(language)->setChecked(true);
    try {
        if (BrivoIni->LanguageTable)
            ApplyLanguage(*BrivoIni->LanguageTable);
        LoadSettings();
        UpdateLinkButtons();
        UpdateToolButtons();
        UpdateSearchList();
        pnlMenu->CompanyMark->setToolTip(BrivoIni->AdvertPage);
        pnlMenu->CompanyMark->Play();
        action("actPreview")->setVisible(GetIEVersion() >= 5.5);
        BookmarkTreeView->SetFileName(BrivoIni->BookmarkFile);
        // a list that cannot be read now (a disk not mounted, a pipe) stays the setting: the user is told why
        if (!BrivoIni->BookmarkFile.isEmpty() && BookmarkTreeView->FileName().isEmpty())
            messageboxes::show(this,
                               QString(BookmarkUnreadableText)
                                   .replace(QStringLiteral("%s"), QDir::toNativeSeparators(BrivoIni->BookmarkFile))
                                   .replace(QStringLiteral("%r"), BookmarkTreeView->LastError()),
                               applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
        const QString aside = HistoryStore::shared().setAsidePath();
        if (!aside.isEmpty())
            messageboxes::show(
                this,
                QStringLiteral("The history file %1 could not be read. It has been kept as %2 and a "
                               "new history has been started.")
                    .arg(QDir::toNativeSeparators(HistoryStore::shared().path()), QDir::toNativeSeparators(aside)),
                applicationtitle::get(), messageboxes::OK | messageboxes::IconExclamation);
    } catch (const std::exception &) {
        // a failure here ends the creation handler; the window runs on as far as it got
    }
}

void TfrmMain::LoadSettings()
{
    applyState(this, BrivoIni->WindowState);
    PageControl->resize(BrivoIni->ExplorerBarWidth, PageControl->height());
    Splitter->setSizes({BrivoIni->ExplorerBarWidth, std::max(100, width() - BrivoIni->ExplorerBarWidth)});
    FExplorerBarWidth = BrivoIni->ExplorerBarWidth;
    const int pageIndex = BrivoIni->ExplorerBarPage;
    const bool onePage = pageIndex >= 0 && pageIndex < PageControl->count();
    PageControl->setCurrentIndex(onePage ? pageIndex : -1);
    // a tab widget always shows a page: "none" is remembered until the user picks another one
    FExplorerPageNone = !onePage;
    if (BrivoIni->WindowState == TWindowState::wsNormal) {
        const TRect r = BrivoIni->Rect;
        setGeometry(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    }
    SetBarVisible(tbcWindows, action("actWindowsBar"), BrivoIni->WindowsBar);
    SetBarVisible(pnlLinks, action("actLinksBar"), BrivoIni->LinksBar);
    SetBarVisible(pnlSearchsBar, action("actSearchsBar"), BrivoIni->SearchsBar);
    SetBarVisible(pnlAddressBar, action("actAddressBar"), BrivoIni->AddressBar);
    SetBarVisible(pgsToolButtons, action("actToolbar"), BrivoIni->Toolbar);
    SetBarVisible(StatusBar, action("actStatusBar"), BrivoIni->StatusBar);
    PageControl->setVisible(BrivoIni->ExplorerBar);
    action("actExplorerBar")->setChecked(BrivoIni->ExplorerBar);
    action("acttbExplorerBar")->setChecked(BrivoIni->ExplorerBar);
    if (BrivoIni->FullScreen)
        action("actFullScreen")->trigger();
}

void TfrmMain::SetBarVisible(QWidget *bar, QAction *act, bool visible)
{
    bar->setVisible(visible);
    act->setChecked(visible);
}

void TfrmMain::SaveSettings()
{
    if (TfrmBrowser *page = ActiveBrowser())
        BrivoIni->SetBrowserWindowState(page->WindowStateValue());
    BrivoIni->SetWindowsBar(!tbcWindows->isHidden());
    BrivoIni->SetLinksBar(!pnlLinks->isHidden());
    BrivoIni->SetSearchsBar(!pnlSearchsBar->isHidden());
    BrivoIni->SetAddressBar(!pnlAddressBar->isHidden());
    BrivoIni->SetToolbar(!pgsToolButtons->isHidden());
    BrivoIni->SetHiragana(action("actJapaneseHiragana")->isChecked());
    if (!action("actFullScreen")->isChecked()) {
        BrivoIni->SetFullScreen(false);
        // a minimised window is stored as normal, so the next start never opens minimised; the
        // rectangle is the normal geometry whatever the state
        const TWindowState state =
            stateOf(this) == TWindowState::wsMaximized ? TWindowState::wsMaximized : TWindowState::wsNormal;
        BrivoIni->SetWindowState(state);
        const QRect g =
            (stateOf(this) == TWindowState::wsNormal || !normalGeometry().isValid()) ? geometry() : normalGeometry();
        BrivoIni->SetRect(TRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
        BrivoIni->SetStatusBar(!StatusBar->isHidden());
        BrivoIni->SetExplorerBar(!PageControl->isHidden());
        // a hidden bar keeps the width it was last shown with
        BrivoIni->SetExplorerBarWidth(PageControl->isHidden() ? FExplorerBarWidth : PageControl->width());
        BrivoIni->SetExplorerBarPage(FExplorerPageNone ? -1 : PageControl->currentIndex());
    } else {
        BrivoIni->SetFullScreen(true);
    }
}

void TfrmMain::StartUp(const QString &argument)
{
    try {
        if (!argument.isEmpty())
            NavigateUrl(argument);
        else
            OpenSavedBrowsers();
    } catch (const std::exception &) {
        // dropped, as every failure that reaches the application object
    }
    // shown once its pages are requested: their engine starts up while the window is drawn
    show();
    // the page windows took the focus as they opened: typing starts in the address box
    addressBox()->setFocus();
}

void TfrmMain::OpenSavedBrowsers()
{
    const TOpenedBrowsers &saved = BrivoIni->OpenedBrowsers;
    if (saved.isEmpty()) {
        TfrmBrowser *page = NewBrowser();
        page->WebBrowser()->Navigate(BrivoIni->StartPage);
        return;
    }
    for (int i = int(saved.size()) - 1; i >= 0; --i) {
        TfrmBrowser *page = NewBrowser();
        page->WebBrowser()->Navigate(saved.GetUrl(i));
        const TRect r = saved.GetRect(i);
        page->setWindowState(Qt::WindowNoState);
        FBrowsersToPlace.removeAll(page); // it has its place
        page->setGeometry(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        page->SetWindowStateValue(saved.GetWindowState(i));
    }
}

bool TfrmMain::FormCloseQuery()
{
    // Cancel, or a save that did not complete, keeps the program open
    // notes that were never shown hold nothing
    return !RichEditFrame || !RichEditFrame->AnyModified() || RichEditFrame->CloseQueryAll();
}

bool TfrmMain::FormClose()
{
    if (BookmarkTreeView->Modified()) {
        const int answer = messageboxes::show(this, SaveBookmarkText, applicationtitle::get(),
                                              messageboxes::YesNoCancel | messageboxes::IconExclamation);
        if (answer == messageboxes::IdCancel)
            return false; // the program stays open and nothing is written
        if (answer == messageboxes::IdYes && !BookmarkTreeView->Save()) {
            // the list stays in memory and the program open; the user may save elsewhere or say No
            ReportBookmarkSaveFailure(BookmarkTreeView->FileName());
            return false;
        }
    }
    SaveSettings();
    // a list that could not be read keeps its setting until another one is open
    if (!BookmarkTreeView->FileName().isEmpty())
        BrivoIni->SetBookmarkFile(BookmarkTreeView->FileName());
    hide();
    FClosing = true;
    // one page window at a time, each gone before the next is closed
    while (TfrmBrowser *next =
               ActiveBrowser() ? ActiveBrowser() : (Browsers().isEmpty() ? nullptr : Browsers().first())) {
        QPointer<TfrmBrowser> page = next;
        page->close();
        QCoreApplication::processEvents();
        if (page)
            delete page.data(); // a closed window waits for the event loop to go; the program is ending
    }
    return true;
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // a page's own question (a script's dialog, a download's save dialog) is answered Cancel; the
    // program closes once the page is done waiting for it
    bool waiting = false;
    for (TfrmBrowser *page : Browsers()) {
        if (page->WebBrowser()->InScriptDialog()) {
            page->WebBrowser()->EndScriptDialogs();
            waiting = true;
        }
    }
    if (waiting) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!FormCloseQuery() || !FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TfrmMain::event(QEvent *e)
{
    // The engine's page views make the shown window give up its native window for a new one, which
    // the window manager maps without the maximised or full-screen state asked for: that state is
    // asked for again once the new window reports in. A window made anew before it is shown is
    // given the state at once, and is mapped with it.
    if (e->type() == QEvent::WinIdChange && internalWinId() && !isVisible() && windowHandle())
        windowHandle()->setWindowStates(windowState());
    if (e->type() == QEvent::WinIdChange && !internalWinId() && isVisible())
        FStateAcrossRecreate = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (e->type() == QEvent::WindowStateChange && FStateAcrossRecreate && internalWinId()) {
        const Qt::WindowStates wanted = FStateAcrossRecreate;
        FStateAcrossRecreate = {};
        if (!(windowState() & wanted))
            QTimer::singleShot(0, this, [this, wanted] { setWindowState(windowState() | wanted); });
    }
    if (e->type() == browsermessages::BrowserCreated) {
        WMBrowserCreated(static_cast<browsermessages::BrowserCreatedEvent *>(e)->page());
        e->accept();
        return true;
    }
    if (e->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    if (e->type() == browsermessages::KeyOffered) {
        e->setAccepted(HandleOfferedKey(static_cast<browsermessages::KeyOfferedEvent *>(e)->key()));
        return true;
    }
    return QMainWindow::event(e);
}

bool TfrmMain::HandleOfferedKey(QKeyCombination key)
{
    QAction *a = FCommands->actionForPageKey(key);
    if (!a)
        return false;
    // answered as handled even when the command is not available, as a menu shortcut would be
    if (a->isEnabled())
        a->trigger();
    return true;
}

TfrmBrowser *TfrmMain::ActiveBrowser() const
{
    return qobject_cast<TfrmBrowser *>(MdiArea->currentSubWindow());
}

QList<TfrmBrowser *> TfrmMain::Browsers() const
{
    QList<TfrmBrowser *> pages;
    for (QMdiSubWindow *w : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto *page = qobject_cast<TfrmBrowser *>(w))
            pages.append(page);
    return pages;
}

TfrmBrowser *TfrmMain::NewBrowser()
{
    return new TfrmBrowser(MdiArea, this);
}

void TfrmMain::NavigateUrl(const QString &url)
{
    const QString target = url.isEmpty() ? SBlankPage : url;
    addressBox()->SetUrl(target);
    TfrmBrowser *page = ActiveBrowser();
    if (!page)
        page = NewBrowser();
    page->WebBrowser()->Navigate(target);
}

void TfrmMain::WMBrowserCreated(TfrmBrowser *page)
{
    TfrmBrowser *previous = ActiveBrowser() != page ? ActiveBrowser() : nullptr;
    const TWindowState state = previous ? previous->WindowStateValue() : BrivoIni->BrowserWindowState;
    const int number = tbcWindows->count() + 1;
    const QSignalBlocker block(tbcWindows);
    const int index = tbcWindows->addTab(icons::pageTabIcon(), BrowserText + u' ' + QString::number(number));
    tbcWindows->setCurrentIndex(index);
    page->BrowserIndex = index;
    page->OnBrowserActivate = [this](TfrmBrowser *s) { BrowserActivate(s); };
    page->OnBrowserFreed = [this](TfrmBrowser *s) { BrowserFreed(s); };
    page->OnTitleChanged = [this](TfrmBrowser *s, const QString &t) { BrowserTitleChanged(s, t); };
    page->OnAddressChanged = [this](TfrmBrowser *s, const QString &u) { BrowserAddressChanged(s, u); };
    page->OnDownloading = [this](TfrmBrowser *s, int p, int m) { BrowserDownloading(s, p, m); };
    page->OnStatusTextChanged = [this](TfrmBrowser *s, const QString &t) { BrowserStatusTextChanged(s, t); };
    page->OnDownloadBegin = [this](TfrmBrowser *s, QString &u, bool &c) { BrowserDownloadBegin(s, u, c); };
    page->SetWindowStateValue(state);
    PlaceNewBrowser(page);
    if (BrivoIni->LanguageTable)
        page->ApplyLanguage(*BrivoIni->LanguageTable);
    page->setUserAgent(UserAgentText);
}

void TfrmMain::BrowserActivate(TfrmBrowser *sender)
{
    {
        const QSignalBlocker block(tbcWindows);
        tbcWindows->setCurrentIndex(sender->BrowserIndex);
    }
    BrowserAddressChanged(sender, sender->WebBrowser()->LocationURL());
    BrowserDownloading(sender, sender->Progress(), sender->ProgressMax());
}

void TfrmMain::BrowserFreed(TfrmBrowser *sender)
{
    const int index = sender->BrowserIndex;
    {
        const QSignalBlocker block(tbcWindows);
        if (index >= 0 && index < tbcWindows->count())
            tbcWindows->removeTab(index);
    }
    // numbered from the area's list: windows closed in the same pass are no longer in it
    sender->BrowserIndex = -1;
    int number = 0;
    for (TfrmBrowser *page : Browsers())
        if (page != sender)
            page->BrowserIndex = number++;
    if (tbcWindows->count() == 0) {
        StatusBar->setPanelWidth(1, 0);
        StatusBarResize();
        addressBox()->SetUrl(QString());
    }
}

void TfrmMain::BrowserTitleChanged(TfrmBrowser *sender, const QString &title)
{
    if (sender->BrowserIndex >= 0 && sender->BrowserIndex < tbcWindows->count()) {
        // "&" in a title is text, not an accelerator mark
        QString caption = ShortCaption(title);
        caption.replace(u'&', QStringLiteral("&&"));
        tbcWindows->setTabText(sender->BrowserIndex, caption);
        tbcWindows->setTabToolTip(sender->BrowserIndex, textrules::plainToolTip(title));
    }
    if (sender == ActiveBrowser())
        addressBox()->SetUrl(sender->WebBrowser()->LocationURL());
}

void TfrmMain::BrowserAddressChanged(TfrmBrowser *, const QString &url)
{
    addressBox()->SetUrl(url);
}

void TfrmMain::BrowserDownloading(TfrmBrowser *sender, int progress, int progressMax)
{
    if (progressMax != 0 && progress != -1) {
        StatusBar->setPanelWidth(1, 100);
        StatusBarResize();
        FProgressMax = progressMax;
        FProgress = progress;
        StatusBar->setProgress(progress, progressMax);
    } else {
        StatusBar->setPanelWidth(1, 0);
        addressBox()->SetUrl(sender->WebBrowser()->LocationURL());
        StatusBarResize();
    }
}

void TfrmMain::BrowserStatusTextChanged(TfrmBrowser *, const QString &text)
{
    StatusBar->setPanelText(u' ' + text);
}

void TfrmMain::BrowserDownloadBegin(TfrmBrowser *sender, QString &url, bool &)
{
    BrowserAddressChanged(sender, url);
}

TfrmBrowser *TfrmMain::BrowserOfTab(int index) const
{
    for (TfrmBrowser *page : Browsers())
        if (page->BrowserIndex == index)
            return page;
    return nullptr;
}

void TfrmMain::tbcWindowsPointed(int index)
{
    // the page of the window whose tab the pointer rests on is drawn behind the others, so that a
    // click on the tab shows it at once
    TfrmBrowser *pointed = index >= 0 ? BrowserOfTab(index) : nullptr;
    if (pointed == FPointedBrowser)
        return;
    if (FPointedBrowser)
        FPointedBrowser->PrepareToShow(false);
    FPointedBrowser = pointed;
    if (pointed)
        pointed->PrepareToShow(true);
}

void TfrmMain::tbcWindowsChange(int index)
{
    TfrmBrowser *found = BrowserOfTab(index);
    if (!found)
        return;
    TfrmBrowser *previous = ActiveBrowser();
    const bool maximized = previous && previous->WindowStateValue() == TWindowState::wsMaximized;
    // the area is drawn once, with the window in front in its final state
    MdiArea->setUpdatesEnabled(false);
    MdiArea->setActiveSubWindow(found);
    found->SetWindowStateValue(maximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
    MdiArea->setUpdatesEnabled(true);
}

void TfrmMain::BookmarkTreeViewNavigateUrl(QObject *, const QString &url)
{
    // a bookmark to a file that is gone is looked for once more in the working folder
    QString target = url;
    const QUrl u(url);
    if (u.isLocalFile() && !QFileInfo::exists(u.toLocalFile())) {
        const QString here = QDir::current().absoluteFilePath(QFileInfo(u.toLocalFile()).fileName());
        if (QFileInfo::exists(here))
            target = QUrl::fromLocalFile(here).toString();
    }
    NavigateUrl(target);
}

void TfrmMain::tlbtnGoClick()
{
    const QString url = addressBox()->Url();
    if (!url.isEmpty())
        NavigateUrl(url);
}

void TfrmMain::StatusBarResize()
{
    StatusBar->setPanelWidth(0, StatusBar->width() - StatusBar->panelWidth(1) - StatusBar->panelWidth(2));
}

void TfrmMain::ShowHint(const QString &hint)
{
    StatusBar->setPanelText(u' ' + hint);
}

void TfrmMain::actNewBrowserExecute()
{
    TfrmBrowser *page = NewBrowser();
    page->WebBrowser()->Navigate(BrivoIni->GetIEStartPage());
}

void TfrmMain::actOpenExecute()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString file = RunHtmlFileDialog(dialog);
    if (!file.isEmpty())
        NavigateUrl(file);
}

void TfrmMain::actCloseExecute()
{
    if (TfrmBrowser *page = ActiveBrowser())
        page->close();
}

void TfrmMain::actExitExecute()
{
    close();
}

void TfrmMain::actBarToggle(QAction *act, QWidget *bar)
{
    // the action has already turned its mark over
    bar->setVisible(act->isChecked());
}

void TfrmMain::actFullScreenExecute()
{
    const bool on = action("actFullScreen")->isChecked();
    action("acttbFullScreen")->setChecked(on);
    SetFullScreen(on);
}

void TfrmMain::SetFullScreen(bool on)
{
    setUpdatesEnabled(false);
    if (on) {
        SavedWindowState = windowState();
        SavedStatusBarVisible = !StatusBar->isHidden();
        SavedNormalGeometry = normalGeometry();
        StatusBar->hide();
        CoolBar->hide();
        pnlFullScreen->show();
        setWindowState((windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) | Qt::WindowFullScreen);
    } else {
        StatusBar->setVisible(SavedStatusBarVisible);
        pnlFullScreen->hide();
        CoolBar->show();
        setWindowState(SavedWindowState & ~Qt::WindowFullScreen);
        if (isVisible())
            setFocus();
    }
    setUpdatesEnabled(true);
}

void TfrmMain::actExplorerBarExecute()
{
    QAction *act = action("actExplorerBar");
    const int mode = FExplorerBarMode;
    if (mode == 0) {
        act->setChecked(false);
        if (!PageControl->isHidden())
            FExplorerBarWidth = PageControl->width();
        PageControl->hide();
    } else {
        const int widths[] = {0, 313, width() / 2, width() * 3 / 4, width() - 10};
        act->setChecked(true);
        PageControl->show();
        const int w = widths[mode];
        Splitter->setSizes({w, std::max(0, Splitter->width() - w - Splitter->handleWidth())});
        PageControl->update();
    }
    action("acttbExplorerBar")->setChecked(act->isChecked());
    FExplorerBarMode = (mode + 1) % 5;
}

void TfrmMain::actLanguageExecute(QAction *act)
{
    const auto language = static_cast<TLanguage>(act->property("Tag").toInt());
    // the action turned its own mark over; the marks follow the language below
    if (language == BrivoIni->Language) {
        act->setChecked(true);
        return;
    }
    setUpdatesEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BrivoIni->SetLanguage(language);
    if (BrivoIni->LanguageTable) {
        ApplyLanguage(*BrivoIni->LanguageTable);
        for (TfrmBrowser *page : Browsers())
            page->ApplyLanguage(*BrivoIni->LanguageTable);
    }
    for (QAction *a : LanguageActions())
        a->setChecked(a == act);
    QApplication::restoreOverrideCursor();
    setUpdatesEnabled(true);
}

void TfrmMain::actWindowStateExecute(QAction *act)
{
    if (TfrmBrowser *page = ActiveBrowser())
        page->SetWindowStateValue(TWindowState(act->property("Tag").toInt()));
}

void TfrmMain::actPageFamilyExecute(QAction *act, bool sizes)
{
    TfrmBrowser *page = ActiveBrowser();
    if (!page)
        return;
    const auto &list = sizes ? page->FontList() : page->EncodeList();
    const int tag = act->property("Tag").toInt();
    if (tag >= 0 && tag < list.size())
        list.at(tag)->trigger();
    act->setChecked(list.at(tag)->isChecked());
}
