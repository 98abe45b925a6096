// What the instruction handlers share: operand fields, the binding of each
// instruction form to its handler, and the three tables of bindings.
#pragma once

#include <cstdint>

#include "sim/sh2_cpu.h"

namespace quill {

// How a form behaves around a delay slot (values of sh2SlotInfo()).
enum SlotInfo : uint8_t {
    kNotBranch = 0,
    kDelayed = 1, // always followed by its slot
    kDelayedIfT = 2, // BT/S
    kDelayedIfNotT = 3, // BF/S
    kSlotIllegal = 4, // raises slot illegal when it sits in a slot
};

// One instruction form: the same mask/code pair as its row in disasmTable.
struct Sh2Binding {
    uint16_t mask; // 0 ends a table
    uint16_t code;
    Sh2Handler handler;
    uint8_t slotInfo; // kDelayed* | kSlotIllegal
};

extern const Sh2Binding sh2DataOps[];
extern const Sh2Binding sh2AluOps[];
extern const Sh2Binding sh2BranchOps[];

inline int rn(uint16_t op)
{
    return (op >> 8) & 15;
}
inline int rm(uint16_t op)
{
    return (op >> 4) & 15;
}
inline uint32_t imm8(uint16_t op)
{
    return op & 0xFF;
}
inline uint32_t simm8(uint16_t op)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(op & 0xFF)));
}
inline uint32_t sext8(uint32_t v)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v)));
}
inline uint32_t sext16(uint32_t v)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v)));
}

// The value PC-relative operands count from: the instruction's address + 4;
// in a delay slot the branch destination + 2, as the SH-2 manual gives it.
inline uint32_t pcRelative(const Sh2Cpu& cpu)
{
    return cpu.inSlot() ? cpu.slotTarget() + 2 : cpu.regs.pc + 2;
}

} // namespace quill
