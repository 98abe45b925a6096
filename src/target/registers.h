// CPU registers of the target: numbers, names, one read or write each.
#pragma once

#include <cstdint>

enum RegisterNumber {
    REG_R0 = 0,
    REG_SP = 15,
    REG_SR = 16,
    REG_GBR = 17,
    REG_VBR = 18,
    REG_MACH = 19,
    REG_MACL = 20,
    REG_PR = 21,
    REG_PC = 22,
    kRegisterCount = 23,
};

struct RegName {
    int number;  // -1 ends the table
    const char* name;
};
extern const RegName regNameTable[];

// Upper-cases name in place; the register number, or -1.
int lookupReg(char* name);
// 1 with the value, or 0 after a failure (reported) with the value 0xFFFFFFFF.
int readReg(int number, uint32_t* value);
// 1 when the monitor confirmed the write, 0 after a failure (reported).
int writeReg(int number, uint32_t value);
