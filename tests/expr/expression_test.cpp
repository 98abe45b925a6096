// The evaluator without a target: numbers, operators, symbols, near, errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/expression.h"
#include "link/serial.h"
#include "map_file.h"

namespace {

struct EvalCase {
    std::string text;
    uint32_t value = kExprErrorValue;
    const char* printed = "";
};

class Expression : public testing::Test {
protected:
    void SetUp() override
    {
        resetSymbols();
        setComPort(nullptr);
    }
    void TearDown() override { resetSymbols(); }

    // Every case gives its value with the flag `error` and prints exactly c.printed.
    static void check(const std::vector<EvalCase>& cases, int error)
    {
        for (const EvalCase& c : cases) {
            testing::internal::CaptureStdout();
            uint32_t value = evalExpression(c.text.c_str());
            std::fflush(stdout);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.text;
            EXPECT_EQ(value, c.value) << c.text << " gave " << std::hex << value;
            EXPECT_EQ(exprError, error) << c.text;
        }
    }
};

TEST_F(Expression, ValidExpressions)
{
    check({// Digits only are decimal; a letter or 0x makes hexadecimal.
           {"1000", 1000}, {"0x1000", 0x1000}, {"1F", 0x1F}, {"0X1f", 0x1F}, {"0123", 123}, {"0b1", 0xB1},
           {std::string(62, '0') + "7", 7},  // the longest token
           // Precedence, left association, parentheses.
           {"2+3*4", 14}, {"(2+3)*4", 20}, {"10-2-3", 5}, {"12/2/3", 2}, {"1+12/4*2", 7}, {"((1))", 1},
           {" 1 +\t2 ", 3},
           // Wrap-around is no error; division is unsigned; too many digits saturate.
           {"0-1", 0xFFFFFFFF}, {"0xFFFFFFFF+2", 1}, {"0x10000*0x10000", 0}, {"(0-2)/2", 0x7FFFFFFF},
           {"4294967296-1", 0xFFFFFFFE}, {"0x123456789-1", 0xFFFFFFFE},
           // The evaluation stops at the first token that cannot continue it.
           {"1000)", 1000}},
          0);
}

TEST_F(Expression, ErrorsGiveAllOnes)
{
    check({{""}, {" \t"}, {"(1"}, {"()"}, {")"}, {"-1"}, {"*2"}, {"5+"}, {"zz"}, {"MEMB(1000)"}, {"10#"},
           {"@R15"}, {"@1"},
           // A zero divisor is an error, not a trap.
           {"1/0"}, {"5/(2-2)"},
           // A token longer than a token buffer is rejected, never cut.
           {std::string(63, '0') + "7"}, {std::string(127, 'a')},
           // Function syntax errors are the only ones that print.
           {"memW 5", kExprErrorValue, "Error. memW() can not find parameter\n"},
           {"near(1 2)", kExprErrorValue, "Error. near() can not find end-of-parameter\n"}, {"near()"},
           // An earlier error stops a function before it looks anything up.
           {"zz+near(1"}},
          1);
}

TEST_F(Expression, SymbolsComeBeforeHexNames)
{
    loadMap(nameLine("_main") + addressLine(0x1000) + nameLine("ABC") + addressLine(0x5000) +
            nameLine("x") + addressLine(0x100) + nameLine("x") + addressLine(0x200) + nameLine("memB") +
            addressLine(0x7777));
    ASSERT_EQ(symbolCount, 5);
    check({{"_main+10", 0x100A}, {"ABC", 0x5000}, {"abc", 0xABC}, {"0ABC", 0xABC}, {"x", 0x100}}, 0);
    // Names are case-sensitive; a symbol named after a function is out of reach.
    check({{"_MAIN"}, {"memB", kExprErrorValue, "Error. memB() can not find parameter\n"}}, 1);
}

TEST_F(Expression, NearGivesTheValueOfTheNearestNameAtOrBelow)
{
    check({{"near(0x1234)", 0}}, 0);  // no map loaded
    loadMap(nameLine("lo") + addressLine(0x1000) + nameLine("x") + addressLine(0x1100) + nameLine("hi") +
            addressLine(0x1200) + nameLine("x") + addressLine(0x1300));
    // The nearest record to 0xFFFFFFFF is the second x; the name x means its first record.
    check({{"near(0xFFF)", 0}, {"near(0x1000)", 0x1000}, {"near(0x11FF)", 0x1100}, {"near(0x12FF)", 0x1200},
           {"near(0xFFFFFFFF)", 0x1100}, {"near(near(0x1250)-1)+1", 0x1101}},
          0);
}

}  // namespace
