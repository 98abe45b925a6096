// The in-process board behind the port: the port's own contract, and the
// debugger's real link layer talking to the real monitor.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "sim/sim_port.h"
#include "sim_wire.h"

namespace {

class SimPortTest : public testing::Test {
protected:
    void SetUp() override { port = quill::openBoardPort(); }

    Bytes readAll()
    {
        Bytes out(static_cast<size_t>(port->available()));
        out.resize(static_cast<size_t>(port->read(out.data(), static_cast<int>(out.size()))));
        return out;
    }

    std::unique_ptr<Port> port;
};

TEST_F(SimPortTest, OpensQuietWithAFreshBoard)
{
    ASSERT_NE(quill::simBoard(), nullptr);
    EXPECT_EQ(port->available(), 0);
    quill::simBoard()->memory().ram()[0] = 0x77;
    quill::simBoard()->breaks().write(0, {0x1000, 0x54, 0});
    port = quill::openBoardPort();
    EXPECT_EQ(port->available(), 0);
    EXPECT_EQ(quill::simBoard()->memory().ram()[0], 0x00);
    EXPECT_EQ(quill::simBoard()->breaks().fetchHit(0x1000), -1);
}

TEST_F(SimPortTest, ReplyIsReadableRightAfterTheLastRequestByte)
{
    Bytes request = frame(0x12);
    EXPECT_EQ(port->write(request.data(), 4), 4);
    EXPECT_EQ(port->available(), 0);
    EXPECT_EQ(port->write(request.data() + 4, 1), 1);
    EXPECT_EQ(port->available(), 8);
    uint8_t first[3];
    EXPECT_EQ(port->read(first, 3), 3);
    EXPECT_EQ(Bytes(first, first + 3), (Bytes{0x02, 0x05, 0x12}));
    EXPECT_EQ(readAll(), (Bytes{0x01, 0x00, 0x03, 0xE5, 0x03}));
    EXPECT_EQ(port->read(first, 3), 0);
}

TEST_F(SimPortTest, ResetBehindThePortIsAnnounced)
{
    quill::simBoard()->reset();
    EXPECT_EQ(readAll(), frame(0x50, {1}));
}

TEST_F(SimPortTest, WaitReturnsAtOnceWhenTheBoardHasSomethingToSay)
{
    quill::simBoard()->reset();
    auto start = std::chrono::steady_clock::now();
    port->waitEvent(60'000, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(SimPortTest, WaitWakesForConsoleInput)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "k", 1), 1);
    auto start = std::chrono::steady_clock::now();
    port->waitEvent(60'000, fds[0]);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    close(fds[0]);
    close(fds[1]);
}

TEST_F(SimPortTest, WaitingGivesUpAStalledFrame)
{
    Bytes junk{0x02, 0x1D};
    Bytes request = junk + frame(0x12);
    port->write(request.data(), static_cast<int>(request.size()));
    int waits = 0;
    while (port->available() == 0 && waits < 100) {
        port->waitEvent(10, -1);
        ++waits;
    }
    EXPECT_EQ(waits, quill::kFrameSilenceMs / 10);
    EXPECT_EQ(readAll(), frame(0x12, {1, 0, 3}));
}

// The debugger's own link layer against the monitor: the two framings must agree.
class LinkToBoardTest : public testing::Test {
protected:
    void SetUp() override
    {
        setComPort(quill::openBoardPort());
        resetPacketBuffer();
        resetTargetInfo();
        rxTimeout = 0;
    }
    void TearDown() override { setComPort(nullptr); }
};

TEST_F(LinkToBoardTest, IdentificationThroughTheLinkLayer)
{
    uint8_t major = 0, minor = 0, build = 0;
    ASSERT_EQ(getTargetVersion(&major, &minor, &build), 1);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 3);
    uint32_t address = 0, size = 0;
    ASSERT_EQ(getFlashArea(&address, &size), 1);
    EXPECT_EQ(address, 0xFFFFA000u);
    EXPECT_EQ(size, 0x1000u);
    ASSERT_EQ(getUserArea(&address, &size), 1);
    EXPECT_EQ(address, 0xFFFFB000u);
    EXPECT_EQ(size, 0xF80u);
}

TEST_F(LinkToBoardTest, MemoryRoundTripWithFrameBytesInTheData)
{
    packetBegin(MEM_WRITE);
    packetPutLong(0xFFFFA200);
    packetPutByte(16);
    for (int i = 0; i < 16; ++i)
        packetPutByte(static_cast<uint8_t>(i % 2 ? 0x03 : 0x02));
    packetEnd();
    sendPacket();
    ASSERT_GT(receivePacket(), 0);
    EXPECT_EQ(packetGetByte(), MEM_WRITE);
    EXPECT_EQ(packetGetByte(), 1);

    packetBegin(MEM_READ);
    packetPutLong(0xFFFFA200);
    packetPutByte(16);
    packetEnd();
    sendPacket();
    ASSERT_EQ(receivePacket(), 18);
    EXPECT_EQ(packetGetByte(), MEM_READ);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(packetGetByte(), i % 2 ? 0x03 : 0x02) << i;
}

TEST_F(LinkToBoardTest, RestartDuringARequestRunsTheHandshake)
{
    packetBegin(BRK_READ);
    packetPutByte(0);
    packetEnd();
    // The board resets while the request is on the wire: the part it had
    // taken is lost, the rest is noise to the restarted monitor.
    int length = packetBuffer.frame[1] + 3;
    comWrite(packetBuffer.frame, length - 2);
    quill::simBoard()->reset();
    comWrite(packetBuffer.frame + length - 2, 2);
    testing::internal::CaptureStdout();
    int result = waitResponse(BRK_READ);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Tareget board ReStarted\n");
    EXPECT_EQ(result, 0x50);
    EXPECT_EQ(comAvailable(), 0);
}

TEST_F(LinkToBoardTest, OpenSimPortGivesTheBoard)
{
    std::unique_ptr<Port> p = openSimPort();
    if (!p)
        GTEST_SKIP() << "the link layer still has its stand-in for the simulated board";
    EXPECT_EQ(quill::simBoard()->pendingToHost(), 0u);
    uint8_t request[] = {0x02, 0x02, 0x12, 0xEC, 0x03};
    p->write(request, 5);
    EXPECT_EQ(p->available(), 8);
}

}  // namespace
