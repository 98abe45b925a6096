// The board below the monitor: PC and SP after a reset come from the flash
// image's vector table when they are plausible, from defaults otherwise.
#include <gtest/gtest.h>

#include "sim/board.h"
#include "sim_wire.h"

namespace {

using namespace quill;

TEST(BoardReset, VectorTableOrDefaults)
{
    const std::tuple<Bytes, uint32_t, uint32_t> rows[] = {
        {be32(0x00002401) + be32(0xFFFFB000), kDefaultEntry, 0xFFFFB000},     // odd PC
        {be32(0xFFFFA000) + be32(0xFFFFC004), 0xFFFFA000, kDefaultStack},     // RAM entry; SP above RAM
        {be32(0x00400000) + be32(0xFFFFA004), kDefaultEntry, kDefaultStack},  // PC unmapped, SP too low
        {be32(0x00001000) + be32(0xFFFFB002), 0x00001000, kDefaultStack},     // SP not a multiple of 4
    };
    for (const auto& [table, pc, sp] : rows) {
        Board board;
        ASSERT_TRUE(board.loadFlashImage(table.data(), table.size()));
        EXPECT_EQ(board.registers().pc, pc) << hexBytes(table);
        EXPECT_EQ(board.registers().r[15], sp) << hexBytes(table);
    }
}

// An image may fill the flash exactly, never more.
TEST(BoardFlashImage, FillsTheFlashAtMost)
{
    Board board;
    Bytes image(kFlashSize, 0x5A);
    EXPECT_TRUE(board.loadFlashImage(image.data(), image.size()));
    image.push_back(0);
    EXPECT_FALSE(board.loadFlashImage(image.data(), image.size()));
}

}  // namespace
