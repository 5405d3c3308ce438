// Trimming, ASCII-only comparison, the old library's integer parsing and name=value lines.
#include "platform/TextRules.h"

#include "common/TestSupport.h"

#include <QTextDocument>
#include <gtest/gtest.h>
#include <limits>

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

namespace {

// The text a tool tip shows: markup when Qt reads the tip as rich text, the tip itself otherwise.
QString shownByToolTip(const QString &tip)
{
    QTextDocument d;
    if (Qt::mightBeRichText(tip))
        d.setHtml(tip);
    else
        d.setPlainText(tip);
    return d.toPlainText();
}

} // namespace

TEST(TextRules, PlainToolTipShowsMarkupAsItStands)
{
    for (const QString &text :
         {QStringLiteral("<img src=\"file:///etc/x.png\">Title"), QStringLiteral("<b>bold</b> & <i>more</i>"),
          QStringLiteral("<a href=\"http://x/\">link</a>"), QStringLiteral("a < b > c"),
          QStringLiteral("http://x/?a=<script>")})
        EXPECT_EQ(shownByToolTip(plainToolTip(text)), text) << text.toStdString();
    // text a tool tip shows as it stands is left alone
    EXPECT_EQ(plainToolTip(QStringLiteral("http://one/")), QStringLiteral("http://one/"));
    EXPECT_EQ(plainToolTip(QString()), QString());
}
