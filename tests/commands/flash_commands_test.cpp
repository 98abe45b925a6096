// FE and FW: the exact requests, and how each reply the simulated board never
// gives is reported. Their arguments as typed are in tests/sessions.
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
