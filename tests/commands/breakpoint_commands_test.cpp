// BS and BC: the exact requests, and the listing of modes and replies the
// simulated board never gives. Their arguments as typed are in tests/sessions.
#include <string>

#include "support/target_fixture.h"
#include "target/breakpoints.h"

using BreakpointCommands = TargetTest;

// A listing shows a sized data access's value, and a mode without a name by its code.
TEST_F(BreakpointCommands, ListingShowsDataOnlyForSizedModesAndNamesUnknownOnes)
{
    const std::pair<uint16_t, const char*> cases[] = {{0x54, "BBR_PC\n"}, {0x64, "BBR_MEMR\n"}, {0x68, "BBR_MEMW\n"},
        {0x65, "BBR_MEMRB : 00000055\n"}, {0x66, "BBR_MEMRW : 00000055\n"}, {0x67, "BBR_MEMRL : 00000055\n"},
        {0x69, "BBR_MEMWB : 00000055\n"}, {0x6A, "BBR_MEMWW : 00000055\n"}, {0x6B, "BBR_MEMWL : 00000055\n"},
        {0x6C, "BBR_UNKNOWN(0x006C)\n"}, {0x165, "BBR_UNKNOWN(0x0165)\n"}};
    for (const auto& c : cases) {
        // The reply: an unexamined byte, the address, the mode and the data.
        Bytes reply =
            frame(BRK_READ, Bytes {0xA5, 0xFF, 0xFF, 0xA0, 0x00, uint8_t(c.first >> 8), uint8_t(c.first)} + be32(0x55));
        EXPECT_EQ(exchange(frame(BRK_READ, {1}), reply, [&] { EXPECT_EQ(run("bs 1"), 0); }),
            std::string("BreakPoint 1: FFFFA000 Mode=") + c.second);
    }
    // Both slots without an argument; an empty one (mode 0) shows nothing.
    port->expect(frame(BRK_READ, {0}), frame(BRK_READ, Bytes {0} + be32(0) + Bytes {0, 0} + be32(0)));
    port->expect(frame(BRK_READ, {1}), frame(BRK_READ, Bytes {0} + be32(0x400) + Bytes {0, 0x54} + be32(0)));
    EXPECT_EQ(run("bs"), 0);
    EXPECT_EQ(output(), "BreakPoint 1: 00000400 Mode=BBR_PC\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointCommands, SetAndClearSendTheirExactRequests)
{
    // Slot 1, address 00001002 (even, not a longword boundary), mode 0054 (an instruction fetch), data 0.
    port->expect(frame(BRK_WRITE, {1, 0x00, 0x00, 0x10, 0x02, 0x00, 0x54, 0, 0, 0, 0}), frame(BRK_WRITE));
    EXPECT_EQ(run("bs 1 0x1002"), 0);
    port->expect(frame(BRK_CLEAR, {0}), frame(BRK_CLEAR));
    EXPECT_EQ(run("bc 0"), 0);
    port->expect(frame(BRK_CLEAR, {1}), frame(0x31));
    EXPECT_EQ(run("bc 1"), 0);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(), "Error at clear-Breakpoint\n");
}

// Ten of the eleven reply bytes: a failed read, not an empty slot.
TEST_F(BreakpointCommands, ShortReadReplyIsAFailure)
{
    uint16_t mode = 7;
    uint32_t address = 7, data = 7;
    EXPECT_EQ(exchange(frame(BRK_READ, {1}), frame(BRK_READ, Bytes {0} + be32(0x1000) + Bytes {0, 0x54, 0, 0, 0}),
                  [&] { EXPECT_EQ(readBreakpoint(1, &mode, &address, &data), 0); }),
        "Error at read-Breakpoint\n");
    EXPECT_TRUE(mode == 7 && address == 7 && data == 7); // left as they were
}
