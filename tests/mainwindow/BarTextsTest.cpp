// Tool-bar layouts and search URLs.
#include "mainwindow/BarTexts.h"

#include <gtest/gtest.h>

using namespace bartexts;

TEST(ToolButtonLayout, ParsesAsTheSettingsFileHoldsIt)
{
    EXPECT_EQ(parseToolButtons(""), QList<int>({0}));
    EXPECT_EQ(parseToolButtons("   "), QList<int>({0}));
    EXPECT_EQ(parseToolButtons(" 0; 1 ;-1;  3 "), QList<int>({0, 1, -1, 3}));
    EXPECT_EQ(parseToolButtons("0;1;-1;3;4;5;6;7;-1;9;10;11;-1;13;-1;15;-1;17;20;21").size(), 20);
    EXPECT_EQ(parseToolButtons("0\r\n1;;2"), QList<int>({0, 1, 2}));
    EXPECT_EQ(parseToolButtons("0;x;2;0x3"), QList<int>({0, 2, 3})) << "a word is left out";
    EXPECT_EQ(parseToolButtons("23;-2;22"), QList<int>({23, -2, 22})) << "the bar decides what such numbers make";
}

TEST(SearchUrl, EncodesTheKeywordByteByByte)
{
    EXPECT_EQ(encodeKeyword("two words"), "two+words");
    EXPECT_EQ(encodeKeyword("a@b*c.d_e-f$g!h'i(j)k"), "a@b*c.d_e-f$g!h'i(j)k");
    EXPECT_EQ(encodeKeyword("a&b=c/d?e#f%g+h~"), "a%26b%3Dc%2Fd%3Fe%23f%25g%2Bh%7E");
    EXPECT_EQ(encodeKeyword(QString::fromUtf8("日本")), "%E6%97%A5%E6%9C%AC");
    EXPECT_EQ(encodeKeyword(""), "");
}

TEST(SearchUrl, FillsTheTemplateOnce)
{
    EXPECT_EQ(fillSearchTemplate("https://s.example/?q=%s&n=10", "a+b"), "https://s.example/?q=a+b&n=10");
    EXPECT_EQ(fillSearchTemplate("https://s.example/%s/100%%", "x"), "https://s.example/x/100%");
    EXPECT_EQ(fillSearchTemplate("https://s.example/?q=%s&r=%s", "x"), "https://s.example/?q=x&r=%s");
    EXPECT_EQ(fillSearchTemplate("https://s.example/", "x"), "https://s.example/");
    EXPECT_EQ(fillSearchTemplate("https://s.example/?q=%d%s", "x"), "https://s.example/?q=%dx");
    // the keyword itself is never read as a template
    EXPECT_EQ(fillSearchTemplate("%s", "%s%%"), "%s%%");
}
