// The settings-file layer against real files on disk, compared byte for byte where the format matters.
#include "platform/ProfileIni.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/AtomicFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ProfileIniTest : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("test.ini")) const { return dir.path() + u'/' + name; }
    QTemporaryDir dir;
};

TEST_F(ProfileIniTest, ReadsWithWindowsRules)
{
    writeBytes(path(), "; a comment\r\n"
                       "[Main]\r\n"
                       "  Key = padded value  \r\n"
                       "dup=first\r\n"
                       "DUP=second\r\n"
                       "quoted=\"in quotes\"\r\n"
                       "half=\"open only\r\n"
                       "hex=0x1F\r\n"
                       "dollar=$10\r\n"
                       "neg=-42\r\n"
                       "word=abc\r\n"
                       "two=2\r\n"
                       "path=C:\\dir\\file,with,commas\r\n"
                       "   [Indented]\r\n"
                       "k=indented header counts\r\n"
                       "[main]\r\n"
                       "dup=from second section\r\n");
    const ProfileIni ini(path());
    EXPECT_EQ(ini.readString("main", "key", "-"), "padded value");
    EXPECT_EQ(ini.readString("Main", "dup", "-"), "first");
    EXPECT_EQ(ini.readString("Main", "quoted", "-"), "in quotes");
    EXPECT_EQ(ini.readString("Main", "half", "-"), "\"open only");
    EXPECT_EQ(ini.readInteger("Main", "hex", 0), 31);
    EXPECT_EQ(ini.readInteger("Main", "dollar", 0), 16);
    EXPECT_EQ(ini.readInteger("Main", "neg", 0), -42);
    EXPECT_EQ(ini.readInteger("Main", "word", 7), 7);
    EXPECT_TRUE(ini.readBool("Main", "two", false));
    EXPECT_TRUE(ini.readBool("Main", "word", true));
    EXPECT_FALSE(ini.readBool("Main", "word", false));
    EXPECT_EQ(ini.readString("Main", "path", "-"), "C:\\dir\\file,with,commas");
    EXPECT_EQ(ini.readString("Indented", "k", "-"), "indented header counts");
    EXPECT_EQ(ini.readString("Main", "missing", "default"), "default");
    EXPECT_EQ(ini.readString("Missing", "key", "default"), "default");
    EXPECT_EQ(ini.readSection("Main"),
              QStringList({"Key", "dup", "DUP", "quoted", "half", "hex", "dollar", "neg", "word", "two", "path"}));
    // equal keys both listed, each with the first one's value
    EXPECT_EQ(ini.readSectionValues("Main").mid(1, 2), QStringList({"dup=first", "DUP=first"}));
    EXPECT_EQ(ini.readSections(), QStringList({"Main", "Indented", "main"}));
}

TEST_F(ProfileIniTest, MissingFileReadsDefaultsAndIsNotCreated)
{
    const ProfileIni ini(path());
    EXPECT_EQ(ini.readString("Main", "Key", "d"), "d");
    EXPECT_EQ(ini.readInteger("Main", "Key", 5), 5);
    EXPECT_TRUE(ini.readSectionValues("Main").isEmpty());
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ProfileIniTest, ValuesAreCutAt2047Characters)
{
    writeBytes(path(), "[S]\nlong=" + QByteArray(3000, 'x') + "\n");
    const ProfileIni ini(path());
    EXPECT_EQ(ini.readString("S", "long", "").size(), 2047);
}

TEST_F(ProfileIniTest, WholeValuesComeBackWhole)
{
    ProfileIni ini(path(), ProfileIni::ValueLength::Whole);
    const QString longValue = QString(5000, u'y') + QStringLiteral("end");
    ASSERT_TRUE(ini.writeString("S", "long", longValue));
    EXPECT_EQ(ini.readString("S", "long", ""), longValue);
    EXPECT_EQ(ini.readSectionValues("S"), QStringList({"long=" + longValue}));
}

TEST_F(ProfileIniTest, WritesInPlaceKeepingEverythingElse)
{
    const QByteArray original = "; settings\r\n"
                                "[Main]\r\n"
                                "A=1\r\n"
                                "; inner comment\r\n"
                                "Bee = 2\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Legacy=\x82\xa0\x82\xa2\r\n";
    writeBytes(path(), original);
    ProfileIni ini(path());
    ASSERT_TRUE(ini.writeString("MAIN", "bee", "two"));
    ASSERT_TRUE(ini.writeString("Main", "New", "3"));
    ASSERT_TRUE(ini.writeString("Fresh", "K", "v"));
    EXPECT_EQ(readBytes(path()), QByteArray("; settings\r\n"
                                            "[Main]\r\n"
                                            "A=1\r\n"
                                            "; inner comment\r\n"
                                            "Bee=two\r\n"
                                            "New=3\r\n"
                                            "\r\n"
                                            "[Other]\r\n"
                                            "Legacy=\x82\xa0\x82\xa2\r\n"
                                            "[Fresh]\r\n"
                                            "K=v\r\n"));
}

TEST_F(ProfileIniTest, NewFileUsesLineFeedsAndCreatesFolders)
{
    ProfileIni ini(path("sub/dir/new.ini"));
    ASSERT_TRUE(ini.writeString("Main", "Rect", "0,0,640,480"));
    ASSERT_TRUE(ini.writeInteger("Main", "WindowState", 2));
    ASSERT_TRUE(ini.writeBool("Brivo", "Hiragana", true));
    EXPECT_EQ(readBytes(path("sub/dir/new.ini")),
              QByteArray("[Main]\nRect=0,0,640,480\nWindowState=2\n[Brivo]\nHiragana=1\n"));
}

TEST_F(ProfileIniTest, EraseAndReplaceSections)
{
    writeBytes(path(), "[A]\nx=1\n[Links]\nold=1\n[B]\ny=2\n[links]\nold2=2\n");
    ProfileIni ini(path());
    ASSERT_TRUE(ini.replaceSection("Links", {{"One", "http://a/?q=1&b=2"}, {"two", "2"}, {"ONE", "dropped"}}));
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\nx=1\n[B]\ny=2\n[Links]\nOne=http://a/?q=1&b=2\ntwo=2\n"));
    ASSERT_TRUE(ini.eraseSection("b"));
    ASSERT_TRUE(ini.eraseSection("NotThere"));
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\nx=1\n[Links]\nOne=http://a/?q=1&b=2\ntwo=2\n"));
    ASSERT_TRUE(ini.deleteKey("Links", "ONE"));
    EXPECT_EQ(ini.readSection("Links"), QStringList({"two"}));
}

TEST_F(ProfileIniTest, RefusesWhatCannotBeStoredAndLeavesFileWhole)
{
    writeBytes(path(), "[Main]\nA=1\n");
    ProfileIni ini(path());
    EXPECT_FALSE(ini.writeString("Main", "B", "line\nbreak"));
    EXPECT_FALSE(ini.writeString("Main", "", "v"));
    EXPECT_FALSE(ini.writeString("Main", "a=b", "v"));
    EXPECT_FALSE(ini.writeString("Ma]in", "k", "v"));
    EXPECT_FALSE(ini.replaceSection("Main", {{"ok", "1"}, {"bad", "x\ry"}}));
    EXPECT_EQ(readBytes(path()), QByteArray("[Main]\nA=1\n"));
}

TEST_F(ProfileIniTest, FailedWriteKeepsPreviousFile)
{
    writeBytes(path(), "[Main]\nA=1\n");
    ProfileIni ini(path());
    // a file-size limit makes the write fail part-way, whoever runs the test
    bool written = true;
    {
        const testsupport::FileSizeLimit limit(64);
        ASSERT_TRUE(limit.active());
        written = ini.writeString("Main", "A", QString(500, u'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ini.readString("Main", "A", ""), "1");
    EXPECT_EQ(readBytes(path()), QByteArray("[Main]\nA=1\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"test.ini"})) << "no temporary file is left";
}

TEST_F(ProfileIniTest, AFileOverTheLimitIsRefusedAndNeverOverwritten)
{
    const QByteArray big = "[Main]\nA=1\n" + QByteArray(ProfileIni::MaxFileSize, '\n');
    writeBytes(path(), big);
    ProfileIni ini(path());
    EXPECT_EQ(ini.readString("Main", "A", "default"), "default");
    EXPECT_TRUE(ini.errorString().contains(QStringLiteral("larger than"))) << ini.errorString().toStdString();
    EXPECT_FALSE(ini.writeString("Main", "B", "2"));
    EXPECT_EQ(ini.readString("Main", "B", "none"), "none");
    EXPECT_EQ(readBytes(path()), big);
    // a smaller limit for a smaller kind of file; at the limit the file is read
    writeBytes(path(), "[S]\nk=v\n" + QByteArray(100, ';'));
    EXPECT_EQ(ProfileIni(path(), ProfileIni::ValueLength::Cut, 108).readString("S", "k", ""), "v");
    EXPECT_EQ(ProfileIni(path(), ProfileIni::ValueLength::Cut, 107).readString("S", "k", ""), "");
    EXPECT_TRUE(ProfileIni(path(), ProfileIni::ValueLength::Cut, 108).errorString().isEmpty());
}

TEST_F(ProfileIniTest, APipeADeviceOrAFileThatCannotBeReadIsRefusedWithoutWaitingAndNeverReplaced)
{
    const testsupport::WatchedFifo fifo(path("pipe.ini"));
    ASSERT_TRUE(fifo.made());
    {
        ProfileIni ini(path("pipe.ini"));
        EXPECT_EQ(ini.readString("Main", "A", "default"), "default");
        EXPECT_FALSE(fifo.opened()) << "the pipe was opened, so reading it waited for a writer";
        EXPECT_TRUE(ini.errorString().contains("pipe")) << ini.errorString().toStdString();
        EXPECT_FALSE(ini.writeString("Main", "A", "1"));
        EXPECT_FALSE(ini.changeSection("Links", [](const QStringList &) { return QStringList{"A=1"}; }));
    }
    const atomicfile::FileStamp after = atomicfile::stampOf(path("pipe.ini"));
    EXPECT_TRUE(after.exists && !after.regular) << "the pipe was replaced by a file";
    // only read: a device is never written to
    const ProfileIni device(QStringLiteral("/dev/zero"));
    EXPECT_EQ(device.readString("Main", "A", "default"), "default");
    EXPECT_TRUE(device.errorString().contains("device")) << device.errorString().toStdString();
    if (::geteuid() != 0) {
        // the owner's settings that cannot be read are not replaced by a file holding one key
        writeBytes(path(), "[Main]\nA=1\n");
        QFile::setPermissions(path(), QFileDevice::WriteOwner);
        ProfileIni ini(path());
        EXPECT_FALSE(ini.writeString("Main", "B", "2"));
        EXPECT_FALSE(ini.errorString().isEmpty());
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(readBytes(path()), QByteArray("[Main]\nA=1\n"));
    }
}

TEST_F(ProfileIniTest, AChangeOfASectionAppliesToTheFileAsItIsNow)
{
    writeBytes(path(), "[Links]\nA = \"1\"\nb=2\nB=dup\n[Main]\nX=1\n");
    ProfileIni ini(path());
    QStringList seen;
    QStringList written;
    ASSERT_TRUE(ini.changeSection(
        "links",
        [&](const QStringList &current) {
            seen = current;
            return QStringList{"A=1", "x", "C=3", "b=2", "c=again"};
        },
        &written));
    EXPECT_EQ(seen, QStringList({"A=1", "b=2"})) << "the first of two equal names, values as read";
    EXPECT_EQ(written, QStringList({"A=1", "C=3", "b=2"}));
    // an unchanged line keeps its bytes; the section goes to the end as a rewritten one does
    EXPECT_EQ(readBytes(path()), QByteArray("[Main]\nX=1\n[Links]\nA = \"1\"\nC=3\nb=2\n"));
    EXPECT_FALSE(ini.changeSection("Links", [](const QStringList &) { return QStringList{"[x=1"}; }));
    EXPECT_FALSE(ini.errorString().isEmpty());
    QString value;
    ASSERT_TRUE(ini.changeString(
        "Main", "X", [](const QString &current) { return current + "2"; }, &value));
    EXPECT_EQ(value, "12");
    EXPECT_EQ(ini.readString("Main", "X", ""), "12");
}

TEST_F(ProfileIniTest, AWriteThatWouldPassTheLimitIsRefusedAndTheFileStaysReadable)
{
    ProfileIni ini(path(), ProfileIni::ValueLength::Cut, 40);
    ASSERT_TRUE(ini.writeString("S", "k", "v")); // "[S]\nk=v\n": 8 bytes
    const QByteArray before = readBytes(path());
    EXPECT_FALSE(ini.writeString("S", "long", QString(40, u'x')));
    EXPECT_TRUE(ini.errorString().contains("larger than 40 bytes")) << ini.errorString().toStdString();
    EXPECT_EQ(readBytes(path()), before);
    EXPECT_FALSE(ini.replaceSection("T", {{"a", QString(20, u'a')}, {"b", QString(20, u'b')}}));
    EXPECT_EQ(readBytes(path()), before);
    // what is there reads back, and writes that fit still go through
    EXPECT_EQ(ini.readString("S", "long", "none"), "none");
    EXPECT_TRUE(ini.writeString("S", "k", QString(30, u'y')));
    EXPECT_EQ(ProfileIni(path(), ProfileIni::ValueLength::Cut, 40).readString("S", "k", ""), QString(30, u'y'));
}

TEST_F(ProfileIniTest, RunsOfEmptyLinesComeBackWhole)
{
    // held as one line each run, written back byte for byte; a new key goes before the trailing run
    const QByteArray bytes = "[A]\n\n\n\nx=1\n\n\n[B]\n" + QByteArray(300000, '\n') + "y=2\n\n\n";
    EXPECT_EQ(ProfileIni::roundTripForTest(bytes), bytes);
    writeBytes(path(), "[A]\nx=1\n\n\n[B]\ny=2\n");
    ProfileIni ini(path());
    ASSERT_TRUE(ini.writeString("A", "z", "3"));
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\nx=1\nz=3\n\n\n[B]\ny=2\n"));
}

TEST_F(ProfileIniTest, SeesChangesMadeByAnotherWriter)
{
    writeBytes(path(), "[Main]\nA=1\n");
    ProfileIni first(path());
    EXPECT_EQ(first.readString("Main", "A", ""), "1");
    ProfileIni second(path());
    ASSERT_TRUE(second.writeString("Main", "A", "2"));
    EXPECT_EQ(first.readString("Main", "A", ""), "2");
    // and the first one's write keeps the second one's change
    ASSERT_TRUE(first.writeString("Main", "B", "3"));
    EXPECT_EQ(readBytes(path()), QByteArray("[Main]\nA=2\nB=3\n"));
}

// The writer that TwoProgramsWritingAtOnceLoseNoKey starts twice as a program of its own.
TEST(ProfileIniWriter, WritesItsKeysWhenStartedAsAChild)
{
    const QString file = qEnvironmentVariable("BRIVO_INI_WRITER_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as a child of TwoProgramsWritingAtOnceLoseNoKey";
    const QString prefix = qEnvironmentVariable("BRIVO_INI_WRITER_PREFIX");
    ProfileIni ini(file);
    for (int i = 0; i < 500; ++i)
        ASSERT_TRUE(ini.writeString("Keys", prefix + QString::number(i), QString::number(i)));
}

TEST_F(ProfileIniTest, TwoProgramsWritingAtOnceLoseNoKey)
{
    QProcess writers[2];
    const char *prefixes[2] = {"a", "b"};
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVO_INI_WRITER_FILE"), path());
        env.insert(QStringLiteral("BRIVO_INI_WRITER_PREFIX"), QString::fromLatin1(prefixes[i]));
        writers[i].setProcessEnvironment(env);
        writers[i].setProcessChannelMode(QProcess::MergedChannels);
        writers[i].start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--gtest_filter=ProfileIniWriter.*")});
    }
    for (QProcess &w : writers) {
        ASSERT_TRUE(w.waitForFinished(300000)) << "a writer did not finish";
        ASSERT_EQ(w.exitStatus(), QProcess::NormalExit) << w.readAll().toStdString();
        ASSERT_EQ(w.exitCode(), 0) << w.readAll().toStdString();
    }
    const ProfileIni ini(path());
    EXPECT_EQ(ini.readSection("Keys").size(), 1000);
    for (const char *prefix : prefixes)
        for (int i = 0; i < 500; ++i)
            ASSERT_EQ(ini.readString("Keys", prefix + QString::number(i), "lost").toStdString(), std::to_string(i))
                << "key " << prefix << i;
}

TEST_F(ProfileIniTest, ParsingKeepsBytesAndReadsUtf8)
{
    const QByteArray bytes = "\xEF\xBB\xBF[Main]\r\nName=\xE6\x97\xA5\xE6\x9C\xAC\r\nbad=\xFF\xFE\rlone=cr\n";
    EXPECT_EQ(ProfileIni::roundTripForTest(QByteArray("[A]\r\nx=1\r\n; c\r\n\r\n")),
              QByteArray("[A]\r\nx=1\r\n; c\r\n\r\n"));
    const QStringList parsed = ProfileIni::parseSectionsForTest(bytes);
    ASSERT_GE(parsed.size(), 4);
    EXPECT_EQ(parsed.at(0), "Main");
    EXPECT_EQ(parsed.at(1), QString::fromUtf8("Name=\xE6\x97\xA5\xE6\x9C\xAC"));
    EXPECT_EQ(parsed.at(3), "lone=cr");
}

TEST_F(ProfileIniTest, AZeroWidthNoBreakSpaceStartingAKeyOrValueIsKeptButTheFilesOwnMarkIsNot)
{
    writeBytes(path(), "\xEF\xBB\xBF[Main]\nFirst=1\n[Links]\nPlain=http://p/\n");
    const QString mark(QChar(0xFEFF));
    {
        ProfileIni ini(path());
        EXPECT_EQ(ini.readString("Main", "First", ""), "1");
        ini.replaceSection("Links", {{"Plain", "http://p/"}, {mark + "Plain", mark + "http://bom/"}});
    }
    // the second line is its own name, not the first one's twin
    EXPECT_EQ(ProfileIni(path()).readSectionValues("Links"),
              QStringList({"Plain=http://p/", mark + "Plain=" + mark + "http://bom/"}));
}

} // namespace
