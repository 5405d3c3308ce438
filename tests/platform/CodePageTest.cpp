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

TEST(CodePage, AnsiLengthCountsWideCharactersTwice)
{
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("abc")), 3);
    EXPECT_EQ(codepage::ansiLength(QString::fromUtf8("日本語a")), 7);
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("日本語"), 5), QString::fromUtf8("日本"));
    EXPECT_EQ(codepage::ansiLeft(QString::fromUtf8("a\U0001F600b"), 2), QString::fromUtf8("a"));
}
