// The browser control's logic that needs no loaded page: header and footer codes, character-set
// names, option flag words, key routing rules, the user-agent header and its store value.
#include "browser/BrowserDialogs.h"
#include "browser/Charsets.h"
#include "browser/FindDialogs.h"
#include "browser/HeaderFooters.h"
#include "browser/IEBrowsers.h"
#include "browser/WebEngineProfiles.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformStore.h"

#include <QTemporaryDir>
#include <cfenv>
#include <cmath>
#include <gtest/gtest.h>

namespace {

THeaderFooterContext context(int page = 2, int count = 5)
{
    THeaderFooterContext c;
    c.title = QStringLiteral("My Title");
    c.url = QStringLiteral("http://example.com/a?b=1&c=2");
    c.page = page;
    c.pageCount = count;
    c.now = QDateTime(QDate(2024, 3, 9), QTime(14, 5));
    c.locale = QLocale::c();
    return c;
}

} // namespace

TEST(HeaderFooter, ProgramHeaderAndFooterExpandWithTheirAlignment)
{
    const THeaderFooterLine header = expandHeaderFooter(QStringLiteral("&w&b&p/&P ページ"), context());
    EXPECT_EQ(header.left, QStringLiteral("My Title"));
    EXPECT_EQ(header.center, QString());
    EXPECT_EQ(header.right, QStringLiteral("2/5 ページ"));

    const THeaderFooterLine footer = expandHeaderFooter(QStringLiteral("&u&b&d"), context());
    EXPECT_EQ(footer.left, QStringLiteral("http://example.com/a?b=1&c=2"));
    EXPECT_EQ(footer.right, QLocale::c().toString(QDate(2024, 3, 9), QLocale::ShortFormat));
}

TEST(HeaderFooter, CodesSplitsAndLiterals)
{
    const auto c = context(1, 1);
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc"), c).center, QStringLiteral("b"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc"), c).right, QStringLiteral("c"));
    // a third split is dropped; its text joins the right part
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc&bd"), c).right, QStringLiteral("cd"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("100&&&x&"), c).left, QStringLiteral("100&&x&"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&T"), c).left, QStringLiteral("14:05"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&D"), c).left,
              QLocale::c().toString(QDate(2024, 3, 9), QLocale::LongFormat));
    EXPECT_TRUE(expandHeaderFooter(QString(), c).isEmpty());
    // the title's own ampersands and codes are text, not codes
    auto t = c;
    t.title = QStringLiteral("&p&b");
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&w"), t).left, QStringLiteral("&p&b"));
}

TEST(Charsets, CanonicalNamesMatchWhatTheEngineReports)
{
    EXPECT_TRUE(charsets::same(QStringLiteral("gb2312"), QStringLiteral("GBK")));
    EXPECT_TRUE(charsets::same(QStringLiteral("iso-8859-1"), QStringLiteral("windows-1252")));
    EXPECT_TRUE(charsets::same(QStringLiteral("ISO8859-9"), QStringLiteral("windows-1254")));
    EXPECT_TRUE(charsets::same(QStringLiteral("x-sjis"), QStringLiteral("Shift_JIS")));
    EXPECT_TRUE(charsets::same(QStringLiteral("UTF8"), QStringLiteral("utf-8")));
    EXPECT_TRUE(charsets::same(QStringLiteral("cp1251"), QStringLiteral("windows-1251")));
    EXPECT_TRUE(charsets::same(QStringLiteral("ks_c_5601-1987"), QStringLiteral("EUC-KR")));
    EXPECT_FALSE(charsets::same(QStringLiteral("koi8-r"), QStringLiteral("windows-1251")));
    EXPECT_FALSE(charsets::same(QStringLiteral("iso-8859-15"), QStringLiteral("iso-8859-1")));
    EXPECT_EQ(charsets::canonical(QStringLiteral(" Made-Up ")), QStringLiteral("made-up"));
    EXPECT_TRUE(charsets::isAutoDetect(QStringLiteral("_autodetect_all")));
    EXPECT_FALSE(charsets::isAutoDetect(QStringLiteral("utf-8")));
    EXPECT_TRUE(charsets::isKnown(QStringLiteral("koi8-r")));
    EXPECT_TRUE(charsets::isKnown(QStringLiteral("gb2312")));
    EXPECT_FALSE(charsets::isKnown(QStringLiteral("no-such-charset")));
    EXPECT_FALSE(charsets::isKnown(QStringLiteral("_autodetect")));
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

TEST(UserAgent, StoreValueCountedPerTokenAndNeverNamedEmpty)
{
    QTemporaryDir dir;
    platformstore::setFolder(dir.path());
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
    platformstore::setFolder(QString());
}

TEST(BrowserControl, StateWithoutADocument)
{
    TIEBrowser browser;
    EXPECT_EQ(browser.DownloadFlags(), 0x70u);
    EXPECT_EQ(browser.UserInterfaceFlags(), 0u);
    EXPECT_TRUE(browser.fpExceptions());
    browser.SetfpExceptions(false);
    EXPECT_FALSE(browser.fpExceptions());
    // the flag is kept only: no floating-point exception is ever unmasked
    browser.SetfpExceptions(true);
    EXPECT_TRUE(browser.fpExceptions());
    EXPECT_EQ(fegetexcept(), 0);
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero));
    EXPECT_EQ(browser.PrintOptions().HTMLHeader, QStringList{QStringLiteral("<HTML></HTML>")});
    EXPECT_FALSE(browser.HasDocument());
    browser.SetFontSize(4);
    EXPECT_EQ(browser.FontSize(), 0);
    EXPECT_EQ(browser.Charset(), QString());
    EXPECT_EQ(browser.DefaultCharset(), QString());
    // commands without a document do nothing (no dialog is reached)
    browser.SaveAs();
    browser.Print();
    browser.Find();
    EXPECT_EQ(browser.FindDialog(), nullptr);
    EXPECT_FALSE(browser.SaveTo(QStringLiteral("/tmp/x.htm"), TSaveFormat::Text));
}

TEST(BrowserDialogs, MessageBoxesGoThroughTheProgramsBoxes)
{
    QStringList asked;
    unsigned flagsSeen = 0;
    const auto previous = messageboxes::setResponder([&](const QString &text, const QString &caption, unsigned flags) {
        asked << caption << text;
        flagsSeen = flags;
        return int(messageboxes::IdCancel);
    });
    const auto answer =
        browserDialogs().messageBox(nullptr, QStringLiteral("Brivo"), QStringLiteral("sure?"), QMessageBox::Question,
                                    QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    messageboxes::setResponder(previous);
    EXPECT_EQ(answer, QMessageBox::Cancel);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Brivo"), QStringLiteral("sure?")}));
    EXPECT_EQ(flagsSeen, unsigned(messageboxes::OKCancel | messageboxes::IconQuestion));
}
