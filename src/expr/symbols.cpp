// PLACEHOLDER: replaced by the symbol table.
#include "expr/symbols.h"
void resetSymbols() {}
void loadSymbols(const char*) {}
int symbolExists(const char*) { return 0; }
uint32_t symbolValue(const char*) { return 0xFFFFFFFF; }
const char* symbolAtAddress(uint32_t) { return nullptr; }
const char* nearestSymbol(uint32_t) { return nullptr; }
