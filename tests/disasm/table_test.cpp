// The operand formatter: each addressing form with its exact text and corners,
// and the bound on the output buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "disasm/operands.h"
#include "support/case_file.h"

namespace {

TEST(DisasmTable, OperandTextAndRefValueForEachForm)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/disasm/operands.txt")) {
        SCOPED_TRACE(testing::Message() << "operands.txt line " << c.line);
        const auto word = static_cast<uint16_t>(number(c[0]));
        const DisasmEntry* e = findEntry(word);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e->mnemonic, c[2].c_str());
        char text[kOperandTextSize];
        uint32_t ref = 0x5A5A5A5A;
        formatOperands(static_cast<uint32_t>(number(c[1])), word, ref, e->operands, text);
        EXPECT_EQ(std::string(text), c[3]);
        EXPECT_EQ(ref, static_cast<uint32_t>(number(c[4])));
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
