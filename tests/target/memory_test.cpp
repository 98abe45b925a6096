// Target memory against a scripted monitor: the chunks on the wire, where a
// failure stops a transfer, and the line cache.
#include <vector>

#include "flash/flash.h"
#include "target/breakpoints.h"
#include "target/registers.h"
#include "support/target_fixture.h"

using MemoryTest = TargetTest;

// Transfers longer than one chunk go as chunks of at most sixteen bytes, the
// address wrapping at the top of memory; nothing is stored past the count.
// A single item's bytes and the messages of single reads and writes are in
// tests/commands and tests/expr.
TEST_F(MemoryTest, TransfersSplitIntoChunksOfAtMostSixteen)
{
    port->expect(memReadRequest(0xFFFFFFF0, 16), frame(MEM_READ, pattern(16)));
    port->expect(memReadRequest(0x00000000, 16), frame(MEM_READ, pattern(16, 16)));
    port->expect(memReadRequest(0x00000010, 8), frame(MEM_READ, pattern(8, 32)));
    std::vector<uint8_t> buffer(41, 0xEE);
    EXPECT_EQ(readMem(0xFFFFFFF0, 40, buffer.data()), 1);
    EXPECT_EQ(buffer, pattern(40) + Bytes {0xEE});
    EXPECT_EQ(readMem(0x1000, 0, buffer.data()), 1); // sends nothing
    port->expect(memWriteRequest(0xFFFFA000, pattern(16, 0x80)), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0xFFFFA010, pattern(4, 0x90)), frame(MEM_WRITE, {1}));
    EXPECT_EQ(writeMem(0xFFFFA000, 20, pattern(20, 0x80).data()), 1);
    // A misaligned item is refused before anything is sent; its address stays.
    for (const auto& [address, size] : {std::pair {0x1001u, 2}, {0x1002u, 4}, {0x1003u, 4}, {0x1000u, 3}})
        EXPECT_EQ(writeMemSingle(address, 0xAA, size), address);
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(), "");
}

// A failed exchange is reported once and ends the transfer: no further chunk
// is sent and no byte is stored.
TEST_F(MemoryTest, FailedReplyIsReportedAndEndsTheTransfer)
{
    std::vector<uint8_t> buffer(40, 0xEE);
    auto read = [&] {
        EXPECT_EQ(readMem(0x2000, 40, buffer.data()), 0);
        EXPECT_EQ(buffer, Bytes(40, 0xEE));
    };
    auto write = [&] { EXPECT_EQ(writeMem(0x2000, 40, pattern(40).data()), 0); };
    const Bytes rd = memReadRequest(0x2000, 16), wr = memWriteRequest(0x2000, pattern(16));
    // A short reply is refused whole rather than padded with zeros.
    EXPECT_EQ(exchange(rd, frame(MEM_READ, pattern(15)), read), "readMem:Error.Responce is short. 15\n");
    EXPECT_EQ(exchange(wr, frame(MEM_WRITE), write), "writeMem:Error.Responce of MEM_WRITE =NG\n"); // no status
    EXPECT_EQ(exchange(wr, frame(MEM_READ, {1}), write), "writeMem:Error.Responce is not MEM_WRITE. 0\n");
    EXPECT_EQ(exchange(wr, Bytes {0x02, 30}, write), "writeMem:Error receivePacket()=-2\n");
}

// The cache: 64 lines, replaced least recently used first, and emptied by
// anything that may change memory. Seen on the wire: a line that is cached
// costs no request.
class MemoryCacheTest : public TargetTest {
protected:
    // Line n, at 0x10000 + 16 n, whose bytes count up from n; a request only when not cached.
    void read(int n, bool cached)
    {
        uint32_t address = 0x10000 + 16u * static_cast<uint32_t>(n);
        if (!cached)
            port->expect(memReadRequest(address, 16), frame(MEM_READ, pattern(16, static_cast<uint8_t>(n))));
        uint8_t line[16];
        EXPECT_EQ(readMemCache(line, address), 16);
        EXPECT_EQ(line[15], static_cast<uint8_t>(n + 15));
        EXPECT_TRUE(port->finished()) << "line " << n;
    }

    bool empties(const Bytes& request, const Bytes& reply, const std::function<void()>& call)
    {
        restart();
        read(0, false);
        exchange(request, reply, call, false);
        return searchMemCache(0x10000) == nullptr;
    }
};

TEST_F(MemoryCacheTest, TheLeastRecentlyUsedLineIsReplaced)
{
    EXPECT_EQ(searchMemCache(0), nullptr);  // nothing is cached at first, not even address 0
    for (int n = 0; n < 64; ++n)
        read(n, false);
    read(0, true);    // line 0 becomes the newest
    read(64, false);  // replaces line 1, now the oldest
    read(0, true);
    read(2, true);
    read(1, false);
}

TEST_F(MemoryCacheTest, WritesEmptyTheCacheAndReadsKeepIt)
{
    uint32_t value;
    EXPECT_TRUE(empties(memWriteRequest(0x20, {1}), frame(MEM_WRITE, {1}), [] { writeMem(0x20, 1, Bytes{1}.data()); }));
    EXPECT_TRUE(empties(memWriteRequest(0x20, {0, 1}), frame(MEM_WRITE, {1}), [] { writeMemSingle(0x20, 1, 2); }));
    EXPECT_TRUE(empties(frame(REG_WRITE, Bytes{3} + be32(7)), frame(REG_WRITE, {1}), [] { writeReg(3, 7); }));
    EXPECT_TRUE(empties(frame(BRK_WRITE, Bytes{1} + be32(0x400) + Bytes{0, 0x54} + be32(0)), frame(BRK_WRITE),
                        [] { writeBreakpoint(1, BBR_PC, 0x400, 0); }));
    EXPECT_FALSE(empties(memReadRequest(0x500, 4), frame(MEM_READ, pattern(4)),
                         [] { readMem(0x500, 4, Bytes(4).data()); }));
    EXPECT_FALSE(empties(frame(REG_READ, {22}), frame(REG_READ, be32(0)), [&] { readReg(REG_PC, &value); }));
    EXPECT_FALSE(empties(frame(BRK_CLEAR, {0}), frame(BRK_CLEAR), [] { clearBreakpoint(0); }));
    EXPECT_FALSE(empties(frame(FLASH_ERASE, {2}), frame(FLASH_ERASE, {1}), [] { flashErase(2); }));
}

// A line that did not arrive whole is not served later, and a reused buffer
// never passes its old bytes off as a failed line.
TEST_F(MemoryCacheTest, FailedFillIsNotKept)
{
    uint8_t line[16];
    EXPECT_EQ(exchange(memReadRequest(0x3000, 16), frame(0x41, {9}), [&] { readMemCache(line, 0x3000); }),
              "readMem:Error.Responce is not MEM_READ. 65\n");
    EXPECT_EQ(searchMemCache(0x3000), nullptr);
    port->expect(memReadRequest(0x3000, 16), frame(MEM_READ, pattern(16, 0x30)));
    readMemCache(line, 0x3000);
    EXPECT_EQ(line[0], 0x30);
    clearMemCache();
    port->expect(memReadRequest(0x4000, 16), frame(0x41, {9}));
    readMemCache(line, 0x4000);
    EXPECT_EQ(std::vector<uint8_t>(line, line + 16), std::vector<uint8_t>(16, 0));
    EXPECT_TRUE(port->finished());
}
