// Addresses that arrive by drop never run script: real drag events carrying "javascript:" and
// "data:" addresses, on the address box, on a drop target's files and on a page.
#include "browser/ScriptDropGuards.h"

#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "browser/UrlComboBoxes.h"
#include "common/TestSupport.h"
#include "platform/PlatformStore.h"
#include "settings/DragPayloads.h"
#include "settings/UrlDropTargets.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <utility>

using testsupport::waitUntil;

namespace {

// Stands for the main window: keeps the status texts its children send up.
struct TStatusCatcher : QWidget {
    QStringList tips;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::StatusTip) {
            tips << static_cast<QStatusTipEvent *>(e)->tip();
            return true;
        }
        return QWidget::event(e);
    }
};

// Sends the drag's enter, move and drop to the widget as the system would; true when it took the drop.
bool dropOn(QWidget *widget, const QMimeData &data, const QPoint &at = QPoint(10, 10))
{
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

TEST(ScriptDropGuardsTest, ScriptAddressesAreToldApartAsTheEngineReadsThem)
{
    for (const char *refused : {"javascript:alert(1)", "  JavaScript:alert(1)", "\x01java\tscript:alert(1)",
                                "java\nscript:x", "vbscript:x", "data:text/html,<script>x</script>"})
        EXPECT_TRUE(dragpayload::isRefusedAddress(QString::fromLatin1(refused))) << refused;
    for (const char *fine : {"https://example.com/javascript:", "file:///tmp/data:x", "example.com", "about:blank"})
        EXPECT_FALSE(dragpayload::isRefusedAddress(QString::fromLatin1(fine))) << fine;
}

class ScriptDropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platformstore::setFolder(dir.filePath("registry"));
    }
    void TearDown() override { platformstore::setFolder(QString()); }
    QTemporaryDir dir;
};

// A page in a window that keeps its status texts, showing "start" from a folder that also holds "next".
class ScriptDropPageTest : public ScriptDropTest {
protected:
    void SetUp() override
    {
        ScriptDropTest::SetUp();
        window.resize(640, 480);
        browser = new TIEBrowser(&window);
        browser->resize(640, 480);
        window.show();
        ASSERT_TRUE(pages.isValid());
        const QString start = pages.filePath("start.html");
        testsupport::writeBytes(start, "<html><head><title>start</title></head><body>x</body></html>");
        next = pages.filePath("next.html");
        testsupport::writeBytes(next, "<html><head><title>next</title></head><body>y</body></html>");
        browser->Navigate(QUrl::fromLocalFile(start).toString());
        ASSERT_TRUE(waitUntil([&] { return browser->LocationName() == QStringLiteral("start"); }, 20000))
            << "the page loads";
        pageWidget = browser->focusProxy() ? browser->focusProxy() : browser;
    }
    // The page does not take the drop, and the status bar says why.
    void expectRefusedDrop(const QMimeData &data)
    {
        EXPECT_FALSE(dropOn(pageWidget, data));
        ASSERT_FALSE(window.tips.isEmpty());
        EXPECT_EQ(window.tips.last(), QString::fromLatin1(dragpayload::RefusedText));
    }
    TStatusCatcher window;
    TIEBrowser *browser = nullptr;
    QTemporaryDir pages;
    QString next;
    QWidget *pageWidget = nullptr;
};

TEST_F(ScriptDropTest, TheAddressBoxRefusesDroppedScriptAndSaysSo)
{
    TStatusCatcher window;
    auto *box = new TUrlComboBox(&window);
    box->SaveUrl = false;
    QStringList navigated;
    box->OnNavigateUrl = [&](QObject *, const QString &url) { navigated << url; };
    for (const QByteArray &format : {QByteArray("_NETSCAPE_URL"), QByteArray("text/x-moz-url")}) {
        QMimeData link;
        link.setData(QString::fromLatin1(format), format == "_NETSCAPE_URL"
                                                      ? QByteArray("javascript:document.title='x'\nEvil")
                                                      : QString("data:text/html,hi\nEvil").toUtf8());
        EXPECT_FALSE(dropOn(box, link)) << format.constData();
    }
    QMimeData list;
    list.setUrls({QUrl(QStringLiteral("javascript:alert(1)"))});
    EXPECT_FALSE(dropOn(box, list));
    EXPECT_TRUE(navigated.isEmpty());
    EXPECT_EQ(box->count(), 0) << "a refused address is not listed either";
    ASSERT_FALSE(window.tips.isEmpty());
    EXPECT_EQ(window.tips.last(), QString::fromLatin1(dragpayload::RefusedText));

    // a web link still opens
    QMimeData web;
    web.setData("_NETSCAPE_URL", "https://dropped.example/\nFine");
    EXPECT_TRUE(dropOn(box, web));
    EXPECT_EQ(navigated, QStringList({"https://dropped.example/"}));
}

TEST_F(ScriptDropTest, AShortcutFileWithAScriptAddressIsLeftOutOfADrop)
{
    TStatusCatcher window;
    auto *control = new QWidget(&window);
    control->resize(100, 100);
    TCustomUrlDropTarget target(control);
    QStringList dropped;
    target.OnUrlDrop = [&](const QPoint &, const QString &, const QString &url) { dropped << url; };
    target.RegisterDropTarget(control);
    const QString evil = dir.filePath("evil.url");
    testsupport::writeBytes(evil, "[InternetShortcut]\nURL=javascript:alert(document.cookie)\n");
    const QString plain = dir.filePath("notes.txt");
    testsupport::writeBytes(plain, "text");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(evil), QUrl::fromLocalFile(plain)});
    EXPECT_TRUE(dropOn(control, files));
    EXPECT_EQ(dropped, QStringList({plain}));
    ASSERT_FALSE(window.tips.isEmpty());
    EXPECT_EQ(window.tips.last(), QString::fromLatin1(dragpayload::RefusedText));
}

TEST_F(ScriptDropPageTest, APageNeverRunsADroppedScriptAddress)
{
    QSignalSpy titles(browser, &TIEBrowser::TitleChange);

    // the engine takes a drag it is offered and opens the dropped address itself; a script address
    // never gets that far
    QMimeData script;
    script.setUrls({QUrl(QStringLiteral("javascript:document.title='dropped'"))});
    script.setText(QStringLiteral("javascript:document.title='dropped'"));
    expectRefusedDrop(script);

    // an ordinary link is offered to the engine as before
    QMimeData link;
    link.setUrls({QUrl::fromLocalFile(next)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &link, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pageWidget, &enter);
    EXPECT_TRUE(enter.isAccepted());
    // the drag leaves again, as every drag that enters ends
    QDragLeaveEvent leave;
    QApplication::sendEvent(pageWidget, &leave);
    for (const QList<QVariant> &args : titles)
        EXPECT_NE(args.at(0).toString(), QStringLiteral("dropped"));
}

} // namespace

namespace {

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

TEST(DropCleaning, OnlyValidLinksTextAndMarkupReachThePage)
{
    using dropguard::cleanDragData;
    // a list line that is no valid address refuses the whole drag
    for (const char *line : {"%6Aavascript:alert(1)", "java%09script:alert(1)", "not a link", "javascript:x"}) {
        QMimeData list;
        list.setData("text/uri-list", QByteArray("https://fine.example/\r\n") + line + "\r\n");
        EXPECT_EQ(cleanDragData(list), nullptr) << line;
    }
    QMimeData bad;
    bad.setData("text/x-moz-url", utf16(QStringLiteral("%6Aavascript:alert(1)\nT")));
    EXPECT_EQ(cleanDragData(bad), nullptr);
    // a list that yields no address at all (the platform reads such a list from a program whose lines
    // were no addresses, or from one that could not hand its link on) is no link either
    for (const char *list : {"", "\r\n", " \r\n\r\n", "# a comment only\r\n"}) {
        QMimeData empty;
        empty.setData("text/uri-list", list);
        ASSERT_TRUE(empty.hasUrls());
        EXPECT_EQ(cleanDragData(empty), nullptr) << list;
    }
    QMimeData huge;
    huge.setData("text/uri-list", "https://x.example/" + QByteArray(dropguard::MaxLinkBytes, 'a'));
    EXPECT_EQ(cleanDragData(huge), nullptr);

    // a link in another browser's format arrives as a URI list, its title as the text; formats the
    // page was not meant to read stay behind
    QMimeData moz;
    moz.setData("text/x-moz-url", utf16(QStringLiteral("http://127.0.0.1/a%20b\nA title")));
    moz.setData("chromium/x-web-custom-data", QByteArray(64, '\xff'));
    auto clean = cleanDragData(moz);
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->urls(), QList<QUrl>({QUrl(QStringLiteral("http://127.0.0.1/a%20b"))}));
    EXPECT_EQ(clean->text(), QStringLiteral("A title"));
    EXPECT_FALSE(clean->hasFormat(QStringLiteral("chromium/x-web-custom-data")));
    EXPECT_FALSE(clean->hasFormat(QStringLiteral("text/x-moz-url")));

    // files and links of a list, comments left out; text and markup kept as they came
    QMimeData mixed;
    mixed.setData("text/uri-list", "# comment\r\nfile:///tmp/a.txt\r\nhttps://b.example/x\r\n");
    mixed.setText(QStringLiteral("some text"));
    mixed.setHtml(QStringLiteral("<b>bold</b>"));
    clean = cleanDragData(mixed);
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->urls(),
              QList<QUrl>({QUrl(QStringLiteral("file:///tmp/a.txt")), QUrl(QStringLiteral("https://b.example/x"))}));
    EXPECT_EQ(clean->text(), QStringLiteral("some text"));
    EXPECT_EQ(clean->html(), QStringLiteral("<b>bold</b>"));

    // an oversized text is left behind, its link still taken
    QMimeData flood;
    flood.setUrls({QUrl(QStringLiteral("https://b.example/"))});
    flood.setText(QString(dropguard::MaxTextChars + 1, u'x'));
    clean = cleanDragData(flood);
    ASSERT_NE(clean, nullptr);
    EXPECT_FALSE(clean->hasText() && clean->text().size() > dropguard::MaxTextChars);
    EXPECT_EQ(clean->urls().size(), 1);
}

// Takes a drag the way the engine's view does, running an event loop of its own in the middle, in
// which another drag (with the data given as nested) enters.
struct TNestingTarget : QWidget {
    TNestingTarget() { setAcceptDrops(true); }
    const QMimeData *nested = nullptr;
    bool nestedTaken = false;
    QList<const QMimeData *> seen; // the data of each drag that entered the widget
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        seen << event->mimeData();
        event->acceptProposedAction();
        if (const QMimeData *data = std::exchange(nested, nullptr)) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(this, &enter);
            nestedTaken = enter.isAccepted();
        }
    }
};

TEST(DropCleaning, ADragArrivingWhileTheWidgetTakesAnotherNeverReachesItUnlooked)
{
    TNestingTarget target;
    new TScriptDropGuard(&target);
    QMimeData bad;
    bad.setData("text/uri-list", "%6Aavascript:alert(1)\r\n");
    target.nested = &bad;
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://fine.example/"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &link, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_FALSE(target.nestedTaken);
    ASSERT_EQ(target.seen.size(), 1) << "only the clean copy of the link reaches the widget";
    EXPECT_NE(target.seen[0], &link);
    EXPECT_EQ(target.seen[0]->urls(), link.urls());
}

TEST_F(ScriptDropPageTest, APageSeesMalformedLinksOfOtherProgramsNeverAndOtherFormatsAsLinks)
{

    for (const char *line : {"%6Aavascript:alert(1)", "java%09script:document.title='dropped'"}) {
        QMimeData list;
        list.setData("text/uri-list", QByteArray(line) + "\r\n");
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &list, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pageWidget, &enter);
        EXPECT_FALSE(enter.isAccepted()) << line;
        QDragLeaveEvent leave;
        QApplication::sendEvent(pageWidget, &leave);
    }
    ASSERT_FALSE(window.tips.isEmpty());
    EXPECT_EQ(window.tips.last(), QString::fromLatin1(dragpayload::RefusedText));

    // a link that comes only as text/x-moz-url reaches the engine as the link it is: the engine takes it
    QMimeData moz;
    moz.setData("text/x-moz-url", utf16(QStringLiteral("http://127.0.0.1:1/x\nA link")));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &moz, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pageWidget, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &moz, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pageWidget, &move);
    EXPECT_TRUE(move.isAccepted()) << "the engine saw a link it can open";
    QDragLeaveEvent leave;
    QApplication::sendEvent(pageWidget, &leave);
    EXPECT_EQ(browser->LocationName(), QStringLiteral("start"));
}

TEST_F(ScriptDropPageTest, ALinkListWithoutAnAddressIsRefusedAndADroppedLinkOpensInAWindowOfItsOwn)
{
    TIEBrowser opened;
    int asked = 0;
    browser->OnNewWindow2 = [&](TIEBrowser *, QWebEnginePage::WebWindowType) {
        ++asked;
        return opened.page();
    };

    // the engine would read an address such a list does not have
    QMimeData empty;
    empty.setData("text/uri-list", "\r\n");
    empty.setText(QStringLiteral("text"));
    expectRefusedDrop(empty);

    // the user's drop opens its link in a new window, which is not taken for a pop-up of the page nor
    // held to the local page's folder as a window of its script would be
    QTemporaryDir elsewhere;
    const QString other = elsewhere.filePath("other.html");
    testsupport::writeBytes(other, "<html><head><title>other</title></head><body>z</body></html>");
    QMimeData link;
    link.setUrls({QUrl::fromLocalFile(other)});
    EXPECT_TRUE(dropOn(pageWidget, link));
    EXPECT_TRUE(waitUntil([&] { return opened.LocationName() == QStringLiteral("other"); }, 20000))
        << "the dropped link was not opened";
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(browser->LocationName(), QStringLiteral("start"));
}

} // namespace
