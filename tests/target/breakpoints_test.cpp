// Breakpoints: the BS/BC commands, the exact BRK_WRITE bytes, the slot listing
// and the exchanges' failures.
#include <string>

#include "target/breakpoints.h"
#include "target_fixture.h"

using BreakpointsTest = TargetTest;

// A listing shows a sized data access's value, and a mode without a name by its code.
TEST_F(BreakpointsTest, ListingShowsDataOnlyForSizedModesAndNamesUnknownOnes)
{
    const std::pair<uint16_t, const char*> cases[] = {{0x54, "BBR_PC\n"},  {0x64, "BBR_MEMR\n"},
                                                      {0x68, "BBR_MEMW\n"}, {0x65, "BBR_MEMRB : 00000055\n"},
                                                      {0x6B, "BBR_MEMWL : 00000055\n"},
                                                      {0x165, "BBR_UNKNOWN(0x0165)\n"}};
    std::string zero = "0";
    for (const auto& [mode, text] : cases) {
        // The reply: an unexamined byte, the address, the mode and the data.
        Bytes reply = frame(BRK_READ, Bytes{0xA5, 0xFF, 0xFF, 0xA0, 0x00, uint8_t(mode >> 8), uint8_t(mode)} + be32(0x55));
        EXPECT_EQ(exchange(frame(BRK_READ, {0}), reply, [&] { EXPECT_EQ(breakSetCommand(1, zero.data(), nullptr), 0); }),
                  std::string("BreakPoint 0: FFFFA000 Mode=") + text);
    }
}

TEST_F(BreakpointsTest, SetSendsSlotAddressModeAndData)
{
    std::string slot = "0", address = "0x1000";
    // Slot 0, address 00001000, mode 0054 (an instruction fetch), data 0.
    port->expect(frame(BRK_WRITE, {0, 0x00, 0x00, 0x10, 0x00, 0x00, 0x54, 0, 0, 0, 0}), frame(BRK_WRITE));
    EXPECT_EQ(breakSetCommand(2, slot.data(), address.data()), 0);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(), "");
}

// Refused arguments send nothing; the result tells the loop whether to keep its repeat text.
TEST_F(BreakpointsTest, ArgumentErrorsSendNothing)
{
    auto bs = [&](int argc, std::string first, std::string second, int result) {
        EXPECT_EQ(breakSetCommand(argc, first.data(), second.data()), result) << first << " " << second;
        return output();
    };
    EXPECT_EQ(bs(2, "0", "0x1001", -1), "Invalid Break Address 00001001\n");
    EXPECT_TRUE(bs(2, "(", "0x1000", -1).ends_with("Invalid Break point (\n"));
    EXPECT_TRUE(bs(2, "0", "0x10+", -1).ends_with("Invalid Break Address 0x10+\n"));
    EXPECT_EQ(bs(2, "2", "0x1000", 0), "Error not valid breakpoint number 2\n");
    EXPECT_EQ(bs(2, "0xFFFFFFFE", "0", 0), "Error not valid breakpoint number -2\n");
    EXPECT_EQ(bs(1, "5", "", 0), "");
    EXPECT_EQ(bs(3, "0", "0x1000", 0), "");
    for (std::string slot : {"2", "("}) {
        breakClearCommand(slot.data());
        EXPECT_TRUE(output().ends_with("Invalid breakpoint " + slot + "\n")) << slot;
    }
    EXPECT_TRUE(port->sent().empty());
}

// Ten of the eleven reply bytes: a failed read, not an empty slot.
TEST_F(BreakpointsTest, ShortReadReplyIsAFailure)
{
    uint16_t mode = 7;
    uint32_t address = 7, data = 7;
    EXPECT_EQ(exchange(frame(BRK_READ, {1}), frame(BRK_READ, Bytes{0} + be32(0x1000) + Bytes{0, 0x54, 0, 0, 0}),
                       [&] { EXPECT_EQ(readBreakpoint(1, &mode, &address, &data), 0); }),
              "Error at read-Breakpoint\n");
    EXPECT_TRUE(mode == 7 && address == 7 && data == 7);  // left as they were
}
