// Branches and system calls. The delayed branches take their destination
// (and PR) from the registers as they are before the slot runs, then run the
// slot; every branch, RTE and TRAPA is illegal in a slot.
#include "sim/sh2_ops.h"

namespace quill {

namespace {

uint32_t disp8(const Sh2Cpu& c, uint16_t op)
{
    return c.regs.pc + 2 + simm8(op) * 2;
}

uint32_t disp12(const Sh2Cpu& c, uint16_t op)
{
    uint32_t d = op & 0xFFF;
    if (d & 0x800)
        d |= 0xFFFFF000u;
    return c.regs.pc + 2 + d * 2;
}

// BT label: if T = 1, PC + 4 + disp x 2 -> PC; no slot
void bt(Sh2Cpu& c, uint16_t op)
{
    if (c.regs.sr & kSrT)
        c.regs.pc = disp8(c, op);
}

// BF label: if T = 0, PC + 4 + disp x 2 -> PC; no slot
void bf(Sh2Cpu& c, uint16_t op)
{
    if (!(c.regs.sr & kSrT))
        c.regs.pc = disp8(c, op);
}

// BT/S label: if T = 1, delayed branch to PC + 4 + disp x 2; if not, the
// next instruction is no slot and runs as any other
void bts(Sh2Cpu& c, uint16_t op)
{
    if (c.regs.sr & kSrT)
        c.delaySlot(disp8(c, op));
}

// BF/S label: as BT/S on T = 0
void bfs(Sh2Cpu& c, uint16_t op)
{
    if (!(c.regs.sr & kSrT))
        c.delaySlot(disp8(c, op));
}

// BRA label: delayed branch to PC + 4 + disp x 2
void bra(Sh2Cpu& c, uint16_t op)
{
    c.delaySlot(disp12(c, op));
}

// BSR label: PC + 4 -> PR, delayed branch to PC + 4 + disp x 2
void bsr(Sh2Cpu& c, uint16_t op)
{
    c.regs.pr = c.regs.pc + 2;
    c.delaySlot(disp12(c, op));
}

// BRAF Rm: delayed branch to PC + 4 + Rm
void braf(Sh2Cpu& c, uint16_t op)
{
    c.delaySlot(c.regs.pc + 2 + c.regs.r[rn(op)]);
}

// BSRF Rm: PC + 4 -> PR, delayed branch to PC + 4 + Rm
void bsrf(Sh2Cpu& c, uint16_t op)
{
    uint32_t target = c.regs.pc + 2 + c.regs.r[rn(op)];
    c.regs.pr = c.regs.pc + 2;
    c.delaySlot(target);
}

// JMP @Rm: delayed branch to Rm
void jmp(Sh2Cpu& c, uint16_t op)
{
    c.delaySlot(c.regs.r[rn(op)]);
}

// JSR @Rm: PC + 4 -> PR, delayed branch to Rm
void jsr(Sh2Cpu& c, uint16_t op)
{
    uint32_t target = c.regs.r[rn(op)];
    c.regs.pr = c.regs.pc + 2;
    c.delaySlot(target);
}

// RTS: delayed branch to PR
void rts(Sh2Cpu& c, uint16_t)
{
    c.delaySlot(c.regs.pr);
}

// RTE: stack -> PC, stack -> SR, delayed branch to the popped PC
void rte(Sh2Cpu& c, uint16_t)
{
    uint32_t sp = c.regs.r[REG_SP];
    uint32_t pc, sr;
    if (!c.read32(sp, pc) || !c.read32(sp + 4, sr))
        return;
    c.regs.r[REG_SP] = sp + 8;
    c.regs.sr = sr & kSrWritableBits;
    c.delaySlot(pc);
}

// TRAPA #imm: SR and the next instruction's address pushed on R15,
// (imm x 4 + VBR) -> PC
void trapa(Sh2Cpu& c, uint16_t op)
{
    c.raise(static_cast<uint8_t>(imm8(op)), c.regs.pc);
}

// SLEEP: the CPU stops until an interrupt; PC is the next instruction
void sleep(Sh2Cpu& c, uint16_t)
{
    c.sleep();
}

constexpr uint8_t kBranch = kSlotIllegal;
constexpr uint8_t kDelayedBranch = kSlotIllegal | kDelayed;

} // namespace

const Sh2Binding sh2BranchOps[] = {
    {0xFF00, 0x8900, bt, kBranch},
    {0xFF00, 0x8B00, bf, kBranch},
    {0xFF00, 0x8D00, bts, kSlotIllegal | kDelayedIfT},
    {0xFF00, 0x8F00, bfs, kSlotIllegal | kDelayedIfNotT},
    {0xF000, 0xA000, bra, kDelayedBranch},
    {0xF000, 0xB000, bsr, kDelayedBranch},
    {0xF0FF, 0x0023, braf, kDelayedBranch},
    {0xF0FF, 0x0003, bsrf, kDelayedBranch},
    {0xF0FF, 0x402B, jmp, kDelayedBranch},
    {0xF0FF, 0x400B, jsr, kDelayedBranch},
    {0xFFFF, 0x000B, rts, kDelayedBranch},
    {0xFFFF, 0x002B, rte, kDelayedBranch},
    {0xFF00, 0xC300, trapa, kBranch},
    {0xFFFF, 0x001B, sleep, 0},
    {0, 0, nullptr, 0},
};

} // namespace quill
