// The user-program-first flag: when the last flash byte is not 0xFF, a reset
// starts the user program instead of the monitor's conversation with the host.
//
// Where the program starts: the first 8 bytes of the user area (0x2000, the
// first block above the monitor's) are its vector pair, the initial PC then
// the initial SP, big-endian longwords, as the chip's own reset vectors at 0.
// A program that wants to start by itself puts them there; its code follows.
#pragma once

#include <cstdint>

#include "sim/memory_map.h"

namespace quill {

struct UserEntry {
    uint32_t pc;
    uint32_t sp;
};

// True when the flag is set and the vector pair is one the program can start
// from: PC even and inside the user part of flash or inside RAM, SP a
// multiple of 4 within the stack window the host accepts (0xFFFFA008 to
// 0xFFFFC000). A set flag over an erased or damaged pair leaves the board
// with the monitor, which can still erase it; starting would fault at once.
bool userProgramFirst(const MemoryMap& memory, UserEntry& entry);

} // namespace quill
