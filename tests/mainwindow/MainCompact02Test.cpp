// The main window with real page windows, over a real settings file in a temporary folder.
#include "mainwindow/MainCompact02.h"

#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/UrlComboBoxes.h"
#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "explorerbar/BookmarkTreeViews.h"
#include "mainwindow/ComboLists.h"
#include "mainwindow/StatusBars.h"
#include "notes/MGRichEditFramePrev.h"
#include "notes/MMRxRichEditPrev.h"
#include "platform/ApplicationTitle.h"
#include "platform/DialogRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::waitForEqual;
using testsupport::waitUntil;
using testsupport::writeBytes;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { file = dir.path() + "/brivo.ini"; }
    void TearDown() override
    {
        closeWindow();
        delete BrivoIni;
        BrivoIni = nullptr;
    }
    void openWindow()
    {
        delete BrivoIni;
        BrivoIni = new TBrivoIni(file);
        frmMain = new TfrmMain();
        frmMain->show();
    }
    void closeWindow()
    {
        if (!frmMain)
            return;
        frmMain->close();
        delete frmMain;
        frmMain = nullptr;
    }
    QStringList tabTexts() const
    {
        QStringList texts;
        for (int i = 0; i < frmMain->windowsTabs()->count(); ++i)
            texts << frmMain->windowsTabs()->tabText(i);
        return texts;
    }
    QString page(const QString &name, const QString &title)
    {
        const QString path = dir.path() + u'/' + name;
        writeBytes(path, "<html><head><title>" + title.toUtf8() + "</title></head><body>x</body></html>");
        return QUrl::fromLocalFile(path).toString();
    }
    QTemporaryDir dir;
    QString file;
    const testsupport::SeamGuard locale =
        testsupport::restoringDefault(systemlocale::setOverride, QStringLiteral("en_US.UTF-8"));
    const testsupport::SeamGuard store =
        testsupport::restoringDefault(platformstore::setFolder, dir.path() + "/registry");
};

TEST(ShortCaption, RemovesEqualsAndCutsAtTwentyBytes)
{
    EXPECT_EQ(ShortCaption("a=b=c"), "abc");
    EXPECT_EQ(ShortCaption("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst....");
    EXPECT_EQ(ShortCaption("abcdefghijklmnopqrst"), "abcdefghijklmnopqrst");
    EXPECT_EQ(ShortCaption("a=bcdefghijklmnopqrstu"), "abcdefghijklmnopqrst....");
    // a wide character counts two and is never split
    EXPECT_EQ(ShortCaption(QString::fromUtf8("日本語のページのタイトルです")),
              QString::fromUtf8("日本語のページのタイ...."));
    EXPECT_EQ(ShortCaption(QString::fromUtf8("a日本語のページのタイトルです")),
              QString::fromUtf8("a日本語のページのタ...."));
}

TEST_F(MainWindowTest, TabsAreNumberedOnceAndIndexesStayDense)
{
    openWindow();
    TfrmBrowser *a = frmMain->NewBrowser();
    TfrmBrowser *b = frmMain->NewBrowser();
    TfrmBrowser *c = frmMain->NewBrowser();
    EXPECT_EQ(tabTexts(), QStringList({"Browser 1", "Browser 2", "Browser 3"}));
    EXPECT_EQ(a->BrowserIndex, 0);
    EXPECT_EQ(b->BrowserIndex, 1);
    EXPECT_EQ(c->BrowserIndex, 2);
    EXPECT_EQ(c->windowTitle(), "Browser 3");
    EXPECT_EQ(frmMain->ActiveBrowser(), c);
    // closed as the user closes it: the window goes through its close and is deleted later
    QPointer<TfrmBrowser> closing(b);
    EXPECT_TRUE(b->close());
    ASSERT_TRUE(waitUntil([&] { return closing.isNull(); })) << "the closed window is still there";
    EXPECT_EQ(frmMain->Browsers(), QList<TfrmBrowser *>({a, c}));
    EXPECT_EQ(tabTexts(), QStringList({"Browser 1", "Browser 3"}));
    EXPECT_EQ(a->BrowserIndex, 0);
    EXPECT_EQ(c->BrowserIndex, 1);
    TfrmBrowser *d = frmMain->NewBrowser();
    EXPECT_EQ(tabTexts(), QStringList({"Browser 1", "Browser 3", "Browser 3"}));
    EXPECT_EQ(d->BrowserIndex, 2);
    // selecting a tab activates its window
    frmMain->windowsTabs()->setCurrentIndex(0);
    EXPECT_EQ(frmMain->ActiveBrowser(), a);
    EXPECT_EQ(frmMain->windowsTabs()->currentIndex(), 0);
}

TEST_F(MainWindowTest, WindowsClosedInOnePassLeaveNoDeadTabAndTheLastCleansUp)
{
    openWindow();
    QPointer<TfrmBrowser> a = frmMain->NewBrowser();
    QPointer<TfrmBrowser> b = frmMain->NewBrowser();
    QPointer<TfrmBrowser> c = frmMain->NewBrowser();
    // both closed before either is deleted
    a->close();
    b->close();
    EXPECT_EQ(tabTexts(), QStringList({"Browser 3"})) << "the tabs go at close time";
    EXPECT_EQ(c->BrowserIndex, 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a && !b; })) << "the closed windows are deleted";
    EXPECT_EQ(tabTexts(), QStringList({"Browser 3"}));
    EXPECT_EQ(c->BrowserIndex, 0);
    frmMain->windowsTabs()->setCurrentIndex(0);
    EXPECT_EQ(frmMain->ActiveBrowser(), c.data());

    frmMain->addressBox()->SetUrl("http://shown.example/");
    c->close();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !c; })) << "the last window is deleted";
    EXPECT_EQ(frmMain->windowsTabs()->count(), 0);
    EXPECT_EQ(frmMain->addressBox()->Url(), "") << "the last window's clean-up empties the address box";
}

TEST_F(MainWindowTest, NewWindowsTakeTheActiveWindowsStateElseTheStoredOne)
{
    writeBytes(file, "[Browser]\nWindowState=2\n");
    openWindow();
    TfrmBrowser *first = frmMain->NewBrowser();
    EXPECT_EQ(first->WindowStateValue(), TWindowState::wsMaximized);
    first->SetWindowStateValue(TWindowState::wsNormal);
    TfrmBrowser *second = frmMain->NewBrowser();
    EXPECT_EQ(second->WindowStateValue(), TWindowState::wsNormal);
}

TEST_F(MainWindowTest, TitlesRenameTabsAndOnlyTheActiveWindowWritesTheAddress)
{
    openWindow();
    TfrmBrowser *back = frmMain->NewBrowser();
    TfrmBrowser *front = frmMain->NewBrowser();
    frmMain->addressBox()->SetUrl("http://front.example/");
    back->OnTitleChanged(back, "A & B = C and a long tail");
    EXPECT_EQ(frmMain->windowsTabs()->tabText(0), "A && B  C and a long ....");
    // the whole title is the tab's tool tip, shown as it stands even when it looks like markup
    const QString marked = QStringLiteral("<img src=\"x.png\"><b>Page</b>");
    back->OnTitleChanged(back, marked);
    QTextDocument tip;
    tip.setHtml(frmMain->windowsTabs()->tabToolTip(0));
    EXPECT_EQ(tip.toPlainText(), marked);
    EXPECT_EQ(frmMain->addressBox()->Url(), "http://front.example/");
    front->OnStatusTextChanged(front, "Done");
    EXPECT_EQ(frmMain->statusBarPanels()->panelText(), " Done");
}

TEST_F(MainWindowTest, ProgressPanelFollowsTheActivePage)
{
    openWindow();
    TfrmBrowser *p = frmMain->NewBrowser();
    TBrivoStatusBar *bar = frmMain->statusBarPanels();
    p->OnDownloading(p, 50, 200);
    EXPECT_EQ(bar->panelWidth(1), 100);
    EXPECT_EQ(bar->panelWidth(0), bar->width() - 100 - bar->panelWidth(2));
    EXPECT_EQ(bar->progressFill(), 25);
    p->OnDownloading(p, 0, 0);
    EXPECT_EQ(bar->panelWidth(1), 0);
    EXPECT_EQ(frmMain->progress(), 50) << "an idle report keeps the last values";
    p->OnDownloading(p, 10, 100);
    delete p;
    EXPECT_EQ(bar->panelWidth(1), 0) << "closing the last page hides the panel";
    EXPECT_TRUE(frmMain->addressBox()->Url().isEmpty());
}

TEST_F(MainWindowTest, OfferedKeysAreAnsweredAsTheMenuWouldHandleThem)
{
    openWindow();
    EXPECT_FALSE(frmMain->HandleOfferedKey(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_S)));
    EXPECT_FALSE(frmMain->HandleOfferedKey(QKeyCombination(Qt::ControlModifier, Qt::Key_Q)));
    EXPECT_FALSE(frmMain->HandleOfferedKey(QKeyCombination(Qt::NoModifier, Qt::Key_Escape)));
    const int before = int(frmMain->Browsers().size());
    EXPECT_TRUE(frmMain->HandleOfferedKey(QKeyCombination(Qt::ControlModifier, Qt::Key_N)));
    EXPECT_EQ(frmMain->Browsers().size(), before + 1);
    EXPECT_TRUE(frmMain->HandleOfferedKey(QKeyCombination(Qt::ShiftModifier, Qt::Key_F11)));
    EXPECT_TRUE(frmMain->action("actFullScreen")->isChecked());
    EXPECT_TRUE(frmMain->HandleOfferedKey(QKeyCombination(Qt::NoModifier, Qt::Key_F11)));
    EXPECT_FALSE(frmMain->action("actFullScreen")->isChecked());
}

TEST_F(MainWindowTest, PageCommandsNeedAPage)
{
    openWindow();
    frmMain->UpdateActions();
    for (const char *name :
         {"actSave", "actClose", "actPageSetup", "actPrint", "actProperty", "actBack", "actForward", "actHomepage",
          "actStop", "actRefresh", "actSource", "actFind", "actMedium", "actUnicodeUTF8", "acttbPrint"})
        EXPECT_FALSE(frmMain->action(name)->isEnabled()) << name;
    for (const char *name : {"actNewBrowser", "actOpen", "actExit", "actLinksBar", "actExplorerBar", "actFullScreen",
                             "actInternetOptions", "acttbNewBrowser"})
        EXPECT_TRUE(frmMain->action(name)->isEnabled()) << name;
    frmMain->NewBrowser();
    frmMain->UpdateActions();
    EXPECT_TRUE(frmMain->action("actSave")->isEnabled());
    EXPECT_FALSE(frmMain->action("actBack")->isEnabled());
    EXPECT_FALSE(frmMain->action("actKorean")->isEnabled());
}

TEST_F(MainWindowTest, SavedWindowsReopenLastFirstWithTheirRectanglesAndStates)
{
    const QString a = page("a.html", "A");
    const QString b = page("b.html", "B");
    const QString c = page("c.html", "C");
    writeBytes(file, "[Browser]\nWindowState=0\n[OpenedBrowsers]\n"
                     "10,20,310,220,0,0=" +
                         a.toUtf8() +
                         "\n"
                         "10,20,310,220,0,1=" +
                         b.toUtf8() +
                         "\n"
                         "50,60,450,360,0,2=" +
                         c.toUtf8() + "\n");
    openWindow();
    frmMain->OpenSavedBrowsers();
    const QList<TfrmBrowser *> pages = frmMain->Browsers();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(frmMain->ActiveBrowser(), pages.at(2)) << "the first entry is opened last and ends active";
    EXPECT_EQ(pages.at(0)->geometry(), QRect(50, 60, 400, 300));
    EXPECT_EQ(pages.at(2)->geometry(), QRect(10, 20, 300, 200));
    EXPECT_EQ(pages.at(2)->WindowStateValue(), TWindowState::wsNormal);
    ASSERT_TRUE(waitForEqual([&] { return pages.at(2)->WebBrowser()->LocationURL(); }, a, 20000));
    ASSERT_TRUE(waitForEqual([&] { return pages.at(1)->WebBrowser()->LocationURL(); }, b, 20000));
}

TEST_F(MainWindowTest, NoSavedWindowsOpensTheStartPage)
{
    openWindow();
    BrivoIni->StartPage = page("start.html", "Start");
    frmMain->OpenSavedBrowsers();
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->tabText(0); }, QString("Start"), 20000));
}

TEST_F(MainWindowTest, CloseWritesTheWindowSettings)
{
    writeBytes(file, "; mine\n[Main]\nWindowState=0\nRect=100,100,900,700\nStatusBar=1\n[Links]\nA=http://a/\n");
    openWindow();
    QTest::qWait(50);
    frmMain->action("actStatusBar")->trigger();
    closeWindow();
    const QList<QByteArray> lines = readBytes(file).split('\n');
    EXPECT_EQ(lines.at(0), "; mine");
    EXPECT_TRUE(lines.contains("WindowState=0"));
    EXPECT_TRUE(lines.contains("Rect=100,100,900,700"));
    EXPECT_TRUE(lines.contains("StatusBar=0"));
    EXPECT_TRUE(lines.contains("FullScreen=0"));
    EXPECT_TRUE(lines.contains("Hiragana=0"));
    EXPECT_TRUE(lines.contains("A=http://a/"));
    EXPECT_FALSE(readBytes(file).contains("[OpenedBrowsers]")) << "the open windows are saved only on request";
}

TEST_F(MainWindowTest, StartAndCloseCyclesKeepTheRectangle)
{
    writeBytes(file, "[Main]\nWindowState=0\nRect=120,80,920,680\n");
    for (int i = 0; i < 3; ++i) {
        openWindow();
        QTest::qWait(20);
        closeWindow();
    }
    EXPECT_TRUE(readBytes(file).contains("Rect=120,80,920,680\n"));
    EXPECT_TRUE(readBytes(file).contains("WindowState=0\n"));
}

TEST_F(MainWindowTest, FullScreenCloseWritesOnlyTheFlag)
{
    writeBytes(file, "[Main]\nWindowState=0\nRect=120,80,920,680\nStatusBar=1\n");
    openWindow();
    frmMain->action("actFullScreen")->trigger();
    frmMain->action("actStatusBar")->trigger();
    closeWindow();
    const QByteArray bytes = readBytes(file);
    EXPECT_TRUE(bytes.contains("FullScreen=1"));
    EXPECT_TRUE(bytes.contains("Rect=120,80,920,680"));
    EXPECT_TRUE(bytes.contains("StatusBar=1"));
    openWindow();
    EXPECT_TRUE(frmMain->action("actFullScreen")->isChecked()) << "the next start enters full screen again";
}

TEST_F(MainWindowTest, LanguageTextsReplaceEveryPlaceholder)
{
    openWindow();
    TfrmBrowser *p = frmMain->NewBrowser();
    for (QAction *a : frmMain->findChildren<QAction *>()) {
        if (a->objectName().startsWith("act")) {
            EXPECT_NE(a->text(), a->objectName()) << a->objectName().toStdString();
        }
    }
    EXPECT_EQ(frmMain->action("actFind")->text(), "&Find(on this page)...");
    EXPECT_EQ(frmMain->action("actJapaneseShiftJIS")->toolTip(), "Japanese (Shift JIS)");
    EXPECT_EQ(frmMain->action("acttbTileV")->text(), "Vertical");
    EXPECT_EQ(frmMain->action("acttbTileV")->toolTip(), "Tile Vertical");
    EXPECT_EQ(frmMain->windowTitle(), applicationtitle::get());
    EXPECT_EQ(p->UserAgent(), UserAgentText);
    const QString agentBefore = p->UserAgent();

    frmMain->action("actJapaneseKanji")->trigger();
    EXPECT_EQ(BrivoIni->Language, TLanguage::JapaneseKanji);
    EXPECT_TRUE(frmMain->action("actJapaneseKanji")->isChecked());
    EXPECT_FALSE(frmMain->action("actEnglish")->isChecked());
    EXPECT_EQ(frmMain->action("actNewBrowser")->text(),
              BrivoIni->LanguageTable->ReadString("Main", "actNewBrowser", ""));
    EXPECT_EQ(p->windowTitle(), BrivoIni->LanguageTable->ReadString("Browser", "Caption", "") + " 1");
    EXPECT_EQ(p->UserAgent(), agentBefore) << "an open window keeps its user agent";

    // choosing the current language again changes nothing
    const TMemIni *table = BrivoIni->LanguageTable.get();
    frmMain->action("actJapaneseKanji")->trigger();
    EXPECT_EQ(BrivoIni->LanguageTable.get(), table);
    EXPECT_TRUE(frmMain->action("actJapaneseKanji")->isChecked());
}

TEST_F(MainWindowTest, ExplorerBarCycleStartsByHidingAndStepsThroughEveryWidthInEveryLanguage)
{
    for (const char *language :
         {"actEnglish", "actJapaneseKanji", "actJapaneseHiragana", "actSimplifiedChinese", "actTraditionalChinese"}) {
        SCOPED_TRACE(language);
        writeBytes(file, "[Main]\nWindowState=0\nRect=0,0,1000,700\nExplorerBar=1\nExplorerBarWidth=250\n");
        openWindow();
        frmMain->action(language)->trigger();
        QAction *cycle = frmMain->action("actExplorerBar");
        QAction *button = frmMain->action("acttbExplorerBar");
        auto *pageControl = frmMain->findChild<QWidget *>("PageControl");
        ASSERT_FALSE(pageControl->isHidden());
        const int w = frmMain->width();
        // twice round: hidden (0), then ever wider, then hidden again
        for (int round = 1; round <= 2; ++round) {
            for (const int width : {0, 313, w / 2, w * 3 / 4, w - 10}) {
                cycle->trigger();
                SCOPED_TRACE(testing::Message() << "round " << round << ", width " << width);
                EXPECT_EQ(pageControl->isHidden(), width == 0);
                EXPECT_EQ(cycle->isChecked(), width != 0);
                EXPECT_EQ(button->isChecked(), width != 0);
                if (width != 0) {
                    EXPECT_EQ(pageControl->width(), width);
                }
            }
        }
        // closed with the bar hidden, the width it was last shown with is kept, also across a start
        // with the bar hidden
        cycle->trigger();
        ASSERT_TRUE(pageControl->isHidden());
        const QByteArray kept = "ExplorerBarWidth=" + QByteArray::number(w - 10) + "\n";
        closeWindow();
        EXPECT_TRUE(readBytes(file).contains(kept)) << readBytes(file).toStdString();
        openWindow();
        closeWindow();
        EXPECT_TRUE(readBytes(file).contains("ExplorerBar=0\n"));
        EXPECT_TRUE(readBytes(file).contains(kept));
    }
}

TEST_F(MainWindowTest, AStoredExplorerPageOutsideThePagesIsKeptAsNone)
{
    writeBytes(file, "[Main]\nWindowState=0\nExplorerBarPage=9\n");
    openWindow();
    closeWindow();
    EXPECT_TRUE(readBytes(file).contains("ExplorerBarPage=-1\n"));
    // a page the user picks is stored
    openWindow();
    frmMain->findChild<QTabWidget *>("PageControl")->setCurrentIndex(2);
    closeWindow();
    EXPECT_TRUE(readBytes(file).contains("ExplorerBarPage=2\n"));
}

TEST_F(MainWindowTest, TheStartPutsTheFocusInTheAddressBox)
{
    openWindow();
    frmMain->StartUp(QString());
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    const QWidget *focus = frmMain->focusWidget();
    EXPECT_TRUE(focus == frmMain->addressBox() || focus == frmMain->addressBox()->lineEdit())
        << (focus ? focus->metaObject()->className() : "no focus");
}

TEST_F(MainWindowTest, AStartBeforeTheWindowIsShownRequestsThePageThenShowsTheWindowFocusedOnTheAddress)
{
    delete BrivoIni;
    BrivoIni = new TBrivoIni(file);
    frmMain = new TfrmMain();
    const QString url = page("first.html", "First");
    frmMain->StartUp(url);
    EXPECT_TRUE(frmMain->isVisible());
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    TfrmBrowser *first = frmMain->Browsers().first();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->WebBrowser()->page()->requestedUrl().toString(), url);
    // the page window shown with the main window does not take the focus from the address box
    QApplication::processEvents();
    const QWidget *focus = frmMain->focusWidget();
    EXPECT_TRUE(focus == frmMain->addressBox() || focus == frmMain->addressBox()->lineEdit())
        << (focus ? focus->metaObject()->className() : "no focus");
}

// As the program starts: the settings object, the main window made but not shown, then the start,
// which requests the first pages before it shows the window.
void startAsTheProgramDoes(const QString &file, const QString &argument, const QString &startPage = QString())
{
    delete BrivoIni;
    BrivoIni = new TBrivoIni(file);
    if (!startPage.isEmpty())
        BrivoIni->StartPage = startPage;
    frmMain = new TfrmMain();
    frmMain->StartUp(argument);
}

TEST_F(MainWindowTest, TheFirstNormalPageWindowOfTheStartHasTheSizeOfALaterOne)
{
    writeBytes(file, "[Main]\nWindowState=0\nRect=60,40,1000,740\n[Browser]\nWindowState=0\n");
    const QString start = page("start.html", "Start");
    for (const QString &argument : {page("first.html", "First"), QString()}) {
        startAsTheProgramDoes(file, argument, start);
        ASSERT_EQ(frmMain->Browsers().size(), 1);
        TfrmBrowser *first = frmMain->Browsers().first();
        ASSERT_EQ(first->WindowStateValue(), TWindowState::wsNormal);
        const QRect area = frmMain->mdiArea()->viewport()->rect();
        ASSERT_GT(area.width(), 400);
        ASSERT_GT(area.height(), 300);
        // a window opened now, with the area laid out, is the measure
        TfrmBrowser *later = frmMain->NewBrowser();
        EXPECT_EQ(first->size(), later->size()) << "started with " << argument.toStdString();
        EXPECT_TRUE(area.contains(first->geometry()));
        EXPECT_GT(first->widget()->height(), 200);
        closeWindow();
    }
}

TEST_F(MainWindowTest, AMaximisedSavedWindowKeepsItsNormalRectangleThroughASaveAndARestart)
{
    const QString a = page("a.html", "A");
    writeBytes(file,
               "[Main]\nWindowState=0\nRect=60,40,1000,740\n[OpenedBrowsers]\n50,50,450,350,2,0=" + a.toUtf8() + "\n");
    for (int start = 0; start < 2; ++start) {
        startAsTheProgramDoes(file, QString());
        ASSERT_EQ(frmMain->Browsers().size(), 1);
        TfrmBrowser *page = frmMain->Browsers().first();
        EXPECT_EQ(page->WindowStateValue(), TWindowState::wsMaximized);
        ASSERT_TRUE(waitForEqual([&] { return page->WebBrowser()->LocationURL(); }, a, 20000));
        frmMain->action("actSaveBrowsers")->trigger();
        EXPECT_TRUE(readBytes(file).contains("\n50,50,450,350,2,0=" + a.toUtf8())) << readBytes(file).constData();
        closeWindow();
        delete BrivoIni;
        BrivoIni = nullptr;
    }
    // restored, the window takes its saved rectangle
    startAsTheProgramDoes(file, QString());
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    TfrmBrowser *page = frmMain->Browsers().first();
    page->SetWindowStateValue(TWindowState::wsNormal);
    EXPECT_EQ(page->geometry(), QRect(50, 50, 400, 300));
}

TEST_F(MainWindowTest, AKeywordIsListedOnceWhateverItsCase)
{
    writeBytes(file, "[Main]\nSearchsBar=1\n[Searchs]\nOne=http://127.0.0.1:9/one?q=%s\n");
    openWindow();
    frmMain->searchEngines()->setText("One");
    for (const char *keyword : {"Foo", "foo", "FOO"}) {
        frmMain->keywordBox()->setEditText(keyword);
        frmMain->findChild<QToolButton *>("tlbtnSearch")->click();
    }
    EXPECT_EQ(frmMain->Browsers().size(), 3) << "each search ran";
    EXPECT_EQ(frmMain->keywordBox()->count(), 1);
}

TEST_F(MainWindowTest, CommandLineFileShowsItsTitleOnTheTab)
{
    openWindow();
    writeBytes(dir.path() + "/smoke.html", "<html><head><title>Smoke page</title></head><body>hello</body></html>");
    frmMain->NavigateUrl(dir.path() + "/smoke.html");
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->tabText(0); }, QString("Smoke page"), 20000));
}

} // namespace

namespace {

TEST_F(MainWindowTest, SavedWindowsComeBackAfterARestart)
{
    const QString a = page("a.html", "A");
    const QString b = page("b.html", "B");
    openWindow();
    TfrmBrowser *first = frmMain->NewBrowser();
    first->WebBrowser()->Navigate(a);
    first->SetWindowStateValue(TWindowState::wsNormal);
    first->setGeometry(10, 10, 300, 200);
    TfrmBrowser *second = frmMain->NewBrowser();
    second->WebBrowser()->Navigate(b);
    second->SetWindowStateValue(TWindowState::wsNormal);
    second->setGeometry(10, 10, 300, 200); // the same rectangle and state: both are kept
    TfrmBrowser *third = frmMain->NewBrowser();
    third->WebBrowser()->Navigate(a);
    third->SetWindowStateValue(TWindowState::wsNormal);
    third->setGeometry(40, 50, 400, 250);
    ASSERT_TRUE(waitForEqual([&] { return second->WebBrowser()->LocationURL(); }, b, 20000));
    ASSERT_TRUE(waitForEqual([&] { return third->WebBrowser()->LocationURL(); }, a, 20000));
    frmMain->mdiArea()->setActiveSubWindow(second);
    frmMain->action("actSaveBrowsers")->trigger();
    closeWindow();

    openWindow();
    frmMain->OpenSavedBrowsers();
    const QList<TfrmBrowser *> pages = frmMain->Browsers();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(frmMain->ActiveBrowser(), pages.last()) << "the window active when saving ends on top";
    ASSERT_TRUE(waitForEqual([&] { return pages.last()->WebBrowser()->LocationURL(); }, b, 20000));
    int equal = 0;
    for (TfrmBrowser *p : pages)
        equal += p->geometry() == QRect(10, 10, 300, 200);
    EXPECT_EQ(equal, 2);
}

TEST_F(MainWindowTest, TabsSwitchingAmongMaximisedWindowsKeepStatesCaptionsAndStoredStates)
{
    writeBytes(file, "[Browser]\nWindowState=2\n");
    openWindow();
    QList<TfrmBrowser *> pages;
    for (int i = 0; i < 3; ++i)
        pages << frmMain->NewBrowser();
    const QStringList captions = tabTexts();
    // the views of the windows behind the one in front are laid out at its inside's size
    const auto settled = [&] {
        const QSize inside = frmMain->ActiveBrowser()->widget()->size();
        for (TfrmBrowser *p : pages)
            if (p->WebBrowser()->size() != inside)
                return false;
        return true;
    };
    ASSERT_TRUE(waitUntil(settled, 5000));
    for (int index : {0, 2, 1, 0}) {
        frmMain->windowsTabs()->setCurrentIndex(index);
        TfrmBrowser *front = frmMain->ActiveBrowser();
        ASSERT_NE(front, nullptr);
        EXPECT_EQ(front->BrowserIndex, index);
        EXPECT_EQ(front->WindowStateValue(), TWindowState::wsMaximized);
        EXPECT_EQ(front->WebBrowser()->size(), front->widget()->size()) << "the page in front is laid out anew";
        for (TfrmBrowser *p : pages) {
            if (p != front) {
                EXPECT_EQ(p->WindowStateValue(), TWindowState::wsNormal) << p->BrowserIndex;
            }
        }
        EXPECT_EQ(tabTexts(), captions);
        ASSERT_TRUE(waitUntil(settled, 5000)) << "after the tab " << index;
    }
    frmMain->action("actSaveBrowsers")->trigger();
    const TOpenedBrowsers &saved = BrivoIni->OpenedBrowsers;
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved.GetWindowState(0), TWindowState::wsMaximized) << "the window in front comes first";
    EXPECT_EQ(saved.GetWindowState(1), TWindowState::wsNormal);
    EXPECT_EQ(saved.GetWindowState(2), TWindowState::wsNormal);
}

TEST_F(MainWindowTest, PointingAtATabDrawsItsWindowsPageBehindTheOneInFront)
{
    writeBytes(file, "[Browser]\nWindowState=2\n");
    openWindow();
    QList<TfrmBrowser *> pages;
    for (int i = 0; i < 3; ++i)
        pages << frmMain->NewBrowser();
    const auto drawn = [&](QList<bool> expected) {
        for (int i = 0; i < 3; ++i)
            if (pages[i]->WebBrowser()->page()->isVisible() != expected[i])
                return false;
        return true;
    };
    ASSERT_TRUE(waitUntil([&] { return drawn({false, false, true}); }, 5000)) << "only the window in front";
    QTabBar *tabs = frmMain->windowsTabs();
    const auto hover = [&](QEvent::Type type, int tab) {
        const QPointF at = tab < 0 ? QPointF(-1, -1) : QPointF(tabs->tabRect(tab).center());
        QHoverEvent event(type, at, at, QPointF());
        QCoreApplication::sendEvent(tabs, &event);
    };
    hover(QEvent::HoverEnter, 0);
    ASSERT_TRUE(waitUntil([&] { return drawn({true, false, true}); }, 5000));
    hover(QEvent::HoverMove, 1);
    ASSERT_TRUE(waitUntil([&] { return drawn({false, true, true}); }, 5000));
    // clicked: in front at once, drawn already
    tabs->setCurrentIndex(1);
    EXPECT_EQ(frmMain->ActiveBrowser(), pages[1]);
    EXPECT_TRUE(drawn({false, true, true}));
    hover(QEvent::HoverLeave, -1);
    ASSERT_TRUE(waitUntil([&] { return drawn({false, true, false}); }, 5000));
}

TEST_F(MainWindowTest, CloseAllAndCloseAllOthers)
{
    openWindow();
    for (int i = 0; i < 4; ++i)
        frmMain->NewBrowser();
    frmMain->UpdateActions();
    TfrmBrowser *active = frmMain->ActiveBrowser();
    frmMain->action("actCloseAllOthers")->trigger();
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->count(); }, 1));
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    EXPECT_EQ(frmMain->Browsers().first(), active);
    EXPECT_EQ(active->BrowserIndex, 0);
    for (int i = 0; i < 3; ++i)
        frmMain->NewBrowser();
    frmMain->action("actCloseAll")->trigger();
    ASSERT_TRUE(waitForEqual([&] { return frmMain->Browsers().size(); }, 0));
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->count(); }, 0));
}

TEST_F(MainWindowTest, MissingHelpOpensTheOnlinePage)
{
    const testsupport::SeamGuard help([] { qApp->setProperty("HelpFile", QVariant()); });
    openWindow();
    qApp->setProperty("HelpFile", dir.path() + "/nohelp/index.html");
    frmMain->action("actContents")->trigger();
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    EXPECT_TRUE(frmMain->HandleOfferedKey(QKeyCombination(Qt::NoModifier, Qt::Key_F1)));
    EXPECT_EQ(frmMain->Browsers().size(), 2);
    // with the help pages installed, the contents page opens
    writeBytes(dir.path() + "/help/index.html", "<title>Help contents</title>");
    qApp->setProperty("HelpFile", dir.path() + "/help/index.html");
    frmMain->action("actContents")->trigger();
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->tabText(2); }, QString("Help contents"), 20000));
}

TEST_F(MainWindowTest, TilingPlacesEveryWindowInTheArea)
{
    openWindow();
    for (int i = 0; i < 3; ++i)
        frmMain->NewBrowser();
    frmMain->Browsers().first()->SetWindowStateValue(TWindowState::wsMinimized);
    frmMain->action("actTileV")->trigger();
    const QRect area = frmMain->mdiArea()->viewport()->rect();
    for (TfrmBrowser *p : frmMain->Browsers()) {
        EXPECT_EQ(p->WindowStateValue(), TWindowState::wsNormal);
        EXPECT_EQ(p->geometry().height(), area.height());
    }
    frmMain->action("actMinimizeAll")->trigger();
    for (TfrmBrowser *p : frmMain->Browsers())
        EXPECT_EQ(p->WindowStateValue(), TWindowState::wsMinimized);
    frmMain->action("actRestoreAll")->trigger();
    for (TfrmBrowser *p : frmMain->Browsers())
        EXPECT_EQ(p->WindowStateValue(), TWindowState::wsNormal);
}

} // namespace

namespace {

QStringList toolBarActions(TfrmMain *w)
{
    QStringList names;
    for (QAction *holder : w->toolButtonsBar()->actions()) {
        if (holder->isSeparator()) {
            names << "-";
            continue;
        }
        auto *button = qobject_cast<QToolButton *>(w->toolButtonsBar()->widgetForAction(holder));
        names << (button && button->defaultAction() ? button->defaultAction()->objectName() : QString("empty"));
    }
    return names;
}

TEST_F(MainWindowTest, ToolBarFollowsTheStoredLayout)
{
    openWindow();
    EXPECT_EQ(toolBarActions(frmMain), QStringList({"acttbNewBrowser"})) << "an empty layout is the new-window button";
    BrivoIni->SetToolButtons(" 0; 1 ;-1;3;2;-5;23");
    BrivoIni->SetToolbarText(2);
    frmMain->UpdateToolButtons();
    EXPECT_EQ(toolBarActions(frmMain),
              QStringList({"acttbNewBrowser", "acttbClose", "-", "acttbBack", "empty", "empty"}));
    auto *first = qobject_cast<QToolButton *>(
        frmMain->toolButtonsBar()->widgetForAction(frmMain->toolButtonsBar()->actions().first()));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), QSize(23, 22));
    EXPECT_EQ(first->toolButtonStyle(), Qt::ToolButtonIconOnly);
    BrivoIni->SetToolbarText(0);
    BrivoIni->SetToolbarIcon(1);
    frmMain->UpdateToolButtons();
    first = qobject_cast<QToolButton *>(
        frmMain->toolButtonsBar()->widgetForAction(frmMain->toolButtonsBar()->actions().first()));
    EXPECT_EQ(first->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_EQ(frmMain->toolButtonsBar()->iconSize(), QSize(20, 20));
}

TEST_F(MainWindowTest, LinksBarShowsTwentyLinksAndTheirCommands)
{
    QByteArray links = "[Links]\n";
    for (int i = 0; i < 25; ++i)
        links += "Link " + QByteArray::number(i) + (i == 1 ? " R&D" : "") + "=http://l" + QByteArray::number(i) + "/\n";
    writeBytes(file, links);
    openWindow();
    QList<QToolButton *> buttons;
    for (int i = 0; i < 20; ++i)
        buttons << frmMain->findChild<QToolButton *>(QString("tlbtn%1").arg(i));
    for (QToolButton *b : buttons)
        EXPECT_TRUE(frmMain->linksBar()->actions().at(buttons.indexOf(b))->isVisible());
    EXPECT_EQ(buttons.at(1)->text(), "Link 1 R&&D");
    EXPECT_EQ(buttons.at(2)->property("Hint").toString(), "http://l2/");
    // delete the third link through the pop-up's command
    frmMain->action("actLinkDelete")->setProperty("Tag", 2);
    frmMain->action("actLinkDelete")->trigger();
    EXPECT_EQ(BrivoIni->Links.size(), 24);
    EXPECT_EQ(buttons.at(2)->text(), "Link 3");
    EXPECT_FALSE(readBytes(file).contains("Link 2="));
    // a link opens in the active window, a new one when none is open
    frmMain->action("actLinkOpen")->setProperty("Tag", 0);
    frmMain->action("actLinkOpen")->trigger();
    ASSERT_EQ(frmMain->Browsers().size(), 1);
}

TEST_F(MainWindowTest, AddingTheCurrentPageTwiceLeavesOneLinkAtTheEnd)
{
    writeBytes(file, "[Links]\nFirst=http://first/\n");
    const QString url = page("linkme.html", "Link me");
    openWindow();
    frmMain->NavigateUrl(url);
    ASSERT_TRUE(waitForEqual([&] { return frmMain->ActiveBrowser()->WebBrowser()->LocationName(); }, QString("Link me"),
                             20000));
    frmMain->action("actAddToLinks")->trigger();
    frmMain->action("actAddToLinks")->trigger();
    EXPECT_EQ(BrivoIni->Links, QStringList({"First=http://first/", "Link me=" + url}));
}

TEST_F(MainWindowTest, SearchOpensOneWindowPerSelectedEngine)
{
    writeBytes(file, "[Main]\nSearchsBar=1\n[Searchs]\nOne=http://127.0.0.1:9/one?q=%s\nTwo=http://127.0.0.1:9/two/%s\n"
                     "Three=http://127.0.0.1:9/three?q=%s\n");
    openWindow();
    frmMain->keywordBox()->setEditText("two words");
    // engines typed into the closed list take effect when the search runs
    frmMain->searchEngines()->setText("One,Three");
    frmMain->findChild<QToolButton *>("tlbtnSearch")->click();
    const QList<TfrmBrowser *> pages = frmMain->Browsers();
    ASSERT_EQ(pages.size(), 2);
    ASSERT_TRUE(
        waitUntil([&] { return pages.at(0)->WebBrowser()->url().toString().contains("one?q=two+words"); }, 20000))
        << "page 0 shows " << pages.at(0)->WebBrowser()->url().toString().toStdString();
    ASSERT_TRUE(
        waitUntil([&] { return pages.at(1)->WebBrowser()->url().toString().contains("three?q=two+words"); }, 20000))
        << "page 1 shows " << pages.at(1)->WebBrowser()->url().toString().toStdString();
    EXPECT_EQ(frmMain->keywordBox()->count(), 1);
    frmMain->findChild<QToolButton *>("tlbtnSearch")->click();
    EXPECT_EQ(frmMain->keywordBox()->count(), 1) << "the keyword joins the list once";
    EXPECT_EQ(frmMain->Browsers().size(), 4);
    // a refilled list keeps the engines its text names
    BrivoIni->SetSearchs({"Three=http://127.0.0.1:9/3?q=%s", "Four=http://127.0.0.1:9/4?q=%s"});
    frmMain->UpdateSearchList();
    EXPECT_EQ(frmMain->searchEngines()->SelCount(), 1);
    EXPECT_TRUE(frmMain->searchEngines()->Selected(0));
}

TEST_F(MainWindowTest, LinkCommandsNeedTheirLinkAndAddToLinksNeedsAPage)
{
    writeBytes(file, "[Links]\nA=http://a/\nB=http://b/\n");
    openWindow();
    frmMain->UpdateActions();
    EXPECT_FALSE(frmMain->action("actAddToLinks")->isEnabled());
    EXPECT_TRUE(frmMain->action("actLinkDelete")->isEnabled());
    // the pop-up names the right-clicked link to its three commands
    for (const char *name : {"actLinkOpen", "actLinkOpenNewWindow", "actLinkDelete"})
        frmMain->action(name)->setProperty("Tag", 1);
    frmMain->action("actLinkDelete")->trigger();
    frmMain->UpdateActions();
    EXPECT_FALSE(frmMain->action("actLinkDelete")->isEnabled()) << "the link it named is gone";
    EXPECT_FALSE(frmMain->action("actLinkOpen")->isEnabled());
    frmMain->NewBrowser();
    frmMain->UpdateActions();
    EXPECT_TRUE(frmMain->action("actAddToLinks")->isEnabled());
}

} // namespace

namespace {

TEST_F(MainWindowTest, TheBookmarkListIsOfferedForSavingAtClose)
{
    const QString list = dir.path() + "/bookmarks.html";
    writeBytes(list, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                     "    <DT><A HREF=\"http://a/\">A</A>\n</DL><p>\n");
    writeBytes(file, "[Main]\nBookmarkFile=" + list.toUtf8() + "\n");
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    ASSERT_EQ(tree->FileName(), list);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    const QByteArray before = readBytes(list);

    QStringList asked;
    int answer = messageboxes::IdCancel;
    dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned flags) {
            asked << text;
            EXPECT_EQ(flags, 0x33u);
            return answer;
        }));
    tree->AddBookmark(nullptr, "Added", "http://added/");
    ASSERT_TRUE(tree->Modified());
    // Cancel keeps the program open and writes nothing
    frmMain->close();
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_EQ(asked, QStringList({SaveBookmarkText}));
    EXPECT_FALSE(readBytes(file).contains("WindowState"));
    // No closes without saving the list
    answer = messageboxes::IdNo;
    closeWindow();
    EXPECT_EQ(readBytes(list), before);
    EXPECT_TRUE(readBytes(file).contains("BookmarkFile=" + list.toUtf8()));
    // Yes saves it
    openWindow();
    frmMain->bookmarkTree()->AddBookmark(nullptr, "Added", "http://added/");
    answer = messageboxes::IdYes;
    closeWindow();
    EXPECT_TRUE(readBytes(list).contains("http://added/"));
}

// The program closes while a page's question is open (the save question of a download the page
// started): the question is the page's own, answered Cancel when the program goes.
TEST_F(MainWindowTest, TheProgramClosesWhileAPagesQuestionIsOpen)
{
    writeBytes(dir.path() + "/data.bin", "data");
    const QString ask = dir.path() + "/ask.html";
    writeBytes(ask, "<body><a id=d href='data.bin' download>d</a><script>document.getElementById('d').click();"
                    "</script></body>");
    openWindow();
    bool asked = false;
    bool pagesOwn = false;
    dialogrunner::ScopedRunner runner([&](QDialog &dialog) {
        if (!qobject_cast<QFileDialog *>(&dialog))
            return int(QDialog::Rejected);
        asked = true;
        TfrmBrowser *page = frmMain->ActiveBrowser();
        pagesOwn = page && page->WebBrowser()->InScriptDialog();
        // the user closes the main window while the question is open
        frmMain->close();
        return dialog.result();
    });
    frmMain->NewBrowser()->WebBrowser()->Navigate(QUrl::fromLocalFile(ask).toString());
    ASSERT_TRUE(waitUntil([&] { return asked; }, 20000)) << "the page asked nothing";
    EXPECT_TRUE(pagesOwn) << "the question blocked the program, not the page";
    EXPECT_TRUE(waitUntil([&] { return !frmMain->isVisible() && frmMain->Browsers().isEmpty(); }, 20000))
        << "the program stayed open";
}

TEST_F(MainWindowTest, AModifiedNoteIsOfferedForSavingAtClose)
{
    openWindow();
    TMGRichEditFramePrev *notes = frmMain->richEditFrame();
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->PageControl->tabText(0), "New Document 1");
    notes->ActiveEditor()->SetSelText(QStringLiteral("a note"));

    QStringList asked;
    QList<int> answers{messageboxes::IdCancel, messageboxes::IdNo};
    dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned flags) {
            asked << text;
            EXPECT_EQ(flags, 0x33u);
            return answers.isEmpty() ? int(messageboxes::IdCancel) : answers.takeFirst();
        }));
    // Cancel keeps the program open and writes no settings
    frmMain->close();
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_EQ(asked, QStringList{"New Document 1 have been modified. Do you want to save the changes?"});
    EXPECT_FALSE(readBytes(file).contains("WindowState"));
    // No lets it close
    closeWindow();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(readBytes(file).contains("WindowState"));
}

TEST_F(MainWindowTest, ABookmarkListThatCannotBeSavedAtCloseIsToldAndTheWindowStays)
{
    const QString list = dir.path() + "/bookmarks.html";
    writeBytes(list, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
                     "    <DT><A HREF=\"http://a/\">A</A>\n</DL><p>\n");
    writeBytes(file, "[Main]\nBookmarkFile=" + list.toUtf8() + "\n");
    openWindow();
    QStringList told;
    int answer = messageboxes::IdYes;
    dialogrunner::ScopedRunner runner(
        testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned) {
            told << text;
            return answer;
        }));
    frmMain->bookmarkTree()->AddBookmark(nullptr, "Added", "http://added/");
    // a folder now stands where the list was: the list cannot be written there
    ASSERT_TRUE(QFile::remove(list));
    ASSERT_TRUE(QDir().mkpath(list));
    frmMain->close();
    EXPECT_TRUE(frmMain->isVisible()) << "the list is not given up";
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told.at(0), SaveBookmarkText);
    EXPECT_TRUE(told.at(1).contains(list)) << told.at(1).toStdString();
    EXPECT_TRUE(frmMain->bookmarkTree()->Modified()) << "the list is kept in memory";
    answer = messageboxes::IdNo;
    closeWindow();
}

TEST_F(MainWindowTest, ABookmarkFileThatCannotBeReadAtStartIsToldAndKeepsItsSetting)
{
    const QString pipe = dir.path() + "/pipe.htm";
    const testsupport::WatchedFifo fifo(pipe);
    ASSERT_TRUE(fifo.made());
    const struct {
        QString path;
        const char *reason;
    } cases[] = {
        {dir.path() + "/unmounted/bookmarks.htm", "does not exist"},
        {pipe, "pipe"},
        {QStringLiteral("/dev/zero"), "device"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        writeBytes(file, "[Main]\nBookmarkFile=" + c.path.toUtf8() + "\n");
        QStringList told;
        {
            const dialogrunner::ScopedRunner runner(
                testsupport::answeringMessageBoxes([&](const QString &text, const QString &, unsigned) {
                    told << text;
                    return int(messageboxes::IdOK);
                }));
            openWindow();
            EXPECT_TRUE(frmMain->bookmarkTree()->FileName().isEmpty());
            closeWindow();
        }
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains(c.path) && told[0].contains(QLatin1String(c.reason))) << told[0].toStdString();
        EXPECT_TRUE(readBytes(file).contains("BookmarkFile=" + c.path.toUtf8() + "\n"))
            << readBytes(file).toStdString();
    }
    EXPECT_FALSE(fifo.opened());
}

TEST_F(MainWindowTest, ABookmarkClickOpensItsPage)
{
    const QString target = page("bm.html", "Bookmarked");
    openWindow();
    TBookmarkTreeView *tree = frmMain->bookmarkTree();
    emit tree->OnNavigateUrl(tree, target);
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->tabText(0); }, QString("Bookmarked"), 20000));
}

} // namespace

namespace {

TEST_F(MainWindowTest, SizeAndEncodingMarksFollowTheActivePage)
{
    openWindow();
    TfrmBrowser *first = frmMain->NewBrowser();
    TfrmBrowser *second = frmMain->NewBrowser();
    first->FontList().at(0)->trigger();
    second->FontList().at(4)->trigger();
    second->EncodeList().at(16)->setChecked(true);
    frmMain->mdiArea()->setActiveSubWindow(first);
    frmMain->UpdateActions();
    EXPECT_TRUE(frmMain->action("actSmallest")->isChecked());
    EXPECT_FALSE(frmMain->action("actCyrillicKOI8R")->isChecked());
    frmMain->mdiArea()->setActiveSubWindow(second);
    frmMain->UpdateActions();
    EXPECT_TRUE(frmMain->action("actLargest")->isChecked());
    EXPECT_TRUE(frmMain->action("actCyrillicKOI8R")->isChecked());
    // a size command runs the active page's own action of the same tag
    frmMain->action("actSmaller")->trigger();
    EXPECT_TRUE(second->FontList().at(1)->isChecked());
    EXPECT_TRUE(first->FontList().at(0)->isChecked());
}

TEST_F(MainWindowTest, FullScreenRestoresTheStateAndStatusBar)
{
    writeBytes(file, "[Main]\nWindowState=2\nStatusBar=0\n");
    openWindow();
    auto *status = frmMain->findChild<QWidget *>("StatusBar");
    auto *coolBar = frmMain->findChild<QWidget *>("CoolBar");
    auto *panel = frmMain->findChild<QWidget *>("pnlFullScreen");
    ASSERT_TRUE(status->isHidden());
    frmMain->action("actFullScreen")->trigger();
    EXPECT_TRUE(frmMain->windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(coolBar->isHidden());
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(frmMain->action("acttbFullScreen")->isChecked());
    frmMain->findChild<QToolButton *>("tlbtnRestore")->click();
    EXPECT_FALSE(frmMain->windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(frmMain->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(coolBar->isHidden());
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(status->isHidden()) << "a status bar hidden before full screen stays hidden";
    EXPECT_FALSE(frmMain->action("acttbFullScreen")->isChecked());
}

} // namespace

namespace {

// A language table that remembers every key read from [Main].
class RecordingTable : public TMemIni {
public:
    explicit RecordingTable(const QString &name)
        : TMemIni(name, "INI")
    {}
    QString ReadString(const QString &section, const QString &key, const QString &def) const override
    {
        if (section == u"Main")
            reads << key;
        return TMemIni::ReadString(section, key, def);
    }
    mutable QStringList reads;
};

const QString kMissing = QStringLiteral("\x01missing");

// Keys no table holds; the routine reads them and leaves those hints blank.
const QStringList kAbsentEverywhere = {"mniMoreHint", "actLinkOpenHint", "actLinkOpenNewWindowHint",
                                       "actLinkDeleteHint", "actLinkEditHint"};
// In the Chinese tables the second line of these four actions repeats the caption key instead of the hint.
const QStringList kSizeActionsWithoutHint = {"actSmallest", "actMedium", "actLarger", "actLargest"};

enum class Expect { Text, Empty, Absent };

// What a table holds for a key the window reads: the English table leaves the menu hints blank, the
// traditional Chinese one every hint but the languages'.
Expect expected(const QString &table, const QString &key)
{
    if (kAbsentEverywhere.contains(key))
        return Expect::Absent;
    const bool chinese = table == u"SIMPLIFIEDCHINESE" || table == u"TRADITIONALCHINESE";
    const bool hintKey = key.endsWith(u"Hint");
    const QString owner = hintKey ? key.chopped(4) : key;
    if (hintKey && chinese && kSizeActionsWithoutHint.contains(owner))
        return Expect::Absent;
    if (hintKey && table == u"ENGLISH" && !key.startsWith(u"acttb"))
        return Expect::Empty;
    const QStringList languageActions = {
        "actEnglish",   "actJapaneseKanji", "actJapaneseHiragana", "actSimplifiedChinese", "actTraditionalChinese",
        "actKorean",    "actGerman",        "actFrench",           "actItalian",           "actSpanish",
        "actPortuguese"};
    const bool languageAction = languageActions.contains(owner);
    if (hintKey && table == u"TRADITIONALCHINESE" && !languageAction)
        return Expect::Empty;
    return Expect::Text;
}

// Every key the window's language routine reads is in each built-in table (with a text, except the
// blanks each table leaves on purpose), and every key of a table's [Main] section is read: a
// component the routine forgets, or a misspelt key, fails here.
TEST_F(MainWindowTest, EveryKeyTheLanguageRoutineReadsIsInEachTable)
{
    openWindow();
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        SCOPED_TRACE(name);
        auto table = std::make_unique<RecordingTable>(QString::fromLatin1(name));
        RecordingTable *recorder = table.get();
        BrivoIni->LanguageTable = std::move(table);
        frmMain->ApplyLanguage(*recorder);
        QSet<QString> read;
        for (const QString &key : std::as_const(recorder->reads)) {
            read.insert(key.toLower());
            const QString value = recorder->TMemIni::ReadString("Main", key, kMissing);
            switch (expected(QString::fromLatin1(name), key)) {
            case Expect::Absent:
                EXPECT_EQ(value, kMissing) << key.toStdString();
                break;
            case Expect::Empty:
                EXPECT_EQ(value, QString()) << key.toStdString();
                break;
            case Expect::Text:
                EXPECT_FALSE(value == kMissing || value.trimmed().isEmpty()) << key.toStdString() << " has no text";
                break;
            }
        }
        QStringList keys;
        recorder->ReadSection("Main", keys);
        for (const QString &key : std::as_const(keys))
            EXPECT_TRUE(read.contains(key.toLower())) << key.toStdString() << " is never read";
        // no covered component keeps its placeholder
        for (QAction *a : frmMain->findChildren<QAction *>()) {
            if (a->objectName().startsWith("act")) {
                EXPECT_NE(a->text(), a->objectName());
            }
        }
        // the bars' pop-up Customise submenu shows the Tools menu's texts
        auto *customize = frmMain->findChild<QMenu *>("mniCustomize");
        auto *customize2 = frmMain->findChild<QMenu *>("mniCustomize2");
        ASSERT_TRUE(customize && customize2);
        EXPECT_EQ(customize2->title(), customize->title());
        EXPECT_FALSE(customize->title().isEmpty());
    }
}

} // namespace

namespace {

TEST_F(MainWindowTest, ATypedAddressOpensWithEnterAndAnEmptyBoxDoesNothing)
{
    const QString target = page("typed.html", "Typed");
    openWindow();
    TUrlComboBox *box = frmMain->addressBox();
    box->setFocus();
    box->setEditText(QString());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(frmMain->Browsers().isEmpty()) << "the go button does nothing for an empty box";
    box->setEditText(target);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(frmMain->Browsers().size(), 1);
    ASSERT_TRUE(waitForEqual([&] { return frmMain->windowsTabs()->tabText(0); }, QString("Typed"), 20000));
}

} // namespace

namespace {

TEST_F(MainWindowTest, NewNormalWindowsOpenInsideThePageAreaBesideTheExplorerBar)
{
    writeBytes(file, "[Main]\nWindowState=0\nRect=0,0,821,613\nExplorerBar=1\n[Browser]\nWindowState=0\n");
    openWindow();
    ASSERT_FALSE(frmMain->findChild<QWidget *>("PageControl")->isHidden());
    const QRect area = frmMain->mdiArea()->viewport()->rect();
    ASSERT_LT(area.width(), 696) << "the area is narrower than a new window";
    QList<TfrmBrowser *> pages;
    for (int i = 0; i < 3; ++i)
        pages << frmMain->NewBrowser();
    QCoreApplication::processEvents();
    for (int i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "window " << i);
        EXPECT_EQ(pages.at(i)->WindowStateValue(), TWindowState::wsNormal);
        EXPECT_TRUE(area.contains(pages.at(i)->geometry())) << "outside " << pages.at(i)->geometry().x();
    }
    EXPECT_EQ(pages.at(0)->pos(), QPoint(0, 0)) << "the first starts at the area's top left";
}

TEST_F(MainWindowTest, QtsOwnButtonsSpeakTheInterfaceLanguageFromTheStartAndAfterEverySwitch)
{
    QStringList buttons;
    const dialogrunner::ScopedRunner runner([&](QDialog &dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog))
            buttons << box->button(QMessageBox::Yes)->text().remove(u'&') + u'|' +
                           box->button(QMessageBox::Cancel)->text();
        return int(QDialog::Rejected);
    });
    auto ask = [&] {
        messageboxes::show(frmMain, "?", "t", messageboxes::YesNoCancel);
        return buttons.isEmpty() ? QString() : buttons.takeLast();
    };
    systemlocale::setOverride(QStringLiteral("ja_JP.UTF-8"));
    openWindow();
    EXPECT_EQ(ask(), QString::fromUtf8("はい(Y)|キャンセル")) << "the stored language at the start";
    frmMain->action("actEnglish")->trigger();
    EXPECT_EQ(ask(), "Yes|Cancel");
    frmMain->action("actSimplifiedChinese")->trigger();
    EXPECT_EQ(ask(), QString::fromUtf8("是(Y)|取消"));
    frmMain->action("actTraditionalChinese")->trigger();
    EXPECT_EQ(ask(), QString::fromUtf8("是(Y)|取消"));
    frmMain->action("actJapaneseHiragana")->trigger();
    EXPECT_EQ(ask(), QString::fromUtf8("はい(Y)|キャンセル"));
    frmMain->action("actEnglish")->trigger();
    EXPECT_EQ(ask(), "Yes|Cancel");
}

} // namespace
