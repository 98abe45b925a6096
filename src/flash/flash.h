// The board's flash as the host knows it, and the two flash requests.
//
// These facts are the host's own: the simulated board keeps a separate copy
// on purpose, so that a mistake on one side cannot hide the same mistake on
// the other.
#pragma once

#include <cstdint>

// Target RAM, and the loader's 128-byte write buffer at its top.
constexpr uint32_t kTargetRamStart = 0xFFFFA000;
constexpr uint32_t kTargetRamEnd = 0xFFFFC000; // first address after RAM
constexpr uint32_t kFlashPiece = 128; // one FLASH_WRITE
constexpr uint32_t writeBufferAddress = kTargetRamEnd - kFlashPiece;
// The flash piece whose last byte is the user-program-first flag.
constexpr uint32_t kUserFlagPiece = 0x1FF80;

struct FlashBlock {
    uint32_t start;
    uint32_t size;
    int32_t number; // -1 ends the table
};
extern const FlashBlock flashBlockTable[];
constexpr int kLastFlashBlock = 9;

// The block holding address, or -1 outside flash.
int blockOf(uint32_t address);

// FLASH_ERASE of one block. 1 when erased; 0 after a failure, reported as
// "Error at Flash-ROM erase" (no reply) or with the monitor's error code.
int flashErase(int block);
// FLASH_WRITE of the 128 bytes at source in target RAM to destination in
// flash; 1 when programmed, 0 after a failure (reported likewise).
int flashWrite(uint32_t source, uint32_t destination);
