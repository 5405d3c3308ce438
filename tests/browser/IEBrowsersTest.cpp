// The browser control against the real engine: local pages in a temporary folder and a loopback
// server, never the network. Every wait is bounded.
#include "browser/IEBrowsers.h"

#include "browser/BrowserDialogs.h"
#include "browser/BrowserTestSupport.h"
#include "browser/Charsets.h"
#include "browser/FindDialogs.h"
#include "browser/InternetOptions.h"
#include "browser/PagePrinters.h"
#include "browser/PageScripts.h"
#include "browser/WebEngineProfiles.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/DialogRunner.h"
#include "platform/PlatformStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QNetworkDatagram>
#include <QPageSetupDialog>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>
#include <cfenv>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

using browsertest::httpReply;
using browsertest::TLoopbackServer;

constexpr int Timeout = 20000;
// A link or control laid over the whole page, so that a click anywhere reaches it.
const QByteArray WholePage = "style='display:block;position:fixed;left:0;top:0;width:100%;height:100%'";

// Where a page's peer connections send their first packets (STUN): a UDP listener on the loopback,
// and the page's probe that makes one towards it. probe(name, w) tells
// "name=<type of w.RTCPeerConnection>:<made, or the name of the error>".
struct TStunListener {
    QUdpSocket socket;
    int datagrams = 0;

    TStunListener()
    {
        EXPECT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                socket.receiveDatagram();
                ++datagrams;
            }
        });
    }
    QByteArray probe() const
    {
        return "function probe(name, w) { var r = name + '='; try { r += typeof w.RTCPeerConnection;"
               " var pc = new w.RTCPeerConnection({iceServers: [{urls: 'stun:127.0.0.1:" +
               QByteArray::number(socket.localPort()) +
               "'}]}); pc.createDataChannel('d'); pc.createOffer().then(function(o) { return "
               "pc.setLocalDescription(o); });"
               " r += ':made'; } catch (e) { r += ':' + e.name; } return r; }";
    }
};

// The engine's work is given longer than the shared default.
[[nodiscard]] bool waitUntil(const std::function<bool()> &done, int ms = Timeout)
{
    return testsupport::waitUntil(done, ms);
}

template <typename Get, typename T> [[nodiscard]] ::testing::AssertionResult waitForEqual(Get value, const T &expected)
{
    return testsupport::waitForEqual(value, expected, Timeout);
}

// Answers the control's dialogs and remembers what it was asked.
// Answers the browser control's dialogs as the dialog runner, recording the message boxes and the
// credential questions.
struct TRecordingDialogs {
    struct Message {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QString defaultButton = {};
    };
    QList<Message> messages;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QString press; // a button of the box's own to press, by its text
    int fileDialogs = 0;
    QString fileDialogFolder;
    std::function<void()> onFileDialog;
    std::function<int(QDialog &)> onExec;
    QString savePath; // the save dialog's choice; cancelled when empty
    QStringList credentialTexts;
    std::function<void(QPageSetupDialog &)> onPageSetup; // fills the page-setup dialog in; cancelled when empty

    int run(QDialog &dialog)
    {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            messages.append({box->windowTitle(), box->text(), box->icon(),
                             box->defaultButton() ? box->defaultButton()->text() : QString()});
            for (QAbstractButton *button : box->buttons())
                if (!press.isEmpty() && button->text() == press)
                    button->click();
            return answer;
        }
        if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            ++fileDialogs;
            fileDialogFolder = files->directory().absolutePath();
            if (onFileDialog)
                onFileDialog();
            if (savePath.isEmpty())
                return QDialog::Rejected;
            files->selectFile(savePath);
            return QDialog::Accepted;
        }
        if (dialog.objectName() == u"credentials") {
            credentialTexts << dialog.findChild<QLabel *>()->text();
            dialog.findChild<QLineEdit *>(QStringLiteral("user"))->setText(QStringLiteral("alice"));
            dialog.findChild<QLineEdit *>(QStringLiteral("password"))->setText(QStringLiteral("secret"));
            return QDialog::Accepted;
        }
        if (auto *setup = qobject_cast<QPageSetupDialog *>(&dialog)) {
            if (!onPageSetup)
                return QDialog::Rejected;
            onPageSetup(*setup);
            return QDialog::Accepted;
        }
        return onExec ? onExec(dialog) : 0;
    }
};

class IEBrowserEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(store.isValid());
        TIEBrowser::SetApplicationTitle(QStringLiteral("Brivo Compact"));
        browser.resize(800, 600);
        browser.show();
    }
    void TearDown() override
    {
        // as a page window does before it closes: let the engine wind up a refused download
        QTest::qWait(browser.DownloadSettleMs());
    }

    QString page(const QString &name, const QByteArray &html)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html);
        return path;
    }

    // Loads through Navigate and waits for the top document.
    [[nodiscard]] bool load(TIEBrowser &b, const QString &url)
    {
        QSignalSpy spy(&b, &TIEBrowser::DocumentComplete);
        b.Navigate(url);
        return waitUntil([&] {
            for (const auto &args : spy)
                if (args.at(1).toBool())
                    return true;
            return false;
        });
    }

    QString run(const QString &script)
    {
        QString result;
        bool done = false;
        browser.page()->runJavaScript(script, [&](const QVariant &v) {
            result = v.toString();
            done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return done; })) << "no answer to the script " << script.toStdString();
        return result;
    }

    // A page whose script runs when the user clicks anywhere on it (see clickPage).
    static QByteArray clickToRun(const QByteArray &script)
    {
        return "<body style='margin:0'><div style='position:fixed;left:0;top:0;width:100%;height:100%'"
               " onclick=\"" +
               script + "\"></div></body>";
    }
    // The user clicks on the page, as a real mouse does.
    static void clickPage(TIEBrowser &b)
    {
        QTest::mouseClick(b.focusProxy() ? b.focusProxy() : &b, Qt::LeftButton, {}, QPoint(20, 20));
    }

    // The user clicks on the page until what the click brings about has happened (a click that comes
    // before the page takes input is lost).
    [[nodiscard]] static bool clickUntil(TIEBrowser &b, const std::function<bool()> &done)
    {
        for (int i = 0; i < 5; ++i) {
            clickPage(b);
            if (testsupport::waitUntil(done, 3000))
                return true;
        }
        return false;
    }

    QString plainText(TIEBrowser &b)
    {
        QString text;
        bool done = false;
        b.page()->toPlainText([&](const QString &t) {
            text = t;
            done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return done; })) << "no answer with the page's text";
        return text;
    }

    // The windows the page opens are kept in opened, each a control of its own.
    void keepOpenedWindows()
    {
        browser.OnNewWindow2 = [this](TIEBrowser *, QWebEnginePage::WebWindowType) {
            opened.push_back(std::make_unique<TIEBrowser>());
            return opened.back()->page();
        };
    }

    QTemporaryDir dir;
    QTemporaryDir store;
    TRecordingDialogs dialogs;
    // the seams go after the browser that uses them
    const testsupport::SeamGuard storeFolder = testsupport::restoringDefault(platformstore::setFolder, store.path());
    const dialogrunner::ScopedRunner dialogsSeam{[this](QDialog &dialog) { return dialogs.run(dialog); }};
    TIEBrowser browser;
    std::vector<std::unique_ptr<TIEBrowser>> opened; // before the browser that opened them
};

} // namespace

TEST_F(IEBrowserEngine, NavigateRaisesBeforeNavigateThatMayRewriteOrCancel)
{
    const QString a = page(QStringLiteral("a.html"), "<title>A</title><a id=l href='b.html'>b</a>");
    const QString b = page(QStringLiteral("b.html"), "<title>B</title>");
    QStringList seen;
    bool cancel = false;
    QString rewrite;
    browser.OnBeforeNavigate = [&](TIEBrowser *sender, QString &url, bool &c) {
        EXPECT_EQ(sender, &browser);
        seen << url;
        if (!rewrite.isEmpty())
            url = rewrite;
        c = cancel;
    };

    ASSERT_TRUE(load(browser, QString()));
    EXPECT_EQ(seen, QStringList{QStringLiteral("about:blank")});
    EXPECT_EQ(browser.LocationURL(), QStringLiteral("about:blank"));

    // a relative file name is found in the working folder
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ASSERT_TRUE(load(browser, QStringLiteral("a.html")));
    QDir::setCurrent(old);
    EXPECT_EQ(browser.page()->url(), QUrl::fromLocalFile(a));
    EXPECT_EQ(browser.LocationName(), QStringLiteral("A"));

    cancel = true;
    QSignalSpy begins(&browser, &TIEBrowser::DownloadBegin);
    browser.Navigate(b);
    QTest::qWait(300);
    EXPECT_EQ(begins.count(), 0);
    EXPECT_EQ(browser.page()->url(), QUrl::fromLocalFile(a));

    cancel = false;
    rewrite = b;
    ASSERT_TRUE(load(browser, QStringLiteral("http://127.0.0.1:1/never")));
    EXPECT_EQ(browser.page()->url(), QUrl::fromLocalFile(b));
    EXPECT_EQ(seen.last(), QStringLiteral("http://127.0.0.1:1/never"));

    // the page's own navigations raise nothing; back is then enabled
    rewrite.clear();
    const int before = seen.size();
    ASSERT_TRUE(load(browser, a));
    QSignalSpy state(&browser, &TIEBrowser::CommandStateChange);
    QSignalSpy complete(&browser, &TIEBrowser::DocumentComplete);
    run(QStringLiteral("document.getElementById('l').click()"));
    ASSERT_TRUE(waitUntil([&] { return complete.count() > 0; })) << "the clicked link's page never completed";
    EXPECT_EQ(seen.size(), before + 1);
    EXPECT_TRUE(waitUntil([&] {
        for (const auto &args : state)
            if (args.at(0).toInt() == TIEBrowser::CSC_NAVIGATEBACK && args.at(1).toBool())
                return true;
        return false;
    })) << "back was never enabled; "
        << state.count() << " command-state changes";
}

TEST_F(IEBrowserEngine, FramesCompleteBeforeTheTopDocument)
{
    page(QStringLiteral("f1.html"), "<p>one</p>");
    page(QStringLiteral("f2.html"), "<p>two</p>");
    const QString top = page(QStringLiteral("top.html"),
                             "<title>T</title><iframe src='f1.html'></iframe><iframe src='f2.html'></iframe>");
    QSignalSpy spy(&browser, &TIEBrowser::DocumentComplete);
    ASSERT_TRUE(load(browser, top));
    QStringList urls;
    QList<bool> tops;
    for (const auto &args : spy) {
        urls << args.at(0).toUrl().fileName();
        tops << args.at(1).toBool();
    }
    ASSERT_EQ(urls.size(), 3) << urls.join(u',').toStdString();
    EXPECT_EQ(QSet<QString>(urls.begin(), urls.begin() + 2), (QSet<QString>{"f1.html", "f2.html"}));
    EXPECT_EQ(urls.last(), QStringLiteral("top.html"));
    EXPECT_EQ(tops, (QList<bool>{false, false, true}));

    // the next top document's frames tell of theirs too, one its script adds once it is loaded as well
    const QString next = page(QStringLiteral("next.html"),
                              "<title>N</title><iframe src='f1.html'></iframe><script>"
                              "addEventListener('load', function () { var f = document.createElement('iframe');"
                              " f.src = 'f2.html'; document.body.appendChild(f); });</script>");
    spy.clear();
    ASSERT_TRUE(load(browser, next));
    ASSERT_TRUE(waitUntil([&] { return spy.size() == 3; })) << spy.size() << " documents completed";
    QHash<QString, bool> completed;
    for (const auto &args : spy)
        completed.insert(args.at(0).toUrl().fileName(), args.at(1).toBool());
    EXPECT_EQ(completed, (QHash<QString, bool>{{"f1.html", false}, {"f2.html", false}, {"next.html", true}}));
}

// The frames of a page of the network tell of theirs as well, also one whose script silences its
// console as it starts (as many sites do) and keeps its load event to itself; a page that makes up its
// character set for the program's question has only an encoding's name taken, and one that makes up
// frames has only so many kept.
TEST_F(IEBrowserEngine, FramesOfAPageOfTheNetworkCompleteAndItsCharacterSetIsAName)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &request) {
        QByteArray body = "<title>top</title><iframe src='/quiet'></iframe><iframe src='/plain'></iframe>";
        if (request.startsWith("GET /quiet"))
            body = "<script>console.log = function () {};"
                   " addEventListener('load', function (e) { e.stopImmediatePropagation(); }, true);</script>";
        else if (request.startsWith("GET /plain"))
            body = "<p>plain</p>";
        return httpReply("200 OK", "Content-Type: text/html; charset=windows-1251\r\n", body);
    };
    QSignalSpy spy(&browser, &TIEBrowser::DocumentComplete);
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/top"))));
    QHash<QString, bool> completed;
    for (const auto &args : spy)
        completed.insert(args.at(0).toUrl().path(), args.at(1).toBool());
    EXPECT_EQ(completed, (QHash<QString, bool>{{"/quiet", false}, {"/plain", false}, {"/top", true}}));
    EXPECT_TRUE(charsets::same(browser.Charset(), QStringLiteral("windows-1251"))) << browser.Charset().toStdString();

    // with the pages' scripts off
    browser.SetDownloadOptions(TDownloadControlOptions(DLCTL_NO_SCRIPTS));
    spy.clear();
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/top"))));
    completed.clear();
    for (const auto &args : spy)
        completed.insert(args.at(0).toUrl().path(), args.at(1).toBool());
    EXPECT_EQ(completed, (QHash<QString, bool>{{"/quiet", false}, {"/plain", false}, {"/top", true}}));
    EXPECT_TRUE(charsets::same(browser.Charset(), QStringLiteral("windows-1251"))) << browser.Charset().toStdString();
    browser.SetDownloadOptions({});

    // a page that learns the frames' token (it may: they report from its own world) and tells of
    // frames by the hundred, each with a long address, while it loads: what is kept for the end of the
    // load is bounded
    const QString source = pagescripts::frameReporterSource();
    const qsizetype at = source.indexOf(u"tag = '") + 7;
    const QByteArray token = source.mid(at, source.indexOf(u'\'', at) - at).toLatin1();
    ASSERT_TRUE(token.startsWith("brivo-")) << source.toStdString();
    server.reply = [&](const QByteArray &request) {
        if (request.startsWith("GET /made-up"))
            return httpReply("200 OK", "Content-Type: text/html\r\n",
                             "<title>made up</title><script>Object.defineProperty(document, 'characterSet',"
                             " {get: function () { return 'x'.repeat(100000); }});"
                             "var long = 'a'.repeat(200000); for (var i = 0; i < 200; ++i)"
                             " console.log('" +
                                 token + "http://127.0.0.1/' + i + long);</script>");
        return httpReply("404 Not Found", "Content-Type: text/html\r\n", "");
    };
    spy.clear();
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/made-up"))));
    const qsizetype told =
        std::count_if(spy.begin(), spy.end(), [](const QList<QVariant> &a) { return !a.at(1).toBool(); });
    EXPECT_GT(told, 0) << "the page's made-up frames never reached the program: the test tells nothing";
    EXPECT_LE(told, 4 * 1024 * 1024 / 200000) << "kept " << told << " made-up frames of 200,000 characters";
    EXPECT_LE(browser.Charset().size(), 64) << browser.Charset().left(40).toStdString();
}

TEST_F(IEBrowserEngine, WindowOpenAsksTheOwnerForANewWindow)
{
    page(QStringLiteral("child.html"), "<title>Child</title>");
    const QString opener = page(QStringLiteral("opener.html"), clickToRun("window.open('child.html')"));
    TIEBrowser other;
    int asked = 0;
    browser.OnNewWindow2 = [&](TIEBrowser *, QWebEnginePage::WebWindowType) {
        ++asked;
        return other.page();
    };
    QSignalSpy title(&other, &TIEBrowser::TitleChange);
    ASSERT_TRUE(load(browser, opener));
    clickPage(browser);
    ASSERT_TRUE(waitForEqual([&] { return other.LocationName(); }, QStringLiteral("Child")));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(other.page()->url().fileName(), QStringLiteral("child.html"));

    // the opened window's script closes it: its owner is asked
    int closeQueries = 0;
    other.OnCloseQuery = [&](TIEBrowser *sender, bool &canClose) {
        EXPECT_EQ(sender, &other);
        EXPECT_TRUE(canClose);
        ++closeQueries;
    };
    other.page()->runJavaScript(QStringLiteral("window.close()"));
    EXPECT_TRUE(waitForEqual([&] { return closeQueries; }, 1)) << "close queries";

    // view source opens a new window at "view-source:" and the address
    TIEBrowser source;
    browser.OnNewWindow2 = [&](TIEBrowser *, QWebEnginePage::WebWindowType) { return source.page(); };
    browser.ViewSource();
    ASSERT_TRUE(waitForEqual([&] { return source.page()->url().scheme(); }, QStringLiteral("view-source")));
    EXPECT_EQ(source.page()->url().toString(), QStringLiteral("view-source:") + browser.LocationURL());

    // without a new window for it, the request is refused
    browser.OnNewWindow2 = nullptr;
    ASSERT_TRUE(load(browser, opener));
    clickPage(browser);
    EXPECT_EQ(browser.page()->url().fileName(), QStringLiteral("opener.html"));
}

TEST_F(IEBrowserEngine, ScriptWindowsOpenOnlyOnTheUsersClickOnePerClick)
{
    page(QStringLiteral("child.html"), "<title>Child</title>");
    const QString flood =
        page(QStringLiteral("flood.html"),
             "<body style='margin:0'><button id=b style='position:fixed;left:0;top:0;width:200px;height:100px'"
             " onclick=\"for (var i = 0; i < 3; ++i) window.open('child.html')\">open</button>"
             "<a href='child.html' target=_blank style='position:fixed;left:0;top:200px;font-size:60px'>link</a>"
             "<script>for (var i = 0; i < 100; ++i) window.open('child.html'); document.title = 'flooded';</script>"
             "</body>");
    keepOpenedWindows();
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    auto blocked = [&] {
        return std::count_if(status.begin(), status.end(),
                             [](const QList<QVariant> &a) { return a.at(0).toString().contains(u"blocked"); });
    };
    ASSERT_TRUE(load(browser, flood));
    ASSERT_TRUE(waitUntil([&] { return blocked() >= 100 || opened.size() >= 100; }))
        << "the page's windows were neither opened nor refused";
    EXPECT_EQ(opened.size(), 0u) << "windows the page opened on its own";
    EXPECT_EQ(blocked(), 100);

    // the user's click opens one window, however many the page's handler asks for
    QWidget *target = browser.focusProxy() ? browser.focusProxy() : &browser;
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 50));
    ASSERT_TRUE(waitUntil([&] { return blocked() >= 102; })) << "the click's other windows were not refused";
    EXPECT_EQ(opened.size(), 1u);

    // a link to a new window opens on the click
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(30, 230));
    ASSERT_TRUE(waitUntil([&] { return opened.size() >= 2; })) << "the link's window was not opened";
    EXPECT_EQ(blocked(), 102);
}

TEST_F(IEBrowserEngine, RoutedKeysReachTheOwnerFirst)
{
    const QString keys = page(QStringLiteral("keys.html"),
                              "<body><input id=i autofocus><script>window.keys = [];"
                              "document.addEventListener('keydown', function(e){ window.keys.push(e.key); });"
                              "</script></body>");
    QList<int> offered;
    browser.OnTranslateAccelerator = [&](TIEBrowser *, QKeyEvent *key) {
        offered << key->key();
        return key->key() == Qt::Key_K && key->modifiers() == Qt::ControlModifier;
    };
    ASSERT_TRUE(load(browser, keys));
    browser.activateWindow();
    browser.setFocus();
    QWidget *target = browser.focusProxy() ? browser.focusProxy() : &browser;
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == target || target->hasFocus(); }, 5000))
        << "the focus is on "
        << (QApplication::focusWidget() ? qPrintable(QApplication::focusWidget()->objectName()) : "nothing");

    QTest::keyClick(target, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_A);
    QTest::keyClick(target, Qt::Key_Backspace);
    ASSERT_TRUE(waitUntil([&] { return run(QStringLiteral("window.keys.join(',')")).contains(u"Backspace"); }))
        << "the page saw the keys " << run(QStringLiteral("window.keys.join(',')")).toStdString();
    const QStringList seen = run(QStringLiteral("window.keys.join(',')")).split(u',');
    EXPECT_FALSE(seen.contains(QStringLiteral("k"))) << seen.join(u',').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("a"))) << seen.join(u',').toStdString();
    EXPECT_EQ(offered.count(Qt::Key_K), 1);
    // a key the owner leaves keeps its page behaviour: Ctrl+F finds
    QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(browser.FindDialog(), nullptr);
    EXPECT_TRUE(browser.FindDialog()->isVisible());
    EXPECT_EQ(offered.count(Qt::Key_A), 1);
    EXPECT_FALSE(offered.contains(Qt::Key_Backspace));
}

TEST_F(IEBrowserEngine, ScriptDialogsCarryTheApplicationTitle)
{
    dialogs.answer = QMessageBox::Cancel;
    const QString p = page(QStringLiteral("alert.html"),
                           "<script>alert('hello'); document.title = confirm('sure?') ? 'yes' : 'no';</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("no")));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages.at(0).caption, QStringLiteral("Brivo Compact"));
    EXPECT_EQ(dialogs.messages.at(0).text, QStringLiteral("hello"));
    EXPECT_EQ(dialogs.messages.at(1).text, QStringLiteral("sure?"));
}

TEST_F(IEBrowserEngine, APageFromAFileReadsNoOtherFileThroughItsScripts)
{
    page(QStringLiteral("secret.txt"), "secret");
    const QString p = page(QStringLiteral("reader.html"),
                           "<script>var t = 'blocked'; try { var x = new XMLHttpRequest();"
                           " x.open('GET', 'secret.txt', false); x.send(); if (x.responseText) t = x.responseText; }"
                           " catch (e) {} document.title = t;</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitUntil([&] { return !browser.LocationName().endsWith(u".html"); })) << "the page never ran";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("blocked"));
}

TEST_F(IEBrowserEngine, APageFromAFileFramesNoFileOutsideItsFolder)
{
    page(QStringLiteral("secret.txt"), "secret");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("site")));
    page(QStringLiteral("site/inside.txt"), "inside");
    const QString p =
        page(QStringLiteral("site/framer.html"),
             "<iframe id=a src='inside.txt'></iframe><iframe id=b src='../secret.txt'></iframe><script>"
             "function read(id) { try { return document.getElementById(id).contentDocument.body.innerText;"
             " } catch (e) { return 'blocked'; } }"
             "window.onload = function() { document.title = read('a') + ',' + (read('b') || 'blocked'); };"
             "</script>");
    QSignalSpy complete(&browser, &TIEBrowser::DocumentComplete);
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().contains(u','); })) << "the page never ran";
    // the file of its own folder shows in its frame, but the page cannot read it either
    EXPECT_EQ(browser.LocationName(), QStringLiteral("blocked,blocked"));
    QStringList frames;
    for (const auto &args : complete)
        if (!args.at(1).toBool() && args.at(0).toUrl().isLocalFile())
            frames << args.at(0).toUrl().toString();
    EXPECT_EQ(frames, QStringList{QUrl::fromLocalFile(dir.filePath(QStringLiteral("site/inside.txt"))).toString()})
        << "a frame is told by its plain address";
}

TEST_F(IEBrowserEngine, APageFromAFileReadsNoFileOutsideItsFolderThroughAWindow)
{
    page(QStringLiteral("secret.txt"), "secret");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("site2")));
    const QString p =
        page(QStringLiteral("site2/opener.html"),
             clickToRun("var w = window.open('../secret.txt'); setTimeout(function() { var t = 'blocked';"
                        " try { t = w.document.body.innerText || 'blocked'; } catch (e) {} document.title = 'r:' + t;"
                        " }, 1500);"));
    TIEBrowser other;
    int asked = 0;
    browser.OnNewWindow2 = [&](TIEBrowser *, QWebEnginePage::WebWindowType) {
        ++asked;
        return other.page();
    };
    ASSERT_TRUE(load(browser, p));
    clickPage(browser);
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"r:"); })) << "the page never ran";
    EXPECT_EQ(asked, 1) << "the window was opened on the click";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("r:blocked"));
}

TEST_F(IEBrowserEngine, APageFromAFileReadsOnlyItsOwnFolderAndSendsNothingOut)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) { return httpReply("404 Not Found", "", ""); };
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("site/pictures")));
    QImage secret(4, 4, QImage::Format_RGB32);
    secret.fill(QColor(200, 0, 0));
    ASSERT_TRUE(secret.save(dir.filePath(QStringLiteral("secret.png"))));
    QImage own(4, 4, QImage::Format_RGB32);
    own.fill(QColor(0, 150, 0));
    ASSERT_TRUE(own.save(dir.filePath(QStringLiteral("site/pictures/own.png"))));
    page(QStringLiteral("secret.css"), "body { color: rgb(1, 2, 3); }");
    page(QStringLiteral("secret.js"), "self.secret = 'leaked';");
    page(QStringLiteral("site/own.css"), "body { background-color: rgb(4, 5, 6); }");
    page(QStringLiteral("site/own.js"), "self.own = 'own';");
    page(QStringLiteral("site/worker.js"),
         "var r = []; try { importScripts('own.js'); r.push(self.own); } catch (e) { r.push('x'); }"
         " try { importScripts('../secret.js'); r.push(self.secret || 'none'); } catch (e) { r.push('blocked'); }"
         " postMessage(r.join('+'));");
    const QByteArray socket =
        server.url(QStringLiteral("/socket")).replace(QStringLiteral("http:"), QStringLiteral("ws:")).toLatin1();
    const QByteArray beacon = server.url(QStringLiteral("/beacon")).toLatin1();
    const QString p =
        page(QStringLiteral("site/page.html"),
             "<link rel=stylesheet href='../secret.css'><link rel=stylesheet href='own.css'>"
             "<script src='../secret.js'></script><script src='own.js'></script>"
             "<img id=inside src='pictures/own.png'><img id=outside src='../secret.png'><script>"
             "function pixel(id) { var i = document.getElementById(id); if (!i.naturalWidth) return 'none';"
             " try { var c = document.createElement('canvas'); c.width = c.height = 1; var g = c.getContext('2d');"
             " g.drawImage(i, 0, 0); var d = g.getImageData(0, 0, 1, 1).data; return d[0] + '.' + d[1];"
             " } catch (e) { return 'tainted'; } }"
             "window.onload = function() { var style = getComputedStyle(document.body);"
             " var r = [pixel('inside'), pixel('outside'), self.own, self.secret || 'none', style.color,"
             " style.backgroundColor, typeof RTCPeerConnection];"
             " var w = new Worker('worker.js'); w.onmessage = function(m) { r.push(m.data);"
             " var s = new WebSocket('" +
                 socket +
                 "'); s.onopen = s.onerror = function(e) { r.push('socket ' + e.type);"
                 " var b = new Image(); b.onload = b.onerror = function(e) { r.push('beacon ' + e.type);"
                 " document.title = 'r:' + r.join('|'); }; b.src = '" +
                 beacon + "'; }; }; };</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"r:"); })) << "the page never ran";
    const QStringList seen = browser.LocationName().mid(2).split(u'|');
    ASSERT_EQ(seen.size(), 10) << browser.LocationName().toStdString();
    // its own folder and below: a picture (shown, but it taints the canvas), style, script and worker
    // script
    EXPECT_EQ(seen.at(0), QStringLiteral("tainted"));
    EXPECT_EQ(seen.at(2), QStringLiteral("own"));
    EXPECT_EQ(seen.at(5), QStringLiteral("rgb(4, 5, 6)"));
    // the folder above: nothing loads, so nothing is read
    EXPECT_EQ(seen.at(1), QStringLiteral("none")) << "a picture outside the folder";
    EXPECT_EQ(seen.at(3), QStringLiteral("none")) << "a script outside the folder";
    EXPECT_NE(seen.at(4), QStringLiteral("rgb(1, 2, 3)")) << "a style sheet outside the folder";
    EXPECT_EQ(seen.at(7), QStringLiteral("own+blocked")) << "a worker's script outside the folder";
    // nothing goes out: no peer connections, no socket, no picture from the network
    EXPECT_EQ(seen.at(6), QStringLiteral("undefined"));
    EXPECT_EQ(seen.at(8), QStringLiteral("socket error"));
    EXPECT_EQ(seen.at(9), QStringLiteral("beacon error"));
    EXPECT_TRUE(server.requests.isEmpty()) << server.requests.value(0).left(200).toStdString();

    // the page's script does not take it to the network with what it read; the user's own click does
    const QString leaving =
        page(QStringLiteral("site/leave.html"), "<title>leave</title><body style='margin:0'><a id=l href='" + beacon +
                                                    "?by-click' style='display:block;width:100%;height:100%'>x</a>"
                                                    "<script>location.href = '" +
                                                    beacon + "?by-script';</script></body>");
    ASSERT_TRUE(load(browser, leaving));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName() == QStringLiteral("leave"); }));
    EXPECT_TRUE(server.requests.isEmpty()) << server.requests.value(0).left(200).toStdString();
    clickPage(browser);
    ASSERT_TRUE(waitUntil([&] { return !server.requests.isEmpty(); })) << "the user's click went nowhere";
    EXPECT_TRUE(server.requests.first().startsWith("GET /beacon?by-click"));
}

// A page in the user's home folder, beside the user's other files: whatever it frames, opens in a
// window or sends a window it opened to, it shows but cannot read.
TEST_F(IEBrowserEngine, APageFromAFileReadsNoOtherFileOfItsFolderByAnyRoute)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("home/.ssh")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("elsewhere")));
    page(QStringLiteral("home/.ssh/id_rsa"), "PRIVATE KEY");
    page(QStringLiteral("home/bank.html"), "<title>bank</title><p>account 1234</p>");
    page(QStringLiteral("elsewhere/secret.txt"), "secret elsewhere");
    const QByteArray secret = QUrl::fromLocalFile(dir.filePath(QStringLiteral("elsewhere/secret.txt"))).toEncoded();
    const QByteArray read =
        "function read(d) { try { return d().body.innerText || 'empty'; } catch (e) { return 'blocked'; } }";
    // the window it opens takes its opener to another file and reads it there
    page(QStringLiteral("home/b.html"), "<script>" + read + "opener.location.href = '" + secret +
                                            "'; setTimeout(function() { document.title = 'opener:' +"
                                            " read(function() { return opener.document; }); }, 1500);</script>");
    const QString a =
        page(QStringLiteral("home/a.html"),
             clickToRun(
                 "var w = window.open(window.name === 'opener' ? 'b.html' : 'bank.html'); setTimeout(function() {"
                 " if (window.name !== 'opener') document.title = 'window:' + read(function() { return w.document; });"
                 " }, 1500);") +
                 "<iframe id=key src='.ssh/id_rsa'></iframe><iframe id=bank src='bank.html'></iframe><script>" + read +
                 "window.onload = function() { document.title = 'frames:' + read(function() {"
                 " return document.getElementById('key').contentDocument; }) + ',' + read(function() {"
                 " return document.getElementById('bank').contentDocument; }); };</script>");
    keepOpenedWindows();
    QSignalSpy complete(&browser, &TIEBrowser::DocumentComplete);
    ASSERT_TRUE(load(browser, a));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"frames:"); })) << "the page never ran";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("frames:blocked,blocked"));
    // both frames show their files
    QStringList frames;
    for (const auto &args : complete)
        if (!args.at(1).toBool())
            frames << args.at(0).toUrl().fileName();
    EXPECT_TRUE(frames.contains(QStringLiteral("id_rsa")) && frames.contains(QStringLiteral("bank.html")))
        << frames.join(u',').toStdString();

    // a window it opens on the user's click shows its file, unread
    clickPage(browser);
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"window:"); })) << "the page never read";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("window:blocked"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(waitForEqual([&] { return opened.front()->LocationName(); }, QStringLiteral("bank")));

    // the window it opens sends it to another file and reads nothing there either
    browser.page()->runJavaScript(QStringLiteral("window.name = 'opener'"));
    ASSERT_TRUE(waitForEqual([&] { return run(QStringLiteral("window.name")); }, QStringLiteral("opener")));
    clickPage(browser);
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 2 && opened.back()->LocationName().startsWith(u"opener:"); }))
        << "the opened window never read";
    EXPECT_EQ(opened.back()->LocationName(), QStringLiteral("opener:blocked"));
}

// A window the page opened reaches the page's window through its opener whatever it shows later: a
// file the user opens there afterwards (its address typed, a favorite) is not of the page's origin.
TEST_F(IEBrowserEngine, AWindowALocalPageOpenedReadsNoFileTheUserOpensAfterIt)
{
    keepOpenedWindows();
    const QString bank = page(QStringLiteral("bank.html"), "<title>bank</title><p>account 1234</p>");
    // the window keeps reading its opener's document
    ASSERT_TRUE(
        load(browser, page(QStringLiteral("spy.html"),
                           clickToRun("var w = window.open(''); w.eval('setInterval(function() { var t;"
                                      " try { t = opener.document.title + \\':\\' + opener.document.body"
                                      ".innerText; } catch (e) { t = e.name; } document.title = t; }, 100)');"))));
    ASSERT_TRUE(clickUntil(browser, [&] { return !opened.empty(); })) << "the click opened no window";
    ASSERT_TRUE(waitForEqual([&] { return opened.front()->LocationName(); }, QStringLiteral(":")));
    ASSERT_TRUE(load(browser, bank));
    EXPECT_TRUE(waitForEqual([&] { return opened.front()->LocationName(); }, QStringLiteral("SecurityError")));
    EXPECT_EQ(browser.LocationName(), QStringLiteral("bank"));
}

// A page saved with its files folder shows whole: its pictures, style sheets, scripts and frames, and
// a frame's own pictures.
TEST_F(IEBrowserEngine, ASavedPageShowsWholeWithItsFilesFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("saved_files")));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(0, 150, 0));
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("saved_files/picture.png"))));
    page(QStringLiteral("saved_files/style.css"), "body { background-color: rgb(4, 5, 6); }");
    page(QStringLiteral("saved_files/script.js"), "self.loaded = 'script';");
    page(QStringLiteral("saved_files/frame.html"),
         "<img id=i src='picture.png'><script>window.onload = function() {"
         " parent.postMessage('frame ' + document.getElementById('i').naturalWidth, '*'); };</script>");
    const QString saved = page(
        QStringLiteral("saved.html"),
        "<link rel=stylesheet href='saved_files/style.css'><script src='saved_files/script.js'></script>"
        "<img id=p src='saved_files/picture.png'><iframe src='saved_files/frame.html'></iframe><script>"
        "var shown = '', framed = ''; function done() { if (shown && framed) document.title = shown + '|' + framed; }"
        "window.addEventListener('message', function(m) { framed = m.data; done(); });"
        "window.onload = function() { shown = [document.getElementById('p').naturalWidth,"
        " getComputedStyle(document.body).backgroundColor, self.loaded].join(','); done(); };</script>");
    ASSERT_TRUE(load(browser, saved));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().contains(u'|'); })) << "the page never showed whole";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("4,rgb(4, 5, 6),script|frame 4"));
    EXPECT_EQ(browser.LocationURL(), QUrl::fromLocalFile(saved).toString());
}

// The pictures and style sheets of a page's own folder show and apply (with the fonts they name), but
// no document of the page reads them: not the page the user opened, not a frame that names them by
// its own address; nor does a text file read as a style sheet give away its text.
TEST_F(IEBrowserEngine, APageFromAFileShowsItsFoldersPicturesAndStyleSheetsUnread)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("saved_files")));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(0, 150, 0));
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("saved_files/picture.png"))));
    QString font;
    for (QDirIterator it(QStringLiteral("/usr/share/fonts"), {QStringLiteral("*.ttf")}, QDir::Files,
                         QDirIterator::Subdirectories);
         font.isEmpty() && it.hasNext();)
        font = it.next();
    const bool withFont = !font.isEmpty() && QFile::copy(font, dir.filePath(QStringLiteral("saved_files/font.ttf")));
    page(QStringLiteral("saved_files/style.css"), "@font-face { font-family: Own; src: url(font.ttf); }"
                                                  " body { background-color: rgb(4, 5, 6); font-family: Own; }");
    page(QStringLiteral("saved_files/notes.txt"), "secret { one } notes { two }");
    const QByteArray pixel =
        "function pixel(i) { try { var c = document.createElement('canvas'); c.width = c.height = 1;"
        " var g = c.getContext('2d'); g.drawImage(i, 0, 0); var d = g.getImageData(0, 0, 1, 1).data;"
        " return d[0] + '.' + d[1]; } catch (e) { return 'tainted'; } }";
    // the frame names the picture by the host its own address has
    page(QStringLiteral("saved_files/frame.html"),
         "<script>" + pixel +
             "var i = new Image(); i.onload = function() { parent.postMessage('frame ' + i.naturalWidth + ' ' +"
             " pixel(i), '*'); }; i.src = location.protocol + '//' + location.host +"
             " location.pathname.replace('frame.html', 'picture.png');</script>");
    const QString saved = page(
        QStringLiteral("saved.html"),
        "<link rel=stylesheet href='saved_files/style.css'><link rel=stylesheet href='saved_files/notes.txt'>"
        "<img id=p src='saved_files/picture.png'><p>text</p><script>" +
            pixel +
            "function rules(i) { try { return String(document.styleSheets[i].cssRules.length); }"
            " catch (e) { return e.name; } }"
            "var shown = '', framed = ''; function done() { if (shown && framed) document.title = shown + '|' + "
            "framed; }"
            "window.addEventListener('message', function(m) { framed = m.data; done(); });"
            "window.onload = function() { document.fonts.ready.then(function() { var p = document.getElementById('p');"
            " shown = [p.naturalWidth, pixel(p), getComputedStyle(document.body).backgroundColor, rules(0), rules(1),"
            " document.fonts.check('12px Own')].join(';'); done(); }); };</script>"
            "<iframe src='saved_files/frame.html'></iframe>");
    ASSERT_TRUE(load(browser, saved));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().contains(u'|'); })) << "the page never showed";
    const QStringList seen = browser.LocationName().split(u'|').first().split(u';');
    ASSERT_EQ(seen.size(), 6) << browser.LocationName().toStdString();
    EXPECT_EQ(seen.at(0), QStringLiteral("4")) << "the picture is shown";
    EXPECT_EQ(seen.at(1), QStringLiteral("tainted")) << "the picture's pixels were read";
    EXPECT_EQ(seen.at(2), QStringLiteral("rgb(4, 5, 6)")) << "the style sheet applies";
    EXPECT_EQ(seen.at(3), QStringLiteral("SecurityError")) << "the style sheet's rules were read";
    EXPECT_EQ(seen.at(4), QStringLiteral("SecurityError")) << "a text file's text was read as rules";
    if (withFont) {
        EXPECT_EQ(seen.at(5), QStringLiteral("true")) << "the style sheet's font did not load";
    }
    EXPECT_EQ(browser.LocationName().section(u'|', 1), QStringLiteral("frame 4 tainted"));
}

// What a page from a file runs as a script it does not read: a JSON or style sheet module of its
// folder gives nothing, the message of a script's error quotes nothing of the file (a file of
// "password=abcd1234" would be "abcd1234 is not defined"), and a file not named as a script is no
// worker's; its own scripts and workers still run.
TEST_F(IEBrowserEngine, APageFromAFileReadsNoFileItRunsAsAScript)
{
    page(QStringLiteral("data.json"), "{\"secret\": \"JSONSECRET\"}");
    page(QStringLiteral("style.css"), "body { color: red } .CSSSECRET { }");
    page(QStringLiteral("settings.txt"), "password=abcd1234\n");
    page(QStringLiteral("own.js"), "var own = 'own';");
    page(QStringLiteral("worker.js"), "postMessage('worker ran');");
    const QString p = page(
        QStringLiteral("modules.html"),
        "<script>var r = []; window.onerror = function(m) { r.push('error ' + m); };</script>"
        "<script src='settings.txt'></script><script src='own.js'></script><script>"
        "function worker(name) { return new Promise(function(done) { var w = new Worker(name);"
        " w.onmessage = function(m) { done(m.data); }; w.onerror = function(e) { done('failed ' + e.message); }; });"
        "}</script><script type=module>"
        "async function module(name, type) { try { var m = await import(name, {assert: {type: type}});"
        " return type === 'json' ? JSON.stringify(m.default) : m.default.cssRules[1].selectorText; }"
        " catch (e) { return e.name; } }"
        "var seen = [await module('./data.json', 'json'), await module('./style.css', 'css'),"
        " await worker('settings.txt'), await worker('worker.js'), self.own].concat(r);"
        "document.title = 'r:' + seen.join('|');</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"r:"); })) << "the page never ran";
    const QString seen = browser.LocationName();
    EXPECT_FALSE(seen.contains(u"SECRET")) << seen.toStdString();
    EXPECT_FALSE(seen.contains(u"abcd1234")) << seen.toStdString();
    EXPECT_EQ(seen, QStringLiteral("r:TypeError|TypeError|failed undefined|worker ran|own|error Script error."));
}

// A saved page of many pictures and frames shows them all: each frame and each picture of a frame too.
TEST_F(IEBrowserEngine, ASavedPageOfManyPicturesAndFramesShowsThemAll)
{
    constexpr int Pictures = 600;
    constexpr int Frames = 200;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("many_files")));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(0, 150, 0));
    QByteArray html = "<body>";
    for (int i = 0; i < Pictures; ++i) {
        ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("many_files/p%1.png").arg(i))));
        html += "<img width=1 height=1 src='many_files/p" + QByteArray::number(i) + ".png'>";
    }
    for (int i = 0; i < Frames; ++i)
        html += "<iframe width=4 height=4 src='many_files/frame.html?" + QByteArray::number(i) + "'></iframe>";
    page(QStringLiteral("many_files/frame.html"),
         "<img src='p1.png'><script>onload = function() { parent.postMessage(document.images[0].naturalWidth,"
         " '*'); };</script>");
    html += "<script>var framed = 0; addEventListener('message', function(m) { if (m.data === 4) ++framed; });"
            "function shown() { var n = 0; for (var i = 0; i < document.images.length; ++i)"
            " if (document.images[i].naturalWidth === 4) ++n; return n; }"
            "setInterval(function() { document.title = 'r:' + shown() + ',' + framed; }, 200);</script></body>";
    ASSERT_TRUE(load(browser, page(QStringLiteral("many.html"), html)));
    const QString all = QStringLiteral("r:%1,%2").arg(Pictures).arg(Frames);
    EXPECT_TRUE(waitForEqual([&] { return browser.LocationName(); }, all)) << "pictures shown, frames shown whole";
}

// No window a local page makes (empty frames, written frames, frames of markup, srcdoc, data and
// blob frames, an empty window) has a peer connection: nothing reaches the listener a page of the
// network does reach.
TEST_F(IEBrowserEngine, APageFromAFileMakesNoPeerConnectionInAnyWindowItMakes)
{
    TStunListener listener;
    int &datagrams = listener.datagrams;
    const QByteArray probe = listener.probe();
    // a frame of another origin tells its own result
    const QByteArray own = "<script>" + probe + "parent.postMessage(probe(location.protocol, window), '*')<\\/script>";
    const QString local = page(
        QStringLiteral("peers.html"),
        clickToRun("r.push(probe('empty window', window.open('')));") + "<iframe id=parsed></iframe><script>" + probe +
            "var r = [probe('markup frame', window[0])];</script><script>"
            "r.push(probe('page', window));"
            "var a = document.createElement('iframe'); document.body.appendChild(a);"
            "r.push(probe('empty frame', window[window.length - 1]), probe('its window', a.contentWindow));"
            "var w = document.createElement('iframe'); document.body.appendChild(w);"
            "w.contentDocument.write('<script>' + probe.toString() + 'parent.r.push(probe(\"written\", "
            "window))<\\/script>');"
            "w.contentDocument.close();"
            "var o = document.createElement('iframe');"
            "o.onload = function() { r.push(probe('loading', window[window.length - 1])); }; "
            "document.body.appendChild(o);"
            "var h = document.createElement('div'); document.body.appendChild(h); h.innerHTML = '<iframe></iframe>';"
            "r.push(probe('inner', window[window.length - 1]));"
            "document.write('<iframe></iframe><script>r.push(probe(\"document written\", window[window.length - "
            "1]))<\\/script>');"
            "window.addEventListener('message', function(m) { r.push(m.data); });"
            "var s = document.createElement('iframe'); s.srcdoc = \"" +
            own +
            "\"; document.body.appendChild(s);"
            "var d = document.createElement('iframe'); d.src = 'data:text/html,' + encodeURIComponent(\"" +
            own +
            "\");"
            " document.body.appendChild(d);"
            "var b = document.createElement('iframe');"
            " b.src = URL.createObjectURL(new Blob([\"" +
            own +
            "\"], {type: 'text/html'})); document.body.appendChild(b);"
            "</script>");
    keepOpenedWindows();
    ASSERT_TRUE(load(browser, local));
    clickPage(browser);
    const QStringList routes = {"markup frame", "page",    "empty frame", "its window",
                                "written",      "loading", "inner",       "document written",
                                "about:",       "data:",   "blob:",       "empty window"};
    QStringList seen;
    ASSERT_TRUE(waitUntil([&] {
        seen = run(QStringLiteral("r.join('|')")).split(u'|');
        return seen.size() >= routes.size();
    })) << "the page tried only "
        << seen.join(u'|').toStdString();
    for (const QString &route : routes)
        EXPECT_TRUE(seen.contains(route + QStringLiteral("=undefined:TypeError")))
            << route.toStdString() << " in " << seen.join(u'|').toStdString();
    QTest::qWait(2000); // what ICE would send goes out at once
    EXPECT_EQ(datagrams, 0) << "peer connections of the local page sent packets";

    // the same probe in a page of the network reaches the listener: the check sees what is sent
    TLoopbackServer server;
    server.reply = [&](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n",
                         "<script>" + probe + "document.title = probe('web', window);</script>");
    };
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/web"))));
    EXPECT_EQ(browser.LocationName(), QStringLiteral("web=function:made"));
    EXPECT_TRUE(waitUntil([&] { return datagrams > 0; })) << "a page of the network sent nothing either";
}

// A document a local page makes in place of a window's own has no peer connection either. A blob:
// document the page sends its window to, opens in a window or the user opens from it in a new window
// shows without running its scripts (its address does not tell whether it is XML, whose scripts run
// before any of the program's); an empty document its window is sent to (which a window the page
// opened still reaches) loses its peer connections. A document of an origin of its own, which tells
// nothing of the page (a data: one, a sandboxed frame's blob: one), never becomes a window's.
TEST_F(IEBrowserEngine, ADocumentALocalPageMakesForAWindowHasNoPeerConnection)
{
    TStunListener listener;
    const QByteArray probe = listener.probe();
    keepOpenedWindows();
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    auto kept = [&](const QString &scheme) {
        return std::any_of(status.begin(), status.end(), [&](const QList<QVariant> &a) {
            return a.at(0).toString().contains(QStringLiteral("was kept from opening ") + scheme);
        });
    };
    // documents that probe their own window, as a script's string, and blob: addresses of them
    auto quoted = [](const QByteArray &text) {
        return QJsonDocument(QJsonArray{QString::fromLatin1(text)})
            .toJson(QJsonDocument::Compact)
            .replace("</", "<\\/");
    };
    const QByteArray html = "<title>made</title><script>" + probe + "document.title = probe('html', window)</script>";
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg'><title>drawing</title><script><![CDATA[" + probe +
                           "document.title = probe('svg', window);]]></script></svg>";
    const QByteArray blobs = "<script>var html = URL.createObjectURL(new Blob(" + quoted(html) +
                             ", {type: 'text/html'})), svg = URL.createObjectURL(new Blob(" + quoted(svg) +
                             ", {type: 'image/svg+xml'}));</script>";
    auto shows = [&](TIEBrowser &b, const QString &title) {
        if (!waitForEqual([&] { return b.LocationName(); }, title))
            return false;
        QTest::qWait(1000); // its script would change the title at once
        return b.LocationName() == title && b.LocationURL().startsWith(u"blob:file:");
    };

    ASSERT_TRUE(load(browser, page(QStringLiteral("blob.html"), blobs + "<script>location.href = html;</script>")));
    EXPECT_TRUE(shows(browser, QStringLiteral("made")));
    ASSERT_TRUE(load(browser, page(QStringLiteral("svg.html"), blobs + "<script>location.href = svg;</script>")));
    EXPECT_TRUE(shows(browser, QStringLiteral("drawing")));

    ASSERT_TRUE(load(browser, page(QStringLiteral("link.html"),
                                   blobs + "<a id=l target=_blank " + WholePage +
                                       ">blob</a><script>document.getElementById('l').href = html;</script>")));
    ASSERT_TRUE(opened.empty());
    ASSERT_TRUE(clickUntil(browser, [&] { return !opened.empty(); })) << "the clicked link opened no window";
    EXPECT_TRUE(shows(*opened.back(), QStringLiteral("made")));

    ASSERT_TRUE(load(browser, page(QStringLiteral("open.html"), blobs + clickToRun("window.open(svg);"))));
    ASSERT_TRUE(clickUntil(browser, [&] { return opened.size() > 1; })) << "the click opened no window";
    EXPECT_TRUE(shows(*opened.back(), QStringLiteral("drawing")));

    // the window the page opened probes its opener once the page has sent its own window elsewhere
    ASSERT_TRUE(load(browser, page(QStringLiteral("gone.html"),
                                   "<script>" + probe + "</script>" +
                                       clickToRun("var w = window.open(''); w.eval(probe + ';setTimeout(function() {"
                                                  " document.title = probe(\\'opener\\', opener); }, 1000)');"
                                                  " location.href = 'about:blank';"))));
    size_t before = opened.size();
    ASSERT_TRUE(clickUntil(browser, [&] { return opened.size() > before; })) << "the click opened no window";
    EXPECT_TRUE(
        waitForEqual([&] { return opened.back()->LocationName(); }, QStringLiteral("opener=undefined:TypeError")));

    // a data: document the user clicks to a new window
    ASSERT_TRUE(
        load(browser, page(QStringLiteral("data.html"), "<a target=_blank " + WholePage +
                                                            " href='data:text/html,"
                                                            "<script>new RTCPeerConnection()</script>'>data</a>")));
    before = opened.size();
    ASSERT_TRUE(clickUntil(browser, [&] { return kept(QStringLiteral("data:")); }))
        << "the data: window was not refused";
    EXPECT_EQ(opened.size(), before);

    // a sandboxed frame sends the top window to a blob: document of its own
    page(QStringLiteral("sandboxed.html"),
         "<script>top.location = URL.createObjectURL(new Blob(" + quoted(html) + ", {type: 'text/html'}));</script>");
    ASSERT_TRUE(load(browser, page(QStringLiteral("sandbox.html"),
                                   "<title>sandbox</title><iframe sandbox='allow-scripts allow-top-navigation'"
                                   " src='sandboxed.html'></iframe>")));
    EXPECT_TRUE(waitUntil([&] { return kept(QStringLiteral("blob:null")); })) << "the top was not kept";
    EXPECT_EQ(browser.LocationName(), QStringLiteral("sandbox"));
    QTest::qWait(2000); // what ICE would send goes out at once
    EXPECT_EQ(listener.datagrams, 0) << "peer connections of the local page sent packets";
}

// A javascript: address sent to a window of a local page (a frame by its address, by its location,
// by its name from a link, a form or window.open, or the page itself) runs its script there, but what
// the script gives back never becomes a document: that would come with a global object of its own,
// peer connections included, before any script of the program's runs in it. In a frame no script of
// the program's can reach (a closed shadow tree) the address does not run at all. The same addresses
// on a page of the network do make documents, and those reach the listener.
TEST_F(IEBrowserEngine, JavascriptAddressesOfALocalPageMakeNoDocumentWithPeerConnections)
{
    TStunListener listener;
    const QByteArray html = "<body><script>" + listener.probe() + R"JS(
var ran = [], r = [];
// the address's script tells that it ran; the document it gives back probes its own window
function js(name) {
  var made = "'<script>' + parent.probe + ';parent.r.push(probe(" + JSON.stringify(name) + ", window))<\/script>'";
  return 'javascript:' + encodeURIComponent('(parent.ran.push(' + JSON.stringify(name) + '), ' + made + ')');
}
function frame(name) { var f = document.createElement('iframe'); f.name = name; document.body.appendChild(f); return f; }
frame('src').src = js('src');
frame('location').contentWindow.location = js('location');
frame('replace').contentWindow.location.replace(js('replace'));
frame('opened'); window.open(js('opened'), 'opened');
frame('link'); var a = document.createElement('a'); a.href = js('link'); a.target = 'link';
document.body.appendChild(a); a.click();
frame('form'); var f = document.createElement('form'); f.action = js('form'); f.target = 'form';
document.body.appendChild(f); f.submit();
var m = document.createElement('iframe'); m.src = js('made'); document.body.appendChild(m);
var s = document.createElement('iframe'); s.srcdoc = '<p>srcdoc</p>';
s.onload = function() { s.onload = null; s.contentWindow.location = js('srcdoc'); }; document.body.appendChild(s);
document.write('<iframe src="' + js('parsed') + '"></iframe>');
document.write('<div><template shadowroot="closed"><iframe src="' + js('closed shadow') + '"></iframe></template></div>');
</script>)JS";
    const QStringList routes = {"src", "location", "replace", "opened", "link", "form", "made", "srcdoc", "parsed"};
    auto list = [&](const QString &name) {
        return run(name + QStringLiteral(".join('|')")).split(u'|', Qt::SkipEmptyParts);
    };
    ASSERT_TRUE(load(browser, page(QStringLiteral("addresses.html"), html)));
    QStringList ran;
    EXPECT_TRUE(waitUntil([&] { return (ran = list(QStringLiteral("ran"))).size() >= routes.size(); }))
        << "the addresses' scripts ran only for " << ran.join(u',').toStdString();
    QTest::qWait(2000); // the documents would report at once, and ICE sends at once
    for (const QString &route : routes)
        EXPECT_TRUE(ran.contains(route)) << route.toStdString();
    EXPECT_FALSE(ran.contains(QStringLiteral("closed shadow")));
    EXPECT_EQ(list(QStringLiteral("r")), QStringList()) << "documents made from javascript: addresses";
    EXPECT_EQ(listener.datagrams, 0) << "peer connections of the local page sent packets";

    // the page itself: its document stays, the address's script having run in it
    const QByteArray itself = "<title>page</title><script>" + listener.probe() + R"JS(
var made = "'<title>made</title><script>' + probe + ';document.title = probe(\"page\", window)<\/script>'";
setTimeout(function() { location = 'javascript:' + encodeURIComponent("(document.title = 'ran', " + made + ")"); }, 0);
</script>)JS";
    ASSERT_TRUE(load(browser, page(QStringLiteral("itself.html"), itself)));
    EXPECT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("ran")));
    QTest::qWait(2000);
    EXPECT_EQ(browser.LocationName(), QStringLiteral("ran"));
    EXPECT_EQ(listener.datagrams, 0) << "the page's own javascript: document sent packets";

    // a page of the network: each address makes its document, whose peer connection reaches the listener
    TLoopbackServer server;
    server.reply = [&](const QByteArray &) { return httpReply("200 OK", "Content-Type: text/html\r\n", html); };
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/addresses"))));
    QStringList made;
    EXPECT_TRUE(waitUntil([&] { return (made = list(QStringLiteral("r"))).size() >= routes.size() + 1; }))
        << made.join(u',').toStdString();
    for (const QString &route : routes + QStringList{QStringLiteral("closed shadow")})
        EXPECT_TRUE(made.contains(route + QStringLiteral("=function:made"))) << route.toStdString();
    EXPECT_TRUE(waitUntil([&] { return listener.datagrams > 0; }));
}

// A script put in by the same call as a frame would run before the call returns, so before the
// frame's window is sealed: it runs once that is done, once, in its turn and with its own type.
// A page that replaces its window's count of frames hides none of them either.
TEST_F(IEBrowserEngine, AScriptPutInWithAFrameFindsItsWindowSealed)
{
    TStunListener listener;
    page(QStringLiteral("other.html"), "<p>other</p>");
    const QByteArray html = "<body><script>" + listener.probe() + R"JS(
var r = [], order = [];
function last() { return window[window.length - 1]; }
function script(text, type) { var s = document.createElement('script'); s.text = text; if (type) s.type = type; return s; }
function framed() { var f = document.createElement('iframe'); f.src = 'other.html'; return f; }
var held = [script("r.push(probe('fragment', last())); order.push(1)"), script("order.push(2)", 'text/javascript'),
            script("order.push('template')", 'text/template')];
var fragment = document.createDocumentFragment();
fragment.append(framed(), held[0], held[1], held[2]);
document.body.appendChild(fragment);
document.body.appendChild(held[0]); // moved: it has run
var types = held.map(function(s) { return s.getAttribute('type'); }).join(',');
document.body.append(framed(), script("r.push(probe('append', last()))"));
document.body.appendChild(document.createRange().createContextualFragment(
    '<iframe src="other.html"></iframe><script>r.push(probe("markup", last()))<\/script>'));
var count = window.length;
window.length = 0;
document.body.appendChild(document.createElement('iframe'));
r.push(probe('count replaced', window[count]));
</script>)JS";
    ASSERT_TRUE(load(browser, page(QStringLiteral("together.html"), html)));
    EXPECT_EQ(run(QStringLiteral("r.join('|')")),
              QStringLiteral("fragment=undefined:TypeError|append=undefined:TypeError|"
                             "markup=undefined:TypeError|count replaced=undefined:TypeError"));
    EXPECT_EQ(run(QStringLiteral("order.join(',') + '/' + types")),
              QStringLiteral("1,2/,text/javascript,text/template"));
    QTest::qWait(2000); // what ICE would send goes out at once
    EXPECT_EQ(listener.datagrams, 0) << "peer connections of the local page sent packets";
}

// An XML document (SVG, XHTML) runs its scripts as it is parsed, before any script of the program's:
// a local page shows none in a frame (of a file or of data), and a local one shown whole runs none;
// the next document runs its scripts again. The same drawing on a page of the network runs its own.
TEST_F(IEBrowserEngine, AnXmlDocumentOfALocalPageRunsNoScript)
{
    TStunListener listener;
    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg'><title>drawing</title><script><![CDATA[" +
                           listener.probe() +
                           "var said = probe('svg', window);"
                           " if (parent !== window) parent.postMessage(said, '*'); else document.title = said;"
                           "]]></script></svg>";
    const QByteArray xhtml = "<html xmlns='http://www.w3.org/1999/xhtml'><body><script><![CDATA[" + listener.probe() +
                             "parent.postMessage(probe('xhtml', window), '*');]]></script></body></html>";
    const QString drawing = page(QStringLiteral("drawing.svg"), svg);
    page(QStringLiteral("page.xhtml"), xhtml);
    const QByteArray framing =
        "<script>var r = []; window.addEventListener('message', function(m) { r.push(m.data); });"
        "window.onload = function() { document.title = 'loaded'; };</script>"
        "<iframe src='drawing.svg'></iframe><object data='page.xhtml' type='application/xhtml+xml'></object>"
        "<iframe src='data:image/svg+xml," +
        svg.toPercentEncoding() + "'></iframe><iframe src='data:application/xhtml+xml," + xhtml.toPercentEncoding() +
        "'></iframe>";
    ASSERT_TRUE(load(browser, page(QStringLiteral("framing.html"), framing)));
    EXPECT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("loaded")));
    QTest::qWait(2000);
    EXPECT_EQ(run(QStringLiteral("r.join('|')")), QString()) << "XML frames ran their scripts";
    EXPECT_EQ(listener.datagrams, 0) << "XML frames of the local page sent packets";

    ASSERT_TRUE(load(browser, drawing));
    QTest::qWait(2000);
    EXPECT_EQ(browser.LocationName(), QStringLiteral("drawing")) << "the drawing ran its script";
    EXPECT_EQ(listener.datagrams, 0) << "the local drawing sent packets";
    ASSERT_TRUE(load(browser, page(QStringLiteral("after.html"), "<script>document.title = 'scripts run';</script>")));
    EXPECT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("scripts run")));

    TLoopbackServer server;
    server.reply = [&](const QByteArray &) { return httpReply("200 OK", "Content-Type: image/svg+xml\r\n", svg); };
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/drawing.svg"))));
    EXPECT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("svg=function:made")));
    EXPECT_TRUE(waitUntil([&] { return listener.datagrams > 0; }));
}

// A page from a file makes no shared worker (one runs apart from its page, outside every check of the
// page's requests: it read any file and sent it away) and reaches nothing through WebTransport, from
// the page or from its own worker (it sent past every request check).
TEST_F(IEBrowserEngine, APageFromAFileHasNoSharedWorkerNorWebTransport)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) { return httpReply("404 Not Found", "", ""); };
    TStunListener listener;
    ASSERT_EQ(listener.socket.state(), QAbstractSocket::BoundState);
    const int &datagrams = listener.datagrams;
    const QByteArray transport = "https://127.0.0.1:" + QByteArray::number(listener.socket.localPort());
    const QByteArray socket =
        server.url(QStringLiteral("/shared")).replace(QStringLiteral("http:"), QStringLiteral("ws:")).toLatin1();
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("site")));
    page(QStringLiteral("outside.txt"), "OUTSIDE SECRET");
    page(QStringLiteral("site/shared.js"),
         "onconnect = function(e) { var r = 'nothing'; try { var x = new XMLHttpRequest(); x.open('GET', '" +
             QUrl::fromLocalFile(dir.filePath(QStringLiteral("outside.txt"))).toEncoded() +
             "', false); x.send(); r = x.responseText; } catch (err) {} try { new WebSocket('" + socket +
             "'); } catch (err) {} e.ports[0].postMessage(r); };");
    page(QStringLiteral("site/dedicated.js"), "var r = 'sent'; try { new WebTransport('" + transport +
                                                  "/worker'); } catch (e) { r = e.name; } postMessage(r);");
    const QString p = page(
        QStringLiteral("site/page.html"),
        "<script>var r = ['shared ' + typeof SharedWorker, 'transport ' + typeof WebTransport], wait = 2;"
        "function done(line) { r.push(line); if (--wait === 0) document.title = 'r:' + r.join('|'); }"
        "try { new WebTransport('" +
            transport +
            "/page'); } catch (e) {}"
            "try { var s = new SharedWorker('shared.js'); s.port.onmessage = function(m) { done('read ' + m.data); };"
            " s.onerror = function() { done('read nothing'); }; } catch (e) { done('read nothing'); }"
            "var w = new Worker('dedicated.js'); w.onmessage = function(m) { done('worker ' + m.data); };"
            "</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"r:"); })) << "the page never ran";
    const QStringList seen = browser.LocationName().mid(2).split(u'|');
    EXPECT_TRUE(seen.contains(QStringLiteral("read nothing"))) << seen.join(u'|').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("shared undefined"))) << seen.join(u'|').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("transport undefined"))) << seen.join(u'|').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("worker ReferenceError"))) << seen.join(u'|').toStdString();
    QTest::qWait(1500); // what a transport would send goes out at once
    EXPECT_EQ(datagrams, 0) << "WebTransport of the local page sent packets";
    EXPECT_TRUE(server.requests.isEmpty()) << server.requests.value(0).left(200).toStdString();
}

// Only the link or form the user activates takes a local page to the network, in its window or in a
// new one; a click elsewhere lends no page's script the right to go.
TEST_F(IEBrowserEngine, OnlyTheLinkTheUserClicksTakesALocalPageToTheNetwork)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n", "<title>arrived</title>");
    };
    keepOpenedWindows();
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    auto kept = [&] {
        return std::count_if(status.begin(), status.end(), [](const QList<QVariant> &a) {
            return a.at(0).toString().contains(u"was kept from opening");
        });
    };
    auto requested = [&](const QByteArray &path) {
        return std::any_of(server.requests.begin(), server.requests.end(),
                           [&](const QByteArray &r) { return r.startsWith("GET " + path); });
    };
    const QByteArray to = server.url().toLatin1();

    // a click anywhere: the page's handler sends it away, and is refused
    ASSERT_TRUE(
        load(browser, page(QStringLiteral("anywhere.html"), clickToRun("location.href = '" + to + "anywhere'"))));
    ASSERT_TRUE(clickUntil(browser, [&] { return kept() >= 1; })) << "the page's own navigation was not refused";
    EXPECT_FALSE(requested("/anywhere"));

    // a link the page changes as it is clicked goes where the user did not click: refused
    ASSERT_TRUE(load(browser, page(QStringLiteral("swap.html"), "<a href='" + to + "shown' onclick=\"this.href = '" +
                                                                    to + "swapped'\" " + WholePage + ">link</a>")));
    status.clear();
    ASSERT_TRUE(clickUntil(browser, [&] { return kept() >= 1; })) << "the changed link was not refused";
    EXPECT_FALSE(requested("/swapped"));

    // a link to a new window: the window opens it
    ASSERT_TRUE(load(browser, page(QStringLiteral("blank.html"),
                                   "<a target=_blank href='" + to + "new-window' " + WholePage + ">link</a>")));
    ASSERT_TRUE(clickUntil(browser, [&] { return requested("/new-window"); }))
        << "the new window never asked for the link";
    ASSERT_FALSE(opened.empty());
    EXPECT_TRUE(waitForEqual([&] { return opened.front()->LocationName(); }, QStringLiteral("arrived")));

    // a link of a drawing (SVG) in the page
    ASSERT_TRUE(load(browser, page(QStringLiteral("drawing.html"),
                                   "<body style='margin:0'><svg width=800 height=600><a href='" + to +
                                       "drawing'><rect width=800 height=600 fill=red /></a></svg></body>")));
    EXPECT_TRUE(clickUntil(browser, [&] { return requested("/drawing"); })) << "the drawing's link went nowhere";

    // a form the user sends
    ASSERT_TRUE(load(browser, page(QStringLiteral("form.html"), "<form action='" + to +
                                                                    "form'><input type=hidden name=q value=v>"
                                                                    "<button " +
                                                                    WholePage + ">send</button></form>")));
    EXPECT_TRUE(clickUntil(browser, [&] { return requested("/form?q=v"); })) << "the form was not sent";
}

// A link of a local page that the user opens in a new window from the page's menu opens there: the
// window was held to the page's folder and never loaded the link.
TEST_F(IEBrowserEngine, ALinkOfALocalPageOpensInANewWindowFromThePagesMenu)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n", "<title>arrived</title>");
    };
    keepOpenedWindows();
    ASSERT_TRUE(
        load(browser, page(QStringLiteral("menu.html"), "<a href='" + server.url(QStringLiteral("/menu")).toLatin1() +
                                                            "' " + WholePage + ">link</a>")));
    QWidget *view = browser.focusProxy() ? browser.focusProxy() : &browser;
    QMenu *menu = nullptr;
    auto shownMenu = [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *m = qobject_cast<QMenu *>(w); m && m->isVisible())
                menu = m;
        return menu != nullptr;
    };
    // a click that comes before the page takes input is lost
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(view, Qt::RightButton, {}, QPoint(20, 20));
        if (testsupport::waitUntil(shownMenu, 2000))
            break;
    }
    ASSERT_NE(menu, nullptr) << "the page's menu never opened";
    QAction *openIt = nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == browser.pageAction(QWebEnginePage::OpenLinkInNewWindow)->text())
            openIt = a;
    ASSERT_NE(openIt, nullptr) << "the menu offers no new window for the link";
    // as a click on the item: the menu hides, then its command runs
    menu->hide();
    openIt->trigger();
    ASSERT_TRUE(waitUntil([&] { return !server.requests.isEmpty(); })) << "the new window never asked for the link";
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(waitForEqual([&] { return opened.front()->LocationName(); }, QStringLiteral("arrived")));
}

// The start page is the user's own address: Home opens it also in a window a local page's script
// opened (that window is held to the page's folder, and refused it).
TEST_F(IEBrowserEngine, HomeOpensTheStartPageInAWindowALocalPageOpened)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n", "<title>home</title>");
    };
    TInternetOptions options = readInternetOptions();
    options.startPage = server.url(QStringLiteral("/home"));
    ASSERT_TRUE(writeInternetOptions(options));
    keepOpenedWindows();
    page(QStringLiteral("other.html"), "<title>other</title>");
    ASSERT_TRUE(load(browser, page(QStringLiteral("opens.html"), clickToRun("window.open('other.html');"))));
    ASSERT_TRUE(clickUntil(browser, [&] { return !opened.empty(); })) << "the click opened no window";
    ASSERT_TRUE(waitForEqual([&] { return opened.back()->LocationName(); }, QStringLiteral("other")));
    opened.back()->GoHome();
    EXPECT_TRUE(waitForEqual([&] { return opened.back()->LocationName(); }, QStringLiteral("home")));
}

// A page of the network opens the user's link or form in a new window as the engine does: a form
// sent there by POST carries its fields, and a link that keeps its opener keeps it and its referrer.
TEST_F(IEBrowserEngine, APageOfTheNetworkOpensTheUsersFormsAndLinksInNewWindowsWhole)
{
    TLoopbackServer server;
    server.reply = [&](const QByteArray &request) {
        QByteArray body = "<title>arrived</title>";
        if (request.startsWith("GET /form"))
            body = "<form method=post target=_blank action='/sent'><input type=hidden name=q value=v><button " +
                   WholePage + ">send</button></form>";
        else if (request.startsWith("GET /link"))
            body = "<a target=_blank rel=opener href='/opened' " + WholePage + ">open</a>";
        else if (request.startsWith("GET /opened"))
            body = "<script>document.title = (window.opener ? 'opener' : 'none') + ' ' + document.referrer;</script>";
        return httpReply("200 OK", "Content-Type: text/html\r\n", body);
    };
    keepOpenedWindows();
    auto sent = [&]() -> QByteArray {
        for (const QByteArray &r : std::as_const(server.requests))
            if (r.contains(" /sent "))
                return r;
        return {};
    };
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/form"))));
    ASSERT_TRUE(clickUntil(browser, [&] { return !sent().isEmpty(); })) << "the form was never sent";
    EXPECT_TRUE(sent().startsWith("POST /sent ")) << sent().left(200).toStdString();
    EXPECT_TRUE(sent().endsWith("\r\n\r\nq=v")) << "the form's fields were lost: " << sent().toStdString();

    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/link"))));
    const size_t before = opened.size();
    ASSERT_TRUE(clickUntil(browser, [&] { return opened.size() > before; })) << "the link opened no window";
    EXPECT_TRUE(waitForEqual([&] { return opened.back()->LocationName(); },
                             QStringLiteral("opener ") + server.url(QStringLiteral("/link"))));
}

// A link to another program runs it only on the user's click and only when the user says so: the
// question names the kind of link and the program, and its default is not to open it.
TEST_F(IEBrowserEngine, ALinkToAnotherProgramAsksFirstAndOpensOnlyWhenTheUserSays)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed: no desktop names a program for a kind of link";
    browsertest::TSchemeHandler handler(QStringLiteral("brivotest"), QStringLiteral("Brivo Test Opener"));
    // the page's own attempt, with no click, asks nothing
    ASSERT_TRUE(load(browser, page(QStringLiteral("program.html"), "<a href='brivotest:hello' " + WholePage +
                                                                       ">open</a><script>location.href ="
                                                                       " 'brivotest:by-script';</script>")));
    ASSERT_TRUE(clickUntil(browser, [&] { return !dialogs.messages.isEmpty(); })) << "the click asked nothing";
    ASSERT_EQ(dialogs.messages.size(), 1);
    const auto &question = dialogs.messages.first();
    EXPECT_EQ(question.caption, QStringLiteral("Brivo Compact"));
    EXPECT_TRUE(question.text.contains(u"\"brivotest:\"")) << question.text.toStdString();
    EXPECT_TRUE(question.text.contains(u"Brivo Test Opener")) << question.text.toStdString();
    EXPECT_TRUE(question.text.contains(u"brivotest:hello")) << question.text.toStdString();
    EXPECT_EQ(question.defaultButton, TIEBrowser::DefaultTexts().dontOpen);
    QTest::qWait(500); // the desktop would be handed the link at once
    EXPECT_TRUE(handler.catcher.opened.isEmpty()) << "the link opened without the user's yes";

    // the user says Open: the program gets the link the user clicked
    dialogs.press = TIEBrowser::DefaultTexts().open;
    ASSERT_TRUE(clickUntil(browser, [&] { return !handler.catcher.opened.isEmpty(); })) << "the link never opened";
    EXPECT_EQ(handler.catcher.opened, QList<QUrl>{QUrl(QStringLiteral("brivotest:hello"))});
    EXPECT_FALSE(std::any_of(dialogs.messages.begin(), dialogs.messages.end(),
                             [](const auto &m) { return m.text.contains(u"by-script"); }));

    // a kind no program takes: told, nothing asked
    const int asked = int(dialogs.messages.size());
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    ASSERT_TRUE(load(browser, page(QStringLiteral("none.html"), "<a href='brivonone:x' " + WholePage + ">open</a>")));
    ASSERT_TRUE(clickUntil(browser, [&] {
        return std::any_of(status.begin(), status.end(),
                           [](const QList<QVariant> &a) { return a.at(0).toString().contains(u"\"brivonone:\""); });
    })) << "the user was not told";
    EXPECT_EQ(dialogs.messages.size(), asked);
    // the engine ends the refused navigation as a load: what the user was told stays in view
    QTest::qWait(500);
    EXPECT_TRUE(status.last().at(0).toString().contains(u"\"brivonone:\""))
        << status.last().at(0).toString().toStdString();
}

// A page of the network asks about a link to another program only after the user's click or key, once
// for each: its script's attempt at load asks nothing, nor does the second link one click takes it to.
TEST_F(IEBrowserEngine, APageOfTheNetworkAsksAboutAnotherProgramOncePerUserInput)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed: no desktop names a program for a kind of link";
    browsertest::TSchemeHandler handler(QStringLiteral("brivotest"), QStringLiteral("Brivo Test Opener"));
    TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n",
                         "<a href='brivotest:clicked' onclick=\"setTimeout(function () {"
                         " location.href = 'brivotest:second'; }, 100)\" " +
                             WholePage + ">open</a><script>location.href = 'brivotest:by-script';</script>");
    };
    ASSERT_TRUE(load(browser, server.url(QStringLiteral("/program"))));
    QTest::qWait(500); // a question would come at once
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "the page asked on its own";
    ASSERT_TRUE(clickUntil(browser, [&] { return !dialogs.messages.isEmpty(); })) << "the click asked nothing";
    QTest::qWait(500); // the second link follows the first
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().text.contains(u"brivotest:clicked"))
        << dialogs.messages.first().text.toStdString();
    EXPECT_EQ(dialogs.messages.first().defaultButton, TIEBrowser::DefaultTexts().dontOpen);
    EXPECT_TRUE(handler.catcher.opened.isEmpty()) << "the link opened without the user's yes";
}

// A page that clicks download links by the dozen at load raises one save question, in the download
// folder (made when missing), and the user is told once that the others were refused; the question
// is the page's own, so the rest of the program stays usable.
TEST_F(IEBrowserEngine, APageCannotBuryTheUserInDownloads)
{
    const QString folder = dir.filePath(QStringLiteral("not/made/yet"));
    const QString before = webengine::profile()->downloadPath();
    webengine::profile()->setDownloadPath(folder);
    const testsupport::SeamGuard downloads([before] { webengine::profile()->setDownloadPath(before); });
    bool pageOwnsTheQuestion = false;
    dialogs.onFileDialog = [&] { pageOwnsTheQuestion = browser.InScriptDialog(); };
    page(QStringLiteral("data.bin"), "data");
    QSignalSpy requested(webengine::profile(), &QWebEngineProfile::downloadRequested);
    const QString flood =
        page(QStringLiteral("flood.html"),
             "<body><script>for (var i = 0; i < 40; ++i) { var a = document.createElement('a'); a.href = 'data.bin';"
             " a.download = 'd' + i + '.bin'; document.body.appendChild(a); a.click(); }</script></body>");
    ASSERT_TRUE(load(browser, flood));
    // the engine passes some of the clicks on at once, the rest as it goes
    ASSERT_TRUE(waitUntil([&] { return requested.count() >= 5; })) << requested.count() << " downloads asked for";
    ASSERT_TRUE(waitUntil([&] { return !dialogs.messages.isEmpty(); })) << "the user was never told";
    QTest::qWait(1000); // a second question or notice would follow at once
    EXPECT_EQ(dialogs.fileDialogs, 1);
    EXPECT_EQ(dialogs.fileDialogFolder, QDir(folder).absolutePath());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, TIEBrowser::DefaultTexts().downloadsRefused);
    EXPECT_TRUE(pageOwnsTheQuestion) << "the save question blocked the program, not the page";

    // the user's Save As starts in the download folder too, made again when it went
    ASSERT_TRUE(QDir(folder).removeRecursively());
    browser.SaveAs();
    EXPECT_EQ(dialogs.fileDialogs, 2);
    EXPECT_EQ(dialogs.fileDialogFolder, QDir(folder).absolutePath());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

// A control deleted while its page still owes it an answer (the document's character set, asked as
// every load ends) takes no answer: the page, deleted after the control's own parts, hands its pending
// answers in as it goes, and the control wrote them into parts already gone (the character set of its
// previous document freed a second time: the program crashed soon after).
TEST_F(IEBrowserEngine, AControlDeletedWhileItsPageOwesItAnAnswerTakesNone)
{
    auto doomed = std::make_unique<TIEBrowser>();
    ASSERT_TRUE(load(*doomed, page(QStringLiteral("first.html"), "<meta charset=utf-8><title>first</title>")));
    ASSERT_EQ(doomed->Charset(), QStringLiteral("UTF-8"));
    // as the next load ends, before the page's answer comes (the page keeps its renderer busy a while)
    QObject::connect(doomed->page(), &QWebEnginePage::loadFinished,
                     [&] { QTimer::singleShot(0, [&] { doomed.reset(); }); });
    doomed->Navigate(page(QStringLiteral("busy.html"),
                          "<title>busy</title><script>onload = function() { setTimeout(function() {"
                          " for (var end = Date.now() + 1000; Date.now() < end;) {} }, 0); };</script>"));
    ASSERT_TRUE(waitUntil([&] { return !doomed; })) << "the load never ended";
    // what the program does next needs memory of the sizes the control's parts had
    QStringList after;
    for (int i = 0; i < 1000; ++i)
        after << QString::number(i).repeated(i % 16 + 1);
    EXPECT_EQ(after.size(), 1000);
}

TEST_F(IEBrowserEngine, PromptShowsThePagesQuestionAsPlainText)
{
    // markup in a page's question never reaches the program's widgets as rich text (images, links)
    QString question;
    bool plain = false;
    dialogs.onExec = [&](QDialog &dialog) {
        auto *input = qobject_cast<QInputDialog *>(&dialog);
        if (!input)
            return int(QDialog::Rejected);
        question = input->labelText();
        const QList<QLabel *> labels = input->findChildren<QLabel *>();
        plain = !labels.isEmpty() &&
                std::all_of(labels.begin(), labels.end(), [](QLabel *l) { return l->textFormat() == Qt::PlainText; });
        input->setTextValue(input->textValue() + QStringLiteral("!"));
        return int(QDialog::Accepted);
    };
    const QString p = page(QStringLiteral("prompt.html"),
                           "<script>document.title = prompt('<b>Name</b><img src=\"file:///etc/x.png\">', 'bob');"
                           "</script>");
    ASSERT_TRUE(load(browser, p));
    ASSERT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("bob!")));
    EXPECT_EQ(question, QStringLiteral("<b>Name</b><img src=\"file:///etc/x.png\">"));
    EXPECT_TRUE(plain) << "the question's label interprets the page's markup";
}

TEST_F(IEBrowserEngine, PrintCarriesHeaderAndFooterOnEveryPage)
{
    QByteArray body = "<title>Printed Page</title><body style='font-size:20px'>";
    for (int i = 0; i < 120; ++i)
        body += "<p>Line " + QByteArray::number(i) + " of the printed text.</p>";
    const QString p = page(QStringLiteral("print.html"), body);
    ASSERT_TRUE(load(browser, p));
    browser.PrintOptions().Header = QStringLiteral("&w&b&p/&P ページ");
    browser.PrintOptions().Footer = QStringLiteral("&u&b&d");

    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(out);
    pageprint::applyPageSetup(*printer);
    QSignalSpy done(&browser, &TIEBrowser::PrintComplete);
    ASSERT_TRUE(browser.PrintTo(printer));
    ASSERT_TRUE(done.wait(Timeout));
    EXPECT_TRUE(done.first().first().toBool());

    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    const int count = pdf.pageCount();
    ASSERT_GE(count, 2);
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int i = 0; i < count; ++i) {
        const QString text = pdf.getAllText(i).text();
        EXPECT_TRUE(text.contains(u"Printed Page")) << i << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("%1/%2 ページ").arg(i + 1).arg(count))) << text.toStdString();
        EXPECT_TRUE(text.contains(u"print.html")) << text.toStdString();
        EXPECT_TRUE(text.contains(date)) << text.toStdString();
    }
    // the page's own text stays text
    EXPECT_TRUE(pdf.getAllText(0).text().contains(u"Line 0 of the printed text.")) << "the page body is a picture";
    EXPECT_TRUE(pdf.getAllText(count - 1).text().contains(u"Line 119 of the printed text."));
    // the footer sits in the bottom margin, at the page's own scale
    const QImage first = pdf.render(0, pdf.pagePointSize(0).toSize());
    const int band = int(pageprint::storedPageLayout().margins(QPageLayout::Point).bottom());
    int ink = 0;
    for (int y = first.height() - band; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            ink += qGray(first.pixel(x, y)) < 128;
    EXPECT_GT(ink, 0) << "nothing printed in the bottom margin";
    if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty())
        pdf.render(0, (pdf.pagePointSize(0) * 1.5).toSize()).save(shots + QStringLiteral("/printed-page.png"));

    // a printer that cannot be opened is reported, not passed over
    auto broken = std::make_shared<QPrinter>(QPrinter::HighResolution);
    broken->setOutputFormat(QPrinter::PdfFormat);
    broken->setOutputFileName(dir.filePath(QStringLiteral("no-such-folder/out.pdf")));
    ASSERT_TRUE(browser.PrintTo(broken));
    ASSERT_TRUE(done.wait(Timeout));
    EXPECT_FALSE(done.last().first().toBool());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.messages.first().text.contains(u"could not be printed"));

    // the preview shows the same pages
    int previewPages = 0;
    dialogs.onExec = [&](QDialog &dialog) {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(&dialog);
        if (!preview)
            return 0;
        dialog.resize(900, 1000);
        dialog.show();
        QTest::qWait(500);
        if (auto *widget = dialog.findChild<QPrintPreviewWidget *>())
            previewPages = widget->pageCount();
        if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty())
            dialog.grab().save(shots + QStringLiteral("/print-preview.png"));
        return 0;
    };
    browser.PrintPreview();
    EXPECT_TRUE(waitUntil([&] { return previewPages > 0; })) << "the preview shows no page";
    EXPECT_EQ(previewPages, count);
}

TEST_F(IEBrowserEngine, SaveAsWritesTheFilesAndReportsFailure)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(dir.filePath(QStringLiteral("dot.png")));
    const QString p = page(QStringLiteral("save.html"), "<title>Saved</title><p>saved text</p><img src='dot.png'>");
    ASSERT_TRUE(load(browser, p));
    QTemporaryDir out;

    QSignalSpy saved(&browser, &TIEBrowser::SaveAsComplete);
    const QString complete = out.filePath(QStringLiteral("complete.htm"));
    ASSERT_TRUE(browser.SaveTo(complete, TSaveFormat::Complete));
    ASSERT_TRUE(saved.wait(Timeout));
    EXPECT_TRUE(saved.last().at(1).toBool());
    EXPECT_TRUE(QFileInfo(complete).size() > 0);
    const QStringList resources = QDir(out.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(resources.size(), 1);
    EXPECT_FALSE(QDir(out.filePath(resources.first())).entryList(QDir::Files).isEmpty());

    const QString text = out.filePath(QStringLiteral("page.txt"));
    ASSERT_TRUE(browser.SaveTo(text, TSaveFormat::Text));
    ASSERT_TRUE(saved.wait(Timeout));
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    EXPECT_TRUE(t.readAll().contains("saved text"));

    const QString archive = out.filePath(QStringLiteral("page.mht"));
    ASSERT_TRUE(browser.SaveTo(archive, TSaveFormat::WebArchive));
    ASSERT_TRUE(saved.wait(Timeout));
    EXPECT_TRUE(QFileInfo(archive).size() > 0);

    // through the save dialog
    dialogs.savePath = out.filePath(QStringLiteral("chosen.htm"));
    browser.SaveAs();
    ASSERT_TRUE(saved.wait(Timeout));
    EXPECT_EQ(saved.last().at(0).toString(), dialogs.savePath);
    EXPECT_TRUE(QFileInfo(dialogs.savePath).size() > 0);

    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(browser.SaveTo(out.filePath(QStringLiteral("missing/x.htm")), TSaveFormat::HtmlOnly));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, QMessageBox::Critical);
    EXPECT_FALSE(saved.last().at(1).toBool());
}

TEST_F(IEBrowserEngine, FindCountsMatches)
{
    const QString p = page(QStringLiteral("find.html"), "<p>apple Apple</p><p>pear apple</p>");
    ASSERT_TRUE(load(browser, p));
    QSignalSpy found(&browser, &TIEBrowser::FindComplete);
    browser.FindText(QStringLiteral("apple"), false, false);
    ASSERT_TRUE(found.wait(Timeout));
    EXPECT_EQ(found.last().at(0).toInt(), 3);
    browser.FindText(QStringLiteral("Apple"), false, true);
    ASSERT_TRUE(found.wait(Timeout));
    EXPECT_EQ(found.last().at(0).toInt(), 1);

    browser.Find();
    ASSERT_NE(browser.FindDialog(), nullptr);
    EXPECT_TRUE(browser.FindDialog()->isVisible());
    browser.FindDialog()->textEdit()->setText(QStringLiteral("pear"));
    browser.FindDialog()->findNext();
    ASSERT_TRUE(found.wait(Timeout));
    EXPECT_EQ(found.last().at(0).toInt(), 1);
    EXPECT_EQ(browser.FindDialog()->resultLabel()->text(), QStringLiteral("Match 1 of 1"));
    if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty()) {
        QTest::qWait(300);
        browser.grab().save(shots + QStringLiteral("/find-page.png"));
        browser.FindDialog()->grab().save(shots + QStringLiteral("/find-dialog.png"));
    }
}

TEST_F(IEBrowserEngine, ForcedCharsetReloadsTheDocumentsBytes)
{
    const QString russian = QStringLiteral("Привет, мир");
    QStringEncoder cp1251("windows-1251");
    const QByteArray bytes = cp1251.encode(russian);
    const QString p =
        page(QStringLiteral("ru.html"), "<meta charset='windows-1251'><title>ru</title><p>" + bytes + "</p>");
    ASSERT_TRUE(load(browser, p));
    EXPECT_TRUE(charsets::same(browser.Charset(), QStringLiteral("windows-1251")));
    EXPECT_TRUE(plainText(browser).contains(russian));

    QSignalSpy complete(&browser, &TIEBrowser::DocumentComplete);
    browser.SetCharset(QStringLiteral("koi8-r"));
    ASSERT_TRUE(complete.wait(Timeout));
    EXPECT_EQ(browser.Charset(), QStringLiteral("koi8-r"));
    QStringDecoder koi8("koi8-r");
    const QString asKoi8 = koi8.decode(bytes);
    EXPECT_TRUE(plainText(browser).contains(asKoi8)) << plainText(browser).toStdString();
    EXPECT_EQ(browser.page()->url(), QUrl::fromLocalFile(p));

    browser.SetCharset(QStringLiteral("windows-1251"));
    ASSERT_TRUE(complete.wait(Timeout));
    EXPECT_EQ(browser.Charset(), QStringLiteral("windows-1251"));
    EXPECT_TRUE(plainText(browser).contains(russian));

    // auto-detect drops the forcing: the declared charset holds again
    browser.SetCharset(QStringLiteral("koi8-r"));
    ASSERT_TRUE(complete.wait(Timeout));
    browser.SetCharset(QStringLiteral("_autodetect"));
    ASSERT_TRUE(complete.wait(Timeout));
    EXPECT_TRUE(charsets::same(browser.Charset(), QStringLiteral("windows-1251")));
    EXPECT_TRUE(plainText(browser).contains(russian));
}

TEST_F(IEBrowserEngine, TextSizeIsKeptAcrossNavigation)
{
    const QString a = page(QStringLiteral("z1.html"), "<p>one</p>");
    const QString b = page(QStringLiteral("z2.html"), "<p>two</p>");
    ASSERT_TRUE(load(browser, a));
    EXPECT_EQ(browser.FontSize(), 2);
    browser.SetFontSize(7);
    EXPECT_EQ(browser.FontSize(), 4);
    ASSERT_TRUE(load(browser, b));
    EXPECT_EQ(browser.FontSize(), 4);
    EXPECT_DOUBLE_EQ(browser.page()->zoomFactor(), zoomForTextSize(4));
    browser.SetFontSize(-1);
    EXPECT_EQ(browser.FontSize(), 0);
    EXPECT_DOUBLE_EQ(browser.page()->zoomFactor(), zoomForTextSize(0));
}

TEST_F(IEBrowserEngine, UserAgentTokenReachesTheServer)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QByteArray request;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &request] {
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            const QByteArray body = "<title>served</title>";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    browser.SetUserAgent(QStringLiteral("BrivoTest/1.0"));
    ASSERT_TRUE(load(browser, QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort())));
    EXPECT_EQ(browser.LocationName(), QStringLiteral("served"));
    QByteArray agent;
    for (const QByteArray &line : request.split('\n'))
        if (line.toLower().startsWith("user-agent:"))
            agent = line.mid(11).trimmed();
    EXPECT_TRUE(agent.contains("; BrivoTest/1.0)")) << agent.toStdString();
    EXPECT_TRUE(agent.startsWith("Mozilla/")) << agent.toStdString();
}

TEST_F(IEBrowserEngine, HttpAuthenticationAsksTheUser)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &request) {
        if (request.contains("Authorization: Basic " + QByteArray("alice:secret").toBase64()))
            return httpReply("200 OK", "Content-Type: text/html\r\n", "<title>welcome</title>");
        return httpReply("401 Unauthorized",
                         "WWW-Authenticate: Basic realm=\"Staff only\"\r\nContent-Type: text/html\r\n",
                         "<title>denied</title>");
    };
    ASSERT_TRUE(load(browser, server.url()));
    ASSERT_TRUE(waitForEqual([&] { return browser.LocationName(); }, QStringLiteral("welcome")));
    ASSERT_EQ(dialogs.credentialTexts.size(), 1);
    EXPECT_TRUE(dialogs.credentialTexts.first().contains(u"Staff only"));
}

TEST_F(IEBrowserEngine, DownloadsLandWhereTheUserSaysAndFailuresAreReported)
{
    TLoopbackServer server;
    const QByteArray content(100000, 'x');
    server.reply = [&](const QByteArray &) {
        const QByteArray head =
            "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n";
        return httpReply("200 OK", head, content);
    };
    QTemporaryDir out;
    dialogs.savePath = out.filePath(QStringLiteral("saved.bin"));
    QSignalSpy done(&browser, &TIEBrowser::FileDownloadComplete);
    ASSERT_TRUE(load(browser, page(QStringLiteral("start.html"), "<title>start</title>")));
    browser.Navigate(server.url(QStringLiteral("/data.bin")));
    ASSERT_TRUE(done.wait(Timeout));
    EXPECT_TRUE(done.last().at(1).toBool());
    EXPECT_EQ(QFileInfo(dialogs.savePath).size(), content.size());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // a file stands where the folder should be: the download cannot be written
    page(QStringLiteral("not-a-folder"), "x");
    dialogs.savePath = dir.filePath(QStringLiteral("not-a-folder/broken.bin"));
    browser.Navigate(server.url(QStringLiteral("/again.bin")));
    ASSERT_TRUE(done.wait(Timeout));
    EXPECT_FALSE(done.last().at(1).toBool());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().caption, QStringLiteral("Brivo Compact"));
    EXPECT_TRUE(dialogs.messages.first().text.contains(u"failed"));
}

// Each address the user enters is the user's download, also when the server sends it on to the file:
// each asks where to save it, and none is told as a download the page started on its own.
TEST_F(IEBrowserEngine, EachAddressTheUserEntersAsksForItsDownloadThroughRedirections)
{
    TLoopbackServer server;
    server.reply = [&](const QByteArray &request) {
        if (request.startsWith("GET /go"))
            return httpReply("302 Found", "Location: " + server.url(QStringLiteral("/file.bin")).toLatin1() + "\r\n",
                             "");
        return httpReply(
            "200 OK", "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=f.bin\r\n",
            "data");
    };
    for (int i = 1; i <= 3; ++i) {
        browser.Navigate(server.url(QStringLiteral("/go%1").arg(i)));
        ASSERT_TRUE(waitUntil([&] { return dialogs.fileDialogs == i || !dialogs.messages.isEmpty(); }))
            << "address " << i << " asked nothing";
        // the refused download the engine winds up before the next address
        QTest::qWait(browser.DownloadSettleMs());
    }
    EXPECT_EQ(dialogs.fileDialogs, 3);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.value(0).text.toStdString();
}

TEST_F(IEBrowserEngine, ALinkThatDownloadsIsNoPageThatFailed)
{
    TLoopbackServer server;
    server.reply = [&](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: application/octet-stream\r\n", QByteArray(5000, 'x'));
    };
    QTemporaryDir out;
    dialogs.savePath = out.filePath(QStringLiteral("saved.bin"));
    ASSERT_TRUE(load(browser, page(QStringLiteral("start.html"), "<title>start</title>")));
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    QSignalSpy finished(&browser, &TIEBrowser::DownloadComplete);
    QSignalSpy saved(&browser, &TIEBrowser::FileDownloadComplete);
    browser.Navigate(server.url(QStringLiteral("/data.bin")));
    ASSERT_TRUE(saved.wait(Timeout)) << "the file was never saved";
    ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); })) << "the navigation never ended";
    QStringList texts;
    for (const auto &args : status)
        texts << args.at(0).toString();
    EXPECT_FALSE(texts.contains(QStringLiteral("The page could not be opened.")))
        << "status texts: " << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Done"))) << "status texts: " << texts.join(" | ").toStdString();

    // a page that truly fails still says so
    const QString refused = server.url(QStringLiteral("/gone.html"));
    server.server.close();
    status.clear();
    browser.Navigate(refused);
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::any_of(status.begin(), status.end(), [](const QList<QVariant> &args) {
                return args.at(0).toString() == QStringLiteral("The page could not be opened.");
            });
        },
        Timeout))
        << "a refused address was not reported";
}

TEST_F(IEBrowserEngine, APdfIsShownInThePageAndNotOfferedAsADownload)
{
    const QByteArray pdf = "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                           "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                           "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
                           "trailer<</Root 1 0 R>>\n%%EOF\n";
    TLoopbackServer server;
    server.reply = [&](const QByteArray &) { return httpReply("200 OK", "Content-Type: application/pdf\r\n", pdf); };
    const QString file = page(QStringLiteral("doc.pdf"), pdf);
    QSignalSpy downloads(webengine::profile(), &QWebEngineProfile::downloadRequested);
    for (const QString &address : {server.url(QStringLiteral("/doc.pdf")), QUrl::fromLocalFile(file).toString()}) {
        ASSERT_TRUE(load(browser, page(QStringLiteral("start.html"), "<title>start</title>")));
        QSignalSpy complete(&browser, &TIEBrowser::DocumentComplete);
        browser.Navigate(address);
        ASSERT_TRUE(waitUntil([&] {
            return !downloads.isEmpty() || std::any_of(complete.begin(), complete.end(), [](const QList<QVariant> &a) {
                return a.at(1).toBool() && a.at(0).toUrl().path().endsWith(u"doc.pdf");
            });
        })) << address.toStdString();
        EXPECT_TRUE(downloads.isEmpty()) << address.toStdString() << " was offered as a download";
        EXPECT_TRUE(dialogs.messages.isEmpty());
        EXPECT_EQ(QUrl(browser.LocationURL()).fileName(), QStringLiteral("doc.pdf"));
    }
}

TEST_F(IEBrowserEngine, TextThatIsNoAddressIsToldAndLeavesThePage)
{
    const QString a = page(QStringLiteral("a.html"), "<title>A</title>");
    ASSERT_TRUE(load(browser, a));
    QSignalSpy status(&browser, &TIEBrowser::StatusTextChange);
    QSignalSpy begins(&browser, &TIEBrowser::DownloadBegin);
    browser.Navigate(QStringLiteral("hello world"));
    ASSERT_FALSE(status.isEmpty()) << "nothing told the user";
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("\"hello world\" is not a valid address."));
    EXPECT_EQ(begins.count(), 0) << "a load began";
    EXPECT_EQ(browser.page()->url(), QUrl::fromLocalFile(a));
}

TEST_F(IEBrowserEngine, InternetOptionsWorkWithoutAPage)
{
    TIEBrowser empty;
    bool shown = false;
    dialogs.onExec = [&](QDialog &dialog) {
        auto *options = qobject_cast<TInternetOptionsDialog *>(&dialog);
        if (!options)
            return 0;
        shown = true;
        if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty()) {
            dialog.show();
            dialog.grab().save(shots + QStringLiteral("/internet-options.png"));
        }
        options->picturesBox()->setChecked(false);
        options->startPageEdit()->setText(QStringLiteral("http://start.example/"));
        options->clearCache();
        options->clearCookies();
        EXPECT_TRUE(options->apply());
        return 1;
    };
    empty.InternetOptions();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(webengine::profile()->settings()->testAttribute(QWebEngineSettings::AutoLoadImages));
    EXPECT_EQ(readInternetOptions().startPage, QStringLiteral("http://start.example/"));
    TInternetOptions restore = readInternetOptions();
    restore.showPictures = true;
    ASSERT_TRUE(writeInternetOptions(restore));
    applyStoredInternetOptions(webengine::profile());
    EXPECT_TRUE(webengine::profile()->settings()->testAttribute(QWebEngineSettings::AutoLoadImages));
}

TEST_F(IEBrowserEngine, PropertiesAndPageSetup)
{
    const QString p = page(QStringLiteral("props.html"), "<meta charset='utf-8'><title>Props</title><p>12345</p>");
    ASSERT_TRUE(load(browser, p));
    QStringList shown;
    dialogs.onExec = [&](QDialog &dialog) {
        for (QLabel *l : dialog.findChildren<QLabel *>())
            shown << l->text();
        if (const QString shots = qEnvironmentVariable("BRIVO_SHOT_DIR"); !shots.isEmpty()) {
            dialog.show();
            dialog.grab().save(shots + QStringLiteral("/properties.png"));
        }
        return 1;
    };
    browser.Properties();
    ASSERT_TRUE(waitUntil([&] { return !shown.isEmpty(); })) << "the properties dialog was never shown";
    EXPECT_TRUE(shown.contains(QStringLiteral("Props")));
    EXPECT_TRUE(shown.contains(QUrl::fromLocalFile(p).toDisplayString()));
    EXPECT_TRUE(shown.contains(QStringLiteral("text/html")));
    EXPECT_TRUE(shown.contains(QStringLiteral("UTF-8")));
    EXPECT_TRUE(shown.contains(QStringLiteral("%1 bytes").arg(QLocale().toString(QFileInfo(p).size()))));

    dialogs.onPageSetup = [](QPageSetupDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("HeaderEdit"))->setText(QStringLiteral("&w"));
        dialog.findChild<QLineEdit *>(QStringLiteral("FooterEdit"))->setText(QStringLiteral("&u"));
        QPrinter &printer = *dialog.printer();
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageMargins(QMarginsF(10, 20, 30, 40), QPageLayout::Millimeter);
    };
    browser.PageSetup();
    EXPECT_EQ(browser.PrintOptions().Header, QStringLiteral("&w"));
    EXPECT_EQ(pageprint::storedFooter(QString()), QStringLiteral("&u"));
    const QPageLayout stored = pageprint::storedPageLayout();
    EXPECT_EQ(stored.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(stored.pageSize().id(), QPageSize::Letter);
    const QMarginsF m = stored.margins(QPageLayout::Millimeter);
    EXPECT_NEAR(m.left(), 10, 0.01);
    EXPECT_NEAR(m.top(), 20, 0.01);
    EXPECT_NEAR(m.right(), 30, 0.01);
    EXPECT_NEAR(m.bottom(), 40, 0.01);
}

TEST_F(IEBrowserEngine, PermissionsAreDeniedUnlessTheUserAllows)
{
    TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return httpReply("200 OK", "Content-Type: text/html\r\n",
                         "<title>asking</title><script>navigator.geolocation.getCurrentPosition("
                         "function(){ document.title = 'granted'; },"
                         "function(e){ document.title = 'denied ' + e.code; });</script>");
    };
    dialogs.answer = QMessageBox::No;
    ASSERT_TRUE(load(browser, server.url()));
    ASSERT_TRUE(waitUntil([&] { return browser.LocationName().startsWith(u"denied"); }))
        << "the page is titled " << browser.LocationName().toStdString();
    EXPECT_EQ(browser.LocationName(), QStringLiteral("denied 1"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().icon, QMessageBox::Question);
    EXPECT_TRUE(dialogs.messages.first().text.contains(u"location"));
}

TEST_F(IEBrowserEngine, UntrustedCertificatesAreRefusedWithAMessage)
{
    const QString pages = QStringLiteral(BRIVO_SOURCE_DIR "/tests/browser/pages/");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(testsupport::readBytes(pages + "selfsigned-cert.pem")));
    tls.setPrivateKey(QSslKey(testsupport::readBytes(pages + "selfsigned-key.pem"), QSsl::Rsa));
    QSslServer server;
    server.setSslConfiguration(tls);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int served = 0;
    QObject::connect(&server, &QSslServer::pendingConnectionAvailable, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &served] {
                socket->readAll();
                ++served;
                socket->write(httpReply("200 OK", "Content-Type: text/html\r\n", "<title>secret</title>"));
                socket->disconnectFromHost();
            });
        }
    });
    browser.Navigate(QStringLiteral("https://127.0.0.1:%1/").arg(server.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return !dialogs.messages.isEmpty(); })) << "no message was shown";
    EXPECT_EQ(dialogs.messages.first().caption, QStringLiteral("Brivo Compact"));
    EXPECT_TRUE(dialogs.messages.first().text.contains(u"certificate is not trusted"))
        << dialogs.messages.first().text.toStdString();
    QTest::qWait(300);
    EXPECT_EQ(served, 0);
    EXPECT_NE(browser.LocationName(), QStringLiteral("secret"));
}

TEST(BrowserOptions, FlagWordsAreTheSumOfTheMembers)
{
    EXPECT_EQ(downloadFlagWord(DefaultDownloadOptions), 0x70u);
    EXPECT_EQ(downloadFlagWord({}), 0u);
    EXPECT_EQ(downloadFlagWord(TDownloadControlOptions(DLCTL_OFFLINE) | DLCTL_SILENT | DLCTL_NO_SCRIPTS), 0xC0000080u);
    // bits that are no member count nothing
    EXPECT_EQ(downloadFlagWord(TDownloadControlOptions::fromInt(0xF)), 0u);
    EXPECT_EQ(userInterfaceFlagWord({}), 0u);
    EXPECT_EQ(userInterfaceFlagWord(TUserInterfaceOptions(SCROLL_NO) | IME_ENABLE_RECONVERSION), 0x20008u);
    EXPECT_EQ(userInterfaceFlagWord(TUserInterfaceOptions::fromInt(0x8000)), 0u);
}

TEST(BrowserKeys, BackspaceEnterAndArrowsAreNeverOffered)
{
    EXPECT_FALSE(isRoutedKey(Qt::Key_Backspace, Qt::NoModifier));
    EXPECT_FALSE(isRoutedKey(Qt::Key_Return, Qt::ControlModifier));
    EXPECT_FALSE(isRoutedKey(Qt::Key_Enter, Qt::KeypadModifier));
    EXPECT_FALSE(isRoutedKey(Qt::Key_Left, Qt::NoModifier));
    EXPECT_FALSE(isRoutedKey(Qt::Key_Right, Qt::AltModifier));
    EXPECT_TRUE(isRoutedKey(Qt::Key_Left, Qt::KeypadModifier));
    EXPECT_TRUE(isRoutedKey(Qt::Key_Up, Qt::NoModifier));
    EXPECT_TRUE(isRoutedKey(Qt::Key_N, Qt::ControlModifier));
    EXPECT_TRUE(isRoutedKey(Qt::Key_F11, Qt::NoModifier));
    EXPECT_TRUE(isRoutedKey(Qt::Key_Escape, Qt::NoModifier));
}

TEST(UserAgent, StoreValueCountedPerTokenAndNeverNamedEmpty)
{
    QTemporaryDir dir;
    const auto storeFolder = testsupport::restoringDefault(platformstore::setFolder, dir.path());
    const QString key =
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform");
    {
        TIEBrowser a;
        TIEBrowser b;
        EXPECT_TRUE(platformstore::valueNames(Hive::CurrentUser, key).isEmpty());
        a.SetUserAgent(QStringLiteral("Brivo"));
        b.SetUserAgent(QStringLiteral("Brivo"));
        EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key), QStringList{QStringLiteral("Brivo")});
        {
            TIEBrowser c;
            c.SetUserAgent(QStringLiteral("Other"));
            EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key).size(), 2);
        }
        EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key), QStringList{QStringLiteral("Brivo")});
        a.SetUserAgent(QString());
        // b still carries the token: the value stays
        EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key), QStringList{QStringLiteral("Brivo")});
        EXPECT_TRUE(a.UserAgentHeader() == webengine::defaultUserAgent());
        EXPECT_TRUE(b.UserAgentHeader().contains("; Brivo)"));
    }
    EXPECT_TRUE(platformstore::valueNames(Hive::CurrentUser, key).isEmpty());
}

TEST(BrowserControl, StateWithoutADocument)
{
    TIEBrowser browser;
    browser.SetfpExceptions(false);
    EXPECT_FALSE(browser.fpExceptions());
    // the flag is kept only: no floating-point exception is ever unmasked
    browser.SetfpExceptions(true);
    EXPECT_TRUE(browser.fpExceptions());
    EXPECT_EQ(fegetexcept(), 0);
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero));
    EXPECT_FALSE(browser.HasDocument());
    browser.SetFontSize(4);
    EXPECT_EQ(browser.FontSize(), 0);
    // commands without a document do nothing (no dialog is reached)
    browser.SaveAs();
    browser.Print();
    browser.Find();
    EXPECT_EQ(browser.FindDialog(), nullptr);
    EXPECT_FALSE(browser.SaveTo(QStringLiteral("/tmp/x.htm"), TSaveFormat::Text));
}
