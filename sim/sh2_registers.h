// The SH-2 register file as the monitor keeps it while the user program is
// stopped, addressed by the numbers the host uses on the wire.
#pragma once

#include <cstdint>

#include "sim/memory_map.h"

namespace quill {

class Bus;

// Wire numbers: R0-R14 0-14, SP (R15) 15, then SR, GBR, VBR, MACH, MACL, PR, PC.
enum RegisterNumber : int {
    REG_SP = 15,
    REG_SR = 16,
    REG_GBR = 17,
    REG_VBR = 18,
    REG_MACH = 19,
    REG_MACL = 20,
    REG_PR = 21,
    REG_PC = 22,
};
constexpr int kRegisterCount = 23;

// Only M, Q, the interrupt mask, S and T exist in SR; the other bits read 0.
constexpr uint32_t kSrWritableBits = 0x000003F3;
constexpr uint32_t kSrAfterReset = 0x000000F0;  // interrupts masked at level 15

// Where the monitor puts the user stack when the vector table gives none:
// just below the 128-byte flash write buffer at the top of RAM.
constexpr uint32_t kDefaultStack = kWriteBufferAddress;
// Where the user program starts when flash holds no reset vector: the first
// flash block the loader may program (the monitor keeps blocks 0 and 1).
constexpr uint32_t kDefaultEntry = 0x00002000;

struct Sh2Registers {
    uint32_t r[16];  // r[15] is SP
    uint32_t sr;
    uint32_t gbr;
    uint32_t vbr;
    uint32_t mach;
    uint32_t macl;
    uint32_t pr;
    uint32_t pc;
};

// false for a number outside 0-22; value is then left alone.
bool readRegister(const Sh2Registers& regs, int number, uint32_t& value);
// false for a number outside 0-22. SR keeps only its implemented bits.
bool writeRegister(Sh2Registers& regs, int number, uint32_t value);

// The state after a power-on reset: PC and SP from the vector table at
// address 0 (entries 0 and 1) when they hold plausible values, else
// kDefaultEntry and kDefaultStack; SR 0xF0; everything else 0.
void resetRegisters(Sh2Registers& regs, const Bus& bus);

}  // namespace quill
