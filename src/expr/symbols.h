// Symbols from a linker map file.
#pragma once

#include <cstdint>

void resetSymbols();
void loadSymbols(const char* path);
int symbolExists(const char* name);
uint32_t symbolValue(const char* name);       // 0xFFFFFFFF when there is none
const char* symbolAtAddress(uint32_t value);  // nullptr when there is none
const char* nearestSymbol(uint32_t value);    // nullptr when there is none
