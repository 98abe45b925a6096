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

void readMem(uint32_t address, uint16_t count, uint8_t* destination);
void writeMem(uint32_t address, uint16_t count, const uint8_t* source);
// Writes one item of size 1, 2 or 4; the next address, or address unchanged on failure.
uint32_t writeMemSingle(uint32_t address, uint32_t value, int size);

void clearMemCache();
Membuf* searchMemCache(uint32_t lineAddress);
int readMemCache(uint8_t* destination, uint32_t lineAddress);
void dumpMemCache();
