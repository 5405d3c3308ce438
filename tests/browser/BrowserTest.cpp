// The page window against a recording owner: the creation handshake, which events reach the owner
// and when, the marks of the size and encoding actions, new windows, history and a bounded close.
#include "browser/Browser.h"

#include "browser/BrowserDialogs.h"
#include "browser/BrowserMessages.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/PagePrinters.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/HistoryStore.h"
#include "platform/PlatformStore.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPdfDocument>
#include <QPointer>
#include <QPrinter>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using testsupport::waitForEqual;
using testsupport::waitUntil;
using testsupport::writeBytes;

namespace {

// Stands in for the main window: numbers the windows it hears of and records their events.
class RecordingOwner : public QObject {
public:
    QList<TfrmBrowser *> created;
    QStringList events;
    bool handleKeys = false;

    bool event(QEvent *e) override
    {
        if (e->type() == browsermessages::BrowserCreated) {
            TfrmBrowser *page = static_cast<browsermessages::BrowserCreatedEvent *>(e)->page();
            page->BrowserIndex = int(created.size());
            created.append(page);
            page->OnStatusTextChanged = [this](TfrmBrowser *s, const QString &t) { record(s, "status " + t); };
            page->OnAddressChanged = [this](TfrmBrowser *s, const QString &u) { record(s, "address " + u); };
            page->OnTitleChanged = [this](TfrmBrowser *s, const QString &t) { record(s, "title " + t); };
            page->OnDownloading = [this](TfrmBrowser *s, int, int) { record(s, "progress"); };
            page->OnBrowserFreed = [this](TfrmBrowser *s) {
                record(s, "freed");
                created.removeAll(s);
            };
            return true;
        }
        if (e->type() == browsermessages::KeyOffered) {
            e->setAccepted(handleKeys);
            return true;
        }
        return QObject::event(e);
    }
    void record(TfrmBrowser *s, const QString &what) { events << QString::number(s->BrowserIndex) + ' ' + what; }
    bool has(const QString &prefix) const
    {
        for (const QString &e : events)
            if (e.startsWith(prefix))
                return true;
        return false;
    }
};

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        area.resize(800, 600);
        area.show();
    }
    void TearDown() override
    {
        for (TfrmBrowser *p : area.findChildren<TfrmBrowser *>())
            delete p;
    }
    QString page(const QString &name, const QByteArray &html)
    {
        writeBytes(dir.path() + '/' + name, html);
        return QUrl::fromLocalFile(dir.path() + '/' + name).toString();
    }
    QTemporaryDir dir;
    const testsupport::SeamGuard history =
        testsupport::restoringDefault(HistoryStore::setSharedPath, dir.path() + "/history.sqlite");
    QMdiArea area;
    RecordingOwner owner;
};

TEST_F(PageWindowTest, RegistersWithItsOwnerBeforeTheConstructorReturns)
{
    auto *p = new TfrmBrowser(&area, &owner);
    ASSERT_EQ(owner.created.size(), 1);
    EXPECT_EQ(owner.created.first(), p);
    EXPECT_EQ(p->BrowserIndex, 0);
    EXPECT_EQ(p->mdiArea(), &area) << "the window sits in the area when its owner hears of it";
    TMemIni table;
    table.SetStrings({"[Browser]", "Caption=Page", "[Font]", "Size=0x0C"});
    p->ApplyLanguage(table);
    EXPECT_EQ(p->windowTitle(), "Page 1");
    EXPECT_EQ(p->font().pointSize(), 12);
    delete p;
    EXPECT_TRUE(owner.has("0 freed"));
}

// The page window's texts come from each built-in language table: every key of its section there is
// read, every key it reads is there (the caption aside, which the Chinese tables leave out), and the
// browser control's questions take them.
TEST_F(PageWindowTest, EveryTableHoldsThePageWindowsTextsAndTheControlTakesThem)
{
    class TRecordingTable : public TMemIni {
    public:
        explicit TRecordingTable(const QString &name)
            : TMemIni(name, "INI")
        {}
        QString ReadString(const QString &section, const QString &key, const QString &def) const override
        {
            if (section == u"Browser")
                reads << key;
            return TMemIni::ReadString(section, key, def);
        }
        mutable QStringList reads;
    };
    auto *p = new TfrmBrowser(&area, &owner);
    const QString missing = QStringLiteral("\x01missing");
    for (const char *name :
         {"ENGLISH", "JAPANESEKANJI", "JAPANESEHIRAGANA", "SIMPLIFIEDCHINESE", "TRADITIONALCHINESE"}) {
        SCOPED_TRACE(name);
        TRecordingTable table(QString::fromLatin1(name));
        p->ApplyLanguage(table);
        const bool chinese = QByteArray(name).endsWith("CHINESE");
        for (const QString &key : std::as_const(table.reads)) {
            const QString value = table.TMemIni::ReadString("Browser", key, missing);
            if (chinese && key == u"Caption")
                EXPECT_EQ(value, missing);
            else
                EXPECT_FALSE(value == missing || value.trimmed().isEmpty()) << key.toStdString() << " has no text";
        }
        QStringList keys;
        table.ReadSection("Browser", keys);
        for (const QString &key : std::as_const(keys))
            EXPECT_TRUE(table.reads.contains(key)) << key.toStdString() << " is never read";
        const TIEBrowser::TTexts &texts = p->WebBrowser()->Texts();
        EXPECT_EQ(texts.open, table.ReadString("Browser", "OpenProgram", missing));
        EXPECT_EQ(texts.dontOpen, table.ReadString("Browser", "DontOpenProgram", missing));
        EXPECT_EQ(texts.downloadsRefused, table.ReadString("Browser", "DownloadsRefused", missing));
        EXPECT_TRUE(texts.programLink.contains(u"%s") && texts.program.contains(u"%s") &&
                    texts.noProgram.contains(u"%s"));
        if (QByteArray(name) == "JAPANESEKANJI") {
            EXPECT_EQ(texts.open, QString::fromUtf8("開く(&O)"));
        }
    }
    delete p;
}

TEST_F(PageWindowTest, OnlyTheActiveWindowReportsAddressStatusAndProgress)
{
    auto *back = new TfrmBrowser(&area, &owner);
    auto *front = new TfrmBrowser(&area, &owner);
    area.setActiveSubWindow(front);
    ASSERT_FALSE(back->IsActive());
    const QString url = page("titled.html", "<title>Background</title><body>x</body>");
    back->WebBrowser()->Navigate(url);
    ASSERT_TRUE(waitUntil([&] { return owner.has("0 title Background"); }, 20000))
        << "events: " << owner.events.join(" | ").toStdString();
    QTest::qWait(100);
    EXPECT_FALSE(owner.has("0 address")) << owner.events.join(" | ").toStdString();
    EXPECT_FALSE(owner.has("0 status"));
    EXPECT_FALSE(owner.has("0 progress"));
    front->WebBrowser()->Navigate(page("front.html", "<title>Front</title><body>y</body>"));
    ASSERT_TRUE(waitUntil([&] { return owner.has("1 address file://"); }, 20000))
        << "events: " << owner.events.join(" | ").toStdString();
    EXPECT_TRUE(owner.has("1 progress"));
}

TEST_F(PageWindowTest, WindowsBehindAMaximisedOneKeepTheirStatesAndLayTheirPagesOutAtItsSize)
{
    auto *a = new TfrmBrowser(&area, &owner);
    auto *b = new TfrmBrowser(&area, &owner);
    auto *c = new TfrmBrowser(&area, &owner);
    const QList<TfrmBrowser *> pages{a, b, c};
    const QList<QRect> rects{{0, 0, 300, 200}, {20, 20, 320, 220}, {40, 40, 340, 240}};
    for (int i = 0; i < 3; ++i)
        pages[i]->setGeometry(rects[i]);
    const auto viewsFit = [&](TfrmBrowser *front) {
        for (TfrmBrowser *p : pages) {
            const QSize inside = (front ? front : p)->widget()->size();
            if (p->WebBrowser()->geometry() != QRect(QPoint(), p == front ? p->widget()->size() : inside))
                return false;
        }
        return true;
    };
    const auto report = [&] {
        QString text;
        for (TfrmBrowser *p : pages)
            text += QStringLiteral("%1: window %2x%3 view %4x%5; ")
                        .arg(p->BrowserIndex)
                        .arg(p->widget()->width())
                        .arg(p->widget()->height())
                        .arg(p->WebBrowser()->width())
                        .arg(p->WebBrowser()->height());
        return text.toStdString();
    };

    area.setActiveSubWindow(c);
    c->SetWindowStateValue(TWindowState::wsMaximized);
    ASSERT_TRUE(waitUntil([&] { return viewsFit(c); }, 5000)) << report();

    // the area maximises the window it brings to the front and restores the one it leaves; the
    // page of the window in front needs no new size
    for (TfrmBrowser *next : {a, b, c, b}) {
        const QSize view = next->WebBrowser()->size();
        area.setActiveSubWindow(next);
        EXPECT_EQ(next->WindowStateValue(), TWindowState::wsMaximized);
        EXPECT_EQ(next->WebBrowser()->size(), view) << "brought to the front: " << next->BrowserIndex;
        EXPECT_EQ(next->WebBrowser()->size(), next->widget()->size());
        ASSERT_TRUE(waitUntil([&] { return viewsFit(next); }, 5000)) << report();
        for (int i = 0; i < 3; ++i)
            if (pages[i] != next) {
                EXPECT_EQ(pages[i]->WindowStateValue(), TWindowState::wsNormal) << i;
                EXPECT_EQ(pages[i]->geometry(), rects[i]) << i;
            }
    }

    // a larger area: the pages behind follow the window in front
    area.resize(900, 650);
    ASSERT_TRUE(waitUntil([&] { return b->widget()->width() > 800 && viewsFit(b); }, 5000)) << report();

    // once no window is maximised, every page fits its own window again
    b->SetWindowStateValue(TWindowState::wsNormal);
    ASSERT_TRUE(waitUntil([&] { return viewsFit(nullptr); }, 5000)) << report();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i]->WindowStateValue(), TWindowState::wsNormal) << i;
        EXPECT_EQ(pages[i]->geometry(), rects[i]) << i;
    }
    EXPECT_TRUE(b->IsActive());

    // a window made smaller lays its page out at its new size
    b->resize(200, 150);
    ASSERT_TRUE(waitUntil([&] { return viewsFit(nullptr); }, 5000)) << report();
    EXPECT_LT(b->WebBrowser()->width(), 200);
}

TEST_F(PageWindowTest, PagesOfWindowsTheUserCannotSeeAreHiddenToTheEngine)
{
    auto *a = new TfrmBrowser(&area, &owner);
    auto *b = new TfrmBrowser(&area, &owner);
    auto *c = new TfrmBrowser(&area, &owner);
    const QList<TfrmBrowser *> pages{a, b, c};
    a->setGeometry(0, 0, 300, 200);
    b->setGeometry(20, 20, 320, 220);
    c->setGeometry(40, 40, 340, 240);
    // the page tells what it reads in its title
    b->WebBrowser()->Navigate(page("state.html", "<body><script>document.title = document.visibilityState;"
                                                 "addEventListener('visibilitychange', function () {"
                                                 " document.title = document.visibilityState; });</script>"));
    const auto shown = [&](QList<bool> expected) {
        for (int i = 0; i < 3; ++i)
            if (pages[i]->WebBrowser()->page()->isVisible() != expected[i])
                return false;
        return true;
    };
    const auto report = [&] {
        QString text;
        for (TfrmBrowser *p : pages)
            text += QStringLiteral("%1: %2 %3; ")
                        .arg(p->BrowserIndex)
                        .arg(p->WebBrowser()->page()->isVisible() ? "shown" : "hidden", p->WebBrowser()->title());
        return text.toStdString();
    };
    ASSERT_TRUE(waitUntil([&] { return b->WebBrowser()->title() == "visible"; }, 20000)) << report();
    EXPECT_TRUE(shown({true, true, true})) << "windows overlapping in part are seen";

    area.setActiveSubWindow(c);
    c->SetWindowStateValue(TWindowState::wsMaximized);
    ASSERT_TRUE(waitUntil([&] { return shown({false, false, true}); }, 5000)) << report();
    ASSERT_TRUE(waitUntil([&] { return b->WebBrowser()->title() == "hidden"; }, 5000)) << report();

    // brought to the front: shown before the area is drawn again, the one left behind hidden after
    area.setActiveSubWindow(b);
    EXPECT_TRUE(b->WebBrowser()->page()->isVisible());
    EXPECT_EQ(b->WindowStateValue(), TWindowState::wsMaximized);
    ASSERT_TRUE(waitUntil([&] { return shown({false, true, false}); }, 5000)) << report();
    ASSERT_TRUE(waitUntil([&] { return b->WebBrowser()->title() == "visible"; }, 5000)) << report();

    // the window whose tab the user points at draws behind the one in front until he points elsewhere
    a->PrepareToShow(true);
    ASSERT_TRUE(waitUntil([&] { return shown({true, true, false}); }, 5000)) << report();
    QTest::qWait(50);
    EXPECT_TRUE(shown({true, true, false})) << report();
    c->PrepareToShow(true);
    ASSERT_TRUE(waitUntil([&] { return shown({false, true, true}); }, 5000)) << report();
    a->PrepareToShow(false); // no longer the one pointed at: changes nothing
    c->PrepareToShow(false);
    ASSERT_TRUE(waitUntil([&] { return shown({false, true, false}); }, 5000)) << report();

    // none maximised: every window is seen in part again
    b->SetWindowStateValue(TWindowState::wsNormal);
    ASSERT_TRUE(waitUntil([&] { return shown({true, true, true}); }, 5000)) << report();
    // a window wholly under another is not
    b->setGeometry(0, 0, 310, 210);
    ASSERT_TRUE(waitUntil([&] { return shown({false, true, true}); }, 5000)) << report();
    // nor one minimised, nor one moved out of the area
    c->SetWindowStateValue(TWindowState::wsMinimized);
    ASSERT_TRUE(waitUntil([&] { return !c->WebBrowser()->page()->isVisible(); }, 5000)) << report();
    b->move(900, 700);
    ASSERT_TRUE(waitUntil([&] { return shown({true, false, false}); }, 5000)) << report();
    // an area narrowed (a wider explorer bar) hides what now lies beyond it, and shows it again as
    // it widens; a window moved off another shows it again
    b->move(500, 0);
    ASSERT_TRUE(waitUntil([&] { return shown({true, true, false}); }, 5000)) << report();
    area.resize(400, 600);
    ASSERT_TRUE(waitUntil([&] { return shown({true, false, false}); }, 5000)) << report();
    area.resize(800, 600);
    ASSERT_TRUE(waitUntil([&] { return shown({true, true, false}); }, 5000)) << report();
    b->setGeometry(0, 0, 310, 210);
    ASSERT_TRUE(waitUntil([&] { return shown({false, true, false}); }, 5000)) << report();
    b->move(400, 300);
    ASSERT_TRUE(waitUntil([&] { return shown({true, true, false}); }, 5000)) << report();
    // sizes are kept all along: the views of the windows are laid out at their insides
    for (TfrmBrowser *p : {a, b})
        EXPECT_EQ(p->WebBrowser()->size(), p->widget()->size()) << p->BrowserIndex;
}

// Counts the show events of the widgets it watches.
class ShowCounter : public QObject {
public:
    QHash<QObject *, int> shows;
    void watch(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows[watched];
        return false;
    }
};

TEST(ReopenedPageWindows, PagesCoveredBeforeTheAreaIsShownAreNeverShownAndKeepNoSizeUntilSeen)
{
    // the area is hidden while the windows are reopened, as at start
    RecordingOwner owner;
    ShowCounter counter;
    QTemporaryDir dir;
    QMdiArea area;
    area.resize(800, 600);
    writeBytes(dir.path() + "/page.html", "<body>a page</body>");
    const auto open = [&](const QRect &rect, TWindowState state) {
        auto *p = new TfrmBrowser(&area, &owner);
        p->WebBrowser()->Navigate(QUrl::fromLocalFile(dir.path() + "/page.html").toString());
        counter.watch(p->WebBrowser());
        p->setGeometry(rect);
        p->SetWindowStateValue(state);
        return p;
    };
    // two windows in one place, the lower one wholly covered, a third beside them
    TfrmBrowser *under = open({10, 10, 300, 200}, TWindowState::wsNormal);
    TfrmBrowser *over = open({10, 10, 300, 200}, TWindowState::wsNormal);
    TfrmBrowser *beside = open({400, 10, 300, 200}, TWindowState::wsNormal);
    // then two maximised in turn: the area keeps the last one maximised, in front of all the others
    TfrmBrowser *behind = open({10, 300, 300, 200}, TWindowState::wsMaximized);
    TfrmBrowser *front = open({400, 300, 300, 200}, TWindowState::wsMaximized);
    const QList<TfrmBrowser *> pages{under, over, beside, behind, front};
    ASSERT_EQ(area.currentSubWindow(), front);

    area.show();
    ASSERT_TRUE(waitUntil([&] { return front->WebBrowser()->page()->isVisible(); }, 5000));
    for (TfrmBrowser *p : pages)
        ASSERT_TRUE(waitUntil([&] { return !p->WebBrowser()->Busy(); }, 20000)) << p->BrowserIndex << " did not load";
    for (TfrmBrowser *p : pages)
        if (p != front) {
            EXPECT_EQ(counter.shows.value(p->WebBrowser()), 0)
                << p->BrowserIndex << " was shown behind the one in front";
            EXPECT_FALSE(p->WebBrowser()->page()->isVisible()) << p->BrowserIndex;
            EXPECT_EQ(p->WebBrowser()->height(), 1) << p->BrowserIndex << ": not seen yet, laid out at its width only";
        }
    EXPECT_EQ(counter.shows.value(front->WebBrowser()), 1);
    EXPECT_EQ(front->WebBrowser()->size(), front->widget()->size()) << "the page in front is laid out at its size";

    // brought forward, a page is shown and laid out at the size of its window's inside
    area.setActiveSubWindow(behind);
    EXPECT_TRUE(behind->WebBrowser()->page()->isVisible());
    EXPECT_EQ(behind->WebBrowser()->size(), behind->widget()->size());
    // once no window is maximised, the covered one stays hidden, the others are shown
    behind->SetWindowStateValue(TWindowState::wsNormal);
    ASSERT_TRUE(waitUntil([&] { return over->WebBrowser()->page()->isVisible(); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return beside->WebBrowser()->page()->isVisible(); }, 5000));
    EXPECT_EQ(over->WebBrowser()->size(), over->widget()->size());
    EXPECT_EQ(counter.shows.value(under->WebBrowser()), 0);
    for (TfrmBrowser *p : pages)
        delete p;
}

TEST_F(PageWindowTest, ACoveredPageKeepsNoPictureAndDrawsOneAtOnceWhenBroughtForward)
{
    auto *back = new TfrmBrowser(&area, &owner);
    back->SetWindowStateValue(TWindowState::wsMaximized);
    back->WebBrowser()->Navigate(
        page("drawn.html", "<body style='background: #246'><h1 style='color: #fff'>Drawn</h1>"));
    QQuickWidget *surface = nullptr;
    // what the view's surface paints over one colour: its picture, or nothing where it keeps none
    const auto drawn = [&] {
        if (!surface)
            return false;
        QImage painted(surface->size(), QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::magenta);
        surface->render(&painted);
        return TfrmBrowser::showsPicture(painted);
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            surface = back->WebBrowser()->findChild<QQuickWidget *>();
            return drawn();
        },
        20000))
        << "the page was not drawn";
    if (surface->quickWindow()->rendererInterface()->graphicsApi() != QSGRendererInterface::Software)
        GTEST_SKIP() << "page views are drawn through OpenGL here";

    // a window opened in front of it, maximised in turn: the page behind keeps its size, so the
    // surface's picture could be painted as it is
    auto *front = new TfrmBrowser(&area, &owner);
    ASSERT_TRUE(front->isMaximized());
    ASSERT_TRUE(waitUntil([&] { return !back->WebBrowser()->page()->isVisible(); }, 5000));
    ASSERT_EQ(back->WebBrowser()->size(), front->widget()->size());
    EXPECT_FALSE(drawn()) << "the covered page's view still holds its picture";

    // its picture is drawn before the window in front of it is painted again
    area.setActiveSubWindow(back);
    EXPECT_TRUE(drawn()) << "the page brought forward shows no picture";
}

TEST(PageViewPicture, ABlankViewIsToldFromADrawnPage)
{
    EXPECT_FALSE(TfrmBrowser::showsPicture(QImage()));
    QImage blank(64, 48, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::white);
    EXPECT_FALSE(TfrmBrowser::showsPicture(blank));
    QImage drawn = blank;
    drawn.setPixel(40, 32, qRgb(0, 0, 0));
    EXPECT_TRUE(TfrmBrowser::showsPicture(drawn));
    QImage text(64, 48, QImage::Format_RGB888);
    text.fill(Qt::blue);
    for (int x = 8; x < 30; ++x)
        text.setPixel(x, 16, qRgb(255, 255, 255));
    EXPECT_TRUE(TfrmBrowser::showsPicture(text)) << "any format";
}

TEST_F(PageWindowTest, MarksFollowTheCompletedDocument)
{
    auto *p = new TfrmBrowser(&area, &owner);
    p->WebBrowser()->Navigate(
        page("utf8.html", "<meta charset=\"utf-8\"><title>\xE6\x97\xA5</title><body>\xE6\x97\xA5</body>"));
    ASSERT_TRUE(waitUntil([&] { return p->EncodeList().at(5)->isChecked(); }, 20000))
        << "the UTF-8 action is not marked; the page's character set is " << p->WebBrowser()->Charset().toStdString();
    int marked = 0;
    for (QAction *a : p->EncodeList())
        marked += a->isChecked();
    EXPECT_EQ(marked, 1) << "exactly the UTF-8 action";
    EXPECT_TRUE(p->FontList().at(2)->isChecked()) << "the control starts at the medium size";
    p->FontList().at(4)->trigger();
    EXPECT_EQ(p->WebBrowser()->FontSize(), 4);
    int sizes = 0;
    for (QAction *a : p->FontList())
        sizes += a->isChecked();
    EXPECT_EQ(sizes, 1);
}

TEST_F(PageWindowTest, EncodingMarksTakeTheEnginesNameThroughItsAliases)
{
    // the engine decodes gb2312 as GBK, and names iso-8859-9 windows-1254
    const struct {
        const char *file;
        QByteArray html;
        int tag;
    } cases[] = {
        {"gb.html", "<meta charset=\"gb2312\"><body>\xD6\xD0\xCE\xC4</body>", 12},
        {"tr.html", "<meta charset=\"iso-8859-9\"><body>\xFE</body>", 24},
        {"sjis.html", "<meta charset=\"x-sjis\"><body>\x93\xFA</body>", 3},
    };
    auto *p = new TfrmBrowser(&area, &owner);
    for (const auto &c : cases) {
        p->WebBrowser()->Navigate(page(QString::fromLatin1(c.file), c.html));
        ASSERT_TRUE(waitUntil(
            [&] { return p->WebBrowser()->LocationURL().endsWith(QLatin1String(c.file)) && !p->WebBrowser()->Busy(); },
            20000))
            << c.file << " did not load";
        QStringList marked;
        for (QAction *a : p->EncodeList())
            if (a->isChecked())
                marked << a->objectName();
        EXPECT_EQ(marked, QStringList{p->EncodeList().at(c.tag)->objectName()})
            << c.file << ": the engine's name is " << p->WebBrowser()->Charset().toStdString();
    }
}

TEST_F(PageWindowTest, CompletedPagesAreRememberedButInternalOnes)
{
    auto *p = new TfrmBrowser(&area, &owner);
    const QString url = page("remember.html", "<title>Remember me</title><body>x</body>");
    p->WebBrowser()->Navigate(url);
    ASSERT_TRUE(waitUntil([&] { return owner.has("0 address " + url); }, 20000))
        << "events: " << owner.events.join(" | ").toStdString();
    ASSERT_TRUE(waitForEqual([&] { return HistoryStore::shared().page(url).title; }, QString("Remember me")))
        << "the history's title of the page";
    p->WebBrowser()->Navigate("about:blank");
    ASSERT_TRUE(waitUntil([&] { return owner.has("0 address about:blank"); }, 20000))
        << "events: " << owner.events.join(" | ").toStdString();
    EXPECT_TRUE(HistoryStore::shared().page("about:blank").url.isEmpty());
}

TEST_F(PageWindowTest, AScriptsNewWindowIsRegisteredBeforeItsPageLoads)
{
    auto *p = new TfrmBrowser(&area, &owner);
    const QString target = page("opened.html", "<title>Opened</title><body>z</body>");
    p->WebBrowser()->Navigate(
        page("opener.html", "<title>Opener</title><body style='margin:0'><div onclick=\"window.open('opened.html')\""
                            " style='position:fixed;left:0;top:0;width:100%;height:100%'></div></body>"));
    ASSERT_TRUE(waitUntil([&] { return p->WebBrowser()->LocationName() == "Opener"; }, 20000));
    // the page opens its window on the user's click
    TIEBrowser *view = p->WebBrowser();
    QTest::mouseClick(view->focusProxy() ? view->focusProxy() : view, Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_TRUE(waitForEqual([&] { return owner.created.size(); }, qsizetype(2), 20000)) << "windows registered";
    ASSERT_TRUE(waitUntil([&] { return owner.has("1 title Opened"); }, 20000))
        << "events: " << owner.events.join(" | ").toStdString();
}

TEST_F(PageWindowTest, AHandledKeyIsConsumedAndTheCaptionStays)
{
    auto *p = new TfrmBrowser(&area, &owner);
    p->setWindowTitle("Kept");
    owner.handleKeys = true;
    QKeyEvent ctrlN(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(p->WebBrowser()->OnTranslateAccelerator(p->WebBrowser(), &ctrlN));
    EXPECT_EQ(p->windowTitle(), "Kept");
    // only Esc, the function keys and Ctrl keys reach the owner
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n");
    EXPECT_FALSE(p->WebBrowser()->OnTranslateAccelerator(p->WebBrowser(), &letter));
    QKeyEvent shiftF11(QEvent::KeyPress, Qt::Key_F11, Qt::ShiftModifier);
    EXPECT_TRUE(p->WebBrowser()->OnTranslateAccelerator(p->WebBrowser(), &shiftF11));
    owner.handleKeys = false;
    EXPECT_FALSE(p->WebBrowser()->OnTranslateAccelerator(p->WebBrowser(), &ctrlN));
}

TEST_F(PageWindowTest, ClosingALoadingWindowWaitsAtMostAFewSeconds)
{
    // a server that accepts and never answers keeps the page loading
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> held;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (server.hasPendingConnections())
            held << server.nextPendingConnection();
    });
    QPointer<TfrmBrowser> p = new TfrmBrowser(&area, &owner);
    p->WebBrowser()->Navigate(QString("http://127.0.0.1:%1/slow").arg(server.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return p->WebBrowser()->Busy(); }, 10000)) << "the page never started loading";
    QElapsedTimer timer;
    timer.start();
    p->close();
    ASSERT_TRUE(waitUntil([&] { return p.isNull(); }, 10000))
        << "the window is still there after " << timer.elapsed() << " ms; busy: " << p->WebBrowser()->Busy();
    EXPECT_LT(timer.elapsed(), TfrmBrowser::CloseWaitMs + 2000);
    EXPECT_TRUE(owner.has("0 freed"));
}

} // namespace

namespace {

// Runs the control's dialogs without blocking, presses Esc in each and notes whether it closed.
struct TEscPressingDialogs {
    QStringList stillOpen;
    int runs = 0;
    int run(QDialog &dialog)
    {
        ++runs;
        dialog.show();
        QTest::keyClick(dialog.focusWidget() ? dialog.focusWidget() : &dialog, Qt::Key_Escape);
        if (dialog.isVisible()) {
            stillOpen << dialog.windowTitle();
            dialog.reject();
        }
        return dialog.result();
    }
};

} // namespace

TEST_F(PageWindowTest, EscClosesTheFindDialogAndTheInternetOptionsWhileTheOwnerTakesEsc)
{
    owner.handleKeys = true; // as the main window does: Esc is its Stop
    auto *p = new TfrmBrowser(&area, &owner);
    p->WebBrowser()->Navigate(page("find.html", "<body>word word word</body>"));
    ASSERT_TRUE(waitUntil([&] { return p->WebBrowser()->HasDocument() && !p->WebBrowser()->Busy(); }, 20000))
        << "the page did not load";

    p->WebBrowser()->Find();
    TFindDialog *find = p->WebBrowser()->FindDialog();
    ASSERT_TRUE(find && find->isVisible());
    find->activateWindow();
    find->textEdit()->setFocus();
    QTest::keyClick(find->textEdit(), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible()) << "Esc in the find dialog went to the owner";

    TEscPressingDialogs dialogs;
    dialogrunner::ScopedRunner guard([&](QDialog &dialog) { return dialogs.run(dialog); });
    p->WebBrowser()->InternetOptions();
    ASSERT_EQ(dialogs.runs, 1);
    EXPECT_TRUE(dialogs.stillOpen.isEmpty()) << "Esc left open: " << dialogs.stillOpen.join(", ").toStdString();
}

TEST_F(PageWindowTest, AScriptDialogBlocksOnlyItsPageAndClosingThePageEndsIt)
{
    auto *other = new TfrmBrowser(&area, &owner);
    QPointer<TfrmBrowser> p = new TfrmBrowser(&area, &owner);
    const QString url = page("alerts.html", "<body><script>for (var i = 0; i < 50; ++i) alert('again ' + i);"
                                            " document.title = 'done';</script></body>");
    // the probe runs inside the dialog's own wait, as the user's clicks would
    int boxes = 0;
    QPointer<QMessageBox> last;
    bool programBlocked = false, pageTookInput = false, otherPageBlocked = false, closeAsked = false;
    QStringList notClosedByEsc;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        QMessageBox *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<QMessageBox *>(w); b && b->isVisible())
                box = b;
        if (!box || !p)
            return;
        if (box == last) {
            notClosedByEsc << box->text();
            return;
        }
        last = box;
        ++boxes;
        programBlocked = programBlocked || QApplication::activeModalWidget() != nullptr;
        pageTookInput = pageTookInput || p->WebBrowser()->isEnabled();
        otherPageBlocked = otherPageBlocked || !other->WebBrowser()->isEnabled();
        if (boxes < 3) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        if (!closeAsked) {
            closeAsked = true;
            p->close();
        }
    });
    probe.start();
    p->WebBrowser()->Navigate(url);
    ASSERT_TRUE(waitUntil([&] { return p.isNull(); }, 30000))
        << "the page window is still open after " << boxes << " script dialogs";
    probe.stop();
    EXPECT_EQ(boxes, 3) << "closing the page ends its dialogs: no later one shows";
    EXPECT_FALSE(programBlocked) << "a script dialog blocked the whole program";
    EXPECT_FALSE(pageTookInput) << "the page took input while its dialog was open";
    EXPECT_FALSE(otherPageBlocked);
    EXPECT_TRUE(notClosedByEsc.isEmpty()) << "Esc left open: " << notClosedByEsc.join(", ").toStdString();
    EXPECT_TRUE(other->isVisible());
    EXPECT_TRUE(other->WebBrowser()->isEnabled());
}

TEST_F(PageWindowTest, EachEnterInFindMovesOneMatch)
{
    auto *p = new TfrmBrowser(&area, &owner);
    p->WebBrowser()->Navigate(page("three.html", "<body>word, word and word</body>"));
    ASSERT_TRUE(waitUntil([&] { return p->WebBrowser()->HasDocument() && !p->WebBrowser()->Busy(); }, 20000))
        << "the page did not load";
    p->WebBrowser()->Find();
    TFindDialog *find = p->WebBrowser()->FindDialog();
    ASSERT_TRUE(find && find->isVisible());
    QTest::keyClicks(find->textEdit(), QStringLiteral("word"));
    QLabel *result = find->resultLabel();
    for (const QString &expected : {QStringLiteral("Match 1 of 3"), QStringLiteral("Match 2 of 3")}) {
        result->clear();
        QTest::keyClick(find->textEdit(), Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return !result->text().isEmpty(); }, 20000)) << "no answer to the search";
        // a second search started by the same Enter has its chance to answer
        testsupport::processEventsFor(300);
        EXPECT_EQ(result->text(), expected);
    }
}

TEST_F(PageWindowTest, PrintedPagesCarryTheWindowsHeaderAndFooterAndPageSetupChangesThem)
{
    const auto store = testsupport::restoringDefault(platformstore::setFolder, dir.path() + "/registry");
    QByteArray body = "<title>Window Print</title><body style='font-size:20px'>";
    for (int i = 0; i < 90; ++i)
        body += "<p>Line " + QByteArray::number(i) + " of the page.</p>";
    auto *p = new TfrmBrowser(&area, &owner);
    p->WebBrowser()->Navigate(page("printed.html", body));
    ASSERT_TRUE(waitUntil([&] { return p->WebBrowser()->HasDocument() && !p->WebBrowser()->Busy(); }, 20000))
        << "the page did not load";
    const auto printTo = [&](const QString &out) {
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(out);
        pageprint::applyPageSetup(*printer);
        QSignalSpy done(p->WebBrowser(), &TIEBrowser::PrintComplete);
        return p->WebBrowser()->PrintTo(printer) && done.wait(20000) && done.first().first().toBool();
    };
    const QString out = dir.filePath("window.pdf");
    ASSERT_TRUE(printTo(out));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    ASSERT_GE(pdf.pageCount(), 2);
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int i = 0; i < pdf.pageCount(); ++i) {
        const QString text = pdf.getAllText(i).text();
        EXPECT_TRUE(text.contains(QStringLiteral("%1/%2 ページ").arg(i + 1).arg(pdf.pageCount())))
            << text.toStdString();
        EXPECT_TRUE(text.contains(u"Window Print")) << text.toStdString();
        EXPECT_TRUE(text.contains(u"printed.html")) << text.toStdString();
        EXPECT_TRUE(text.contains(date)) << text.toStdString();
    }

    // page setup edits them, for this window and the windows that come after
    QString shownHeader;
    {
        dialogrunner::ScopedRunner runner([&](QDialog &dialog) {
            auto *header = dialog.findChild<QLineEdit *>(QStringLiteral("HeaderEdit"));
            auto *footer = dialog.findChild<QLineEdit *>(QStringLiteral("FooterEdit"));
            if (!header || !footer)
                return int(QDialog::Rejected);
            shownHeader = header->text();
            header->setText(QStringLiteral("Top &p"));
            footer->clear();
            return int(QDialog::Accepted);
        });
        p->WebBrowser()->PageSetup();
    }
    EXPECT_EQ(shownHeader, QStringLiteral("&w&b&p/&P ページ"));

    // the page setup dialog itself offers the two lines beside the paper settings
    struct TFillingDialogs {
        bool found = false;
        int run(QDialog &dialog)
        {
            auto *header = dialog.findChild<QLineEdit *>(QStringLiteral("HeaderEdit"));
            auto *footer = dialog.findChild<QLineEdit *>(QStringLiteral("FooterEdit"));
            found = header && footer && header->text() == QStringLiteral("Top &p");
            if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty()) {
                dialog.show();
                dialog.grab().save(shots + QStringLiteral("/page-setup.png"));
            }
            if (!found)
                return QDialog::Rejected;
            header->setText(QStringLiteral("Top &p"));
            footer->clear();
            return QDialog::Accepted;
        }
    } filling;
    {
        dialogrunner::ScopedRunner runner([&](QDialog &dialog) { return filling.run(dialog); });
        p->WebBrowser()->PageSetup();
    }
    EXPECT_TRUE(filling.found) << "the page setup dialog has no header and footer lines";
    EXPECT_EQ(p->WebBrowser()->PrintOptions().Header, QStringLiteral("Top &p"));
    auto *later = new TfrmBrowser(&area, &owner);
    EXPECT_EQ(later->WebBrowser()->PrintOptions().Header, QStringLiteral("Top &p"));
    EXPECT_EQ(later->WebBrowser()->PrintOptions().Footer, QString()) << "an emptied footer stays empty";
    const QString edited = dir.filePath("edited.pdf");
    ASSERT_TRUE(printTo(edited));
    QPdfDocument again;
    ASSERT_EQ(again.load(edited), QPdfDocument::Error::None);
    const QString first = again.getAllText(0).text();
    EXPECT_TRUE(first.contains(u"Top 1")) << first.toStdString();
    EXPECT_FALSE(first.contains(u"printed.html")) << first.toStdString();
}
