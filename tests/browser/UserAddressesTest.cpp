// Typed text as the address to open: paths only when they look like paths or name a file, anything
// else a web address; and a host typed without a scheme reaches its server.
#include "browser/UserAddresses.h"

#include "browser/BrowserTestSupport.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "common/TestSupport.h"
#include "platform/PlatformStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using useraddress::toUrl;

namespace {

TEST(UserAddressesTest, HostsAreWebAddressesAndPathsAreFiles)
{
    QTemporaryDir here;
    testsupport::writeBytes(here.filePath("page.html"), "x");
    const QString cwd = here.path();
    EXPECT_EQ(toUrl("example.com", cwd), QUrl("http://example.com"));
    EXPECT_EQ(toUrl("www.example.com", cwd), QUrl("http://www.example.com"));
    EXPECT_EQ(toUrl("127.0.0.1:8093/x.html", cwd), QUrl("http://127.0.0.1:8093/x.html"));
    EXPECT_EQ(toUrl("localhost:8080", cwd), QUrl("http://localhost:8080"));
    EXPECT_EQ(toUrl("  https://example.com/a  ", cwd), QUrl("https://example.com/a"));
    EXPECT_EQ(toUrl("about:blank", cwd), QUrl("about:blank"));
    EXPECT_EQ(toUrl("/etc/hosts", cwd), QUrl::fromLocalFile("/etc/hosts"));
    EXPECT_EQ(toUrl("~/notes.txt", cwd), QUrl::fromLocalFile(QDir::homePath() + "/notes.txt"));
    EXPECT_EQ(toUrl("./missing.html", cwd), QUrl::fromLocalFile(cwd + "/missing.html"));
    EXPECT_EQ(toUrl("../up.html", cwd), QUrl::fromLocalFile(QDir::cleanPath(cwd + "/../up.html")));
    EXPECT_EQ(toUrl("page.html", cwd), QUrl::fromLocalFile(cwd + "/page.html")) << "an existing file of the folder";
    EXPECT_EQ(toUrl("nothing-here.html", cwd).scheme(), "http") << "no such file: a web address";
}

TEST(UserAddressesTest, AHostTypedWithoutSchemeReachesItsServer)
{
    QTemporaryDir store;
    platformstore::setFolder(store.path());
    browsertest::TLoopbackServer server;
    server.reply = [](const QByteArray &) {
        return browsertest::httpReply("200 OK", "Content-Type: text/html\r\n",
                                      "<html><head><title>served</title></head><body>x</body></html>");
    };
    {
        TIEBrowser browser;
        browser.resize(400, 300);
        browser.show();
        browser.Navigate(QStringLiteral("127.0.0.1:%1/x.html").arg(server.server.serverPort()));
        EXPECT_TRUE(testsupport::waitUntil([&] { return browser.LocationName() == QStringLiteral("served"); }, 20000))
            << "the page of the loopback server opens";
        ASSERT_FALSE(server.requests.isEmpty());
        EXPECT_TRUE(server.requests.first().startsWith("GET /x.html ")) << server.requests.first().constData();
        EXPECT_EQ(browser.LocationURL(), server.url(QStringLiteral("/x.html")));
    }
    platformstore::setFolder(QString());
}

} // namespace
