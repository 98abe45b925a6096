// The disassembly listing and its remembered position.
#pragma once

#include <cstddef>
#include <cstdint>

// The text buffer that disasm writes: mnemonic, operands, comment and symbol.
// A symbol name that does not fit is cut.
constexpr size_t kInstructionTextSize = 130;
// The most lines one DA command lists; a larger count is refused, so a
// negative count (a huge unsigned one) cannot tie up the console for hours.
constexpr uint32_t kMaxDaCount = 10000;

extern uint32_t daAddress;
extern uint32_t daCount;

void resetListing();
uint16_t fetchWord(uint32_t address);
uint32_t fetchLong(uint32_t address);
// Writes the instruction text (kInstructionTextSize bytes); the next instruction's address.
uint32_t disasm(uint32_t address, char* text);
// Prints one listing line; the next line's address.
uint32_t listLine(uint32_t address);
