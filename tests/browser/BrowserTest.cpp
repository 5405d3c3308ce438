// The page window against a recording owner: the creation handshake, which events reach the owner
// and when, the marks of the size and encoding actions, new windows, history and a bounded close.
#include "browser/Browser.h"

#include "browser/BrowserMessages.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/HistoryStore.h"
#include "settings/MemInis.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QPointer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
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
    EXPECT_EQ(p->FontList().size(), 5);
    EXPECT_EQ(p->EncodeList().size(), 29);
    EXPECT_TRUE(p->EncodeList().first()->isChecked());
    EXPECT_FALSE(p->CanGoBack());
    EXPECT_EQ(p->Progress(), 0);
    TMemIni table;
    table.SetStrings({"[Browser]", "Caption=Page", "[Font]", "Size=0x0C"});
    p->ApplyLanguage(table);
    EXPECT_EQ(p->windowTitle(), "Page 1");
    EXPECT_EQ(p->font().pointSize(), 12);
    delete p;
    EXPECT_TRUE(owner.has("0 freed"));
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
    p->WebBrowser()->Navigate(page("opener.html", "<title>Opener</title><body><script>window.open('opened.html');"
                                                  "</script></body>"));
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
