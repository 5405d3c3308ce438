// The RTF tokenizer's edge cases: parameters ended by letters, the one delimiting space, clamped
// numbers, over-long words, hex escapes, \bin data that holds braces and backslashes, line ends.
#include "notes/RtfTokenizer.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace rtf;

namespace {

std::vector<Token> tokens(QByteArrayView input)
{
    Tokenizer t(input);
    std::vector<Token> out;
    for (;;) {
        const Token tok = t.Next();
        if (tok.Type == TokenType::End)
            break;
        out.push_back(tok);
        if (out.size() > 10000)
            break;
    }
    return out;
}

TEST(RtfTokenizer, ParameterEndsAtALetterAndOneSpaceIsTheDelimiter)
{
    const auto t = tokens("{\\rtf1foobar\\b  x\\li-20\\'dc}");
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0].Type, TokenType::GroupStart);
    EXPECT_TRUE(t[1].is("rtf"));
    EXPECT_TRUE(t[1].HasParam);
    EXPECT_EQ(t[1].Param, 1);
    EXPECT_EQ(t[2].Type, TokenType::Text);
    EXPECT_EQ(t[2].Data, "foobar");
    EXPECT_TRUE(t[3].is("b"));
    EXPECT_FALSE(t[3].HasParam);
    EXPECT_EQ(t[4].Data, " x"); // only the first space belongs to the word
    EXPECT_TRUE(t[5].is("li"));
    EXPECT_EQ(t[5].Param, -20);
    EXPECT_EQ(t[6].Type, TokenType::HexByte); // no space eaten after a parameter that a \' ends
    EXPECT_EQ(t[6].Byte, 0xDC);
    EXPECT_EQ(t[7].Type, TokenType::GroupEnd);
}

TEST(RtfTokenizer, NumbersAreClampedAndWordsCut)
{
    const QByteArray longWord = "\\" + QByteArray(100, 'a') + "5 ";
    const QByteArray input = "\\li99999999999999999999\\fi-99999999999999" + longWord + "\\- \\x-y";
    const auto t = tokens(input); // the tokens are views into the input
    ASSERT_GE(t.size(), 5u);
    EXPECT_EQ(t[0].Param, std::numeric_limits<int>::max());
    EXPECT_EQ(t[1].Param, std::numeric_limits<int>::min());
    EXPECT_EQ(t[2].Word.size(), Tokenizer::MaxWordLength);
    EXPECT_EQ(t[2].Param, 5);
    EXPECT_EQ(t[3].Type, TokenType::ControlSymbol);
    EXPECT_EQ(t[3].Symbol, '-');
    EXPECT_EQ(t[4].Data, " "); // a control symbol takes no delimiter
    EXPECT_TRUE(t[5].is("x"));
    EXPECT_FALSE(t[5].HasParam); // "-" without a digit is no parameter
    EXPECT_EQ(t[6].Data, "-y");
}

TEST(RtfTokenizer, HexEscapesWithMissingDigits)
{
    const auto t = tokens("\\'4g\\'\\'zz\\'0A");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].Type, TokenType::HexByte);
    EXPECT_EQ(t[0].Byte, 0x4);
    EXPECT_EQ(t[1].Data, "g");
    EXPECT_EQ(t[2].Type, TokenType::ControlSymbol);
    EXPECT_EQ(t[3].Type, TokenType::ControlSymbol);
    EXPECT_EQ(t[4].Data, "zz");
    EXPECT_EQ(t[5].Byte, 0x0A);
}

TEST(RtfTokenizer, BinaryDataIsTakenByCountAndNeverPastTheEnd)
{
    const QByteArray bytes("{\\bin6 a}\\{\x01z}tail{\\bin100 abc");
    const auto t = tokens(bytes);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[1].Type, TokenType::Binary);
    EXPECT_EQ(t[1].Data, QByteArrayView("a}\\{\x01z"));
    EXPECT_EQ(t[2].Type, TokenType::GroupEnd);
    EXPECT_EQ(t[3].Data, "tail");
    EXPECT_EQ(t[5].Type, TokenType::Binary);
    EXPECT_EQ(t[5].Data, "abc");
    // a negative or missing count is no data
    const auto n = tokens("\\bin-5 x\\bin y");
    ASSERT_EQ(n.size(), 4u);
    EXPECT_TRUE(n[0].Data.isEmpty());
    EXPECT_EQ(n[1].Data, "x");
    EXPECT_TRUE(n[2].Data.isEmpty());
}

TEST(RtfTokenizer, LineEndsAreNoTextButABackslashBeforeOneIsAParagraph)
{
    const auto t = tokens("ab\r\ncd\\\r\nef\\\n\\");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].Data, "ab");
    EXPECT_EQ(t[1].Data, "cd");
    EXPECT_EQ(t[2].Symbol, '\n');
    EXPECT_EQ(t[3].Data, "ef");
    EXPECT_EQ(t[4].Symbol, '\n'); // the lone backslash at the end is nothing
}

TEST(RtfTokenizer, SkipGroupStepsOverNestedGroupsAndBinaryBraces)
{
    const QByteArray bytes("{\\*\\x {a}{\\bin2 }}b}}rest");
    Tokenizer t(bytes);
    EXPECT_EQ(t.Next().Type, TokenType::GroupStart);
    const qsizetype end = t.SkipGroup();
    EXPECT_EQ(bytes.mid(end), QByteArray("rest"));
    const QByteArray unclosed("{{{a");
    Tokenizer u(unclosed);
    u.Next();
    EXPECT_EQ(u.SkipGroup(), unclosed.size());
}

} // namespace
