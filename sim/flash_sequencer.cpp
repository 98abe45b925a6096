#include "sim/flash_sequencer.h"

#include <cstring>

#include "sim/monitor.h"

namespace quill {

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

int flashBlockOf(uint32_t address)
{
    const FlashBlock* b = flashBlockTable;
    while (b->number >= 0 && !(address >= b->start && address - b->start < b->size))
        ++b;
    return b->number;
}

uint8_t FlashSequencer::erase(int block)
{
    const FlashBlock* b = flashBlockTable;
    while (b->number >= 0 && b->number != block)
        ++b;
    if (b->number < 0)
        return kErrorArgument;
    if (b->number <= kMonitorLastBlock)
        return kErrorMonitorBlock;
    std::memset(memory_.flash() + (b->start - kFlashBase), kErasedByte, b->size);
    changed();
    return kErrorNone;
}

uint8_t FlashSequencer::program(uint32_t source, uint32_t destination)
{
    if (source - kRamBase >= kRamSize || kRamSize - (source - kRamBase) < kFlashPieceSize)
        return kErrorSource;
    if (destination % kFlashPieceSize != 0 || destination - kFlashBase >= kFlashSize)
        return kErrorDestination;
    if (flashBlockOf(destination) <= kMonitorLastBlock)
        return kErrorMonitorBlock;
    uint8_t* to = memory_.flash() + (destination - kFlashBase);
    for (uint32_t i = 0; i < kFlashPieceSize; ++i) {
        if (to[i] != kErasedByte)
            return kErrorNotErased;
    }
    std::memcpy(to, memory_.ram() + (source - kRamBase), kFlashPieceSize);
    changed();
    return kErrorNone;
}

} // namespace quill
