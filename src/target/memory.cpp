// PLACEHOLDER: replaced by target services.
#include "target/memory.h"
void readMem(uint32_t, uint16_t, uint8_t*) {}
void writeMem(uint32_t, uint16_t, const uint8_t*) {}
uint32_t writeMemSingle(uint32_t a, uint32_t, int) { return a; }
void clearMemCache() {}
Membuf* searchMemCache(uint32_t) { return nullptr; }
int readMemCache(uint8_t*, uint32_t) { return 16; }
void dumpMemCache() {}
