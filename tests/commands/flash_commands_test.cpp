// FE and FW as typed: argument ranges at their edges, the exact requests, and
// how each outcome is reported.
#include "support/target_fixture.h"

using FlashCommands = TargetTest;

TEST_F(FlashCommands, EraseSendsTheBlockAndReportsEachOutcome)
{
    port->expect({0x02, 0x03, 0x60, 0x03, 0x9A, 0x03}, frame(FLASH_ERASE, {1}));
    EXPECT_EQ(run("fe 3"), 0);
    port->expect(frame(FLASH_ERASE, {9}), frame(FLASH_ERASE, {0, 0x2A}));
    EXPECT_EQ(run("fe 9"), 0);
    port->expect(frame(FLASH_ERASE, {0}), frame(BRK_READ));
    EXPECT_EQ(run("fe 0"), 0);
    EXPECT_EQ(output(), "Flash-ROM Erase Error. code = 2A\nError at Flash-ROM erase\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(FlashCommands, WriteSendsSourceAndDestinationAndReportsEachOutcome)
{
    port->expect(frame(FLASH_WRITE, be32(0xFFFFA000) + be32(0x1000)), frame(FLASH_WRITE, {1}));
    EXPECT_EQ(run("fw 0xFFFFA000 0x1000"), 0);
    port->expect(frame(FLASH_WRITE, be32(0xFFFFBF7F) + be32(0x1FF00)), frame(FLASH_WRITE, {0, 0x07}));
    EXPECT_EQ(run("fw 0xFFFFBF7F 0x1FF00"), 0);
    port->expect(frame(FLASH_WRITE, be32(0xFFFFA000) + be32(0x1000)), frame(TARGET_RESTARTED));
    port->expect(frame(GET_VERSION), frame(GET_VERSION, {1, 0, 3}));
    EXPECT_EQ(run("fw 0xFFFFA000 0x1000"), 0);
    port->expect(frame(FLASH_WRITE, be32(0xFFFFA000) + be32(0x1000)), frame(MEM_READ));
    EXPECT_EQ(run("fw 0xFFFFA000 0x1000"), 0);
    EXPECT_EQ(output(),
        "Flash-ROM Write Error. code = 07\n"
        "Tareget board ReStarted\nError at Flash-ROM write 80\n"
        "Error at Flash-ROM write 256\n");
    EXPECT_TRUE(port->finished());
}

// Each refusal sends nothing; its negative outcome keeps the loop's repeat text.
TEST_F(FlashCommands, ArgumentsOutsideTheirRangesAreRefused)
{
    const std::pair<const char*, const char*> cases[] = {
        {"fe", "No effective parameter(s)\n"}, {"fe 1 2", "No effective parameter(s)\n"},
        {"fe 10", "Invalid block number 10\n"},
        {"fe zz", "Invalid block number zz\n"}, // an evaluation error is out of range too
        {"fw 0xFFFFA000", "Error FlashROM address missing\n"}, {"fw 1 2 3", "Error FlashROM address missing\n"},
        {"fw 0xFFFFBF80 0x1000", "Error. Bad write-buffer address.\n"}, // the loader's own buffer
        {"fw 0xFFFF9FFF 0x1000", "Error. Bad write-buffer address.\n"},
        {"fw 0xFFFFBF00 0x1FF80", "Error. Bad flash-ROM address.\n"}, // the user flag's piece
        {"fw 0xFFFFBF00 0x1040", "Error. Bad flash-ROM address.\n"}, // not a whole piece
        {"fw 0xFFFFBF00 0xF80", "Error. Bad flash-ROM address.\n"}, // the monitor's block
    };
    for (const auto& c : cases) {
        EXPECT_LT(run(c.first), 0) << c.first;
        EXPECT_EQ(output(), c.second) << c.first;
    }
    EXPECT_TRUE(port->sent().empty());
}
