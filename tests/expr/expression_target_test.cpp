// Register operands and the memory functions against a scripted monitor: the
// exact requests on the wire, and a failed read failing the command.
#include <string>
#include <vector>

#include "expr/expression.h"
#include "support/target_fixture.h"

namespace {

// memB, memW and memL all read four bytes.
Bytes memRead4(uint32_t address)
{
    return memReadRequest(address, 4);
}
Bytes regRead(uint8_t number)
{
    return frame(REG_READ, {number});
}
const Bytes kFE01807F = frame(MEM_READ, {0xFE, 0x01, 0x80, 0x7F});

using ExpressionTarget = TargetTest;

TEST_F(ExpressionTarget, EachOperandReadsWhatItNamesAndNothingElse)
{
    struct Case {
        std::string text;
        std::vector<std::pair<Bytes, Bytes>> script; // requests and replies, in order
        uint32_t value; // kExprErrorValue: the flag is set
        const char* printed;
    };
    std::vector<Case> cases = {
        {"memB(1000)", {{memRead4(0x3E8), kFE01807F}}, 0xFE, ""},
        {"memW(0x1001)", {{memRead4(0x1001), kFE01807F}}, 0xFE01, ""}, // no alignment rule for reads
        {"memL(FFFF8000+2*8)", {{memRead4(0xFFFF8010), kFE01807F}}, 0xFE01807F, ""},
        {"2*memW(1000)+1", {{memRead4(0x3E8), kFE01807F}}, 0x1FC03, ""},
        // Nested arguments share the token stream.
        {"memW(memL(@SP+4))+1",
            {{regRead(15), frame(REG_READ, be32(0xFFFFBFF0))},
                {memRead4(0xFFFFBFF4), frame(MEM_READ, {0x00, 0x00, 0x20, 0x00})},
                {memRead4(0x2000), frame(MEM_READ, {0xAB, 0xCD, 0xEF, 0x01})}},
            0xABCE, ""},
        // An earlier error or a bad argument reads nothing; a missing ")" is found after the read.
        {"zz+memB(10)", {}, kExprErrorValue, ""},
        {"memL(1+)", {}, kExprErrorValue, ""},
        {"memB(100", {{memRead4(0x64), kFE01807F}}, kExprErrorValue, "Error. memB() can not find end-of-parameter\n"},
        {"@R15", {}, kExprErrorValue, ""},
        {"@PCX", {}, kExprErrorValue, ""},
    };
    // Register names in any case.
    const char* registers[] = {"@R0", "@r14", "@SP", "@sr", "@GBR", "@vbr", "@MACH", "@macl", "@PR", "@Pc"};
    const uint8_t numbers[] = {0, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    for (int i = 0; i < 10; ++i)
        cases.push_back({registers[i], {{regRead(numbers[i]), frame(REG_READ, be32(0x0A000000u + numbers[i]))}},
            0x0A000000u + numbers[i], ""});
    for (const Case& c : cases) {
        restart();
        for (const auto& [request, reply] : c.script)
            port->expect(request, reply);
        const uint32_t value = evalExpression(c.text.c_str());
        EXPECT_EQ(value, c.value) << c.text << " gave " << std::hex << value;
        EXPECT_EQ(exprError, c.value == kExprErrorValue) << c.text;
        EXPECT_TRUE(port->finished()) << c.text;
        EXPECT_EQ(output(), c.printed) << c.text;
    }
}

// A value that could not be read fails the expression, so the command prints
// its invalid-argument message and sends nothing after the failed read: no
// REG_WRITE, no write, no dump of address 0.
TEST_F(ExpressionTarget, AFailedReadFailsTheCommand)
{
    struct Case {
        const char* line;
        const char* message;
        int result; // R reports its refusals as done
    };
    const Case cases[] = {
        {"R R1 memB(0x80000000)", "Invalid value memB(0x80000000)\n", 0},
        {"DB memL(0x80000000)", "Invalid Address memL(0x80000000)\n", -1},
        {"DB 0x1000 memW(0x80000000)", "Invalid size memW(0x80000000)\n", -1},
        {"WL 0x1000 memL(0x80000000)+1", "Invalid DATA memL(0x80000000)+1\n", -2},
    };
    for (const Case& c : cases) {
        restart();
        port->expect(memRead4(0x80000000), frame(EXEC, {9}));
        EXPECT_EQ(run(c.line), c.result) << c.line;
        EXPECT_EQ(output(), std::string("readMem:Error.Responce is not MEM_READ. 65\n") + c.message);
        EXPECT_TRUE(port->finished()) << c.line;
        EXPECT_EQ(port->sent(), memRead4(0x80000000)) << c.line;
    }
}

} // namespace
