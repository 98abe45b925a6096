// The disassembly listing and the DA command.
#pragma once

#include <cstdint>

void resetListing();
uint16_t fetchWord(uint32_t address);
uint32_t fetchLong(uint32_t address);
// Writes the instruction text; the next instruction's address.
uint32_t disasm(uint32_t address, char* text);
// Prints one listing line; the next line's address.
uint32_t listLine(uint32_t address);
int disasmCommand(int argc, const char* first, const char* second);
