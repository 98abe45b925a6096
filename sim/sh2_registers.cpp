#include "sim/sh2_registers.h"

#include <cstring>

#include "sim/bus.h"
#include "sim/memory_map.h"

namespace quill {

namespace {

// The register a wire number names, or nullptr; const-ness follows regs.
template <typename Regs>
auto slot(Regs& regs, int number) -> decltype(&regs.sr)
{
    if (number >= 0 && number < 16)
        return &regs.r[number];
    switch (number) {
    case REG_SR: return &regs.sr;
    case REG_GBR: return &regs.gbr;
    case REG_VBR: return &regs.vbr;
    case REG_MACH: return &regs.mach;
    case REG_MACL: return &regs.macl;
    case REG_PR: return &regs.pr;
    case REG_PC: return &regs.pc;
    default: return nullptr;
    }
}

// An erased vector table reads 0xFFFFFFFF: taking that as the entry point
// would start the program on an address error.
bool plausibleEntry(uint32_t pc)
{
    bool inFlash = pc - kFlashBase < kFlashSize;
    bool inRam = pc - kRamBase < kRamSize;
    return (pc & 1) == 0 && (inFlash || inRam);
}

// The same window the host accepts before it runs the program.
bool plausibleStack(uint32_t sp)
{
    return (sp & 3) == 0 && sp >= kRamBase + 8 && sp <= kRamBase + kRamSize;
}

}  // namespace

bool readRegister(const Sh2Registers& regs, int number, uint32_t& value)
{
    const uint32_t* p = slot(regs, number);
    if (p == nullptr)
        return false;
    value = *p;
    return true;
}

bool writeRegister(Sh2Registers& regs, int number, uint32_t value)
{
    uint32_t* p = slot(regs, number);
    if (p == nullptr)
        return false;
    *p = number == REG_SR ? (value & kSrWritableBits) : value;
    return true;
}

void resetRegisters(Sh2Registers& regs, const Bus& bus)
{
    std::memset(&regs, 0, sizeof regs);
    regs.sr = kSrAfterReset;
    uint32_t entry = 0;
    uint32_t stack = 0;
    regs.pc = bus.read32(0, entry) == Access::Ok && plausibleEntry(entry) ? entry : kDefaultEntry;
    regs.r[REG_SP] = bus.read32(4, stack) == Access::Ok && plausibleStack(stack) ? stack : kDefaultStack;
}

}  // namespace quill
