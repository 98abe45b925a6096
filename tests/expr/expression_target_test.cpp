// Register operands and the memory functions against a scripted monitor: the
// exact requests on the wire, and what the value is when a read fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"
#include "support/scripted_port.h"

namespace {

Bytes be32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

// memB, memW and memL all read four bytes.
Bytes memRead4(uint32_t address) { return frame(MEM_READ, be32(address) + Bytes{4}); }
Bytes regRead(uint8_t number) { return frame(REG_READ, {number}); }
Bytes regReply(uint32_t value) { return frame(REG_READ, be32(value)); }

class ExpressionTarget : public testing::Test {
protected:
    void SetUp() override
    {
        resetSymbols();
        fresh();
    }
    void TearDown() override
    {
        finish();
        setComPort(nullptr);
    }

    void fresh()
    {
        finish();
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        setComPort(std::move(p));
        rxTimeout = 0;
        resetPacketBuffer();
        testing::internal::CaptureStdout();
        capturing = true;
    }
    std::string finish()
    {
        if (!capturing)
            return "";
        std::fflush(stdout);
        capturing = false;
        return testing::internal::GetCapturedStdout();
    }

    // Evaluates text; returns what was printed. Checks the script ran out.
    std::string eval(const char* text, uint32_t* value)
    {
        *value = evalExpression(text);
        std::string printed = finish();
        EXPECT_TRUE(port->finished()) << text;
        return printed;
    }

    ScriptedPort* port = nullptr;
    bool capturing = false;
};

TEST_F(ExpressionTarget, MemoryFunctionsReadFourBigEndianBytes)
{
    struct Case {
        const char* text;
        uint32_t address;
        uint32_t value;
    };
    const Case cases[] = {
        {"memB(1000)", 0x3E8, 0x12},
        {"memW(1000)", 0x3E8, 0x1234},
        {"memL(1000)", 0x3E8, 0x12345678},
        {"memW(0x1001)", 0x1001, 0x1234},  // no alignment rule for reads
        {"memL(0xFFFFFFFF)", 0xFFFFFFFF, 0x12345678},
        {"memL(FFFF8000+2*8)", 0xFFFF8010, 0x12345678},
        {"memB(1000)+1", 0x3E8, 0x13},
        {"2*memW(1000)", 0x3E8, 0x2468},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fresh();
        port->expect(memRead4(c.address), frame(MEM_READ, {0x12, 0x34, 0x56, 0x78}));
        uint32_t value = 0;
        EXPECT_EQ(eval(c.text, &value), "");
        EXPECT_EQ(value, c.value) << std::hex << value;
        EXPECT_EQ(exprError, 0);
    }
}

TEST_F(ExpressionTarget, HighBytesComeFirst)
{
    port->expect(memRead4(0x2000), frame(MEM_READ, {0xFE, 0x01, 0x80, 0x7F}));
    port->expect(memRead4(0x2000), frame(MEM_READ, {0xFE, 0x01, 0x80, 0x7F}));
    port->expect(memRead4(0x2000), frame(MEM_READ, {0xFE, 0x01, 0x80, 0x7F}));
    uint32_t value = 0;
    EXPECT_EQ(eval("memL(0x2000)-memW(0x2000)-memB(0x2000)", &value), "");
    EXPECT_EQ(value, 0xFE01807Fu - 0xFE01u - 0xFEu);
}

TEST_F(ExpressionTarget, RegisterNamesIgnoreCase)
{
    struct Case {
        const char* text;
        uint8_t number;
    };
    const Case cases[] = {
        {"@R0", 0},    {"@r0", 0},   {"@R14", 14},  {"@SP", 15},   {"@sp", 15},  {"@SR", 16},
        {"@gbr", 17},  {"@VBR", 18}, {"@MACH", 19}, {"@macl", 20}, {"@PR", 21},  {"@pc", 22},
        {"@Pc", 22},   {"@PC", 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fresh();
        uint32_t reg = 0x0A000000u + c.number;
        port->expect(regRead(c.number), regReply(reg));
        uint32_t value = 0;
        EXPECT_EQ(eval(c.text, &value), "");
        EXPECT_EQ(value, reg);
        EXPECT_EQ(exprError, 0);
    }
}

TEST_F(ExpressionTarget, UnknownRegistersSendNothing)
{
    const char* const texts[] = {"@R15", "@R16", "@PCX", "@S", "@_"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        fresh();
        uint32_t value = 0;
        EXPECT_EQ(eval(text, &value), "");
        EXPECT_EQ(value, kExprErrorValue);
        EXPECT_EQ(exprError, 1);
        EXPECT_TRUE(port->sent().empty());
    }
}

TEST_F(ExpressionTarget, LongwordAtTheStackPointer)
{
    port->expect(regRead(15), regReply(0xFFFFBFF0));
    port->expect(memRead4(0xFFFFBFF4), frame(MEM_READ, {0x00, 0x00, 0x10, 0x2C}));
    uint32_t value = 0;
    EXPECT_EQ(eval("memL(@SP+4)", &value), "");
    EXPECT_EQ(value, 0x102Cu);
    EXPECT_EQ(exprError, 0);
}

TEST_F(ExpressionTarget, NestedFunctionsShareTheTokenStream)
{
    port->expect(memRead4(0x10), frame(MEM_READ, {0x00, 0x00, 0x20, 0x00}));
    port->expect(memRead4(0x2000), frame(MEM_READ, {0xAB, 0xCD, 0xEF, 0x01}));
    uint32_t value = 0;
    EXPECT_EQ(eval("memW(memL(0x10))+1", &value), "");
    EXPECT_EQ(value, 0xABCEu);
    EXPECT_EQ(exprError, 0);
}

TEST_F(ExpressionTarget, MissingCloseComesAfterTheRead)
{
    port->expect(memRead4(0x64), frame(MEM_READ, {1, 2, 3, 4}));
    uint32_t value = 0;
    EXPECT_EQ(eval("memB(100", &value), "Error. memB() can not find end-of-parameter\n");
    EXPECT_EQ(value, kExprErrorValue);
    EXPECT_EQ(exprError, 1);
}

TEST_F(ExpressionTarget, AnEarlierErrorStopsTheReadButNotTheRegisters)
{
    // A function after an error reads nothing.
    uint32_t value = 0;
    EXPECT_EQ(eval("zz+memB(10)", &value), "");
    EXPECT_EQ(value, kExprErrorValue);
    EXPECT_EQ(exprError, 1);
    EXPECT_TRUE(port->sent().empty());

    // A bad argument too.
    fresh();
    EXPECT_EQ(eval("memL(1+)", &value), "");
    EXPECT_EQ(exprError, 1);
    EXPECT_TRUE(port->sent().empty());

    // A register operand after an error is still read.
    fresh();
    port->expect(regRead(22), regReply(0x1000));
    EXPECT_EQ(eval("zz+@PC", &value), "");
    EXPECT_EQ(value, kExprErrorValue);
    EXPECT_EQ(exprError, 1);
}

TEST_F(ExpressionTarget, FailedReadsAreNoEvaluationError)
{
    // readReg's failure value is used as the register's value.
    port->expect(regRead(22), frame(MEM_READ, {0, 0, 0, 0}));
    uint32_t value = 0;
    EXPECT_EQ(eval("@PC+1", &value), "Error not valid packet at readReg()\n");
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(exprError, 0);
}

TEST_F(ExpressionTarget, BytesAFailedReadNeverGaveAreZero)
{
    // Both evaluations run at the same stack depth, so the first read leaves
    // its bytes where the second one's buffer lives; the second, refused by
    // the monitor, must not pick them up.
    const char* const texts[] = {"memL(0x3000)", "memW(0x3000)", "memB(0x3000)"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        fresh();
        port->expect(memRead4(0x3000), frame(MEM_READ, {0xDE, 0xAD, 0xBE, 0xEF}));
        port->expect(memRead4(0x3000), frame(EXEC, {5}));
        uint32_t values[2] = {0, 0};
        int errors[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            values[i] = evalExpression(text);
            errors[i] = exprError;
        }
        EXPECT_EQ(finish(), "readMem:Error.Responce is not MEM_READ. 65\n");
        EXPECT_TRUE(port->finished());
        EXPECT_NE(values[0], 0u);
        EXPECT_EQ(values[1], 0u);
        EXPECT_EQ(errors[0], 0);
        EXPECT_EQ(errors[1], 0);
    }
}

TEST_F(ExpressionTarget, NearReadsNothingFromTheTarget)
{
    uint32_t value = 0;
    EXPECT_EQ(eval("near(0x1234)", &value), "");
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(port->sent().empty());
}

}  // namespace
