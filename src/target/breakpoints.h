// The two hardware breakpoints kept by the monitor.
#pragma once

#include <cstdint>

struct CodeName {
    int code;
    const char* name;  // nullptr ends the table
};
const char* codeToName(int code, const CodeName* table);

extern const CodeName breakModeTable[];

// The one mode the host itself sets: break on the fetch of an instruction.
constexpr uint16_t BBR_PC = 0x54;

// A mode's table name, or a readable stand-in naming the code when it has no row.
struct ModeName {
    char text[24];
};
ModeName breakModeName(uint16_t mode);

int readBreakpoint(int slot, uint16_t* mode, uint32_t* address, uint32_t* data);
int writeBreakpoint(int slot, uint16_t mode, uint32_t address, uint32_t data);
int clearBreakpoint(int slot);
