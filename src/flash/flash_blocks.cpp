#include "flash/flash_blocks.h"

const FlashBlock flashBlockTable[] = {
    {0x00000, 0x1000, 0},
    {0x01000, 0x1000, 1},
    {0x02000, 0x1000, 2},
    {0x03000, 0x1000, 3},
    {0x04000, 0x1000, 4},
    {0x05000, 0x1000, 5},
    {0x06000, 0x1000, 6},
    {0x07000, 0x1000, 7},
    {0x08000, 0x8000, 8},
    {0x10000, 0x10000, 9},
    {0, 0, -1},
};

uint8_t imageBuffer[kImageBufferSize];

int blockOf(uint32_t address)
{
    const FlashBlock* b = flashBlockTable;
    while (b->number >= 0 && !(address >= b->start && address - b->start < b->size))
        ++b;
    return b->number;
}

bool isBlankPiece(const uint8_t* piece)
{
    for (uint32_t i = 0; i < kFlashPieceSize; ++i) {
        if (piece[i] != 0xFF)
            return false;
    }
    return true;
}
