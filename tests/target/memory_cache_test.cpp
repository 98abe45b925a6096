// The line cache: ring order after clearing, LRU order on hits and fills,
// eviction, what empties it, and the diagnostic dump.
#include <string>
#include <vector>

#include "target_fixture.h"
#include "target/breakpoints.h"
#include "target/registers.h"

namespace {

// Pool indices of a ring, from its head along next.
std::vector<int> ring(const Membuf* head)
{
    std::vector<int> order;
    if (head == nullptr)
        return order;
    const Membuf* b = head;
    do {
        order.push_back(memCacheIndex(b));
        EXPECT_EQ(b->next->prev, b) << "broken back link at " << memCacheIndex(b);
        b = b->next;
    } while (b != head && order.size() <= kMemCacheLines);
    return order;
}

std::vector<uint32_t> validAddresses()
{
    std::vector<uint32_t> order;
    const Membuf* head = memCacheValidHead();
    if (head == nullptr)
        return order;
    const Membuf* b = head;
    do {
        order.push_back(b->adrs);
        b = b->next;
    } while (b != head);
    return order;
}

}  // namespace

class MemoryCacheTest : public TargetTest {
protected:
    // Fills line n (address 0x10000 + 16 n) from the scripted monitor.
    void fill(int n)
    {
        uint32_t address = 0x10000 + 16u * static_cast<uint32_t>(n);
        port->expect(memReadRequest(address, 16), memReadReply(pattern(16, static_cast<uint8_t>(n))));
        uint8_t line[16];
        EXPECT_EQ(readMemCache(line, address), 16);
        EXPECT_EQ(line[0], static_cast<uint8_t>(n));
    }
};

TEST_F(MemoryCacheTest, ClearBuildsFreeRingZeroThenDescending)
{
    std::vector<int> expected{0};
    for (int i = 63; i >= 1; --i)
        expected.push_back(i);
    EXPECT_EQ(ring(memCacheFreeHead()), expected);
    EXPECT_EQ(memCacheValidHead(), nullptr);
}

TEST_F(MemoryCacheTest, FillsTakeBuffersInFreeRingOrderAndEvictTheOldest)
{
    for (int n = 0; n < 64; ++n) {
        fill(n);
        int expected = n == 0 ? 0 : 64 - n;
        EXPECT_EQ(memCacheIndex(memCacheValidHead()), expected) << "fill " << n;
    }
    EXPECT_EQ(memCacheFreeHead(), nullptr);
    EXPECT_EQ(ring(memCacheValidHead()).size(), 64u);

    // The 65th line evicts line 0, the least recently used, and reuses its buffer 0.
    fill(64);
    EXPECT_EQ(memCacheIndex(memCacheValidHead()), 0);
    EXPECT_EQ(searchMemCache(0x10000), nullptr);
    EXPECT_NE(searchMemCache(0x10010), nullptr);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, HitRefreshesSoTheNextOldestIsEvicted)
{
    for (int n = 0; n < 64; ++n)
        fill(n);
    uint8_t line[16];
    EXPECT_EQ(readMemCache(line, 0x10000), 16);  // a hit: no request
    EXPECT_EQ(line[15], 15);
    fill(64);
    EXPECT_NE(searchMemCache(0x10000), nullptr);
    EXPECT_EQ(searchMemCache(0x10010), nullptr);  // line 1 was now the oldest
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, SearchMovesTheHitToTheHeadKeepingTheRestInOrder)
{
    fill(0);
    fill(1);
    fill(2);
    EXPECT_EQ(validAddresses(), (std::vector<uint32_t>{0x10020, 0x10010, 0x10000}));
    // Head hit: nothing moves.
    EXPECT_EQ(searchMemCache(0x10020)->adrs, 0x10020u);
    EXPECT_EQ(validAddresses(), (std::vector<uint32_t>{0x10020, 0x10010, 0x10000}));
    // Tail hit.
    EXPECT_EQ(searchMemCache(0x10000)->adrs, 0x10000u);
    EXPECT_EQ(validAddresses(), (std::vector<uint32_t>{0x10000, 0x10020, 0x10010}));
    // Middle hit.
    searchMemCache(0x10020);
    EXPECT_EQ(validAddresses(), (std::vector<uint32_t>{0x10020, 0x10000, 0x10010}));
    EXPECT_EQ(searchMemCache(0x10030), nullptr);
    EXPECT_EQ(ring(memCacheValidHead()).size(), 3u);
    EXPECT_EQ(ring(memCacheFreeHead()).size(), 61u);
}

TEST_F(MemoryCacheTest, LineZeroIsNotFoundInAnEmptyCache)
{
    // Every buffer's key is 0 after clearing; only the valid ring may answer.
    EXPECT_EQ(searchMemCache(0), nullptr);
    port->expect(memReadRequest(0, 16), memReadReply(pattern(16, 0xA0)));
    uint8_t line[16];
    readMemCache(line, 0);
    EXPECT_NE(searchMemCache(0), nullptr);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, EveryWriteEmptiesTheCache)
{
    struct Case {
        const char* name;
        Bytes request;
        Bytes reply;
        void (*write)();
    };
    const Case cases[] = {
        {"writeMem", memWriteRequest(0x20, {1}), memWriteReply(),
         [] {
             uint8_t b = 1;
             writeMem(0x20, 1, &b);
         }},
        {"writeMemSingle", memWriteRequest(0x20, {0, 1}), memWriteReply(), [] { writeMemSingle(0x20, 1, 2); }},
        {"writeReg", frame(REG_WRITE, Bytes{3} + be32(7)), frame(REG_WRITE, {1}), [] { writeReg(3, 7); }},
        {"writeBreakpoint", frame(BRK_WRITE, Bytes{1} + be32(0x400) + be16(0x54) + be32(0)), frame(BRK_WRITE),
         [] { writeBreakpoint(1, 0x54, 0x400, 0); }},
        {"setReg with a bad name", {}, {},
         [] {
             char name[] = "R15";
             setReg(name, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        fill(0);
        if (!c.request.empty())
            port->expect(c.request, c.reply);
        c.write();
        EXPECT_EQ(memCacheValidHead(), nullptr);
        fill(0);  // the same line is asked for again
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(MemoryCacheTest, ReadsAndClearingABreakpointKeepTheCache)
{
    fill(0);
    port->expect(memReadRequest(0x500, 4), memReadReply(pattern(4)));
    uint8_t buffer[4];
    readMem(0x500, 4, buffer);
    port->expect(frame(REG_READ, {22}), frame(REG_READ, be32(0x1000)));
    readReg(REG_PC);
    port->expect(frame(BRK_CLEAR, {0}), frame(BRK_CLEAR));
    clearBreakpoint(0);
    EXPECT_NE(searchMemCache(0x10000), nullptr);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, FailedFillIsNotEnteredAndItsBufferReturns)
{
    port->expect(memReadRequest(0x3000, 16), frame(0x41, {9}));
    uint8_t line[16];
    EXPECT_EQ(readMemCache(line, 0x3000), 16);
    EXPECT_EQ(output(), "readMem:Error.Responce is not MEM_READ. 65\n");
    EXPECT_EQ(memCacheValidHead(), nullptr);
    EXPECT_EQ(memCacheIndex(memCacheFreeHead()), 0);
    EXPECT_EQ(ring(memCacheFreeHead()).size(), 64u);
    // The next read asks the monitor again instead of serving the failed line.
    port->expect(memReadRequest(0x3000, 16), memReadReply(pattern(16, 0x30)));
    readMemCache(line, 0x3000);
    EXPECT_EQ(line[0], 0x30);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, FailedFillWithAFullCacheLeavesOneFreeBuffer)
{
    for (int n = 0; n < 64; ++n)
        fill(n);
    port->expect(memReadRequest(0x90000, 16), memReadReply(pattern(3)));
    uint8_t line[16];
    readMemCache(line, 0x90000);
    EXPECT_EQ(ring(memCacheValidHead()).size(), 63u);
    EXPECT_EQ(ring(memCacheFreeHead()), std::vector<int>{0});  // line 0's buffer, evicted
    fill(64);
    EXPECT_EQ(memCacheFreeHead(), nullptr);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCacheTest, DumpAfterClearListsSixtyFourFreeBuffers)
{
    dumpMemCache();
    std::string text = output();
    std::string expected = "dumpMemCache : pMembuf_free\n"
                           "00000000 : prev=00000001 next=0000003f adrs=0\n"
                           "0000003F : prev=00000000 next=0000003e adrs=0\n";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    std::string tail = "00000001 : prev=00000002 next=00000000 adrs=0\n"
                       "dumpMemCache : pMembuf_valid\n"
                       "pMembuf_valid = NULL\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 1u + 64u + 2u);
}

TEST_F(MemoryCacheTest, DumpShowsValidLinesAndAnEmptyFreeRing)
{
    for (int n = 0; n < 64; ++n)
        fill(n);
    output();
    dumpMemCache();
    std::string text = output();
    EXPECT_EQ(text.substr(0, 48), "dumpMemCache : pMembuf_free\npMembuf_free = NULL\n");
    // Head is the last fill, line 63 in buffer 1; adrs in decimal.
    EXPECT_NE(text.find("dumpMemCache : pMembuf_valid\n00000001 : prev=00000000 next=00000002 adrs=66544\n"),
              std::string::npos);
}
