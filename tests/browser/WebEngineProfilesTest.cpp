// The user-agent header carrying the program's token.
#include "browser/WebEngineProfiles.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(UserAgent, TokenGoesInsideTheFirstGroup)
{
    using webengine::insertUserAgentToken;
    EXPECT_EQ(insertUserAgentToken("Mozilla/5.0 (X11; Linux x86_64) Chrome/102", QStringLiteral("Brivo 1.0")),
              QByteArray("Mozilla/5.0 (X11; Linux x86_64; Brivo 1.0) Chrome/102"));
    EXPECT_EQ(insertUserAgentToken("Agent/1", QStringLiteral("T")), QByteArray("Agent/1 (T)"));
    EXPECT_EQ(insertUserAgentToken("Agent/1 ()", QStringLiteral("T")), QByteArray("Agent/1 (T)"));
    EXPECT_EQ(insertUserAgentToken("A (x)", QString()), QByteArray("A (x)"));
    // no header injection, nothing lost from a wide token
    EXPECT_EQ(insertUserAgentToken("A (x)", QStringLiteral("T\r\nX-Evil: 1")), QByteArray("A (x; TX-Evil: 1)"));
    EXPECT_EQ(insertUserAgentToken("A (x)", QStringLiteral("é")), QByteArray("A (x; %C3%A9)"));
}

TEST(LocalFrames, APageFramesOnlyFilesOfItsOwnFolder)
{
    using webengine::frameOutsidePageFolder;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/site/page_files")));
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/private")));
    for (const char *name : {"/site/page.html", "/site/page_files/frame.html", "/private/key.txt"}) {
        QFile f(root + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/private"), root + QStringLiteral("/site/out")));
    const QUrl page = QUrl::fromLocalFile(root + QStringLiteral("/site/page.html"));
    auto outside = [&](const QString &relative) {
        return frameOutsidePageFolder(QUrl::fromLocalFile(root + relative), page);
    };
    EXPECT_FALSE(outside(QStringLiteral("/site/page_files/frame.html")));
    EXPECT_FALSE(outside(QStringLiteral("/site/missing.html")));
    EXPECT_TRUE(outside(QStringLiteral("/private/key.txt")));
    EXPECT_TRUE(outside(QStringLiteral("/site/../private/key.txt")));
    EXPECT_TRUE(outside(QStringLiteral("/site/out/key.txt"))) << "a link inside the folder leads out of it";
    EXPECT_TRUE(outside(QStringLiteral("/site2/x.html"))) << "a folder whose name begins alike is another folder";
    EXPECT_TRUE(outside(QStringLiteral("/")));
    // pages from the network are left to the engine
    EXPECT_FALSE(frameOutsidePageFolder(QUrl::fromLocalFile(root + QStringLiteral("/private/key.txt")),
                                        QUrl(QStringLiteral("http://127.0.0.1/"))));
    EXPECT_FALSE(frameOutsidePageFolder(QUrl(QStringLiteral("http://127.0.0.1/")), page));
}

TEST(StartUpReport, TheEnginesSetUpReportIsQuietUnlessTheUserAsks)
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES") || qEnvironmentVariableIsSet("QT_LOGGING_CONF"))
        GTEST_SKIP() << "the user's logging rules decide";
    webengine::prepareEnvironment();
    const QLoggingCategory context("qt.webenginecontext");
    EXPECT_FALSE(context.isInfoEnabled());
    EXPECT_TRUE(context.isWarningEnabled()) << "the engine's warnings are still shown";
    EXPECT_TRUE(QLoggingCategory("qt.webengine.other").isInfoEnabled()) << "other reports are left alone";
}

TEST(EngineSwitches, TheUsersSwitchesStayAndTheFeaturesTheyTurnOffAreKeptOff)
{
    using webengine::withEngineSwitches;
    EXPECT_EQ(withEngineSwitches(""), QByteArray("--disable-blink-features=SharedWorker,WebTransport"));
    EXPECT_EQ(withEngineSwitches(" --disable-gpu  --ignore-gpu-blocklist "),
              QByteArray("--disable-gpu --ignore-gpu-blocklist --disable-blink-features=SharedWorker,WebTransport"));
    // the engine takes the last of two: the user's last list is extended, names already there once
    EXPECT_EQ(withEngineSwitches("--disable-blink-features=A --disable-blink-features=WebTransport,B"),
              QByteArray("--disable-blink-features=A --disable-blink-features=WebTransport,B,SharedWorker"));
    const QByteArray once = withEngineSwitches("--disable-gpu");
    EXPECT_EQ(withEngineSwitches(once), once);
}

TEST(LocalPages, ALocalPageLoadsItsOwnFolderAndNothingFromTheNetwork)
{
    using webengine::localPageMayRequest;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/site/img")));
    const QUrl page = QUrl::fromLocalFile(root + QStringLiteral("/site/page.html"));
    EXPECT_TRUE(localPageMayRequest(QUrl::fromLocalFile(root + QStringLiteral("/site/img/a.png")), page));
    EXPECT_FALSE(localPageMayRequest(QUrl::fromLocalFile(root + QStringLiteral("/b.png")), page));
    for (const char *out : {"http://127.0.0.1/x", "HTTPS://example.com/", "ws://127.0.0.1:1/", "wss://h/", "ftp://h/f"})
        EXPECT_FALSE(localPageMayRequest(QUrl(QLatin1String(out)), page)) << out;
    // what stays on the computer: inline data, the page's own objects, the engine's viewers
    for (const char *in : {"data:image/png;base64,AAAA", "blob:null/1234", "about:blank"})
        EXPECT_TRUE(localPageMayRequest(QUrl(QLatin1String(in)), page)) << in;
    // a page of the network loads what it likes
    EXPECT_TRUE(localPageMayRequest(QUrl(QStringLiteral("http://127.0.0.1/x")), QUrl(QStringLiteral("http://h/"))));
}

// The documents the engine parses as XML, whose scripts run before any the program puts in: the
// engine tells a file's type by its extension alone (no file's content is looked at), a data:
// address's by the type it names.
TEST(LocalPages, XmlDocumentsAreToldByTheirNamesAndTypes)
{
    using webengine::isXmlDocument;
    for (const char *xml : {"/a/b.svg", "/a/B.SVG", "/a/b.svgz", "/a/b.xml", "/a/b.xhtml", "/a/b.xht", "/a/b.xhtm",
                            "/a/b.rss", "/a/b.atom", "/a/b.xsd", "/a/b.html.svg"})
        EXPECT_TRUE(isXmlDocument(QUrl::fromLocalFile(QLatin1String(xml)))) << xml;
    for (const char *other : {"/a/b.html", "/a/b.htm", "/a/b.txt", "/a/b", "/a/b.png", "/a/b.svg.html", "/a/b.mht"})
        EXPECT_FALSE(isXmlDocument(QUrl::fromLocalFile(QLatin1String(other)))) << other;
    // the host a document's address is given changes nothing
    EXPECT_TRUE(isXmlDocument(QUrl(QStringLiteral("file://0123abcd.localhost/a/b.svg"))));
    for (const char *xml : {"data:image/svg+xml,<svg/>", "data:IMAGE/SVG+XML;charset=utf-8,x",
                            "data:text/xml;base64,AA", "data:application/xhtml+xml,x", "data:application/xml,x",
                            "data:text/xsl,x", "data: application/rss+xml ,x", "data:image/svg%2Bxml,x"})
        EXPECT_TRUE(isXmlDocument(QUrl(QLatin1String(xml)))) << xml;
    for (const char *other : {"data:text/html,<svg/>", "data:,x", "data:text/plain;x=a+xml,x",
                              "data:text/html%2Cimage/svg+xml,x", "http://h/a.svg", "blob:null/1", "about:blank"})
        EXPECT_FALSE(isXmlDocument(QUrl(QLatin1String(other)))) << other;
}

TEST(LocalPages, EachDocumentOfAFileHasAHostOfItsOwnThatTheUserNeverSees)
{
    using namespace webengine;
    const QUrl hosted(QStringLiteral("file://0123abcd.localhost/home/user/page%20one.html#part"));
    EXPECT_TRUE(isDocumentHost(hosted.host()));
    EXPECT_FALSE(isDocumentHost(QStringLiteral("localhost")));
    EXPECT_FALSE(isDocumentHost(QString()));
    EXPECT_EQ(withoutDocumentHost(hosted), QUrl(QStringLiteral("file:///home/user/page%20one.html#part")));
    EXPECT_EQ(withoutDocumentHost(QUrl(QStringLiteral("view-source:file://0123abcd.localhost/a/b.html"))),
              QUrl(QStringLiteral("view-source:file:///a/b.html")));
    // other addresses stay as they are
    for (const char *other : {"http://x.localhost/a", "file:///a/b.html", "view-source:http://h/", "about:blank"})
        EXPECT_EQ(withoutDocumentHost(QUrl(QLatin1String(other))), QUrl(QLatin1String(other))) << other;
    EXPECT_EQ(localFilePath(hosted), QStringLiteral("/home/user/page one.html"));
    EXPECT_EQ(localFilePath(QUrl::fromLocalFile(QStringLiteral("/a/b"))), QStringLiteral("/a/b"));
    EXPECT_TRUE(localFilePath(QUrl(QStringLiteral("http://h/a"))).isEmpty());

    // the folder rule reads the path whatever the host
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/site")));
    auto at = [&](const QString &host, const QString &path) {
        QUrl url = QUrl::fromLocalFile(root + path);
        url.setHost(host);
        return url;
    };
    const QUrl page = at(QStringLiteral("aa.localhost"), QStringLiteral("/site/page.html"));
    EXPECT_TRUE(localPageMayRequest(at(QStringLiteral("bb.localhost"), QStringLiteral("/site/img.png")), page));
    EXPECT_FALSE(localPageMayRequest(at(QStringLiteral("aa.localhost"), QStringLiteral("/secret.txt")), page));
    EXPECT_FALSE(localPageMayRequest(QUrl::fromLocalFile(root + QStringLiteral("/secret.txt")), page));
}
