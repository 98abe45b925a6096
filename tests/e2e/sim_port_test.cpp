// The in-process board behind the port "sim", through the debugger's real
// link layer: the two framings must agree.
#include <gtest/gtest.h>

#include "link/packet.h"
#include "link/serial.h"
#include "link/sim_port.h"
#include "link/transaction.h"
#include "sim/board.h"
#include "support/scripted_port.h"

namespace {

TEST(SimPort, TheLinkLayerTalksToAFreshBoard)
{
    quill::openBoardPort();
    quill::simBoard()->memory().flash()[0x10] = 0x77; // gone once the port opens a fresh board
    setComPort(openSimPort());
    rxTimeout = 100; // polls: a lost reply fails the test instead of hanging it
    EXPECT_EQ(comAvailable(), 0);
    EXPECT_EQ(quill::simBoard()->memory().flash()[0x10], 0xFF);
    uint8_t major = 0, minor = 0, build = 0;
    ASSERT_EQ(getTargetVersion(&major, &minor, &build), 1);
    EXPECT_EQ(major * 10000 + minor * 100 + build, 10003);
    // Data full of STX and ETX values; the port's wait gives up a stalled frame in front of the request.
    Bytes data = {0x02, 0x03, 0x02, 0x03};
    quill::simBoard()->receiveFromHost(Bytes {0x02, 0x1D}.data(), 2);
    std::copy(data.begin(), data.end(), quill::simBoard()->memory().ram() + 0x1FF);
    packetBegin(MEM_READ);
    packetPutLong(0xFFFFA1FF);
    packetPutByte(5);
    packetEnd();
    sendPacket();
    ASSERT_EQ(receivePacket(), 7);
    EXPECT_EQ(packetGetByte(), MEM_READ);
    for (uint8_t expected : data + Bytes {0x00})
        EXPECT_EQ(packetGetByte(), expected);
    EXPECT_EQ(comAvailable(), 0);
    setComPort(nullptr);
    rxTimeout = 0;
}

} // namespace
