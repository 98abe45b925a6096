// R as typed: the display, the SR text, one register shown or set by name.
#include <string>

#include "commands/register_commands.h"
#include "support/target_fixture.h"
#include "target/registers.h"

using RegisterCommands = TargetTest;

TEST_F(RegisterCommands, FormatSR)
{
    // Each flag on its own, so that no flag can be shown from another's bit.
    const std::pair<uint32_t, const char*> cases[] = {{0x00000200, "M---[M=0]"}, {0x00000100, "-Q--[M=0]"},
        {0x00000002, "--S-[M=0]"}, {0x00000001, "---T[M=0]"}, {0x00000080, "----[M=8]"}, {0x000000F0, "----[M=15]"},
        {0xFFFFFC0C, "----[M=0]"}, {0xFFFFFFFF, "MQST[M=15]"}};
    for (const auto& c : cases) {
        char text[kSRTextSize];
        formatSR(c.first, text);
        EXPECT_STREQ(text, c.second) << std::hex << c.first;
    }
}

// Every register in print order, six lines, then the listing line at the PC.
TEST_F(RegisterCommands, DisplayThenTheInstructionAtThePC)
{
    for (uint8_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 16})
        port->expect(frame(REG_READ, {n}), frame(REG_READ, be32(n == REG_SR ? 0x301u : 0x11111111u * (n % 16) + n)));
    port->expect(frame(REG_READ, {22}), frame(REG_READ, be32(0x1000)));
    port->expect(memReadRequest(0x1000, 2), frame(MEM_READ, {0x00, 0x09}));
    port->expect(memReadRequest(0x1000, 16), frame(MEM_READ, Bytes {0x00, 0x09} + Bytes(14, 0)));
    EXPECT_EQ(run("r"), 0);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(),
        "R00:00000000 R01:11111112 R02:22222224 R03:33333336\n"
        "R04:44444448 R05:5555555A R06:6666666C R07:7777777E\n"
        "R08:88888890 R09:999999A2 R10:AAAAAAB4 R11:BBBBBBC6\n"
        "R12:CCCCCCD8 R13:DDDDDDEA R14:EEEEEEFC SP: 0000000E\n"
        "GBR:11111122 VBR:22222234 MAC:33333346 :44444458 PR :5555556A\n"
        "PC :6666667C SR :MQ-T[M=0]\n"
        "00001000 0009     NOP                         \n");
}

// The name is shown upper-cased; a bad name or value sends nothing.
TEST_F(RegisterCommands, ShowAndSetByName)
{
    port->expect(frame(REG_READ, {15}), frame(REG_READ, be32(0xFFFFBFFC)));
    port->expect(frame(REG_WRITE, Bytes {REG_PR} + be32(0x1234)), frame(REG_WRITE, {1}));
    for (const char* line : {"r Sp", "r r15", "r r15 5", "r pc (", "r pr 0x1234"})
        EXPECT_EQ(run(line), 0) << line;
    EXPECT_EQ(output(), "SP : FFFFBFFC\n  Invalid register name R15\n  Invalid register name R15\nInvalid value (\n");
    EXPECT_TRUE(port->finished());
}
