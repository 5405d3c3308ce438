// Desktop entries: finding an application's entry, its command line, and splitting command lines.
#include "platform/DesktopEntries.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"

#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

using testsupport::writeBytes;

namespace {

TEST(DesktopEntries, CommandLinesSplitByQuotesAndBlanks)
{
    using desktopentries::splitCommand;
    EXPECT_EQ(splitCommand("/usr/bin/thunderbird %u"), QStringList({"/usr/bin/thunderbird", "%u"}));
    EXPECT_EQ(splitCommand("  \"/opt/My Mail/mail\"  -compose   \"to=a\\\"b\" %U "),
              QStringList({"/opt/My Mail/mail", "-compose", "to=a\"b", "%U"}));
    EXPECT_EQ(splitCommand("sh -c 'echo $(id); rm x'"), QStringList({"sh", "-c", "'echo", "$(id);", "rm", "x'"}));
    EXPECT_EQ(splitCommand("prog \"\" tail\\ end"), QStringList({"prog", "", "tail end"}));
    EXPECT_TRUE(splitCommand("   ").isEmpty());
}

TEST(DesktopEntries, FieldCodesGoAndArgumentsMadeOnlyOfThemWithThem)
{
    using desktopentries::removeFieldCodes;
    EXPECT_EQ(removeFieldCodes({"mail", "%u", "--x=%f", "100%%", "%i", "plain"}),
              QStringList({"mail", "--x=", "100%", "plain"}));
    EXPECT_EQ(removeFieldCodes({"", "%"}), QStringList({"", "%"}));
}

TEST(DesktopEntries, TheEntryIsFoundInTheUsersApplicationsAndItsExecRead)
{
    const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    writeBytes(apps + "/mailer.desktop", "[Desktop Action New]\nExec=wrong\n\n[Desktop Entry]\nName=Mailer\n"
                                         "# Exec=commented\nExec=/opt/mail\\sbox/mailer -c %u\nType=Application\n");
    const QString path = desktopentries::find("mailer");
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(desktopentries::find("mailer.desktop"), path);
    EXPECT_EQ(desktopentries::execLine(path), u"/opt/mail box/mailer -c %u");
    EXPECT_TRUE(desktopentries::find("../applications/mailer").isEmpty());
    EXPECT_TRUE(desktopentries::find("absent").isEmpty());
    EXPECT_TRUE(desktopentries::execLine(apps + "/absent.desktop").isEmpty());
    writeBytes(apps + "/huge.desktop", "[Desktop Entry]\nExec=x\n" + QByteArray(300 * 1024, '#'));
    EXPECT_TRUE(desktopentries::execLine(apps + "/huge.desktop").isEmpty());
}

TEST(DesktopEntries, TheDesktopsDefaultApplicationForAKindOfLinkAndItsName)
{
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed";
    const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    const QString defaults = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/mimeapps.list";
    writeBytes(apps + "/brivo-opener.desktop",
               "[Desktop Entry]\nType=Application\nName[de]=Öffner\nName=Brivo\\sOpener\nExec=true %u\n");
    writeBytes(defaults, "[Default Applications]\nx-scheme-handler/brivotest=brivo-opener.desktop\n");
    const testsupport::SeamGuard cleanup([&] {
        QFile::remove(defaults);
        QFile::remove(apps + "/brivo-opener.desktop");
    });
    EXPECT_EQ(desktopentries::defaultApplication("x-scheme-handler/brivotest"), "brivo-opener.desktop");
    EXPECT_TRUE(desktopentries::defaultApplication("x-scheme-handler/brivo-nothing").isEmpty());
    EXPECT_EQ(desktopentries::name(desktopentries::find("brivo-opener")), "Brivo Opener");
    EXPECT_TRUE(desktopentries::name(apps + "/absent.desktop").isEmpty());
}

} // namespace
