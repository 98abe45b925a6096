// Building frames, the field getters and the byte-at-a-time recogniser. The
// exact bytes of each request are in the exchange files (tests/commands).
#include "support/target_fixture.h"

namespace {

using Packet = TargetTest;

// Fields go most significant first; one that would run past the 27 payload
// bytes is dropped whole, so the frame never outgrows the buffer.
TEST_F(Packet, FieldsAreBigEndianAndOneThatDoesNotFitIsDroppedWhole)
{
    packetBegin(MEM_WRITE);
    packetPutLong(0xFFFFA010);
    packetPutWord(0x1234);
    for (int i = 0; i < 19; ++i)
        packetPutByte(0x11); // 25 payload bytes
    packetPutLong(0xDEADBEEF); // 2 left: dropped
    packetPutWord(0xA1A2); // fits exactly
    packetPutByte(0xEE); // no room
    packetEnd();
    const Bytes payload = Bytes {0xFF, 0xFF, 0xA0, 0x10, 0x12, 0x34} + Bytes(19, 0x11) + Bytes {0xA1, 0xA2};
    EXPECT_EQ(Bytes(packetBuffer.frame, packetBuffer.frame + 32), frame(MEM_WRITE, payload));
}

TEST_F(Packet, AGetterPastTheEndOfTheDataGivesZeroAndTakesNothing)
{
    port->feed(frame(GET_USER_AREA, {0x12, 0x34, 0x56}));
    ASSERT_EQ(receivePacket(), 5);
    EXPECT_EQ(packetGetByte(), GET_USER_AREA);
    EXPECT_EQ(packetGetLong(), 0u);
    EXPECT_EQ(packetGetWord(), 0x1234);
    EXPECT_EQ(packetGetWord(), 0);
    EXPECT_EQ(packetGetByte(), 0x56);
    EXPECT_EQ(packetGetByte(), 0) << "the checksum is not payload";
}

// A request built while a frame is half scanned moves the shared count; the
// rest of that frame is then dropped rather than written past the buffer.
TEST_F(Packet, ARequestBuiltMidScanCannotPushTheScanPastTheBuffer)
{
    scanPacketByte(0x02);
    scanPacketByte(29);
    packetBegin(MEM_WRITE);
    for (int i = 0; i < 27; ++i)
        packetPutByte(0x55);
    for (int i = 0; i < kMaxFrameLength - 27; ++i)
        EXPECT_EQ(scanPacketByte(0x77), 2) << "byte " << i;
    EXPECT_EQ(scanPacketByte(0x77), -1);
    EXPECT_EQ(scanPacketByte(0x77), 0) << "idle again";
}

} // namespace
