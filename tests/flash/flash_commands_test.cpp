// FE and FW: argument ranges, the exact requests, and how each outcome is reported.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "flash/flash.h"
#include "link/packet.h"
#include "link/serial.h"
#include "support/scripted_port.h"

namespace {

class FlashCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto owned = std::make_unique<ScriptedPort>();
        port = owned.get();
        setComPort(std::move(owned));
        resetPacketBuffer();
        rxTimeout = 0;
        testing::internal::CaptureStdout();
    }
    void TearDown() override { setComPort(nullptr); }
    std::string output()
    {
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    ScriptedPort* port = nullptr;
};

TEST_F(FlashCommands, EraseSendsTheBlockAndReportsAFailureCode)
{
    port->expect({0x02, 0x03, 0x60, 0x03, 0x9A, 0x03}, frame(0x60, {1}));
    EXPECT_TRUE(flashEraseCommand("3"));
    port->expect(frame(0x60, {9}), frame(0x60, {0, 0x2A}));
    EXPECT_TRUE(flashEraseCommand("9"));
    port->expect(frame(0x60, {0}), frame(0x31));
    EXPECT_TRUE(flashEraseCommand("0"));
    EXPECT_EQ(output(), "Flash-ROM Erase Error. code = 2A\nError at Flash-ROM erase\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(FlashCommands, EraseRefusesBlocksOutsideZeroToNine)
{
    EXPECT_FALSE(flashEraseCommand("10"));
    EXPECT_FALSE(flashEraseCommand("zz"));  // an evaluation error is out of range too
    EXPECT_EQ(output(), "Invalid block number 10\nInvalid block number zz\n");
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(FlashCommands, WriteRangesAtTheirEdges)
{
    EXPECT_FALSE(flashWriteCommand("0xFFFFBF80", "0x1000"));  // the loader's own buffer
    EXPECT_FALSE(flashWriteCommand("0xFFFF9FFF", "0x1000"));
    EXPECT_FALSE(flashWriteCommand("0xFFFFBF00", "0x1FF80"));  // the user flag's piece
    EXPECT_FALSE(flashWriteCommand("0xFFFFBF00", "0x1040"));   // not a whole piece
    EXPECT_FALSE(flashWriteCommand("0xFFFFBF00", "0xF80"));    // the monitor's block
    EXPECT_EQ(output(),
              "Error. Bad write-buffer address.\nError. Bad write-buffer address.\n"
              "Error. Bad flash-ROM address.\nError. Bad flash-ROM address.\nError. Bad flash-ROM address.\n");
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(FlashCommands, WriteSendsSourceAndDestinationAndReportsOutcomes)
{
    port->expect(frame(0x61, {0xFF, 0xFF, 0xA0, 0x00, 0x00, 0x00, 0x10, 0x00}), frame(0x61, {1}));
    EXPECT_TRUE(flashWriteCommand("0xFFFFA000", "0x1000"));
    port->expect(frame(0x61, {0xFF, 0xFF, 0xBF, 0x00, 0x00, 0x01, 0xFF, 0x00}), frame(0x61, {0, 0x07}));
    EXPECT_TRUE(flashWriteCommand("0xFFFFBF00", "0x1FF00"));
    port->expect(frame(0x61, {0xFF, 0xFF, 0xA0, 0x00, 0x00, 0x00, 0x10, 0x00}), frame(0x50));
    port->expect(frame(0x12), frame(0x12, {1, 0, 3}));
    EXPECT_TRUE(flashWriteCommand("0xFFFFA000", "0x1000"));
    EXPECT_EQ(output(),
              "Flash-ROM Write Error. code = 07\n"
              "Tareget board ReStarted\nError at Flash-ROM write 80\n");
    EXPECT_TRUE(port->finished());
}

}  // namespace
