// The operand template formatter of the disassembler (the template language is
// described with the instruction table).
#pragma once

#include <cstddef>
#include <cstdint>

#include "isa/sh2_table.h"

constexpr size_t kOperandTextSize = 80;

// Expands operands for word at address into text (always terminated, cut at
// textSize). refValue becomes 0, then the branch target, the PC-relative data
// address or the last immediate. A malformed code prints "?" in its place and
// leaves refValue alone; the template is never read past its end.
void formatOperands(uint32_t address, uint16_t word, uint32_t& refValue, const char* operands, char* text,
    size_t textSize = kOperandTextSize);
