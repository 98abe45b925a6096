// Building frames, the getters, the recogniser's state table and DumpPacket.
#include "link_fixture.h"

namespace {

using PacketBuild = LinkTest;

TEST_F(PacketBuild, GetVersionRequestIsTheFiveKnownBytes)
{
    packetBegin(GET_VERSION);
    packetEnd();
    EXPECT_EQ(hexBytes(frameBytes()), "02 02 12 EC 03");
}

TEST_F(PacketBuild, FlashEraseBlock3CarriesAnEtxValueInsideThePayload)
{
    packetBegin(FLASH_ERASE);
    packetPutByte(3);
    packetEnd();
    EXPECT_EQ(hexBytes(frameBytes()), "02 03 60 03 9A 03");
}

TEST_F(PacketBuild, WordsAndLongsGoMostSignificantFirstAndTheSumIsZero)
{
    packetBegin(MEM_READ);
    packetPutLong(0xFFFFA010);
    packetPutWord(0x1234);
    packetPutByte(0x10);
    packetEnd();
    EXPECT_EQ(hexBytes(frameBytes()), hexBytes(frame(MEM_READ, {0xFF, 0xFF, 0xA0, 0x10, 0x12, 0x34, 0x10})));
    uint8_t sum = 0;
    for (int i = 1; i <= packetBuffer.frame[1] + 1; ++i)
        sum = static_cast<uint8_t>(sum + packetBuffer.frame[i]);
    EXPECT_EQ(sum, 0);
}

TEST_F(PacketBuild, SendPutsExactlyTheFrameOnTheWire)
{
    Bytes request = frame(MEM_WRITE, {0x00, 0x00, 0x10, 0x00, 0x02, 0xAB, 0xCD});
    port_->expect(request, {});
    packetBegin(MEM_WRITE);
    packetPutLong(0x1000);
    packetPutByte(2);
    packetPutWord(0xABCD);
    packetEnd();
    sendPacket();
    EXPECT_EQ(port_->sent(), request);
    EXPECT_TRUE(port_->finished());
}

TEST_F(PacketBuild, TwentySevenPayloadBytesFillTheBufferAndMoreAreDropped)
{
    Bytes payload;
    packetBegin(MEM_WRITE);
    for (int i = 0; i < 27; ++i) {
        packetPutByte(static_cast<uint8_t>(0xA0 + i));
        payload.push_back(static_cast<uint8_t>(0xA0 + i));
    }
    packetPutByte(0xEE);         // no room left
    packetPutLong(0xDEADBEEF);   // nor for a long
    packetEnd();
    EXPECT_EQ(packetBuffer.frame[1], 29);
    EXPECT_EQ(frameBytes(), frame(MEM_WRITE, payload));
}

TEST_F(PacketBuild, AFieldThatDoesNotFitIsDroppedWhole)
{
    Bytes payload(25, 0x11);
    packetBegin(MEM_WRITE);
    for (uint8_t b : payload)
        packetPutByte(b);
    packetPutLong(0x01020304);  // 4 bytes, 2 left: dropped
    packetPutWord(0xA1A2);      // fits exactly
    packetEnd();
    EXPECT_EQ(frameBytes(), frame(MEM_WRITE, payload + Bytes{0xA1, 0xA2}));
}

using PacketGet = LinkTest;

// Loads a received frame the way the scanner does, so the getters see it.
void scanFrame(const Bytes& f)
{
    int last = 0;
    for (uint8_t b : f)
        last = scanPacketByte(b);
    ASSERT_EQ(last, 3) << hexBytes(f);
}

TEST_F(PacketGet, FieldsComeBackInOrderAfterTheCommand)
{
    scanFrame(frame(BRK_READ, {0x00, 0x00, 0x20, 0x00, 0x12, 0x34, 0x7F}));
    EXPECT_EQ(packetGetByte(), BRK_READ);
    EXPECT_EQ(packetGetLong(), 0x2000u);
    EXPECT_EQ(packetGetWord(), 0x1234);
    EXPECT_EQ(packetGetByte(), 0x7F);
    EXPECT_EQ(packetGetByte(), 0);  // the checksum is never handed out
    EXPECT_EQ(packetBuffer.count, 0);
}

TEST_F(PacketGet, ALongWithThreeBytesLeftIsZeroAndConsumesNothing)
{
    scanFrame(frame(GET_USER_AREA, {0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(packetGetByte(), GET_USER_AREA);
    EXPECT_EQ(packetGetLong(), 0u);
    EXPECT_EQ(packetGetByte(), 0xAA);
    EXPECT_EQ(packetGetWord(), 0xBBCC);
    EXPECT_EQ(packetGetWord(), 0);
}

TEST_F(PacketGet, AWordWithOneByteLeftIsZeroAndConsumesNothing)
{
    scanFrame(frame(REG_READ, {0x5A}));
    EXPECT_EQ(packetGetByte(), REG_READ);
    EXPECT_EQ(packetGetWord(), 0);
    EXPECT_EQ(packetGetByte(), 0x5A);
    EXPECT_EQ(packetGetByte(), 0);
}

TEST_F(PacketGet, AFullLengthFrameYieldsAllTwentySevenPayloadBytes)
{
    Bytes payload;
    for (int i = 0; i < 27; ++i)
        payload.push_back(static_cast<uint8_t>(i * 7 + 1));
    scanFrame(frame(MEM_READ, payload));
    EXPECT_EQ(packetGetByte(), MEM_READ);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ(packetGetByte(), payload[i]) << "byte " << i;
    EXPECT_EQ(packetGetLong(), 0u);
}

// The recogniser, one row per step: bytes fed from a given starting point and
// the result of each.
struct ScanRow {
    const char* name;
    Bytes bytes;
    std::vector<int> results;
};

const ScanRow scanRows[] = {
    {"text outside a frame", {'A', 0x03, 0x00, 0xFF}, {0, 0, 0, 0}},
    {"STX then LEN", {0x02, 0x02}, {1, 2}},
    {"LEN 29 is accepted", {0x02, 29}, {1, 2}},
    {"LEN 30 is refused", {0x02, 30, 'x'}, {1, -1, 0}},
    {"LEN 0xFF is refused", {0x02, 0xFF}, {1, -1}},
    {"empty GET_VERSION reply", frame(GET_VERSION), {1, 2, 2, 2, 3}},
    {"ETX value inside the payload", frame(FLASH_ERASE, {0x03}), {1, 2, 2, 2, 2, 3}},
    {"STX value as LEN-time data", {0x02, 0x02, 0x02, 0xFC, 0x03}, {1, 2, 2, 2, 3}},
    {"STX inside the body is data", frame(MEM_READ, {0x02, 0x02}), {1, 2, 2, 2, 2, 2, 3}},
    {"bad checksum", {0x02, 0x02, 0x12, 0xED, 0x03}, {1, 2, 2, 2, -1}},
    {"missing ETX", {0x02, 0x02, 0x12, 0xEC, 0x04}, {1, 2, 2, 2, -1}},
    {"LEN 0 is swallowed then refused", {0x02, 0x00, 0x03, 'A'}, {1, 2, -1, 0}},
    {"LEN 1 is swallowed then refused", {0x02, 0x01, 0xFF, 0x03, 'A'}, {1, 2, 2, -1, 0}},
    {"after a rejection a new frame is found", Bytes{0x02, 40} + frame(EXEC, {12}), {1, -1, 1, 2, 2, 2, 2, 3}},
    {"back to back frames", frame(EXEC, {11}) + frame(TARGET_RESTARTED), {1, 2, 2, 2, 2, 3, 1, 2, 2, 2, 3}},
};

class ScanTable : public LinkTest, public testing::WithParamInterface<ScanRow> {};

TEST_P(ScanTable, EachByteGivesTheStateTablesResult)
{
    const ScanRow& row = GetParam();
    ASSERT_EQ(row.bytes.size(), row.results.size());
    for (size_t i = 0; i < row.bytes.size(); ++i)
        EXPECT_EQ(scanPacketByte(row.bytes[i]), row.results[i]) << "byte " << i << " = " << hexBytes({row.bytes[i]});
}

INSTANTIATE_TEST_SUITE_P(Rows, ScanTable, testing::ValuesIn(scanRows), rowName<ScanRow>);

using Scan = LinkTest;

TEST_F(Scan, StateSurvivesBetweenCallsAndTheFrameIsReadable)
{
    Bytes f = frame(EXEC, {0x0C});
    for (size_t i = 0; i + 1 < f.size(); ++i)
        scanPacketByte(f[i]);
    EXPECT_EQ(packetBuffer.scanState, 2);
    EXPECT_EQ(scanPacketByte(f.back()), 3);
    EXPECT_EQ(packetBuffer.scanState, 0);
    EXPECT_EQ(packetGetByte(), EXEC);
    EXPECT_EQ(packetGetByte(), 0x0C);
    EXPECT_EQ(packetGetByte(), 0);
}

TEST_F(Scan, ARejectedFrameLeavesNothingForTheGetters)
{
    for (uint8_t b : Bytes{0x02, 0x03, 0x41, 0x0C, 0x00, 0x03})  // bad checksum
        scanPacketByte(b);
    EXPECT_EQ(packetGetByte(), 0);
}

// A request built while the recogniser is half-way through a frame moves the
// shared count; the rest of that frame must not be written past the buffer.
TEST_F(Scan, ARequestBuiltMidFrameCannotPushTheScanPastTheBuffer)
{
    scanPacketByte(0x02);
    scanPacketByte(29);  // 30 body bytes expected
    packetBegin(MEM_WRITE);
    for (int i = 0; i < 27; ++i)
        packetPutByte(0x55);  // count is now 27
    // Five more bytes fill the buffer; the sixth has no place and ends the frame.
    std::vector<int> rejectedAt;
    for (int i = 0; i < 30; ++i)
        if (scanPacketByte(0x77) == -1)
            rejectedAt.push_back(i);
    EXPECT_EQ(rejectedAt, std::vector<int>{kMaxFrameLength - 27});
    EXPECT_EQ(packetBuffer.scanState, 0);
    EXPECT_EQ(packetBuffer.count, 0);
}

using Dump = LinkTest;

TEST_F(Dump, PrintsEveryFrameByteWithALineFeedAfterTheSixteenth)
{
    scanFrame(frame(MEM_READ, Bytes(14, 0xAB)));  // 19 bytes
    std::string out = captureStdout([] { DumpPacket(); });
    EXPECT_EQ(out,
              "HOST:DumpPacket:02 10 00 AB AB AB AB AB AB AB AB AB AB AB AB AB \n"
              "AB 96 03 \n");
}

TEST_F(Dump, ShortFrame)
{
    packetBegin(GET_VERSION);
    packetEnd();
    EXPECT_EQ(captureStdout([] { DumpPacket(); }), "HOST:DumpPacket:02 02 12 EC 03 \n");
}

TEST(CommandCodes, TableNamesEveryCodeAndEndsWithASentinel)
{
    int rows = 0;
    while (commandCodeTable[rows].code != -1)
        ++rows;
    EXPECT_EQ(rows, 14);
    EXPECT_EQ(commandCodeTable[rows].name, nullptr);
    EXPECT_STREQ(commandCodeName(0x00), "MEM_READ");
    EXPECT_STREQ(commandCodeName(0x50), "TARGET_RESTARTED");
    EXPECT_STREQ(commandCodeName(0x61), "FLASH_WRITE");
    EXPECT_EQ(commandCodeName(0x42), nullptr);
}

}  // namespace
