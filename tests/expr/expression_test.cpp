// The evaluator without a target: numbers, operators, names, symbols, errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "link/serial.h"
#include "map_file.h"

namespace {

struct EvalCase {
    const char* text;
    uint32_t value;
    int error;
};

// Evaluates c.text, checks value and flag, and returns what was printed.
std::string check(const EvalCase& c)
{
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    testing::internal::CaptureStdout();
    uint32_t value = evalExpression(c.text);
    std::fflush(stdout);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(value, c.value) << std::hex << value;
    EXPECT_EQ(exprError, c.error);
    return printed;
}

class Expression : public testing::Test {
protected:
    void SetUp() override
    {
        resetSymbols();
        setComPort(nullptr);
    }
    void TearDown() override { resetSymbols(); }
};

TEST_F(Expression, NumbersAndOperators)
{
    const EvalCase cases[] = {
        // Digits only are decimal; a letter or 0x makes hexadecimal.
        {"1000", 1000, 0},
        {"0x1000", 0x1000, 0},
        {"1F", 0x1F, 0},
        {"0x1F", 0x1F, 0},
        {"0X1F", 0x1F, 0},
        {"1f", 0x1F, 0},
        {"FF", 0xFF, 0},
        {"ff", 0xFF, 0},
        {"0123", 123, 0},
        {"0b1", 0xB1, 0},
        {"0x", 0, 0},
        {"0", 0, 0},
        // Precedence and associativity.
        {"2+3*4", 14, 0},
        {"(2+3)*4", 20, 0},
        {"2*(3+4)*5", 70, 0},
        {"((((1))))", 1, 0},
        {"10-2-3", 5, 0},
        {"100-10-1", 89, 0},
        {"12/2/3", 2, 0},
        {"7/2", 3, 0},
        {"1+12/4*2", 7, 0},
        {"0x10-0x1*2", 14, 0},
        {" 1 +\t2 ", 3, 0},
        // Wrap-around arithmetic is no error; division is unsigned.
        {"0-1", 0xFFFFFFFF, 0},
        {"0xFFFFFFFF+2", 1, 0},
        {"0x10000*0x10000", 0, 0},
        {"65537*65537", 0x20001, 0},
        {"0xFFFFFFFF/0x10", 0x0FFFFFFF, 0},
        {"(0-2)/2", 0x7FFFFFFF, 0},
        // Too large for 32 bits saturates, silently.
        {"4294967295", 0xFFFFFFFF, 0},
        {"4294967296", 0xFFFFFFFF, 0},
        {"0x123456789", 0xFFFFFFFF, 0},
        {"123456789ABCDEF", 0xFFFFFFFF, 0},
        {"4294967296-1", 0xFFFFFFFE, 0},
        // The evaluation stops at the first token that cannot continue it.
        {"1000)", 0x3E8, 0},
        {"1000(5)", 0x3E8, 0},
        {"10g", 10, 0},
        {"10x", 10, 0},
        {"3 4", 3, 0},
    };
    for (const EvalCase& c : cases)
        EXPECT_EQ(check(c), "");
}

TEST_F(Expression, ErrorsAreSilentAndGiveAllOnes)
{
    const std::string longName(127, 'a');
    const std::string longDigits(127, '1');
    const std::string longSum = "1+" + std::string(64, 'b');
    const EvalCase cases[] = {
        {"", kExprErrorValue, 1},
        {" ", kExprErrorValue, 1},
        {"\t", kExprErrorValue, 1},
        {"-1", kExprErrorValue, 1},
        {"+5", kExprErrorValue, 1},
        {"5+", kExprErrorValue, 1},
        {"5*", kExprErrorValue, 1},
        {"*2", kExprErrorValue, 1},
        {"1+-2", kExprErrorValue, 1},
        {"()", kExprErrorValue, 1},
        {"(1", kExprErrorValue, 1},
        {"((1)", kExprErrorValue, 1},
        {")", kExprErrorValue, 1},
        {"10#", kExprErrorValue, 1},
        {"1,2", kExprErrorValue, 1},
        {"zz", kExprErrorValue, 1},
        {"xyz+1", kExprErrorValue, 1},
        {"1+xyz", kExprErrorValue, 1},
        {"MEMB(1000)", kExprErrorValue, 1},
        {"_1", kExprErrorValue, 1},
        {"@", kExprErrorValue, 1},
        {"@1", kExprErrorValue, 1},
        {"@R15", kExprErrorValue, 1},
        {"@r15", kExprErrorValue, 1},
        {"@FOO", kExprErrorValue, 1},
        // A zero divisor is an error, not a crash.
        {"1/0", kExprErrorValue, 1},
        {"0/0", kExprErrorValue, 1},
        {"5/(2-2)", kExprErrorValue, 1},
        {"8/0*3+1", kExprErrorValue, 1},
        // Tokens longer than a token buffer are rejected, not cut.
        {longName.c_str(), kExprErrorValue, 1},
        {longDigits.c_str(), kExprErrorValue, 1},
        {longSum.c_str(), kExprErrorValue, 1},
    };
    for (const EvalCase& c : cases)
        EXPECT_EQ(check(c), "");
}

TEST_F(Expression, ErrorFlagLastsUntilTheNextEvaluation)
{
    evalExpression("#");
    EXPECT_EQ(exprError, 1);
    EXPECT_EQ(exprError, 1);
    EXPECT_EQ(evalExpression("1"), 1u);
    EXPECT_EQ(exprError, 0);
}

TEST_F(Expression, SymbolsResolveBeforeHexNames)
{
    loadMap(nameLine("_main") + addressLine(0x1000) + nameLine("ABC") + addressLine(0x5000) +
            nameLine("_Main") + addressLine(0x2000) + nameLine("x") + addressLine(0x100) +
            nameLine("x") + addressLine(0x200) + nameLine("memB") + addressLine(0x7777) +
            nameLine("FF") + addressLine(0x42));
    ASSERT_EQ(symbolCount, 7);

    const EvalCase cases[] = {
        {"_main", 0x1000, 0},
        {"_main+10", 0x100A, 0},
        {"_main+0x10", 0x1010, 0},
        {"_Main", 0x2000, 0},
        {"_main*2-_Main", 0, 0},
        {"(_main)", 0x1000, 0},
        // A symbol hides the hex value of its name; a leading 0 never does.
        {"ABC", 0x5000, 0},
        {"0ABC", 0xABC, 0},
        {"0xABC", 0xABC, 0},
        {"abc", 0xABC, 0},
        {"FF", 0x42, 0},
        {"0FF", 0xFF, 0},
        // The first record of a duplicated name gives the value.
        {"x", 0x100, 0},
        {"_MAIN", kExprErrorValue, 1},
        {"_mai", kExprErrorValue, 1},
    };
    for (const EvalCase& c : cases)
        EXPECT_EQ(check(c), "");

    // A symbol named after a function is out of reach.
    EXPECT_EQ(check({"memB", kExprErrorValue, 1}), "Error. memB() can not find parameter\n");
}

TEST_F(Expression, NearGivesTheNearestSymbolAtOrBelow)
{
    EXPECT_EQ(check({"near(0x1234)", 0, 0}), "");  // no map loaded

    loadMap(nameLine("lo") + addressLine(0x1000) + nameLine("hi") + addressLine(0x1200));
    const EvalCase cases[] = {
        {"near(0x1234)", 0x1200, 0},
        {"near(0x1200)", 0x1200, 0},
        {"near(0x11FF)", 0x1000, 0},
        {"near(0x1000)", 0x1000, 0},
        {"near(0xFFF)", 0, 0},
        {"near(0)", 0, 0},
        {"near(0xFFFFFFFF)", 0x1200, 0},
        {"near(lo+0x300)-lo", 0x200, 0},
        {"near(near(0x1250)-1)", 0x1000, 0},
        {"2*near(hi)", 0x2400, 0},
    };
    for (const EvalCase& c : cases)
        EXPECT_EQ(check(c), "");
}

TEST_F(Expression, NearAnswersWithTheValueOfTheNearestName)
{
    // The nearest record is the second x, but the name x evaluates to its
    // first record, as if x had been written in the expression.
    loadMap(nameLine("x") + addressLine(0x100) + nameLine("y") + addressLine(0x200) +
            nameLine("x") + addressLine(0x300));
    EXPECT_EQ(check({"near(0x350)", 0x100, 0}), "");
    EXPECT_EQ(check({"near(0x250)", 0x200, 0}), "");
}

TEST_F(Expression, FunctionSyntaxMessages)
{
    struct MessageCase {
        const char* text;
        const char* printed;
    };
    const MessageCase cases[] = {
        {"memB", "Error. memB() can not find parameter\n"},
        {"memB)", "Error. memB() can not find parameter\n"},
        {"memW 5", "Error. memW() can not find parameter\n"},
        {"memL+1", "Error. memL() can not find parameter\n"},
        {"near", "Error. near() can not find parameter\n"},
        {"near(0x1234", "Error. near() can not find end-of-parameter\n"},
        {"near(1 2)", "Error. near() can not find end-of-parameter\n"},
        {"1+near[1]", "Error. near() can not find parameter\n"},
        {"near()", ""},
        {"near(zz)", ""},
        {"near(-1)", ""},
        // An earlier error stops a function before it looks anything up.
        {"zz+near(1", ""},
        // The handler consumed the "+", so the evaluation ends after memB.
        {"memB+near", "Error. memB() can not find parameter\n"},
    };
    for (const MessageCase& c : cases)
        EXPECT_EQ(check({c.text, kExprErrorValue, 1}), c.printed);
}

TEST_F(Expression, FunctionTable)
{
    const char* const names[] = {"memB", "memW", "memL", "near"};
    for (const char* name : names)
        EXPECT_EQ(isExprFunction(name), 1) << name;
    const char* const others[] = {"MEMB", "memb", "mem", "memBB", "Near", "", "memX"};
    for (const char* name : others)
        EXPECT_EQ(isExprFunction(name), 0) << name;

    EXPECT_EQ(callExprFunction("nothing"), 0u);
    int rows = 0;
    while (exprFuncTable[rows].handler)
        ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(exprFuncTable[rows].name, nullptr);
}

}  // namespace
