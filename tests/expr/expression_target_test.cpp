// Register operands and the memory functions against a scripted monitor: the
// exact requests on the wire, and a failed read failing the command.
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

// A value that could not be read fails the expression, so the command prints
// its invalid-argument message and sends nothing after the failed read: no
// REG_WRITE, no write, no dump of address 0.
TEST_F(ExpressionTarget, AFailedReadFailsTheCommand)
{
    struct Case {
        const char* line;
        const char* message;
        int result;  // R reports its refusals as done
    };
    const Case cases[] = {
        {"R R1 memB(0x80000000)", "Invalid value memB(0x80000000)\n", 0},
        {"DB memL(0x80000000)", "Invalid Address memL(0x80000000)\n", -1},
        {"DB 0x1000 memW(0x80000000)", "Invalid size memW(0x80000000)\n", -1},
        {"WL 0x1000 memL(0x80000000)+1", "Invalid DATA memL(0x80000000)+1\n", -2},
    };
    for (const Case& c : cases) {
        fresh().expect(memRead4(0x80000000), frame(EXEC, {9}));
        EXPECT_EQ(run(c.line), c.result) << c.line;
        EXPECT_EQ(output(), std::string("readMem:Error.Responce is not MEM_READ. 65\n") + c.message);
        EXPECT_TRUE(port->finished()) << c.line;
        EXPECT_EQ(port->sent(), memRead4(0x80000000)) << c.line;
    }
}

}  // namespace
