#include "flash/load_image.h"

uint8_t imageBuffer[kImageBufferSize];

bool isBlankPiece(const uint8_t* piece)
{
    for (uint32_t i = 0; i < kFlashPiece; ++i) {
        if (piece[i] != 0xFF)
            return false;
    }
    return true;
}
