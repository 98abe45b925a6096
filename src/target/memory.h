// Target memory through MEM_READ/MEM_WRITE, and the 64-line cache the disassembler reads through.
#pragma once

#include <cstdint>

constexpr int kMemChunk = 16;     // largest MEM_READ/MEM_WRITE data size, and the cache line
constexpr int kMemCacheLines = 64;

struct Membuf {
    Membuf* prev;
    Membuf* next;
    uint32_t adrs;
    uint8_t data[kMemChunk];
};

// 1 when every byte was transferred, 0 after a failure (already reported);
// callers with nothing to add may ignore it.
int readMem(uint32_t address, uint16_t count, uint8_t* destination);
int writeMem(uint32_t address, uint16_t count, const uint8_t* source);
// Writes one item of size 1, 2 or 4; the next address, or address unchanged on failure.
uint32_t writeMemSingle(uint32_t address, uint32_t value, int size);

// One MEM_READ exchange of 1 to 16 bytes. Failures are reported with `who` as
// the message prefix; with exceptionReply set, a 0x41 reply also reports the
// exception code the monitor sent. 1 on success, 0 on failure.
int readMemChunk(const char* who, uint32_t address, int count, uint8_t* destination, bool exceptionReply);

void clearMemCache();
Membuf* searchMemCache(uint32_t lineAddress);
int readMemCache(uint8_t* destination, uint32_t lineAddress);
void dumpMemCache();
