// The instruction table and the operand formatter, word by word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "disasm/table.h"

namespace {

struct OperandCase {
    uint16_t word;
    uint32_t address;
    const char* mnemonic;
    const char* operands;
    uint32_t refValue;
};

// One row per addressing form, with the awkward corners of each.
const OperandCase kOperandCases[] = {
    {0x0009, 0x1000, "NOP", "", 0},
    {0xE1FF, 0x1000, "MOV", "#255,R1 ", 255},
    {0xE17F, 0x1000, "MOV", "#127,R1 ", 127},
    {0x7FFF, 0x1000, "ADD", "#-1,SP ", 0xFFFFFFFF},
    {0x7A80, 0x1000, "ADD", "#-128,R10", 0xFFFFFF80},
    {0x887F, 0x1000, "CMP/EQ", "#127,R0", 127},
    {0x8880, 0x1000, "CMP/EQ", "#-128,R0", 0xFFFFFF80},
    {0xA000, 0x1000, "BRA", "00001004", 0x1004},
    {0xA7FF, 0x1000, "BRA", "00002002", 0x2002},
    {0xA800, 0x1000, "BRA", "00000004", 0x0004},
    {0xA800, 0x0000, "BRA", "FFFFF004", 0xFFFFF004},
    {0xBFFF, 0x1000, "BSR", "00001002", 0x1002},
    {0x8B80, 0x1000, "BF", "00000F04", 0x0F04},
    {0x897F, 0x1000, "BT", "00001102", 0x1102},
    {0x8DFE, 0x1000, "BT/S", "00001000", 0x1000},
    {0x8F01, 0xFFFFFFFC, "BF/S", "00000002", 0x0002},
    {0xD102, 0x1002, "MOV.L", "@(0008,PC),R1 ", 0x100C},
    {0xD102, 0x1000, "MOV.L", "@(0008,PC),R1 ", 0x100C},
    {0xDFFF, 0x1000, "MOV.L", "@(03FC,PC),SP ", 0x1400},
    {0x9105, 0x1000, "MOV.W", "@(000A,PC),R1 ", 0x100E},
    {0x9105, 0x1002, "MOV.W", "@(000A,PC),R1 ", 0x1010},
    {0x9EFF, 0x1000, "MOV.W", "@(01FE,PC),R14", 0x1202},
    {0xC720, 0x1002, "MOVA", "@(0080,PC),R0", 0x1084},
    {0x8012, 0x1000, "MOV.B", "R0,@(2,R1 )", 2},
    {0x8412, 0x1000, "MOV.B", "@(2,R1 ),R0", 2},
    {0x81FF, 0x1000, "MOV.W", "R0,@(30,SP )", 30},
    {0x85FF, 0x1000, "MOV.W", "@(30,SP ),R0", 30},
    {0x1234, 0x1000, "MOV.L", "R3 ,@(16,R2 )", 16},
    {0x5ABF, 0x1000, "MOV.L", "@(60,R11),R10", 60},
    {0x4311, 0x1000, "CMP/PZ", "R3 ", 0},
    {0x4315, 0x1000, "CMP/PL", "R3 ", 0},
    {0xC320, 0x1000, "TRAP", "#128", 128},
    {0xC0FF, 0x1000, "MOV.B", "R0,@(255,GBR)", 255},
    {0xC1FF, 0x1000, "MOV.W", "R0,@(510,GBR)", 510},
    {0xC6FF, 0x1000, "MOV.L", "@(1020,GBR),R0", 1020},
    {0xC8FF, 0x1000, "TST", "#255,R0", 255},
    {0xCC80, 0x1000, "TST.B", "#128,@(R0,GBR)", 128},
    {0x0F04, 0x1000, "MOV.B", "R0 ,@(R0,SP )", 0},
    {0x00FE, 0x1000, "MOV.L", "@(R0,SP ),R0 ", 0},
    {0x4F22, 0x1000, "STS.L", "PR,@-SP ", 0},
    {0x4E0F, 0x1000, "MAC.W", "@R0 +,@R14+", 0},
    {0x6DF6, 0x1000, "MOV.L", "@SP +,R13", 0},
    {0x0223, 0x1000, "BRAF", "R2 ", 0},
    {0x402E, 0x1000, "LDC", "R0 ,VBR", 0},
};

TEST(DisasmTable, OperandTextAndRefValueForEachForm) {
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

TEST(DisasmTable, ShapeAndEndRecord) {
    EXPECT_EQ(disasmTable[kDisasmForms].mask, 0);
    EXPECT_STREQ(disasmTable[kDisasmForms].mnemonic, "Dummy");
    EXPECT_STREQ(disasmTable[kDisasmForms].operands, "");
    int withRef = 0;
    for (int i = 0; i < kDisasmForms; ++i) {
        SCOPED_TRACE(i + 1);
        const DisasmEntry& e = disasmTable[i];
        EXPECT_NE(e.mask, 0);
        EXPECT_EQ(e.code & ~e.mask, 0) << "code bits outside the mask never match";
        EXPECT_TRUE(e.opSize == 0 || e.opSize == 1 || e.opSize == 2 || e.opSize == 4);
        if (e.refIsLong) {
            EXPECT_EQ(e.hasRef, 1);
        }
        withRef += e.hasRef;
    }
    // BT, BF, BT/S, BF/S, MOV.W @(d,PC), BRA, BSR, MOVA, MOV.L @(d,PC).
    EXPECT_EQ(withRef, 9);
}

TEST(DisasmTable, EveryWordMatchesAtMostOneRowAndLookupAgrees) {
    int undecodable = 0;
    for (uint32_t w = 0; w < 65536; ++w) {
        int matches = 0;
        for (int i = 0; i < kDisasmForms; ++i) {
            if ((w & disasmTable[i].mask) == disasmTable[i].code) ++matches;
        }
        ASSERT_LE(matches, 1) << std::hex << w;
        const DisasmEntry* linear = findEntryLinear(static_cast<uint16_t>(w));
        ASSERT_EQ(findEntry(static_cast<uint16_t>(w)), linear) << std::hex << w;
        if (!linear) ++undecodable;
    }
    EXPECT_EQ(undecodable, 11784);
    EXPECT_EQ(findEntry(0xFFFF), nullptr);
    EXPECT_EQ(findEntry(0x0000), nullptr);
}

struct TemplateCase {
    const char* name;
    const char* tmpl;
    uint16_t word;
    const char* text;
    uint32_t refValue;
};

// Templates the table never uses: each prints something visible and stops
// at the end of the template, whatever is missing.
const TemplateCase kMalformed[] = {
    {"unknown letter", "A%Qx,B", 0x1234, "A%Qx,B", 0},
    {"percent at the end", "R0,%", 0x1234, "R0,%", 0},
    {"width 2", "#%I201NU", 0x12FF, "#?", 0},
    {"nibble position 3", "#%I431NU", 0x12FF, "#?", 0},
    {"scale not a digit", "#%I80xNU", 0x12FF, "#?", 0},
    {"branch letter D", "%PD", 0x1234, "?", 0},
    {"pc data mode Q", "%T802QU", 0x9105, "?", 0},
    {"immediate cut short", "#%I80", 0x12FF, "#?", 0},
    {"register cut short", "%R0", 0x1234, "?", 0},
    {"branch cut short", "%P", 0x1234, "?", 0},
    {"valid code after a bad one", "%PD,%I801NU", 0x1205, "?,5", 5},
    {"branch letter B", "%PB", 0x8902, "00001008", 0x1008},
    {"register any lower character", "%R1x", 0x00A5, "R5 ", 0},
};

TEST(DisasmTable, MalformedTemplatesAreVisibleAndBounded) {
    for (const TemplateCase& c : kMalformed) {
        SCOPED_TRACE(c.name);
        char text[kOperandTextSize];
        uint32_t ref = 99;
        formatOperands(0x1000, c.word, ref, c.tmpl, text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(ref, c.refValue);
    }
}

TEST(DisasmTable, OutputIsCutAtTheBufferSize) {
    char text[8];
    std::memset(text, 'x', sizeof text);
    uint32_t ref;
    formatOperands(0x1000, 0x1234, ref, "%R0L,%R1H,%R1L,%R0L", text, 6);
    EXPECT_STREQ(text, "R2 ,R");
    EXPECT_EQ(text[6], 'x') << "wrote past the given size";

    char one[1] = {'x'};
    formatOperands(0x1000, 0x1234, ref, "%R0L", one, 1);
    EXPECT_EQ(one[0], '\0');
}

TEST(DisasmTable, LongestTemplateFitsTheOperandBuffer) {
    size_t longest = 0;
    for (uint32_t w = 0; w < 65536; ++w) {
        const DisasmEntry* e = findEntry(static_cast<uint16_t>(w));
        if (!e) continue;
        char text[kOperandTextSize];
        uint32_t ref;
        formatOperands(0xFFFFFFFE, static_cast<uint16_t>(w), ref, e->operands, text);
        longest = std::max(longest, std::strlen(text));
    }
    // Fits the 20-column operand field of a listing line.
    EXPECT_LE(longest, 20u);
}

}  // namespace
