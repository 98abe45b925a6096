// The board's parts below the monitor: the address space as the CPU will
// see it, the reset state, and the break controller's fetch match.
#include <gtest/gtest.h>

#include "sim/board.h"
#include "sim_wire.h"

namespace {

using namespace quill;

TEST(MemoryMap, PowerOnContents)
{
    MemoryMap m;
    uint32_t v = 0;
    EXPECT_EQ(m.read32(0x0001FFFC, v), Access::Ok);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(m.read32(0xFFFFBFFC, v), Access::Ok);
    EXPECT_EQ(v, 0u);
}

TEST(MemoryMap, BigEndianAccessesOfEverySize)
{
    MemoryMap m;
    EXPECT_EQ(m.write32(0xFFFFA100, 0x11223344), Access::Ok);
    EXPECT_EQ(m.write16(0xFFFFA104, 0x5566), Access::Ok);
    EXPECT_EQ(m.write8(0xFFFFA106, 0x77), Access::Ok);
    EXPECT_EQ(Bytes(m.ram() + 0x100, m.ram() + 0x108), (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x00}));
    uint16_t w = 0;
    uint8_t b = 0;
    uint32_t l = 0;
    EXPECT_EQ(m.read16(0xFFFFA102, w), Access::Ok);
    EXPECT_EQ(w, 0x3344);
    EXPECT_EQ(m.read8(0xFFFFA105, b), Access::Ok);
    EXPECT_EQ(b, 0x66);
    EXPECT_EQ(m.read32(0xFFFFA104, l), Access::Ok);
    EXPECT_EQ(l, 0x55667700u);
}

struct AccessRow {
    const char* name;
    uint32_t address;
    int size;
    bool write;
    Access expected;
};

const AccessRow kAccesses[] = {
    {"flash read", 0x0001FFFC, 4, false, Access::Ok},
    {"flash write", 0x00001000, 2, true, Access::ReadOnly},
    {"ram top longword", 0xFFFFBFFC, 4, true, Access::Ok},
    {"odd word", 0xFFFFA001, 2, false, Access::Misaligned},
    {"long on 2", 0xFFFFA002, 4, true, Access::Misaligned},
    {"above flash", 0x00020000, 1, false, Access::Unmapped},
    {"below ram", 0xFFFF9FFC, 4, false, Access::Unmapped},
    {"top of space", 0xFFFFFFFC, 4, false, Access::Unmapped},
};

TEST(MemoryMap, AccessResultsAtTheEdges)
{
    for (const AccessRow& row : kAccesses) {
        SCOPED_TRACE(row.name);
        MemoryMap m;
        Access a;
        if (row.size == 1) {
            uint8_t v = 0;
            a = row.write ? m.write8(row.address, 0) : m.read8(row.address, v);
        } else if (row.size == 2) {
            uint16_t v = 0;
            a = row.write ? m.write16(row.address, 0) : m.read16(row.address, v);
        } else {
            uint32_t v = 0;
            a = row.write ? m.write32(row.address, 0) : m.read32(row.address, v);
        }
        EXPECT_EQ(a, row.expected);
    }
}

TEST(MemoryMap, RefusedWritesLeaveMemoryAlone)
{
    MemoryMap m;
    m.ram()[0x101] = 0x5A;
    EXPECT_EQ(m.write16(0xFFFFA101, 0x1234), Access::Misaligned);
    EXPECT_EQ(m.ram()[0x101], 0x5A);
    EXPECT_EQ(m.write8(0x10, 0), Access::ReadOnly);
    EXPECT_EQ(m.flash()[0x10], 0xFF);
}

TEST(MemoryMap, CheckRangeBoundaries)
{
    MemoryMap m;
    EXPECT_EQ(m.checkRange(0xFFFFA000, 0x2000, true), Access::Ok);
    EXPECT_EQ(m.checkRange(0xFFFFA000, 0x2001, false), Access::Unmapped);
    EXPECT_EQ(m.checkRange(0x0, 0x20000, false), Access::Ok);
    EXPECT_EQ(m.checkRange(0x0, 0x20000, true), Access::ReadOnly);
    EXPECT_EQ(m.checkRange(0x1FFFF, 2, true), Access::Unmapped);
    EXPECT_EQ(m.checkRange(0xFFFFFFFF, 1, false), Access::Unmapped);
    EXPECT_EQ(m.checkRange(0xFFFFFFFF, 2, false), Access::Unmapped);
    EXPECT_EQ(m.checkRange(0x12345678, 0, true), Access::Ok);
}

TEST(MemoryMap, ImageLargerThanFlashIsRefusedWhole)
{
    MemoryMap m;
    Bytes big(kFlashSize + 1, 0x00);
    EXPECT_FALSE(m.loadFlashImage(big.data(), big.size()));
    EXPECT_EQ(m.flash()[0], 0xFF);
    Bytes exact(kFlashSize, 0x00);
    EXPECT_TRUE(m.loadFlashImage(exact.data(), exact.size()));
    EXPECT_EQ(m.flash()[kFlashSize - 1], 0x00);
}

TEST(BoardReset, PcAndSpComeFromAPlausibleVectorTable)
{
    Board board;
    Bytes image = be32(0x00002400) + be32(0xFFFFB000);
    ASSERT_TRUE(board.loadFlashImage(image.data(), image.size()));
    EXPECT_EQ(board.registers().pc, 0x00002400u);
    EXPECT_EQ(board.registers().r[15], 0xFFFFB000u);
    EXPECT_EQ(board.registers().sr, 0xF0u);
}

TEST(BoardReset, ImplausibleVectorsFallBackToDefaults)
{
    struct Row {
        Bytes table;
        uint32_t pc;
        uint32_t sp;
    };
    const Row rows[] = {
        {be32(0x00002401) + be32(0xFFFFB000), kDefaultEntry, 0xFFFFB000},  // odd PC
        {be32(0x00400000) + be32(0xFFFFA004), kDefaultEntry, kDefaultStack},  // PC unmapped, SP below the window
        {be32(0xFFFFA000) + be32(0xFFFFC004), 0xFFFFA000, kDefaultStack},  // RAM entry is fine; SP above the window
        {be32(0x00001000) + be32(0xFFFFB002), 0x00001000, kDefaultStack},  // SP not a multiple of 4
        {be32(0xFFFFFFFF) + be32(0xFFFFFFFF), kDefaultEntry, kDefaultStack},  // erased
    };
    for (const Row& row : rows) {
        Board board;
        board.loadFlashImage(row.table.data(), row.table.size());
        EXPECT_EQ(board.registers().pc, row.pc) << hexBytes(row.table);
        EXPECT_EQ(board.registers().r[15], row.sp) << hexBytes(row.table);
    }
}

TEST(BoardReset, PowerOnClearsRamButTheResetSwitchKeepsIt)
{
    Board board;
    board.memory().ram()[5] = 0x42;
    board.registers().r[3] = 7;
    BreakChannel c{0x1000, 0x54, 0};
    board.breaks().write(0, c);
    board.reset();
    EXPECT_EQ(board.memory().ram()[5], 0x42);
    EXPECT_EQ(board.registers().r[3], 0u);
    EXPECT_EQ(board.breaks().fetchHit(0x1000), -1);
    board.powerOn();
    EXPECT_EQ(board.memory().ram()[5], 0x00);
    EXPECT_EQ(drain(board), frame(0x50, {0}) + frame(0x50, {1}) + frame(0x50, {0}));
}

TEST(BoardReset, FlashSurvivesPowerCycles)
{
    Board board;
    Bytes image = {0x12, 0x34};
    board.loadFlashImage(image.data(), image.size());
    board.powerOn();
    EXPECT_EQ(board.memory().flash()[1], 0x34);
}

TEST(BreakController, FetchMatchesOnlyInstructionFetchModes)
{
    BreakController ubc;
    EXPECT_EQ(ubc.fetchHit(0), -1);  // cleared channels hold address 0 but no break
    ubc.write(1, {0x2000, 0x54, 0});  // BBR_PC
    EXPECT_EQ(ubc.fetchHit(0x2000), 1);
    EXPECT_EQ(ubc.fetchHit(0x2002), -1);
    ubc.write(0, {0x2000, 0x50, 0});  // fetch, read/write "any"
    EXPECT_EQ(ubc.fetchHit(0x2000), 0);
    ubc.write(0, {0x2000, 0x64, 0});  // data read (BBR_MEMR)
    ubc.write(1, {0x2000, 0x58, 0});  // fetch marked as a write: never happens
    EXPECT_EQ(ubc.fetchHit(0x2000), -1);
    ubc.clear(0);
    BreakChannel c{1, 1, 1};
    ASSERT_TRUE(ubc.read(0, c));
    EXPECT_EQ(c.address, 0u);
    EXPECT_EQ(c.mode, 0u);
    EXPECT_EQ(c.data, 0u);
    EXPECT_FALSE(ubc.read(2, c));
    EXPECT_FALSE(ubc.write(-1, c));
    EXPECT_FALSE(ubc.clear(2));
}

TEST(ByteQueue, KeepsOrderAcrossCompaction)
{
    ByteQueue q;
    uint8_t out[3];
    uint32_t next = 0;
    for (uint32_t i = 0; i < 20000; ++i) {
        q.push(static_cast<uint8_t>(i));
        if (i % 3 == 2) {
            ASSERT_EQ(q.take(out, 2), 2u);
            for (uint8_t b : {out[0], out[1]})
                ASSERT_EQ(b, static_cast<uint8_t>(next++));
        }
    }
    while (!q.empty()) {
        size_t n = q.take(out, 3);
        for (size_t k = 0; k < n; ++k)
            ASSERT_EQ(out[k], static_cast<uint8_t>(next++));
    }
    EXPECT_EQ(next, 20000u);
    EXPECT_EQ(q.take(out, 3), 0u);
}

}  // namespace
