// The operand formatter: each addressing form with its exact text and corners,
// and the bound on the output buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "disasm/operands.h"

namespace {

// refValue is 0 where the form sets none.
struct OperandCase {
    uint16_t word;
    uint32_t address;
    const char *mnemonic, *operands;
    uint32_t refValue;
};

const OperandCase kOperandCases[] = {
    {0x0009, 0x1000, "NOP", "", 0},
    {0xE1FF, 0x1000, "MOV", "#255,R1 ", 255},
    {0x7FFF, 0x1000, "ADD", "#-1,SP ", 0xFFFFFFFF},
    {0x7A80, 0x1000, "ADD", "#-128,R10", 0xFFFFFF80},
    {0x887F, 0x1000, "CMP/EQ", "#127,R0", 127},
    {0xA7FF, 0x1000, "BRA", "00002002", 0x2002},
    {0xA800, 0x0000, "BRA", "FFFFF004", 0xFFFFF004},
    {0x8B80, 0x1000, "BF", "00000F04", 0x0F04},
    {0x8F01, 0xFFFFFFFC, "BF/S", "00000002", 0x0002},
    // Longword data: the PC is rounded down to 4 first; word data: it is not.
    {0xD102, 0x1002, "MOV.L", "@(0008,PC),R1 ", 0x100C},
    {0xDFFF, 0x1000, "MOV.L", "@(03FC,PC),SP ", 0x1400},
    {0x9105, 0x1002, "MOV.W", "@(000A,PC),R1 ", 0x1010},
    {0x81FF, 0x1000, "MOV.W", "R0,@(30,SP )", 30},
    {0x1234, 0x1000, "MOV.L", "R3 ,@(16,R2 )", 16},
    {0xC6FF, 0x1000, "MOV.L", "@(1020,GBR),R0", 1020},
    {0x0F04, 0x1000, "MOV.B", "R0 ,@(R0,SP )", 0},
    {0x4E0F, 0x1000, "MAC.W", "@R0 +,@R14+", 0},
};

TEST(DisasmTable, OperandTextAndRefValueForEachForm)
{
    for (const OperandCase& c : kOperandCases) {
        SCOPED_TRACE(testing::Message() << std::hex << "word " << c.word << " at " << c.address);
        const DisasmEntry* e = findEntry(c.word);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e->mnemonic, c.mnemonic);
        char text[kOperandTextSize];
        uint32_t ref = 0x5A5A5A5A;
        formatOperands(c.address, c.word, ref, e->operands, text);
        EXPECT_STREQ(text, c.operands);
        EXPECT_EQ(ref, c.refValue);
    }
}

TEST(DisasmTable, OutputIsCutAtTheBufferSize)
{
    char text[8];
    std::memset(text, 'x', sizeof text);
    uint32_t ref;
    formatOperands(0x1000, 0x1234, ref, "%R0L,%R1H,%R1L,%R0L", text, 6);
    EXPECT_STREQ(text, "R2 ,R");
    EXPECT_EQ(text[6], 'x') << "wrote past the given size";
    formatOperands(0x1000, 0x1234, ref, "%R0L", text, 1);
    EXPECT_EQ(text[0], '\0');
}

} // namespace
