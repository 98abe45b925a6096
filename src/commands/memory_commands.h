// DB/DW/DL and WB/WW/WL with their remembered addresses.
#pragma once

#include <cstdint>

void resetMemoryCommands();
// The remembered positions: next dump address and size (bytes), next write address.
uint32_t dumpAddress();
uint32_t dumpSize();
uint32_t writeAddress();

int dumpCommand(int argc, const char* first, const char* second, int itemSize);
void dumpMem(uint32_t address, uint16_t count, int itemSize);
int writeCommand(int argc, const char* first, const char* second, int itemSize);
uint32_t writeInteractive(uint32_t address, int itemSize);
