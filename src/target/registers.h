// CPU registers of the target and the R command.
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

// Room formatSR needs: four flag characters, "[M=15]" and the terminator.
constexpr int kSRTextSize = 16;

// Upper-cases name in place; the register number, or -1.
int lookupReg(char* name);
// The value, or 0xFFFFFFFF after a failure.
uint32_t readReg(int number);
void writeReg(int number, uint32_t value);
void dumpReg();
void formatSR(uint32_t sr, char* text);
void showReg(char* name);
void setReg(char* name, uint32_t value);
