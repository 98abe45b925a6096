// Register operands and the memory functions against a scripted monitor: the
// exact requests on the wire, and the value when a read fails.
#include <string>

#include "expr/expression.h"
#include "support/target_fixture.h"

namespace {

// memB, memW and memL all read four bytes.
Bytes memRead4(uint32_t address) { return memReadRequest(address, 4); }
Bytes regRead(uint8_t number) { return frame(REG_READ, {number}); }

class ExpressionTarget : public TargetTest {
protected:
    // A new scripted monitor for the next evaluation.
    ScriptedPort& fresh()
    {
        restart();
        return *port;
    }
    // Evaluates text expecting value and the flag `error`; returns what was printed. The
    // script must have run out, with nothing unexpected sent.
    std::string eval(const char* text, uint32_t value, int error = 0)
    {
        uint32_t got = evalExpression(text);
        EXPECT_EQ(got, value) << text << " gave " << std::hex << got;
        EXPECT_EQ(exprError, error) << text;
        EXPECT_TRUE(port->finished()) << text;
        return output();
    }
};

TEST_F(ExpressionTarget, RegisterOperandsIgnoreCase)
{
    struct Case {
        const char* text;
        int number;  // -1: no such register, nothing is sent
    };
    const Case cases[] = {{"@R0", 0},   {"@r14", 14},  {"@SP", 15},   {"@sr", 16}, {"@GBR", 17}, {"@vbr", 18},
                          {"@MACH", 19}, {"@macl", 20}, {"@PR", 21}, {"@Pc", 22}, {"@R15", -1}, {"@PCX", -1}};
    for (const Case& c : cases) {
        const uint32_t value = 0x0A000000u + static_cast<uint32_t>(c.number);
        if (fresh(); c.number >= 0)
            port->expect(regRead(static_cast<uint8_t>(c.number)), frame(REG_READ, be32(value)));
        EXPECT_EQ(eval(c.text, c.number >= 0 ? value : kExprErrorValue, c.number < 0), "");
    }
}

TEST_F(ExpressionTarget, MemoryFunctionsTakeTheHighBytes)
{
    struct Case {
        const char* text;
        uint32_t address;
        uint32_t value;
    };
    const Case cases[] = {
        {"memB(1000)", 0x3E8, 0xFE},
        {"memW(0x1001)", 0x1001, 0xFE01},  // no alignment rule for reads
        {"memL(FFFF8000+2*8)", 0xFFFF8010, 0xFE01807F},
        {"2*memW(1000)+1", 0x3E8, 0x1FC03},
    };
    for (const Case& c : cases) {
        fresh().expect(memRead4(c.address), frame(MEM_READ, {0xFE, 0x01, 0x80, 0x7F}));
        EXPECT_EQ(eval(c.text, c.value), "");
    }
}

TEST_F(ExpressionTarget, NestedArgumentsShareTheTokenStream)
{
    fresh().expect(regRead(15), frame(REG_READ, be32(0xFFFFBFF0)));
    port->expect(memRead4(0xFFFFBFF4), frame(MEM_READ, {0x00, 0x00, 0x20, 0x00}));
    port->expect(memRead4(0x2000), frame(MEM_READ, {0xAB, 0xCD, 0xEF, 0x01}));
    EXPECT_EQ(eval("memW(memL(@SP+4))+1", 0xABCE), "");
}

TEST_F(ExpressionTarget, ErrorsAroundAFunction)
{
    // An earlier error or a bad argument reads nothing.
    fresh();
    EXPECT_EQ(eval("zz+memB(10)", kExprErrorValue, 1), "");
    EXPECT_EQ(eval("memL(1+)", kExprErrorValue, 1), "");
    // A missing ")" is found after the read.
    fresh().expect(memRead4(0x64), frame(MEM_READ, {1, 2, 3, 4}));
    EXPECT_EQ(eval("memB(100", kExprErrorValue, 1), "Error. memB() can not find end-of-parameter\n");
}

TEST_F(ExpressionTarget, BytesAFailedReadNeverGaveAreZero)
{
    // Both evaluations run at the same stack depth, so the first read leaves
    // its bytes where the second one's buffer lives; the second, refused by
    // the monitor, must not pick them up. A failed read is no evaluation error.
    const char* const texts[] = {"memL(0x3000)", "memB(0x3000)"};
    for (const char* text : texts) {
        fresh().expect(memRead4(0x3000), frame(MEM_READ, {0xDE, 0xAD, 0xBE, 0xEF}));
        port->expect(memRead4(0x3000), frame(EXEC, {5}));
        uint32_t values[2];
        for (uint32_t& value : values)
            value = evalExpression(text);
        EXPECT_EQ(output(), "readMem:Error.Responce is not MEM_READ. 65\n");
        EXPECT_NE(values[0], 0u) << text;
        EXPECT_EQ(values[1], 0u) << text;
        EXPECT_EQ(exprError, 0);
        EXPECT_TRUE(port->finished());
    }
}

}  // namespace
