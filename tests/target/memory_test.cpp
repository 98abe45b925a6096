// readMem, writeMem and writeMemSingle against a scripted monitor: the chunks
// on the wire, the messages, and where a failure stops a transfer.
#include <cstring>
#include <vector>

#include "target_fixture.h"

using MemoryTest = TargetTest;

TEST_F(MemoryTest, ReadOfFortyBytesSendsSixteenSixteenEight)
{
    port->expect(memReadRequest(0x1000, 16), memReadReply(pattern(16, 0x00)));
    port->expect(memReadRequest(0x1010, 16), memReadReply(pattern(16, 0x10)));
    port->expect(memReadRequest(0x1020, 8), memReadReply(pattern(8, 0x20)));
    uint8_t buffer[40] = {};
    readMem(0x1000, 40, buffer);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(Bytes(buffer, buffer + 40), pattern(40));
    EXPECT_EQ(output(), "");
}

TEST_F(MemoryTest, ReadChunkBoundaries)
{
    struct Case {
        uint16_t count;
        std::vector<uint8_t> chunks;
    };
    const Case cases[] = {{0, {}}, {1, {1}}, {15, {15}}, {16, {16}}, {17, {16, 1}}, {32, {16, 16}}, {33, {16, 16, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        restart();
        uint32_t address = 0xFFFFA000;
        for (uint8_t n : c.chunks) {
            port->expect(memReadRequest(address, n), memReadReply(pattern(n)));
            address += n;
        }
        std::vector<uint8_t> buffer(c.count + 1, 0xEE);
        readMem(0xFFFFA000, c.count, buffer.data());
        EXPECT_TRUE(port->finished());
        EXPECT_EQ(buffer[c.count], 0xEE) << "wrote past the count";
    }
}

TEST_F(MemoryTest, ReadAddressWrapsAtTopOfMemory)
{
    port->expect(memReadRequest(0xFFFFFFF8, 16), memReadReply(pattern(16)));
    port->expect(memReadRequest(0x00000008, 4), memReadReply(pattern(4)));
    uint8_t buffer[20];
    readMem(0xFFFFFFF8, 20, buffer);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryTest, ReadFailuresStopTheTransferAndKeepUnreadBytes)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"exception reply", frame(0x41, {9}), "readMem:Error.Responce is not MEM_READ. 65\n"},
        {"restart", frame(TARGET_RESTARTED), "readMem:Error.Responce is not MEM_READ. 80\n"},
        {"bad ETX", Bytes{0x02, 0x03, 0x00, 0x11, 0xEC, 0x04}, "readMem:Error receivePacket()=-4\n"},
        {"short payload", memReadReply(pattern(15)), "readMem:Error.Responce is short. 15\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        port->expect(memReadRequest(0x2000, 16), memReadReply(pattern(16, 0x40)));
        port->expect(memReadRequest(0x2010, 16), c.reply);
        uint8_t buffer[48];
        std::memset(buffer, 0xEE, sizeof buffer);
        readMem(0x2000, 48, buffer);  // the third chunk must never be sent
        EXPECT_TRUE(port->finished());
        EXPECT_EQ(output(), c.message);
        EXPECT_EQ(Bytes(buffer, buffer + 16), pattern(16, 0x40));
        EXPECT_EQ(buffer[16], 0xEE);
        EXPECT_EQ(buffer[47], 0xEE);
        EXPECT_EQ(readMemChecked(0x3000, 0, buffer), 1);
    }
}

TEST_F(MemoryTest, WriteSplitsIntoChunksWithTheBytesInOrder)
{
    Bytes data = pattern(20, 0x80);
    port->expect(memWriteRequest(0xFFFFA000, Bytes(data.begin(), data.begin() + 16)), memWriteReply());
    port->expect(memWriteRequest(0xFFFFA010, Bytes(data.begin() + 16, data.end())), memWriteReply());
    writeMem(0xFFFFA000, 20, data.data());
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(), "");
}

TEST_F(MemoryTest, WriteFailuresStopBeforeTheNextChunk)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"status 0", memWriteReply(0), "writeMem:Error.Responce of MEM_WRITE =NG\n"},
        {"status 2", memWriteReply(2), "writeMem:Error.Responce of MEM_WRITE =NG\n"},
        {"no status byte", frame(MEM_WRITE), "writeMem:Error.Responce of MEM_WRITE =NG\n"},
        {"wrong code", frame(MEM_READ, {1}), "writeMem:Error.Responce is not MEM_WRITE. 0\n"},
        {"LEN too big", Bytes{0x02, 30}, "writeMem:Error receivePacket()=-2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        Bytes data = pattern(40);
        port->expect(memWriteRequest(0x100, Bytes(data.begin(), data.begin() + 16)), c.reply);
        writeMem(0x100, 40, data.data());
        EXPECT_TRUE(port->finished());
        EXPECT_EQ(output(), c.message);
    }
}

TEST_F(MemoryTest, WriteOfNothingSendsNothing)
{
    uint8_t data[1] = {0};
    writeMem(0x100, 0, data);
    EXPECT_TRUE(port->finished());
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(MemoryTest, WriteSingleSendsLowBytesMostSignificantFirst)
{
    struct Case {
        uint32_t address;
        int size;
        Bytes data;
    };
    const Case cases[] = {
        {0x1000, 1, {0x78}},
        {0x1001, 1, {0x78}},
        {0x1000, 2, {0x56, 0x78}},
        {0x1002, 2, {0x56, 0x78}},
        {0x1000, 4, {0x12, 0x34, 0x56, 0x78}},
        {0xFFFFFFFC, 4, {0x12, 0x34, 0x56, 0x78}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address << " size " << c.size);
        restart();
        port->expect(memWriteRequest(c.address, c.data), memWriteReply());
        EXPECT_EQ(writeMemSingle(c.address, 0x12345678, c.size), c.address + c.size);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(MemoryTest, WriteSingleMisalignedSendsNothingAndKeepsTheCache)
{
    port->expect(memReadRequest(0x1000, 16), memReadReply(pattern(16)));
    uint8_t line[16];
    readMemCache(line, 0x1000);
    const uint32_t cases[][2] = {{0x1001, 2}, {0x1003, 2}, {0x1002, 4}, {0x1001, 4}, {0x1003, 4}, {0x1000, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(writeMemSingle(c[0], 0xAA, static_cast<int>(c[1])), c[0]);
    EXPECT_NE(searchMemCache(0x1000), nullptr);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(), "");
}

TEST_F(MemoryTest, WriteSingleFailuresReturnTheAddress)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"bad ETX", Bytes{0x02, 0x03, 0x01, 0x01, 0xFB, 0x00}, "writeMemSingle():PacketError -4\n"},
        {"wrong code", frame(0x41, {9}), "writeMemSingle():ProtocolError 65\n"},
        {"refused", memWriteReply(0), "writeMemSingle():Responce of MEM_WRITE =NG\n"},
        {"no status byte", frame(MEM_WRITE), "writeMemSingle():Responce of MEM_WRITE =NG\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        port->expect(memWriteRequest(0x2000, {0x00, 0x00, 0xBE, 0xEF}), c.reply);
        EXPECT_EQ(writeMemSingle(0x2000, 0xBEEF, 4), 0x2000u);
        EXPECT_TRUE(port->finished());
        EXPECT_EQ(output(), c.message);
    }
}
