// The evaluator without a target: every case of expressions.txt.
#include <gtest/gtest.h>

#include <string>

#include "expr/expression.h"
#include "link/serial.h"
#include "support/map_file.h"
#include "support/case_file.h"
#include "support/exchange_script.h"

namespace {

TEST(Expression, EveryCaseOfTheFile)
{
    setComPort(nullptr);
    resetSymbols();
    EXPECT_EQ(evalExpression("near(0x1234)"), 0u) << "no map loaded";
    loadMap(nameLine("_main") + addressLine(0x1000) + nameLine("x") + addressLine(0x1100) + nameLine("hi") +
        addressLine(0x1200) + nameLine("x") + addressLine(0x1300) + nameLine("ABC") + addressLine(0x5000) +
        nameLine("memB") + addressLine(0x7777));
    ASSERT_EQ(symbolCount, 6);
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/expr/expressions.txt")) {
        const bool error = c[1] == "error";
        testing::internal::CaptureStdout();
        const uint32_t value = evalExpression(c[0].c_str());
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.fields.size() > 2 ? c[2] : "") << "line " << c.line;
        EXPECT_EQ(value, error ? kExprErrorValue : static_cast<uint32_t>(number(c[1]))) << "line " << c.line;
        EXPECT_EQ(exprError, error ? 1 : 0) << "line " << c.line;
    }
    resetSymbols();
}

TEST_F(ExchangeTest, OperandsReadFromTheTarget)
{
    runFile(BF_SOURCE_DIR "/tests/expr/on_target.txt");
}

} // namespace
