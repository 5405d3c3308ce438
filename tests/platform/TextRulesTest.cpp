// Text rules, code pages, locale abbreviations and the store of platform values.
#include "common/TestSupport.h"
#include "platform/ActionUpdater.h"
#include "platform/CodePage.h"
#include "platform/ExceptionGuard.h"
#include "platform/PlatformError.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformStore.h"
#include "platform/SystemLocale.h"
#include "platform/TextRules.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace textrules;

TEST(TextRules, TrimStripsOnlyUpToSpace)
{
    EXPECT_EQ(trim(QStringLiteral("\t a b \r\n")), "a b");
    EXPECT_EQ(trim(QString::fromUtf16(u"\u3000a\u00A0")), QString::fromUtf16(u"\u3000a\u00A0"));
    EXPECT_EQ(trimLeft(QStringLiteral("  a ")), "a ");
    EXPECT_EQ(trimRight(QStringLiteral("  a ")), "  a");
}

TEST(TextRules, CompareTextFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(compareText("abc", "ABC"), 0);
    EXPECT_LT(compareText("a", "B"), 0);
    EXPECT_LT(compareText("ab", "abc"), 0);
    EXPECT_NE(compareText(QString::fromUtf16(u"\u00e9"), QString::fromUtf16(u"\u00c9")), 0);
    // "_" sorts after the letters once they are folded to upper case
    EXPECT_LT(compareText("a", "_"), 0);
}

TEST(TextRules, StrToIntAcceptsWhatTheOldLibraryAccepted)
{
    EXPECT_EQ(strToInt("42"), 42);
    EXPECT_EQ(strToInt("-42"), -42);
    EXPECT_EQ(strToInt("+7"), 7);
    EXPECT_EQ(strToInt("0x1f"), 31);
    EXPECT_EQ(strToInt("$FF"), 255);
    EXPECT_EQ(strToInt("0xFFFFFFFF"), -1);
    EXPECT_EQ(strToInt("2147483647"), 2147483647);
    EXPECT_EQ(strToInt("-2147483648"), std::numeric_limits<int>::min());
    for (const char *bad : {"", "-", "0x", "2147483648", " 1", "1 ", "1.5", "abc", "0x1G"})
        EXPECT_FALSE(strToInt(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(TextRules, NameValueLines)
{
    const QStringList lines{"a=1", "noequals", "=empty name", "A=2", "url=http://x/?a=b"};
    EXPECT_EQ(lineName("noequals"), "");
    EXPECT_EQ(valueOf(lines, "a"), "1");
    EXPECT_EQ(valueOf(lines, "URL"), "http://x/?a=b");
    EXPECT_EQ(indexOfName(lines, "missing"), -1);
}

TEST(CodePage, LegacyConvertersExistAndRoundTrip)
{
    for (int cp : {932, 936, 949, 950, 1250, 1251, 1252, 10000})
        EXPECT_TRUE(codepage::isSupported(cp)) << cp;
    bool ok = false;
    const QString japanese = QString::fromUtf8("ＭＳ Ｐゴシック");
    const QByteArray sjis = codepage::encode(japanese, 932, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(sjis, QByteArray("\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"));
    EXPECT_EQ(codepage::decode(sjis, 932, &ok), japanese);
    EXPECT_TRUE(ok);
    codepage::encode(QString::fromUtf8("日本"), 1252, &ok);
    EXPECT_FALSE(ok);
    codepage::decode(QByteArray("\x82"), 932, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(codepage::fromCharset(128), 932);
    EXPECT_EQ(codepage::fromCharset(136), 950);
}

TEST(CodePage, AnsiLengthCountsWideCharactersTwice)
{
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("abc")), 3);
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("日本語a")), 7);
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("日本語"), 5), QString::fromUtf8("日本"));
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("a\U0001F600b"), 2), QString::fromUtf8("a"));
}

TEST(SystemLocale, AbbreviationsOfPosixLocales)
{
    using systemlocale::abbreviationOf;
    EXPECT_EQ(abbreviationOf("ja_JP.UTF-8"), "JPN");
    EXPECT_EQ(abbreviationOf("zh_CN.GB18030"), "CHS");
    EXPECT_EQ(abbreviationOf("zh_TW"), "CHT");
    EXPECT_EQ(abbreviationOf("es_ES.UTF-8"), "ESN");
    EXPECT_EQ(abbreviationOf("pt_BR"), "PTB");
    EXPECT_EQ(abbreviationOf("pt_PT"), "PTG");
    EXPECT_EQ(abbreviationOf("de_DE@euro"), "DEU");
    EXPECT_EQ(abbreviationOf("en_US.UTF-8"), "ENU");
    EXPECT_EQ(abbreviationOf("C"), "ENU");
    EXPECT_EQ(abbreviationOf(""), "ENU");
    systemlocale::setOverride(QStringLiteral("ko_KR.UTF-8"));
    EXPECT_EQ(systemlocale::abbreviation(), "KOR");
    systemlocale::setOverride(std::nullopt);
}

class PlatformStoreTest : public ::testing::Test {
protected:
    void SetUp() override { platformstore::setFolder(dir.path()); }
    void TearDown() override { platformstore::setFolder(QString()); }
    QTemporaryDir dir;
};

TEST_F(PlatformStoreTest, StringsRoundTripAndOtherTypesRaise)
{
    const QString key = QStringLiteral("Software\\Test\\Key");
    EXPECT_FALSE(platformstore::keyExists(Hive::CurrentUser, key));
    EXPECT_FALSE(platformstore::readString(Hive::CurrentUser, key, "v").has_value());
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, key, "v", "C:\\path with = sign"));
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, key, "", "default"));
    EXPECT_TRUE(platformstore::keyExists(Hive::CurrentUser, "\\software\\test\\KEY"));
    EXPECT_TRUE(platformstore::keyExists(Hive::CurrentUser, "Software\\Test"));
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, key, "V").value(), "C:\\path with = sign");
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, key, "").value(), "default");
    EXPECT_EQ(platformstore::valueNames(Hive::CurrentUser, key), QStringList({"v", ""}));
    ASSERT_TRUE(platformstore::writeInteger(Hive::CurrentUser, key, "n", 5));
    EXPECT_THROW(platformstore::readString(Hive::CurrentUser, key, "n"), PlatformError);
    ASSERT_TRUE(platformstore::deleteValue(Hive::CurrentUser, key, "v"));
    EXPECT_FALSE(platformstore::readString(Hive::CurrentUser, key, "v").has_value());
    // the two hives are apart
    EXPECT_FALSE(platformstore::keyExists(Hive::LocalMachine, key));
}

TEST_F(PlatformStoreTest, WellKnownValuesAnswerUntilStored)
{
    const QString ie = QStringLiteral("Software\\Microsoft\\Internet Explorer");
    EXPECT_EQ(platformstore::readString(Hive::LocalMachine, ie, "Version").value(), "6.0");
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, ie + "\\Main", "Start Page").value(), "about:blank");
    ASSERT_TRUE(platformstore::writeString(Hive::CurrentUser, ie + "\\Main", "Start Page", "https://example.org/"));
    EXPECT_EQ(platformstore::readString(Hive::CurrentUser, ie + "\\Main", "Start Page").value(),
              "https://example.org/");
    const auto favorites = platformstore::readString(
        Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites");
    ASSERT_TRUE(favorites.has_value());
    EXPECT_TRUE(favorites->startsWith(platformpaths::dataDir()));
    platformstore::setMailHandlerQuery([] { return QStringLiteral("thunderbird.desktop"); });
    EXPECT_EQ(platformstore::readString(Hive::LocalMachine, "SOFTWARE\\Clients\\Mail", "").value(), "thunderbird");
    platformstore::setMailHandlerQuery({});
}

TEST(PlatformStore, ExpandsEnvironmentStrings)
{
    qputenv("BRIVO_TEST_VAR", "value");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("a%BRIVO_TEST_VAR%b"), "avalueb");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("%NOT_SET_ANYWHERE%x"), "%NOT_SET_ANYWHERE%x");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("100% sure"), "100% sure");
    EXPECT_EQ(platformstore::expandEnvironmentStrings("%%BRIVO_TEST_VAR%"), "%value");
}

TEST(PlatformPaths, SettingsFileNextToWritableExecutable)
{
    QTemporaryDir dir;
    EXPECT_EQ(platformpaths::settingsFileFor(dir.path() + "/brivo"), dir.path() + "/brivo.ini");
    if (::geteuid() != 0) {
        EXPECT_EQ(platformpaths::settingsFileFor("/usr/bin/brivo"), platformpaths::configDir() + "/brivo.ini");
    }
}

namespace {

// A receiver whose event handler fails.
class Failing : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw PlatformError(QStringLiteral("handler failed"));
        return QObject::event(e);
    }
};

} // namespace

TEST(ExceptionGuard, AFailingHandlerStopsWithoutCrossingTheEventLoop)
{
    Failing receiver;
    const int before = GuardedApplication::droppedExceptions();
    QEvent sent(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&receiver, &sent));
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EXPECT_NO_THROW(QCoreApplication::processEvents());
    EXPECT_EQ(GuardedApplication::droppedExceptions(), before + 2);
}

TEST(ActionUpdater, RunsEveryHandlerAndForgetsDestroyedActions)
{
    ActionUpdater updater;
    auto *kept = new QAction;
    auto *gone = new QAction;
    int runs = 0;
    updater.add(kept, [&](QAction *a) {
        ++runs;
        a->setEnabled(false);
    });
    updater.add(gone, [&](QAction *) { ++runs; });
    updater.add(new QAction(&updater), [](QAction *) { throw PlatformError(QStringLiteral("x")); });
    delete gone;
    updater.updateAll();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(kept->isEnabled());
    delete kept;
}
