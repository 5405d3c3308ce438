#include "platform/CommaText.h"

#include <gtest/gtest.h>
#include <random>

using commatext::read;
using commatext::write;

namespace {

QStringList L(std::initializer_list<const char16_t *> items)
{
    QStringList out;
    for (const char16_t *s : items)
        out << QString::fromUtf16(s);
    return out;
}

} // namespace

TEST(CommaText, WritesPlainTextsJoinedAndQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(write(L({u"Beta", u"Gamma"})), "Beta,Gamma");
    EXPECT_EQ(write(L({u"My Engine", u"x"})), "\"My Engine\",x");
    EXPECT_EQ(write(L({u"say \"hi\""})), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(write(L({u"a,b"})), "\"a,b\"");
    EXPECT_EQ(write(L({u"tab\there"})), "\"tab\there\"");
    // Non-ASCII blanks are ordinary characters to these rules.
    EXPECT_EQ(write(L({u"a\u3000b", u"c\u00a0d"})), QString::fromUtf16(u"a\u3000b,c\u00a0d"));
    EXPECT_EQ(write(L({u"検索", u"エンジン"})), QString::fromUtf16(u"検索,エンジン"));
}

TEST(CommaText, EmptyTextsAndLists)
{
    EXPECT_EQ(write({}), "");
    EXPECT_EQ(write(L({u""})), "\"\"");
    EXPECT_EQ(write(L({u"", u""})), ",");
    EXPECT_EQ(write(L({u"a", u""})), "a,");
    EXPECT_EQ(write(L({u"", u"a"})), ",a");

    EXPECT_EQ(read(""), QStringList());
    EXPECT_EQ(read("   "), QStringList());
    EXPECT_EQ(read("\"\""), L({u""}));
    EXPECT_EQ(read(","), L({u"", u""}));
    EXPECT_EQ(read("a,"), L({u"a", u""}));
    EXPECT_EQ(read(",a"), L({u"", u"a"}));
    EXPECT_EQ(read("a,,b"), L({u"a", u"", u"b"}));
    // Only a comma that is the very last character adds an empty item.
    EXPECT_EQ(read("a, "), L({u"a"}));
}

TEST(CommaText, ReadsSplittingAtBlanksAndCommasOutsideQuotes)
{
    EXPECT_EQ(read("gamma, alpha"), L({u"gamma", u"alpha"}));
    EXPECT_EQ(read("My Engine"), L({u"My", u"Engine"}));
    EXPECT_EQ(read("  a  ,  b  "), L({u"a", u"b"}));
    EXPECT_EQ(read("a\tb\r\nc"), L({u"a", u"b", u"c"}));
    EXPECT_EQ(read("\"My Engine\",x"), L({u"My Engine", u"x"}));
    EXPECT_EQ(read("\"say \"\"hi\"\"\""), L({u"say \"hi\""}));
    // A quoted string followed directly by text gives two items.
    EXPECT_EQ(read("\"a\"b"), L({u"a", u"b"}));
    // A quote inside a plain run is an ordinary character.
    EXPECT_EQ(read("a\"b"), L({u"a\"b"}));
    // An unclosed quote runs to the end.
    EXPECT_EQ(read("\"open, still"), L({u"open, still"}));
    // U+3000 and U+00A0 are not blanks here.
    EXPECT_EQ(read(QString::fromUtf16(u"a\u3000b c")), L({u"a\u3000b", u"c"}));
}

TEST(CommaText, NulNeitherLoopsNorLosesTheRest)
{
    const QString withNul = QString("a") + QChar(0) + QString("b");
    EXPECT_EQ(read(withNul), L({u"a", u"b"}));
    const QStringList texts{withNul, "c"};
    EXPECT_EQ(read(write(texts)), texts);
}

TEST(CommaText, RoundTripOfRandomLists)
{
    // Characters chosen to hit every rule: blanks, controls, quotes, commas, non-ASCII blanks,
    // a CJK character and a surrogate pair.
    const QString alphabet =
        QString::fromUtf16(u" \t\"\",,ab\u3000\u00a0検") + QChar(0) + QChar(1) + QString::fromUtf16(u"\U0001F600");
    std::mt19937 rng(20261206);
    for (int round = 0; round < 3000; ++round) {
        QStringList texts;
        const int count = int(rng() % 5);
        for (int k = 0; k < count; ++k) {
            QString t;
            const int len = int(rng() % 6);
            for (int c = 0; c < len; ++c)
                t += alphabet.at(qsizetype(rng() % alphabet.size()));
            texts << t;
        }
        // A lone surrogate half may be drawn; it is still just a character to these rules.
        ASSERT_EQ(read(write(texts)), texts) << write(texts).toStdString();
    }
}
