// The loader's view of the flash blocks: every boundary, and the blank test.
#include <gtest/gtest.h>

#include <cstring>

#include "flash/load_image.h"

namespace {

TEST(FlashBlocks, BlockOfAtEveryBoundary)
{
    const std::pair<uint32_t, int> rows[] = {{0x0, 0}, {0xFFF, 0}, {0x1000, 1}, {0x1FFF, 1}, {0x2000, 2}, {0x7FFF, 7},
        {0x8000, 8}, {0xFFFF, 8}, {0x10000, 9}, {0x1FFFF, 9}, {0x20000, -1}, {0xFFFFFFFF, -1}, {0xFFFFA000, -1}};
    for (const auto& [address, block] : rows)
        EXPECT_EQ(blockOf(address), block) << std::hex << address;
}

TEST(FlashBlocks, ABlankPieceIsAllErasedBytes)
{
    uint8_t piece[kFlashPiece + 1];
    std::memset(piece, 0xFF, sizeof piece);
    piece[kFlashPiece] = 0; // the byte after the piece is not part of it
    EXPECT_TRUE(isBlankPiece(piece));
    for (uint32_t i : {0u, kFlashPiece - 1}) {
        piece[i] = 0xFE;
        EXPECT_FALSE(isBlankPiece(piece)) << i;
        piece[i] = 0xFF;
    }
}

} // namespace
