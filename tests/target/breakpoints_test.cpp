// Breakpoints: the three exchanges through waitResponse, the slot listing, and
// the BS/BC commands with their argument errors.
#include <string>

#include "target_fixture.h"
#include "target/breakpoints.h"

namespace {

Bytes brkRead(uint8_t slot)
{
    return frame(BRK_READ, {slot});
}

// A BRK_READ reply: the unexamined byte, then address, mode and data.
Bytes brkSlot(uint32_t address, uint16_t mode, uint32_t data = 0)
{
    return frame(BRK_READ, Bytes{0xA5} + be32(address) + be16(mode) + be32(data));
}

Bytes brkWrite(uint8_t slot, uint32_t address, uint16_t mode = 0x54, uint32_t data = 0)
{
    return frame(BRK_WRITE, Bytes{slot} + be32(address) + be16(mode) + be32(data));
}

}  // namespace

using BreakpointsTest = TargetTest;

TEST_F(BreakpointsTest, CodeToNameStopsAtTheSentinel)
{
    EXPECT_STREQ(codeToName(0x00, breakModeTable), "BBR_NONE");
    EXPECT_STREQ(codeToName(0x54, breakModeTable), "BBR_PC");
    EXPECT_STREQ(codeToName(0x6B, breakModeTable), "BBR_MEMWL");
    EXPECT_EQ(codeToName(0x6C, breakModeTable), nullptr);
    EXPECT_EQ(codeToName(-1, breakModeTable), nullptr);  // the sentinel's code is not a row
    EXPECT_STREQ(breakModeName(0x6A).text, "BBR_MEMWW");
    EXPECT_STREQ(breakModeName(0x1234).text, "BBR_UNKNOWN(0x1234)");
    EXPECT_STREQ(breakModeName(0xFFFF).text, "BBR_UNKNOWN(0xFFFF)");
}

TEST_F(BreakpointsTest, ListingShowsDataOnlyForSizedDataModes)
{
    struct Case {
        uint16_t mode;
        const char* line;
    };
    const Case cases[] = {
        {0x54, "BreakPoint 0: FFFFA000 Mode=BBR_PC\n"},
        {0x64, "BreakPoint 0: FFFFA000 Mode=BBR_MEMR\n"},
        {0x65, "BreakPoint 0: FFFFA000 Mode=BBR_MEMRB : 00000055\n"},
        {0x66, "BreakPoint 0: FFFFA000 Mode=BBR_MEMRW : 00000055\n"},
        {0x67, "BreakPoint 0: FFFFA000 Mode=BBR_MEMRL : 00000055\n"},
        {0x68, "BreakPoint 0: FFFFA000 Mode=BBR_MEMW\n"},
        {0x69, "BreakPoint 0: FFFFA000 Mode=BBR_MEMWB : 00000055\n"},
        {0x6A, "BreakPoint 0: FFFFA000 Mode=BBR_MEMWW : 00000055\n"},
        {0x6B, "BreakPoint 0: FFFFA000 Mode=BBR_MEMWL : 00000055\n"},
        {0x0F, "BreakPoint 0: FFFFA000 Mode=BBR_UNKNOWN(0x000F)\n"},
        {0xA5, "BreakPoint 0: FFFFA000 Mode=BBR_UNKNOWN(0x00A5)\n"},
        {0x165, "BreakPoint 0: FFFFA000 Mode=BBR_UNKNOWN(0x0165)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        restart();
        port->expect(brkRead(0), brkSlot(0xFFFFA000, c.mode, 0x55));
        port->expect(brkRead(1), brkSlot(0, 0));
        EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
        EXPECT_EQ(output(), c.line);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(BreakpointsTest, SetSlotZeroThenList)
{
    char slot[] = "0";
    char address[] = "0x1000";
    port->expect(brkWrite(0, 0x1000), frame(BRK_WRITE));
    EXPECT_EQ(breakSetCommand(2, slot, address), 0);
    port->expect(brkRead(0), brkSlot(0x1000, 0x54));
    port->expect(brkRead(1), brkSlot(0, 0));
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(output(), "BreakPoint 0: 00001000 Mode=BBR_PC\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointsTest, DigitsAloneAreDecimal)
{
    char slot[] = "1";
    char address[] = "1000";  // 0x3E8
    port->expect(brkWrite(1, 0x3E8), frame(BRK_WRITE));
    EXPECT_EQ(breakSetCommand(2, slot, address), 0);
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointsTest, SetArgumentErrors)
{
    struct Case {
        const char* slot;
        const char* address;
        int result;
        const char* message;
    };
    const Case cases[] = {
        {"0", "0x1001", -1, "Invalid Break Address 00001001\n"},
        {"(", "0x1000", -1, "Invalid Break point (\n"},
        {"0", "0x10+", -1, "Invalid Break Address 0x10+\n"},
        {"2", "0x1000", 0, "Error not valid breakpoint number 2\n"},
        {"0xFFFFFFFE", "0x1000", 0, "Error not valid breakpoint number -2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        restart();
        std::string slot = c.slot;
        std::string address = c.address;
        EXPECT_EQ(breakSetCommand(2, slot.data(), address.data()), c.result);
        EXPECT_EQ(lastLine(output()), c.message);
        EXPECT_TRUE(port->sent().empty());
    }
}

TEST_F(BreakpointsTest, OneArgumentListsOnlyAValidSlot)
{
    char one[] = "1";
    port->expect(brkRead(1), brkSlot(0x2000, 0x54));
    EXPECT_EQ(breakSetCommand(1, one, nullptr), 0);
    EXPECT_EQ(output(), "BreakPoint 1: 00002000 Mode=BBR_PC\n");
    for (const char* arg : {"5", "0xFFFFFFFF"}) {
        std::string text = arg;
        EXPECT_EQ(breakSetCommand(1, text.data(), nullptr), 0);
    }
    EXPECT_EQ(output(), "");
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointsTest, ThreeArgumentsDoNothing)
{
    char slot[] = "0";
    char address[] = "0x1000";
    EXPECT_EQ(breakSetCommand(3, slot, address), 0);
    EXPECT_EQ(output(), "");
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(BreakpointsTest, ExchangeFailures)
{
    uint16_t mode = 7;
    uint32_t address = 7;
    uint32_t data = 7;
    port->expect(brkRead(0), frame(BRK_WRITE));
    EXPECT_EQ(readBreakpoint(0, &mode, &address, &data), 0);
    // Ten of the eleven reply bytes: refused, not taken as an empty slot.
    port->expect(brkRead(1), frame(BRK_READ, Bytes{0} + be32(0x1000) + be16(0x54) + Bytes{0, 0, 0}));
    EXPECT_EQ(readBreakpoint(1, &mode, &address, &data), 0);
    EXPECT_EQ(mode, 7);
    EXPECT_EQ(address, 7u);
    EXPECT_EQ(data, 7u);
    port->expect(brkWrite(0, 0x100), frame(BRK_READ));
    EXPECT_EQ(writeBreakpoint(0, 0x54, 0x100, 0), 0);
    port->expect(frame(BRK_CLEAR, {1}), frame(BRK_WRITE));
    EXPECT_EQ(clearBreakpoint(1), 0);
    EXPECT_EQ(readBreakpoint(2, &mode, &address, &data), 0);
    EXPECT_EQ(writeBreakpoint(-1, 0x54, 0x100, 0), 0);
    EXPECT_EQ(output(),
              "Error at read-Breakpoint\n"
              "Error at read-Breakpoint\n"
              "Error at write-Breakpoint\n"
              "Error at clear-Breakpoint\n"
              "Error not valid breakpoint number 2\n"
              "Error not valid breakpoint number -1\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointsTest, ListingSkipsAFailedSlotAndGoesOn)
{
    port->expect(brkRead(0), frame(0x41, {9}));
    port->expect(brkRead(1), brkSlot(0x3000, 0x54));
    breakSetCommand(0, nullptr, nullptr);
    EXPECT_EQ(output(), "Error at read-Breakpoint\nBreakPoint 1: 00003000 Mode=BBR_PC\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(BreakpointsTest, ClearCommand)
{
    char one[] = "1";
    port->expect(frame(BRK_CLEAR, {1}), frame(BRK_CLEAR));
    breakClearCommand(one);
    EXPECT_EQ(output(), "");
    EXPECT_TRUE(port->finished());
    for (const char* arg : {"2", "("}) {
        std::string text = arg;
        breakClearCommand(text.data());
        EXPECT_EQ(lastLine(output()), std::string("Invalid breakpoint ") + arg + "\n");
    }
    EXPECT_EQ(port->sent().size(), 6u);  // only the one BRK_CLEAR
}
