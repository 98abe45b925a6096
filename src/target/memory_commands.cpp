// PLACEHOLDER: replaced by target services.
#include "target/memory_commands.h"
void resetMemoryCommands() {}
int dumpCommand(int, const char*, const char*, int) { return -1; }
void dumpMem(uint32_t, uint16_t, int) {}
int writeCommand(int, const char*, const char*, int) { return -1; }
uint32_t writeInteractive(uint32_t a, int) { return a; }
