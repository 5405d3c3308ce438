// The saved page-window list and its section of the settings file.
#include "settings/OpenedBrowserses.h"

#include "common/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

TEST(OpenedBrowsers, WindowsWithEqualRectanglesAreAllSaved)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/brivo.ini";
    writeBytes(file, "[Main]\nRect=0,0,1,1\n[OpenedBrowsers]\nold=1\n");
    TOpenedBrowsers list;
    list.AddBrowser("http://a/?x=1&y=2", -4, -23, 794, 560, TWindowState::wsMaximized);
    list.AddBrowser("http://b/", -4, -23, 794, 560, TWindowState::wsMaximized);
    list.AddBrowser("file:///tmp/c.html", 10, 10, 300, 200, TWindowState::wsNormal);
    ASSERT_TRUE(list.SaveToFile(file));
    EXPECT_EQ(readBytes(file), QByteArray("[Main]\nRect=0,0,1,1\n[OpenedBrowsers]\n"
                                          "-4,-23,790,537,2,0=http://a/?x=1&y=2\n"
                                          "-4,-23,790,537,2,1=http://b/\n"
                                          "10,10,310,210,0,2=file:///tmp/c.html\n"));
    TOpenedBrowsers loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.size(), 3);
    EXPECT_EQ(loaded.GetUrl(0), "http://a/?x=1&y=2");
    EXPECT_EQ(loaded.GetUrl(1), "http://b/");
    EXPECT_EQ(loaded.GetRect(0), (TRect{-4, -23, 790, 537}));
    EXPECT_EQ(loaded.GetWindowState(1), TWindowState::wsMaximized);
    EXPECT_EQ(loaded.GetWindowState(2), TWindowState::wsNormal);
}

TEST(OpenedBrowsers, ReadsOlderAndOddLines)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/brivo.ini";
    writeBytes(file, "[OpenedBrowsers]\r\n"
                     "-4,-23,790,537,2=http://old/?a=b=c\r\n"
                     "1,2,3,4=http://four/\r\n"
                     "garbage=http://still/\r\n"
                     "5,6,7,8,x=http://badstate/\r\n");
    TOpenedBrowsers list;
    list.LoadFromFile(file);
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.GetUrl(0), "http://old/?a=b=c");
    EXPECT_EQ(list.GetRect(0), (TRect{-4, -23, 790, 537}));
    EXPECT_EQ(list.GetWindowState(0), TWindowState::wsMaximized);
    EXPECT_EQ(list.GetRect(1), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(list.GetWindowState(1), TWindowState::wsNormal);
    EXPECT_EQ(list.GetRect(2), (TRect{0, 0, 640, 480}));
    EXPECT_EQ(list.GetUrl(2), "http://still/");
    EXPECT_EQ(list.GetWindowState(3), TWindowState::wsNormal);
}

TEST(OpenedBrowsers, EmptyListLeavesEmptySectionAndMissingFileReadsEmpty)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/brivo.ini";
    TOpenedBrowsers list;
    list.LoadFromFile(file);
    EXPECT_TRUE(list.isEmpty());
    writeBytes(file, "[OpenedBrowsers]\n1,1,2,2,0,0=http://x/\n");
    ASSERT_TRUE(list.SaveToFile(file));
    EXPECT_EQ(readBytes(file), QByteArray("[OpenedBrowsers]\n"));
    list.LoadFromFile(file);
    EXPECT_TRUE(list.isEmpty());
}

} // namespace
