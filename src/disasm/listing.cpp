// PLACEHOLDER: replaced by the disassembler.
#include "disasm/listing.h"
void resetListing() {}
uint16_t fetchWord(uint32_t) { return 0; }
uint32_t fetchLong(uint32_t) { return 0; }
uint32_t disasm(uint32_t a, char* t) { t[0] = 0; return a + 2; }
uint32_t listLine(uint32_t a) { return (a & ~1u) + 2; }
int disasmCommand(int, const char*, const char*) { return -1; }
