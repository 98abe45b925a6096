// The link layer against the simulated board in this process, opened by the
// port name "sim": identification, a memory read and a restart noticed while
// a request waits. The board is the other side's own implementation of the
// frame, so a disagreement between the two shows up here.
#include "link_fixture.h"
#include "sim/monitor.h"
#include "sim/sim_port.h"

namespace {

class BoardLink : public testing::Test {
protected:
    void SetUp() override
    {
        resetPacketBuffer();
        rxTimeout = 100;  // a board that stops answering fails the test
        ASSERT_EQ(initCom("sim", 115200), 1);
    }
    void TearDown() override
    {
        closeCom();
        rxTimeout = 0;
    }
};

TEST_F(BoardLink, TheNameSimIsTakenInAnyCase)
{
    for (const char* name : {"SIM", "Sim", "sIm"}) {
        EXPECT_EQ(initCom(name, 9600), 1) << name;
        uint8_t major = 0, minor = 0, build = 0;
        EXPECT_EQ(getTargetVersion(&major, &minor, &build), 1) << name;
    }
    std::string out = captureStdout([] { EXPECT_EQ(initCom("sims", 9600), 0); });
    EXPECT_EQ(out, "Can't open sims: No such file or directory\n");
}

TEST_F(BoardLink, IdentificationGivesTheBoardsAreas)
{
    uint32_t address = 0, size = 0;
    ASSERT_EQ(getFlashArea(&address, &size), 1);
    EXPECT_EQ(address, quill::kFlashAreaAddress);
    EXPECT_EQ(size, quill::kFlashAreaSize);
    ASSERT_EQ(getUserArea(&address, &size), 1);
    EXPECT_EQ(address, quill::kUserAreaAddress);
    EXPECT_EQ(size, quill::kUserAreaSize);
}

TEST_F(BoardLink, SixteenBytesReadBackFromFlashInAddressOrder)
{
    uint8_t* flash = quill::simBoard()->memory().flash();
    for (int i = 0; i < 16; ++i)
        flash[0x1230 + i] = static_cast<uint8_t>(0xF0 - i);
    packetBegin(MEM_READ);
    packetPutLong(0x1230);
    packetPutByte(16);
    packetEnd();
    sendPacket();
    ASSERT_EQ(receivePacket(), 18);
    EXPECT_EQ(packetGetByte(), MEM_READ);
    EXPECT_EQ(packetGetLong(), 0xF0EFEEEDu);
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(packetGetByte(), 0xF0 - i);
    EXPECT_EQ(packetGetByte(), 0);
}

TEST_F(BoardLink, AResetWhileARequestWaitsRunsTheHandshake)
{
    // The board restarts while the request is on the line, so the request
    // is lost; its last byte then arrives as noise.
    packetBegin(BRK_READ);
    packetPutByte(0);
    packetEnd();
    comWrite(packetBuffer.frame, packetBuffer.frame[1] + 2);
    quill::simBoard()->reset();
    comPutByte(ETX);
    std::string out = captureStdout([] { EXPECT_EQ(waitResponse(BRK_READ), TARGET_RESTARTED); });
    EXPECT_EQ(out, "Tareget board ReStarted\n");
    // The line is in step again: the next request gets its own reply.
    uint8_t major = 0, minor = 0, build = 0;
    EXPECT_EQ(getTargetVersion(&major, &minor, &build), 1);
}

}  // namespace
