// The settings object over real settings files in a temporary folder.
#include "settings/BrivoInisCompact.h"

#include "common/DialogAnswers.h"
#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/MessageBoxes.h"
#include "platform/PlatformError.h"
#include "platform/ProfileIni.h"
#include "platform/SystemLocale.h"
#include "settings/BrivoSystemCompact.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class BrivoIniTest : public ::testing::Test {
protected:
    QString file() const { return dir.path() + QStringLiteral("/brivo.ini"); }
    QTemporaryDir dir;
    // the tests override the locale again; the guard ends every override
    const testsupport::SeamGuard locale =
        testsupport::restoringDefault(systemlocale::setOverride, QStringLiteral("en_US.UTF-8"));
};

TEST_F(BrivoIniTest, NoFileCreatesNothingAndReadsInEnglish)
{
    TBrivoIni ini(file());
    EXPECT_TRUE(ini.OpenedBrowsers.isEmpty());
    EXPECT_EQ(ini.Language, TLanguage::English);
    ASSERT_NE(ini.LanguageTable, nullptr);
    EXPECT_EQ(BrowserText, "Browser");
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(BrivoIniTest, ReadsOddValues)
{
    writeBytes(file(), "[Main]\r\n"
                       "WindowState=257\r\n"
                       "Rect=-4, -23, 790, 537\r\n"
                       "WindowsBar=2\r\n"
                       "LinksBar=yes\r\n"
                       "SearchsBar=0x1\r\n"
                       "ExplorerBarWidth=wide\r\n"
                       "ToolButtons= 0;1;-1 \r\n"
                       "[Browser]\r\nWindowState=1\r\n"
                       "[Links]\r\nHome=http://a/?x=1&y=2\r\nhome=second\r\n");
    TBrivoIni ini(file());
    EXPECT_EQ(ini.WindowState, TWindowState::wsMinimized) << "the low byte of 257";
    EXPECT_EQ(ini.Rect, (TRect{-4, -23, 790, 537}));
    EXPECT_TRUE(ini.WindowsBar);
    EXPECT_TRUE(ini.LinksBar) << "a word reads as the default";
    EXPECT_TRUE(ini.SearchsBar);
    EXPECT_EQ(ini.ExplorerBarWidth, 200);
    EXPECT_EQ(ini.ToolButtons, "0;1;-1");
    EXPECT_EQ(ini.BrowserWindowState, TWindowState::wsMinimized);
    EXPECT_EQ(ini.Links, QStringList({"Home=http://a/?x=1&y=2", "home=http://a/?x=1&y=2"}));
}

TEST(RectText, ParsesAndFallsBack)
{
    EXPECT_EQ(StrToRect("1, 2, 3, 4"), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(StrToRect("1,2,3,4,5"), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(StrToRect("-1,-2,-3,-4"), (TRect{-1, -2, -3, -4}));
    for (const char *bad : {"1,2,3", "1,2,x,4", "1,,3,4", "", "a"})
        EXPECT_EQ(StrToRect(QString::fromLatin1(bad)), (TRect{0, 0, 640, 480})) << bad;
    EXPECT_EQ(RectToStr(TRect{-4, -23, 790, 537}), "-4,-23,790,537");
}

TEST_F(BrivoIniTest, SettersWriteThroughAtOnce)
{
    TBrivoIni ini(file());
    ini.SetRect(TRect{10, 20, 810, 620});
    ini.SetWindowState(TWindowState::wsNormal);
    ini.SetStatusBar(false);
    ini.SetHiragana(true);
    ini.SetBrowserWindowState(TWindowState::wsNormal);
    ini.SetToolButtons("0;1");
    EXPECT_EQ(readBytes(file()), QByteArray("[Main]\n"
                                            "Rect=10,20,810,620\n"
                                            "WindowState=0\n"
                                            "StatusBar=0\n"
                                            "ToolButtons=0;1\n"
                                            "[Brivo]\n"
                                            "Hiragana=1\n"
                                            "[Browser]\n"
                                            "WindowState=0\n"));
    TBrivoIni again(file());
    EXPECT_EQ(again.Rect, (TRect{10, 20, 810, 620}));
    EXPECT_FALSE(again.StatusBar);
    EXPECT_TRUE(again.Hiragana);
}

TEST_F(BrivoIniTest, BookmarkFileComparesExactly)
{
    TBrivoIni ini(file());
    ini.SetBookmarkFile("/home/u/Bookmarks.html");
    const QByteArray before = readBytes(file());
    ini.SetBookmarkFile("/home/u/Bookmarks.html");
    EXPECT_EQ(readBytes(file()), before);
    // file names differ by case on this file system: a different file
    ini.SetBookmarkFile("/home/u/bookmarks.html");
    EXPECT_EQ(ini.BookmarkFile, "/home/u/bookmarks.html");
    EXPECT_TRUE(readBytes(file()).contains("BookmarkFile=/home/u/bookmarks.html"));
}

TEST_F(BrivoIniTest, SectionWritesKeepFirstOfEqualNamesAndSkipNameless)
{
    writeBytes(file(), "[Searchs]\nOld=x\n[MailBody]\nkeep=1\n");
    TBrivoIni ini(file());
    ini.SetSearchs({"Web=http://s/?q=%s", "noequals", "=nameless", "WEB=http://other/%s", "Two=2"});
    EXPECT_EQ(ini.Searchs.size(), 5) << "the field keeps the lines as given";
    EXPECT_EQ(readBytes(file()), QByteArray("[MailBody]\nkeep=1\n[Searchs]\nWeb=http://s/?q=%s\nTwo=2\n"));
}

TEST_F(BrivoIniTest, ResetToDefaultsTouchesOnlyItsThreeItems)
{
    writeBytes(file(), "[Main]\r\nWindowState=0\r\nToolButtons=0\r\n[MailBody]\r\nHello=1\r\n"
                       "[OpenedBrowsers]\r\n0,0,10,10,0=about:blank\r\n[Links]\r\nMine=http://mine/\r\n");
    TBrivoIni ini(file());
    ASSERT_TRUE(ini.ResetToDefaults());
    EXPECT_EQ(ini.ToolButtons, "0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;-1;17;20;21");
    EXPECT_EQ(ini.Searchs.size(), 12);
    EXPECT_EQ(ini.Links.size(), 8);
    EXPECT_TRUE(ini.Links.at(0).contains(QString::fromUtf8("メインページ")));
    TBrivoIni again(file());
    EXPECT_EQ(again.WindowState, TWindowState::wsNormal);
    EXPECT_EQ(again.MailBody, QStringList({"Hello=1"}));
    EXPECT_EQ(again.OpenedBrowsers.size(), 1);
    EXPECT_EQ(again.Searchs, ini.Searchs);
    EXPECT_EQ(again.Links, ini.Links);
    EXPECT_EQ(again.ToolButtons, ini.ToolButtons);
    for (const QString &s : again.Searchs)
        EXPECT_EQ(s.count(QStringLiteral("%s")), 1) << s.toStdString();
}

TEST_F(BrivoIniTest, DetectsLanguageFromLocaleWithHiraganaFlag)
{
    struct Case {
        const char *locale;
        bool hiragana;
        TLanguage expected;
    } cases[] = {
        {"ja_JP.UTF-8", false, TLanguage::JapaneseKanji},    {"ja_JP.UTF-8", true, TLanguage::JapaneseHiragana},
        {"zh_CN.UTF-8", true, TLanguage::SimplifiedChinese}, {"zh_TW.UTF-8", false, TLanguage::TraditionalChinese},
        {"es_ES.UTF-8", false, TLanguage::English},          {"pt_BR.UTF-8", false, TLanguage::English},
        {"pt_PT.UTF-8", false, TLanguage::Portuguese},       {"en_US.UTF-8", true, TLanguage::English},
        {"ko_KR.UTF-8", false, TLanguage::Korean},           {"de_DE.UTF-8", false, TLanguage::German},
    };
    for (const Case &c : cases) {
        QFile::remove(file());
        if (c.hiragana)
            writeBytes(file(), "[Brivo]\nHiragana=1\n");
        systemlocale::setOverride(QString::fromLatin1(c.locale));
        TBrivoIni ini(file());
        EXPECT_EQ(ini.DetectedLanguage, c.expected) << c.locale << " hiragana=" << c.hiragana;
        EXPECT_EQ(ini.Language, c.expected) << c.locale;
    }
}

TEST_F(BrivoIniTest, LanguagesWithoutTableFallBackToEnglish)
{
    systemlocale::setOverride(QStringLiteral("ja_JP.UTF-8"));
    TBrivoIni ini(file());
    EXPECT_EQ(BrowserText, QString::fromUtf8("ブラウザ"));
    EXPECT_EQ(ini.StartPage, "https://ja.wikipedia.org/");
    const TMemIni *before = ini.LanguageTable.get();
    ini.SetLanguage(TLanguage::JapaneseKanji);
    EXPECT_EQ(ini.LanguageTable.get(), before) << "the current language reloads nothing";
    ini.SetLanguage(TLanguage::Korean);
    EXPECT_EQ(ini.Language, TLanguage::Korean);
    ASSERT_NE(ini.LanguageTable, nullptr);
    EXPECT_EQ(ini.LanguageTable->ReadString("Font", "Name", ""), "MS Sans Serif");
    EXPECT_EQ(BrowserText, "Browser");
    EXPECT_FALSE(QFile::exists(file())) << "a language switch writes nothing";
}

// Answers every message box and keeps its text; the boxes come back when it goes.
struct TToldTexts {
    QStringList texts;
    dialogrunner::ScopedRunner runner{
        testsupport::answeringMessageBoxes([this](const QString &text, const QString &, unsigned) {
            texts << text;
            return int(messageboxes::IdOK);
        })};
};

TEST_F(BrivoIniTest, ANameTheFileCannotHoldIsStoredChangedAndLaterChangesAreKept)
{
    const TToldTexts told;
    {
        TBrivoIni ini(file());
        ini.SetLinks({"[PDF] Report=http://r/", "Plain=http://p/", ";Quiet=http://q/"});
        ASSERT_EQ(told.texts.size(), 1);
        EXPECT_TRUE(told.texts.first().contains("[PDF] Report")) << told.texts.first().toStdString();
        EXPECT_EQ(ini.Links, QStringList({"(PDF) Report=http://r/", "Plain=http://p/", "_Quiet=http://q/"}));
        // the lists written after it are not lost either
        ini.SetSearchs({"Web=http://s/?q=%s"});
        ini.SetMailBody({"Line1=hello"});
    }
    EXPECT_EQ(told.texts.size(), 1) << "nothing else to tell";
    const TBrivoIni again(file());
    EXPECT_EQ(again.Links, QStringList({"(PDF) Report=http://r/", "Plain=http://p/", "_Quiet=http://q/"}));
    EXPECT_EQ(again.Searchs, QStringList({"Web=http://s/?q=%s"}));
    EXPECT_EQ(again.MailBody, QStringList({"Line1=hello"}));
}

// One of the two programs that TwoProgramsOnOneFileKeepEachOthersChanges starts: it reads the settings,
// says so, waits for its turn and then changes every list as the commands and dialogs do, from the
// lists it read at its start.
TEST(BrivoIniProgram, ChangesEveryListWhenStartedAsAChild)
{
    const QString file = qEnvironmentVariable("BRIVO_SETTINGS_PROGRAM_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as a child of TwoProgramsOnOneFileKeepEachOthersChanges";
    const bool first = qEnvironmentVariable("BRIVO_SETTINGS_PROGRAM_NAME") == "A";
    const TToldTexts told;
    TBrivoIni ini(file);
    std::cout << "loaded" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    QStringList links = ini.Links;
    links.append(first ? "LinkA=http://a/" : "LinkB=http://b/");
    ini.SetLinks(links);
    ini.SetSearchs(first ? ini.Searchs + QStringList{"EngineA=http://a/?q=%s"} : QStringList());
    ini.SetMailBody(first ? QStringList{"Hello=0"} : ini.MailBody + QStringList{"Bye=1"});
    ini.SetToolButtons(first ? "0;1;-1;4" : "0;1;-1;3;4;7");
    ini.OpenedBrowsers.clear();
    ini.OpenedBrowsers.AddBrowser(first ? "http://a/" : "http://b/", 10, 10, 300, 200, TWindowState::wsNormal);
    EXPECT_TRUE(ini.SaveOpenedBrowsers());
    EXPECT_TRUE(told.texts.isEmpty()) << told.texts.join(u'\n').toStdString();
}

TEST_F(BrivoIniTest, TwoProgramsOnOneFileKeepEachOthersChanges)
{
    writeBytes(file(), "[Main]\nToolButtons=0;1;-1;3;4\n[Links]\nHome=http://home/\n[Searchs]\nWeb=http://web/?q=%s\n"
                       "[MailBody]\nHello=1\n[OpenedBrowsers]\n0,0,640,480,2,0=http://before/\n");
    QProcess programs[2];
    QByteArray said[2];
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVO_SETTINGS_PROGRAM_FILE"), file());
        env.insert(QStringLiteral("BRIVO_SETTINGS_PROGRAM_NAME"), i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        programs[i].setProcessEnvironment(env);
        programs[i].setProcessChannelMode(QProcess::MergedChannels);
        programs[i].start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--gtest_filter=BrivoIniProgram.*")});
    }
    // both have read the file before either changes it, as two programs that run side by side
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(testsupport::waitUntil(
            [&] {
                said[i] += programs[i].readAll();
                return said[i].contains("loaded\n");
            },
            30000))
            << "program " << i << " did not start: " << said[i].toStdString();
    }
    for (int i = 0; i < 2; ++i) {
        programs[i].write("go\n");
        ASSERT_TRUE(programs[i].waitForFinished(30000)) << "program " << i << " did not end";
        said[i] += programs[i].readAll();
        ASSERT_EQ(programs[i].exitCode(), 0) << said[i].toStdString();
    }
    const TBrivoIni after(file());
    EXPECT_EQ(after.Links, QStringList({"Home=http://home/", "LinkA=http://a/", "LinkB=http://b/"}));
    EXPECT_EQ(after.Searchs, QStringList({"EngineA=http://a/?q=%s"})) << "one added an engine, the other removed one";
    EXPECT_EQ(after.MailBody, QStringList({"Hello=0", "Bye=1"}));
    EXPECT_EQ(after.ToolButtons, "0;1;-1;4;7") << "one took a button away, the other added one";
    ASSERT_EQ(after.OpenedBrowsers.size(), 2) << after.OpenedBrowsers.join(u' ').toStdString();
    EXPECT_EQ(after.OpenedBrowsers.GetUrl(0), "http://a/");
    EXPECT_EQ(after.OpenedBrowsers.GetUrl(1), "http://b/");
}

TEST_F(BrivoIniTest, FailedWritesAreToldOnceWithTheFileAndTheReasonAndMemoryIsKept)
{
    const TToldTexts told;
    // a file where the settings folder should be: no write can succeed, whoever runs the test
    writeBytes(dir.path() + "/blocked", "not a folder");
    const QString path = dir.path() + "/blocked/brivo.ini";
    TBrivoIni ini(path);
    ini.SetStatusBar(false);
    ini.SetToolbar(false);
    ini.SetLinks({"A=http://a/"});
    EXPECT_FALSE(ini.SaveOpenedBrowsers());
    ASSERT_EQ(told.texts.size(), 1) << "told once, not at every write";
    EXPECT_TRUE(told.texts.first().contains(path)) << told.texts.first().toStdString();
    EXPECT_TRUE(told.texts.first().contains(": ")) << "with the system's reason";
    EXPECT_FALSE(ini.StatusBar);
    EXPECT_FALSE(ini.Toolbar);
    EXPECT_EQ(ini.Links, QStringList({"A=http://a/"}));
}

TEST_F(BrivoIniTest, EachFailedWriteIsToldWithItsOwnReason)
{
    const QString tooLarge = systemErrorText(EFBIG);
    TBrivoIni ini(file());
    ini.SetStatusBar(false);
    {
        const TToldTexts told;
        const testsupport::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        ini.SetLinks({"Long=http://l/" + QString(200, u'l')});
        ini.SetToolbar(false);
        ASSERT_EQ(told.texts.size(), 1);
        EXPECT_TRUE(told.texts.first().endsWith(": " + tooLarge + "\nThe changes are kept while the program runs."))
            << told.texts.first().toStdString();
    }
    EXPECT_EQ(ini.Links.size(), 1);
    EXPECT_FALSE(readBytes(file()).contains("Long="));
    {
        const TToldTexts told;
        ini.SetToolbar(false); // succeeds: the next failure is told again
        ASSERT_TRUE(QFile::remove(file()));
        ASSERT_TRUE(QDir().mkdir(file()));
        ini.SetAddressBar(false);
        ASSERT_EQ(told.texts.size(), 1);
        EXPECT_TRUE(told.texts.first().contains("directory", Qt::CaseInsensitive)) << told.texts.first().toStdString();
        EXPECT_FALSE(told.texts.first().contains(tooLarge)) << "the reason of an earlier failure";
    }
}

TEST_F(BrivoIniTest, AFolderAnotherProgramKeepsLockedFailsTheChangeAfterABoundedWait)
{
    TBrivoIni ini(file());
    ini.SetStatusBar(true);
    const auto wait = testsupport::restoringPrevious(ProfileIni::setLockWait, 100);
    // a descriptor of its own holds the lock as another program would; it lets go after ten seconds
    // at the latest, so a write that waits without bound ends and is seen to have succeeded
    const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread holder([&] {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return done; });
        ::close(fd);
    });
    QStringList texts;
    {
        const TToldTexts told;
        ini.SetStatusBar(false);
        texts = told.texts;
    }
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_all();
    holder.join();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts.first().contains("locked")) << texts.first().toStdString();
    EXPECT_FALSE(ini.StatusBar) << "the value stays in memory";
    EXPECT_TRUE(readBytes(file()).contains("StatusBar=1"));
    ini.SetStatusBar(false);
    EXPECT_TRUE(readBytes(file()).contains("StatusBar=0")) << "written once the lock is gone";
}

// Holds the lock of a folder as another program would, through a descriptor of its own; lets go when
// released, or after the given time at the latest, so a write that waits for it ends.
class HeldFolderLock {
public:
    HeldFolderLock(const QString &folder, std::chrono::milliseconds atMost)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0)
            return;
        m_holder = std::thread([this, atMost] {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, atMost, [this] { return m_done; });
            ::close(m_fd);
        });
    }
    ~HeldFolderLock() { release(); }
    bool held() const { return m_holder.joinable(); }
    void release()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
        if (m_holder.joinable())
            m_holder.join();
    }

private:
    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    std::thread m_holder;
};

// Runs work as one event the application object delivers, as a command, a dialog's Apply or a close runs.
void asOneEvent(const std::function<void()> &work)
{
    struct Receiver : QObject {
        std::function<void()> work;
        bool event(QEvent *e) override
        {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            work();
            return true;
        }
    } receiver;
    receiver.work = work;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &event);
}

TEST_F(BrivoIniTest, ALockedFolderCostsOneWaitPerActionAndIsToldOnce)
{
    TBrivoIni ini(file());
    ini.SetStatusBar(true);
    const QByteArray before = readBytes(file());
    const auto wait = testsupport::restoringPrevious(ProfileIni::setLockWait, 400);
    // held for three seconds: the first wait fails, and a close whose every write waited would outlast it
    HeldFolderLock other(dir.path(), std::chrono::seconds(3));
    ASSERT_TRUE(other.held());
    const TToldTexts told;
    asOneEvent([&] {
        // what a close writes
        ini.SetBrowserWindowState(TWindowState::wsNormal);
        ini.SetWindowsBar(false);
        ini.SetLinksBar(false);
        ini.SetSearchsBar(true);
        ini.SetAddressBar(false);
        ini.SetToolbar(false);
        ini.SetHiragana(true);
        ini.SetFullScreen(false);
        ini.SetWindowState(TWindowState::wsNormal);
        ini.SetRect(TRect{1, 2, 3, 4});
        ini.SetStatusBar(false);
        ini.SetExplorerBar(true);
        ini.SetExplorerBarWidth(300);
        ini.SetExplorerBarPage(2);
        ini.SetBookmarkFile(dir.path() + "/bookmarks.htm");
        ini.SetLinks({"A=http://a/"});
        EXPECT_FALSE(ini.SaveOpenedBrowsers());
    });
    EXPECT_EQ(told.texts.size(), 1) << told.texts.join(u'\n').toStdString();
    EXPECT_EQ(readBytes(file()), before) << "a write after the first failed wait waited for the lock to go";
    EXPECT_FALSE(ini.StatusBar) << "the values stay in memory";
    // a later action waits afresh, and writes once the other program is done
    other.release();
    asOneEvent([&] { ini.SetStatusBar(false); });
    EXPECT_TRUE(readBytes(file()).contains("StatusBar=0"));
}

TEST_F(BrivoIniTest, ListsThatWouldMakeTheFileTooLargeAreRefusedAndTheFileStaysReadable)
{
    TBrivoIni ini(file());
    ini.SetToolButtons("1,2,3");
    ini.SetSearchs({"Web=http://s/?q=%s"});
    ini.SetLinks({"Home=http://home/"});
    QStringList many;
    for (int i = 0; i < 2100; ++i)
        many << QStringLiteral("Link%1=http://l.example/%2").arg(i).arg(QString(2000, u'p'));
    {
        const TToldTexts told;
        ini.SetLinks(many);
        ASSERT_EQ(told.texts.size(), 1);
        EXPECT_TRUE(told.texts.first().contains("larger than")) << told.texts.first().toStdString();
    }
    EXPECT_EQ(ini.Links.size(), 2100) << "kept in memory";
    EXPECT_LE(QFileInfo(file()).size(), ProfileIni::MaxFileSize);
    {
        const TToldTexts told;
        ini.SetToolbar(false);
        EXPECT_TRUE(told.texts.isEmpty()) << "later writes go through";
    }
    const TBrivoIni again(file());
    EXPECT_EQ(again.Links, QStringList({"Home=http://home/"}));
    EXPECT_EQ(again.Searchs, QStringList({"Web=http://s/?q=%s"}));
    EXPECT_EQ(again.ToolButtons, "1,2,3");
    EXPECT_FALSE(again.Toolbar);
}

TEST_F(BrivoIniTest, ASettingsFileThatCannotBeReadIsToldAtStartAndLeftAsItIs)
{
    const QByteArray big = "[Links]\nA=http://a/\n" + QByteArray(ProfileIni::MaxFileSize, ';');
    writeBytes(file(), big);
    {
        const TToldTexts told;
        TBrivoIni ini(file());
        ASSERT_EQ(told.texts.size(), 1) << "told at start, before any write";
        EXPECT_TRUE(told.texts.first().contains(file()) && told.texts.first().contains("larger than"))
            << told.texts.first().toStdString();
        EXPECT_TRUE(ini.Links.isEmpty());
        ini.SetToolbar(false);
        ini.SetLinks({"B=http://b/"});
        EXPECT_EQ(told.texts.size(), 1) << "the writes that fail on it are not told again";
        EXPECT_EQ(ini.Links, QStringList({"B=http://b/"})) << "kept while the program runs";
    }
    EXPECT_EQ(readBytes(file()), big);
    // a pipe in its place is told the same, without waiting for a writer
    ASSERT_TRUE(QFile::remove(file()));
    const testsupport::WatchedFifo fifo(file());
    ASSERT_TRUE(fifo.made());
    const TToldTexts told;
    const TBrivoIni ini(file());
    ASSERT_EQ(told.texts.size(), 1);
    EXPECT_TRUE(told.texts.first().contains("pipe")) << told.texts.first().toStdString();
    EXPECT_FALSE(fifo.opened());
}

TEST_F(BrivoIniTest, ASavedWindowListThatCannotBeWrittenIsTold)
{
    const TToldTexts told;
    writeBytes(dir.path() + "/blocked", "not a folder");
    TBrivoIni ini(dir.path() + "/blocked/brivo.ini");
    ini.OpenedBrowsers.AddBrowser("http://a/", 0, 0, 100, 100, TWindowState::wsNormal);
    EXPECT_FALSE(ini.SaveOpenedBrowsers());
    ASSERT_EQ(told.texts.size(), 1);
    EXPECT_TRUE(told.texts.first().contains("blocked/brivo.ini"));
}

} // namespace
