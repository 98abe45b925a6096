// The flash controller as the monitor drives it: block erase and 128-byte
// programming with the rules of real flash. A byte can only be programmed
// from the erased state; the monitor's own blocks are never touched.
#pragma once

#include <cstdint>
#include <functional>

#include "sim/memory_map.h"

namespace quill {

struct FlashBlock {
    uint32_t start;
    uint32_t size;
    int32_t number; // -1 ends the table
};

// The SH7125's 128 KB flash: eight 4 KB blocks, one of 32 KB, one of 64 KB.
extern const FlashBlock flashBlockTable[];

// The block holding address, or -1 outside flash.
int flashBlockOf(uint32_t address);

// The monitor's code and its exception handlers fill blocks 0 and 1
// (0x0000-0x1FFF); user programs start at the first block above them.
constexpr int kMonitorLastBlock = 1;
constexpr uint32_t kUserProgramBase = 0x2000;
constexpr uint32_t kFlashPieceSize = 128;
// The user-program-first flag: the last flash byte, set when not 0xFF.
constexpr uint32_t kUserFlagAddress = 0x1FFFF;

class FlashSequencer {
public:
    explicit FlashSequencer(MemoryMap& memory)
        : memory_(memory)
    {
    }

    // Each gives 0 when done, else a MonitorError; a refused request leaves
    // flash as it was.
    // Block 0-9; the monitor's blocks are refused with kErrorMonitorBlock.
    uint8_t erase(int block);
    // kFlashPieceSize bytes from RAM at source to destination, a multiple of
    // kFlashPieceSize inside flash above the monitor's blocks, whose bytes
    // must all be erased (kErrorNotErased otherwise; bits are never ANDed).
    uint8_t program(uint32_t source, uint32_t destination);

    // Called after every change to flash, e.g. to keep a copy on disk.
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void changed()
    {
        if (listener_)
            listener_();
    }

    MemoryMap& memory_;
    std::function<void()> listener_;
};

} // namespace quill
