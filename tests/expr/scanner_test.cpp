// The token stream: kinds and texts, the sticky end and error tokens, push-back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/expression.h"

namespace {

struct Token {
    int kind;
    std::string text;
    bool operator==(const Token&) const = default;
};

void PrintTo(const Token& t, std::ostream* os) { *os << "{" << t.kind << ", \"" << t.text << "\"}"; }

// Every token of text up to and including the first end or error.
std::vector<Token> tokens(const char* text)
{
    std::vector<Token> out;
    startScan(text);
    exprError = 0;
    for (int guard = 0; guard < 100; ++guard) {
        char buffer[kTokenBuffer];
        int kind = nextToken(buffer);
        out.push_back({kind, buffer});
        if (kind == TOKEN_END || kind == TOKEN_ERROR)
            break;
    }
    return out;
}

struct ScanCase {
    const char* text;
    std::vector<Token> expected;
    int error;
};

const Token kEnd{TOKEN_END, ""};
const Token kError{TOKEN_ERROR, ""};

TEST(Scanner, TokenKindsAndTexts)
{
    const ScanCase cases[] = {
        {"", {kEnd}, 0},
        {" \t ", {kEnd}, 0},
        {"()*/+-", {{TOKEN_OPEN, "("}, {TOKEN_CLOSE, ")"}, {TOKEN_MULTIPLY, "*"}, {TOKEN_DIVIDE, "/"},
                    {TOKEN_ADD, "+"}, {TOKEN_SUBTRACT, "-"}, kEnd}, 0},
        {"1000", {{TOKEN_DECIMAL, "1000"}, kEnd}, 0},
        {"0123", {{TOKEN_DECIMAL, "0123"}, kEnd}, 0},
        {"1F", {{TOKEN_HEX, "1F"}, kEnd}, 0},
        {"10abc", {{TOKEN_HEX, "10abc"}, kEnd}, 0},
        {"0b1", {{TOKEN_HEX, "0b1"}, kEnd}, 0},
        {"0x1f", {{TOKEN_HEX, "0x1f"}, kEnd}, 0},
        {"0X1F", {{TOKEN_HEX, "0X1F"}, kEnd}, 0},
        {"0x", {{TOKEN_HEX, "0x"}, kEnd}, 0},
        // A number stops at the first non-hex character, which starts a name.
        {"10x", {{TOKEN_DECIMAL, "10"}, {TOKEN_NAME, "x"}, kEnd}, 0},
        {"0xg", {{TOKEN_HEX, "0x"}, {TOKEN_NAME, "g"}, kEnd}, 0},
        {"_main+10", {{TOKEN_NAME, "_main"}, {TOKEN_ADD, "+"}, {TOKEN_DECIMAL, "10"}, kEnd}, 0},
        {"a_1B", {{TOKEN_NAME, "a_1B"}, kEnd}, 0},
        {"@pc", {{TOKEN_REGISTER, "pc"}, kEnd}, 0},
        {"@_x9", {{TOKEN_REGISTER, "_x9"}, kEnd}, 0},
        {" 1 \t+ 2 ", {{TOKEN_DECIMAL, "1"}, {TOKEN_ADD, "+"}, {TOKEN_DECIMAL, "2"}, kEnd}, 0},
        // "@" must be followed by a letter or "_".
        {"@", {kError}, 1},
        {"@1", {kError}, 1},
        {"@ SP", {kError}, 1},
        // Only space and tab are skipped; everything else unknown is an error.
        {"1,2", {{TOKEN_DECIMAL, "1"}, kError}, 1},
        {"1\r", {{TOKEN_DECIMAL, "1"}, kError}, 1},
        {"\n", {kError}, 1},
        {"\"a\"", {kError}, 1},
        {"#", {kError}, 1},
        {"a.b", {{TOKEN_NAME, "a"}, kError}, 1},
        {"\xE9", {kError}, 1},
        {"\x80" "1", {kError}, 1},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tokens(c.text), c.expected);
        EXPECT_EQ(exprError, c.error);
    }
}

TEST(Scanner, TokenLengthLimit)
{
    const std::string longest(kTokenMax, 'a');
    const std::string tooLong(kTokenMax + 1, 'a');
    const std::string hexLongest = "0x" + std::string(kTokenMax - 2, '0');
    const std::string hexTooLong = "0x" + std::string(kTokenMax - 1, '0');
    const std::string line(127, '7');  // an input line's worth of digits
    const std::string regLongest = "@" + longest;
    const std::string regTooLong = "@" + tooLong;
    const std::string sumTooLong = "1+" + line;

    const ScanCase cases[] = {
        {longest.c_str(), {{TOKEN_NAME, longest}, kEnd}, 0},
        {tooLong.c_str(), {kError}, 1},
        {hexLongest.c_str(), {{TOKEN_HEX, hexLongest}, kEnd}, 0},
        {hexTooLong.c_str(), {kError}, 1},
        {regLongest.c_str(), {{TOKEN_REGISTER, longest}, kEnd}, 0},
        {regTooLong.c_str(), {kError}, 1},
        {line.c_str(), {kError}, 1},
        {sumTooLong.c_str(), {{TOKEN_DECIMAL, "1"}, {TOKEN_ADD, "+"}, kError}, 1},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(tokens(c.text), c.expected);
        EXPECT_EQ(exprError, c.error);
    }
}

TEST(Scanner, EndAndErrorAreSticky)
{
    char text[kTokenBuffer];
    startScan("1");
    EXPECT_EQ(nextToken(text), TOKEN_DECIMAL);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(nextToken(text), TOKEN_END);

    // After an error nothing more is scanned, even valid characters.
    exprError = 0;
    startScan("#1+2");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nextToken(text), TOKEN_ERROR);
        EXPECT_STREQ(text, "");
    }
}

TEST(Scanner, PushBackIsServedOnceThenScanningResumes)
{
    char text[kTokenBuffer];
    startScan("abc+2");
    ASSERT_EQ(nextToken(text), TOKEN_NAME);
    pushBackToken(TOKEN_NAME, text);
    EXPECT_EQ(nextToken(text), TOKEN_NAME);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(nextToken(text), TOKEN_ADD);
    EXPECT_EQ(nextToken(text), TOKEN_DECIMAL);
    EXPECT_STREQ(text, "2");

    // A pushed-back end stays end.
    ASSERT_EQ(nextToken(text), TOKEN_END);
    pushBackToken(TOKEN_END, text);
    EXPECT_EQ(nextToken(text), TOKEN_END);
    EXPECT_EQ(nextToken(text), TOKEN_END);
}

TEST(Scanner, StartScanForgetsThePreviousStream)
{
    char text[kTokenBuffer];
    startScan("#");
    ASSERT_EQ(nextToken(text), TOKEN_ERROR);
    startScan("5");
    EXPECT_EQ(nextToken(text), TOKEN_DECIMAL);
    EXPECT_STREQ(text, "5");

    startScan("7");
    pushBackToken(TOKEN_ADD, "+");
    startScan("8");
    EXPECT_EQ(nextToken(text), TOKEN_DECIMAL);
    EXPECT_STREQ(text, "8");
}

struct ConvertCase {
    const char* text;
    uint32_t decimal;
    uint32_t hex;
};

TEST(Scanner, ConversionsSaturate)
{
    const ConvertCase cases[] = {
        {"0", 0, 0},
        {"0123", 123, 0x123},
        {"4294967295", 0xFFFFFFFF, 0xFFFFFFFF},
        {"4294967296", 0xFFFFFFFF, 0xFFFFFFFF},
        {"99999999999999999999999", 0xFFFFFFFF, 0xFFFFFFFF},
        {"FFFFFFFF", 0, 0xFFFFFFFF},
        {"100000000", 100000000, 0xFFFFFFFF},
        {"0000000000000000012345678", 12345678, 0x12345678},
    };
    for (const ConvertCase& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.text[0] != 'F') {
            EXPECT_EQ(convertDecimal(c.text), c.decimal);
        }
        EXPECT_EQ(convertHex(c.text), c.hex);
    }
    EXPECT_EQ(convertHex("0x"), 0u);
    EXPECT_EQ(convertHex("0XaBc"), 0xABCu);
    EXPECT_EQ(convertHex("0x123456789"), 0xFFFFFFFFu);
}

}  // namespace
