// The two breakpoint slots against a scripted monitor: the exact requests,
// the slots that never reach the wire, short replies and the mode names.
#include "support/target_fixture.h"
#include "target/breakpoints.h"

using BreakpointsTest = TargetTest;

TEST_F(BreakpointsTest, SlotsZeroAndOneGoOnTheWireAsTheyAre)
{
    uint16_t mode = 0;
    uint32_t address = 0, data = 0;
    const Bytes read1 = frame(BRK_READ, {1});
    const Bytes slot1 = frame(BRK_READ, Bytes {0} + be32(0x1000) + Bytes {0x00, 0x6A} + be32(0x12345678));
    EXPECT_EQ(exchange(read1, slot1, [&] { EXPECT_EQ(readBreakpoint(1, &mode, &address, &data), 1); }), "");
    EXPECT_EQ(std::vector<uint32_t>({mode, address, data}), std::vector<uint32_t>({0x6A, 0x1000, 0x12345678}));
    // One byte short would read as an empty slot: it is a failed read.
    const Bytes shortReply = frame(BRK_READ, Bytes {0} + be32(0x1000) + Bytes {0x00, 0x6A, 0x12, 0x34, 0x56});
    EXPECT_EQ(exchange(read1, shortReply, [&] { EXPECT_EQ(readBreakpoint(1, &mode, &address, &data), 0); }),
        "Error at read-Breakpoint\n");
    const Bytes write0 = frame(BRK_WRITE, Bytes {0} + be32(0x2468) + Bytes {0, BBR_PC} + be32(0));
    EXPECT_EQ(exchange(write0, frame(BRK_WRITE), [] { EXPECT_EQ(writeBreakpoint(0, BBR_PC, 0x2468, 0), 1); }), "");
    EXPECT_EQ(exchange(write0, frame(EXEC, {9}), [] { EXPECT_EQ(writeBreakpoint(0, BBR_PC, 0x2468, 0), 0); }),
        "Error at write-Breakpoint\n");
    EXPECT_EQ(exchange(frame(BRK_CLEAR, {1}), frame(EXEC, {9}), [] { EXPECT_EQ(clearBreakpoint(1), 0); }),
        "Error at clear-Breakpoint\n");
    restart();
    for (int slot : {-1, 2}) {
        EXPECT_EQ(readBreakpoint(slot, &mode, &address, &data), 0);
        EXPECT_EQ(writeBreakpoint(slot, BBR_PC, 0, 0), 0);
        EXPECT_EQ(output(),
            "Error not valid breakpoint number " + std::to_string(slot) + "\n" + "Error not valid breakpoint number " +
                std::to_string(slot) + "\n");
    }
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(BreakpointsTest, ModesAreShownByName)
{
    std::string names;
    for (uint16_t mode : {0x00, 0x54, 0x64, 0x67, 0x68, 0x6A, 0x6B, 0x63, 0xFFFF})
        names += breakModeName(mode).text + std::string(" ");
    EXPECT_EQ(names,
        "BBR_NONE BBR_PC BBR_MEMR BBR_MEMRL BBR_MEMW BBR_MEMWW BBR_MEMWL BBR_UNKNOWN(0x0063) "
        "BBR_UNKNOWN(0xFFFF) ");
}
