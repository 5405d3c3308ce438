// The legacy code pages: converters, charset numbers and ANSI lengths.
#include "platform/CodePage.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

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

TEST(CodePage, TheMacCodePagesOfAMacEditor)
{
    for (int cp : {10000, 10001, 10002, 10003, 10006, 10007, 10008, 10029, 10079, 10081})
        EXPECT_TRUE(codepage::isSupported(cp)) << cp;
    bool ok = false;
    EXPECT_EQ(codepage::decode("\x93\xfa\x96\x7b", 10001, &ok), QString::fromUtf8("日本"));
    EXPECT_TRUE(ok);
    // Mac Icelandic is Mac Roman with letters of its own in six places
    EXPECT_EQ(codepage::decode("\x8e\xa0\xdc\xdd\xde\xdf\xe0", 10079), QString::fromUtf8("éÝÐðÞþý"));
    EXPECT_EQ(codepage::decode("\xa0\xe0", 10000), QString::fromUtf8("†‡"));
    // the Mac character sets of a font table
    EXPECT_EQ(codepage::fromCharset(77), 10000);
    EXPECT_EQ(codepage::fromCharset(78), 10001);
    EXPECT_EQ(codepage::fromCharset(89), 10007);
    EXPECT_EQ(codepage::fromCharset(256), 0);
}

TEST(CodePage, AnsiLengthCountsWideCharactersTwice)
{
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("abc")), 3);
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("日本語a")), 7);
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("日本語"), 5), QString::fromUtf8("日本"));
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("a\U0001F600b"), 2), QString::fromUtf8("a"));
}
