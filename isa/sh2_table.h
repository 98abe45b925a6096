// The SH-2 instruction forms as data: one row per encoding, shared by the
// disassembler and the simulated CPU so the two never disagree on what a word is.
//
// Each form is a mask/code pair over the 16-bit instruction word, the mnemonic
// and an operand template. Template codes, each a fixed number of characters:
//   %I w p k z s   immediate in decimal: width 4 (nibble at position p) or 8,
//                  times k, s = "S" for signed; z is a size letter, unused
//   %P t           branch target, t = "8"/"B" (8-bit) or "C" (12-bit)
//   %R b h         register: b = "0" upper byte, h = "H" upper nibble
//   %T w p k m x   PC-relative data, m = "L" longword rule or "W"; prints the
//                  scaled displacement in hex, the address goes to refValue
#pragma once

#include <cstdint>

struct DisasmEntry {
    uint16_t mask;
    uint16_t code;
    uint8_t opSize; // memory operand size; informational only
    uint8_t hasRef; // the listing adds a comment with the referenced value
    uint8_t refIsLong; // the comment shows the longword at refValue
    const char* mnemonic;
    const char* operands;
};

constexpr int kDisasmForms = 142;
// kDisasmForms rows and an end record whose mask is 0.
extern const DisasmEntry disasmTable[];

// The first form that word matches, or nullptr.
const DisasmEntry* findEntry(uint16_t word);
// The same answer by walking the table; kept for tests and the benchmark.
const DisasmEntry* findEntryLinear(uint16_t word);
// The row number of word's form in disasmTable, or -1 for no form.
int formIndex(uint16_t word);
