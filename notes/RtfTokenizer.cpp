#include "notes/RtfTokenizer.h"

#include <algorithm>
#include <limits>

namespace rtf {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Tokenizer::Tokenizer(QByteArrayView input)
    : m_input(input)
{}

Token Tokenizer::Next()
{
    Token t;
    const qsizetype n = m_input.size();
    // line ends carry no meaning outside control words
    while (m_pos < n && (m_input[m_pos] == '\r' || m_input[m_pos] == '\n'))
        ++m_pos;
    t.Offset = m_pos;
    if (m_pos >= n)
        return t;
    const char c = m_input[m_pos];
    if (c == '{') {
        ++m_pos;
        t.Type = TokenType::GroupStart;
        return t;
    }
    if (c == '}') {
        ++m_pos;
        t.Type = TokenType::GroupEnd;
        return t;
    }
    if (c == '\\') {
        if (m_pos + 1 >= n) {
            ++m_pos; // a lone backslash at the end means nothing
            t.Type = TokenType::End;
            return t;
        }
        const char s = m_input[m_pos + 1];
        if (isLetter(s))
            return controlWord(m_pos);
        if (s == '\'') {
            m_pos += 2;
            int value = 0, digits = 0;
            while (digits < 2 && m_pos < n && HexValue(m_input[m_pos]) >= 0) {
                value = value * 16 + HexValue(m_input[m_pos]);
                ++m_pos;
                ++digits;
            }
            if (digits == 0) { // "\'" without hex digits: nothing
                t.Type = TokenType::ControlSymbol;
                t.Symbol = '\'';
                return t;
            }
            t.Type = TokenType::HexByte;
            t.Byte = quint8(value);
            return t;
        }
        m_pos += 2;
        t.Type = TokenType::ControlSymbol;
        t.Symbol = (s == '\r' || s == '\n') ? '\n' : s;
        if (s == '\r' && m_pos < n && m_input[m_pos] == '\n')
            ++m_pos;
        return t;
    }
    // a run of text up to the next brace, backslash or line end
    const qsizetype start = m_pos;
    while (m_pos < n) {
        const char d = m_input[m_pos];
        if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n')
            break;
        ++m_pos;
    }
    t.Type = TokenType::Text;
    t.Data = m_input.sliced(start, m_pos - start);
    return t;
}

Token Tokenizer::controlWord(qsizetype start)
{
    Token t;
    t.Offset = start;
    t.Type = TokenType::ControlWord;
    const qsizetype n = m_input.size();
    qsizetype p = start + 1;
    while (p < n && isLetter(m_input[p]))
        ++p;
    // an over-long word keeps its first letters: it is no word the reader knows
    t.Word = m_input.sliced(start + 1, std::min<qsizetype>(p - start - 1, MaxWordLength));
    bool negative = false;
    if (p < n && m_input[p] == '-' && p + 1 < n && isDigit(m_input[p + 1])) {
        negative = true;
        ++p;
    }
    if (p < n && isDigit(m_input[p])) {
        qint64 value = 0;
        int digits = 0;
        while (p < n && isDigit(m_input[p])) {
            if (digits < MaxParamDigits + 1)
                value = value * 10 + (m_input[p] - '0');
            ++digits;
            ++p;
        }
        if (negative)
            value = -value;
        constexpr qint64 lo = std::numeric_limits<int>::min();
        constexpr qint64 hi = std::numeric_limits<int>::max();
        t.HasParam = true;
        t.Param = int(std::clamp(value, lo, hi));
    }
    if (p < n && m_input[p] == ' ')
        ++p; // the delimiting space belongs to the word
    m_pos = p;
    if (t.Word == "bin") {
        // raw bytes follow; their count is never taken past the input
        const qsizetype count = t.HasParam && t.Param > 0 ? std::min<qsizetype>(t.Param, n - m_pos) : 0;
        t.Type = TokenType::Binary;
        t.Data = m_input.sliced(m_pos, count);
        m_pos += count;
    }
    return t;
}

qsizetype Tokenizer::SkipGroup()
{
    int depth = 1;
    for (;;) {
        const Token t = Next();
        switch (t.Type) {
        case TokenType::End:
            return m_pos;
        case TokenType::GroupStart:
            ++depth;
            break;
        case TokenType::GroupEnd:
            if (--depth == 0)
                return m_pos;
            break;
        default:
            break;
        }
    }
}

} // namespace rtf
