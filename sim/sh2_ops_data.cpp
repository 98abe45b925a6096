// Data transfer and system control: MOV in all its addressing modes, MOVA,
// MOVT, SWAP, XTRCT, the control and system register moves, CLRT, SETT,
// CLRMAC, NOP. A handler whose access faults returns at once: the exception
// has been raised and no register changes.
#include "sim/sh2_ops.h"

namespace quill {

namespace {

template<int Size> bool load(Sh2Cpu& c, uint32_t address, uint32_t& value)
{
    bool ok = Size == 1 ? c.read8(address, value) : Size == 2 ? c.read16(address, value) : c.read32(address, value);
    if (ok && Size == 1)
        value = sext8(value);
    else if (ok && Size == 2)
        value = sext16(value);
    return ok;
}

template<int Size> bool store(Sh2Cpu& c, uint32_t address, uint32_t value)
{
    return Size == 1 ? c.write8(address, value) : Size == 2 ? c.write16(address, value) : c.write32(address, value);
}

// MOV.x Rm,@(R0,Rn): Rm -> (R0 + Rn)
template<int Size> void movStoreR0(Sh2Cpu& c, uint16_t op)
{
    store<Size>(c, c.regs.r[0] + c.regs.r[rn(op)], c.regs.r[rm(op)]);
}

// MOV.x @(R0,Rm),Rn: (R0 + Rm) -> sign extension -> Rn
template<int Size> void movLoadR0(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<Size>(c, c.regs.r[0] + c.regs.r[rm(op)], v))
        c.regs.r[rn(op)] = v;
}

// MOV.x Rm,@Rn: Rm -> (Rn)
template<int Size> void movStore(Sh2Cpu& c, uint16_t op)
{
    store<Size>(c, c.regs.r[rn(op)], c.regs.r[rm(op)]);
}

// MOV.x Rm,@-Rn: Rn - size -> Rn, Rm -> (Rn); with Rm = Rn the value before the decrement
template<int Size> void movStoreDec(Sh2Cpu& c, uint16_t op)
{
    uint32_t address = c.regs.r[rn(op)] - Size;
    if (store<Size>(c, address, c.regs.r[rm(op)]))
        c.regs.r[rn(op)] = address;
}

// MOV.x @Rm,Rn: (Rm) -> sign extension -> Rn
template<int Size> void movLoad(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<Size>(c, c.regs.r[rm(op)], v))
        c.regs.r[rn(op)] = v;
}

// MOV.x @Rm+,Rn: (Rm) -> sign extension -> Rn, Rm + size -> Rm; with Rm = Rn the loaded value stays
template<int Size> void movLoadInc(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (!load<Size>(c, c.regs.r[rm(op)], v))
        return;
    c.regs.r[rm(op)] += Size;
    c.regs.r[rn(op)] = v;
}

// MOV.L Rm,@(disp,Rn): Rm -> (disp x 4 + Rn)
void movStoreDisp4(Sh2Cpu& c, uint16_t op)
{
    store<4>(c, c.regs.r[rn(op)] + (op & 15u) * 4, c.regs.r[rm(op)]);
}

// MOV.L @(disp,Rm),Rn: (disp x 4 + Rm) -> Rn
void movLoadDisp4(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<4>(c, c.regs.r[rm(op)] + (op & 15u) * 4, v))
        c.regs.r[rn(op)] = v;
}

// MOV.B/W R0,@(disp,Rn): R0 -> (disp x size + Rn); Rn sits in bits 7-4
template<int Size> void movStoreDisp(Sh2Cpu& c, uint16_t op)
{
    store<Size>(c, c.regs.r[rm(op)] + (op & 15u) * Size, c.regs.r[0]);
}

// MOV.B/W @(disp,Rm),R0: (disp x size + Rm) -> sign extension -> R0
template<int Size> void movLoadDisp(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<Size>(c, c.regs.r[rm(op)] + (op & 15u) * Size, v))
        c.regs.r[0] = v;
}

// MOV.x R0,@(disp,GBR): R0 -> (disp x size + GBR)
template<int Size> void movStoreGbr(Sh2Cpu& c, uint16_t op)
{
    store<Size>(c, c.regs.gbr + imm8(op) * Size, c.regs.r[0]);
}

// MOV.x @(disp,GBR),R0: (disp x size + GBR) -> sign extension -> R0
template<int Size> void movLoadGbr(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<Size>(c, c.regs.gbr + imm8(op) * Size, v))
        c.regs.r[0] = v;
}

// MOV.W @(disp,PC),Rn: (disp x 2 + PC) -> sign extension -> Rn
void movLoadPcWord(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<2>(c, pcRelative(c) + imm8(op) * 2, v))
        c.regs.r[rn(op)] = v;
}

// MOV.L @(disp,PC),Rn: (disp x 4 + PC with bits 1-0 cleared) -> Rn
void movLoadPcLong(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (load<4>(c, (pcRelative(c) & ~3u) + imm8(op) * 4, v))
        c.regs.r[rn(op)] = v;
}

// MOVA @(disp,PC),R0: disp x 4 + PC with bits 1-0 cleared -> R0
void mova(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[0] = (pcRelative(c) & ~3u) + imm8(op) * 4;
}

// MOV #imm,Rn: imm -> sign extension -> Rn
void movImmediate(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[rn(op)] = simm8(op);
}

// MOV Rm,Rn: Rm -> Rn
void mov(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[rn(op)] = c.regs.r[rm(op)];
}

// MOVT Rn: T -> Rn
void movt(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[rn(op)] = c.regs.sr & kSrT;
}

// SWAP.B Rm,Rn: Rm with its two low bytes swapped -> Rn
void swapB(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = c.regs.r[rm(op)];
    c.regs.r[rn(op)] = (v & 0xFFFF0000u) | ((v & 0xFF) << 8) | ((v >> 8) & 0xFF);
}

// SWAP.W Rm,Rn: Rm with its two words swapped -> Rn
void swapW(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = c.regs.r[rm(op)];
    c.regs.r[rn(op)] = (v << 16) | (v >> 16);
}

// XTRCT Rm,Rn: middle 32 bits of Rm:Rn -> Rn
void xtrct(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[rn(op)] = (c.regs.r[rm(op)] << 16) | (c.regs.r[rn(op)] >> 16);
}

// STC/STS reg,Rn: reg -> Rn
template<uint32_t Sh2Registers::*Reg> void storeControl(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[rn(op)] = c.regs.*Reg;
}

// STC.L/STS.L reg,@-Rn: Rn - 4 -> Rn, reg -> (Rn)
template<uint32_t Sh2Registers::*Reg> void storeControlDec(Sh2Cpu& c, uint16_t op)
{
    uint32_t address = c.regs.r[rn(op)] - 4;
    if (store<4>(c, address, c.regs.*Reg))
        c.regs.r[rn(op)] = address;
}

// LDC/LDS Rm,reg: Rm -> reg; SR keeps only M, Q, I3-I0, S and T
template<uint32_t Sh2Registers::*Reg> void loadControl(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = c.regs.r[rn(op)];
    c.regs.*Reg = Reg == &Sh2Registers::sr ? v & kSrWritableBits : v;
}

// LDC.L/LDS.L @Rm+,reg: (Rm) -> reg, Rm + 4 -> Rm
template<uint32_t Sh2Registers::*Reg> void loadControlInc(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (!load<4>(c, c.regs.r[rn(op)], v))
        return;
    c.regs.r[rn(op)] += 4;
    c.regs.*Reg = Reg == &Sh2Registers::sr ? v & kSrWritableBits : v;
}

// CLRT: 0 -> T
void clrt(Sh2Cpu& c, uint16_t)
{
    c.setT(false);
}

// SETT: 1 -> T
void sett(Sh2Cpu& c, uint16_t)
{
    c.setT(true);
}

// CLRMAC: 0 -> MACH, MACL
void clrmac(Sh2Cpu& c, uint16_t)
{
    c.regs.mach = 0;
    c.regs.macl = 0;
}

// NOP: nothing
void nop(Sh2Cpu&, uint16_t) { }

using R = Sh2Registers;

} // namespace

const Sh2Binding sh2DataOps[] = {
    {0xF00F, 0x0004, movStoreR0<1>, 0},
    {0xF00F, 0x0005, movStoreR0<2>, 0},
    {0xF00F, 0x0006, movStoreR0<4>, 0},
    {0xF00F, 0x000C, movLoadR0<1>, 0},
    {0xF00F, 0x000D, movLoadR0<2>, 0},
    {0xF00F, 0x000E, movLoadR0<4>, 0},
    {0xF000, 0x1000, movStoreDisp4, 0},
    {0xF00F, 0x2000, movStore<1>, 0},
    {0xF00F, 0x2001, movStore<2>, 0},
    {0xF00F, 0x2002, movStore<4>, 0},
    {0xF00F, 0x2004, movStoreDec<1>, 0},
    {0xF00F, 0x2005, movStoreDec<2>, 0},
    {0xF00F, 0x2006, movStoreDec<4>, 0},
    {0xF000, 0x5000, movLoadDisp4, 0},
    {0xF00F, 0x6000, movLoad<1>, 0},
    {0xF00F, 0x6001, movLoad<2>, 0},
    {0xF00F, 0x6002, movLoad<4>, 0},
    {0xF00F, 0x6003, mov, 0},
    {0xF00F, 0x6004, movLoadInc<1>, 0},
    {0xF00F, 0x6005, movLoadInc<2>, 0},
    {0xF00F, 0x6006, movLoadInc<4>, 0},
    {0xF00F, 0x6008, swapB, 0},
    {0xF00F, 0x6009, swapW, 0},
    {0xF00F, 0x200D, xtrct, 0},
    {0xFF00, 0x8000, movStoreDisp<1>, 0},
    {0xFF00, 0x8100, movStoreDisp<2>, 0},
    {0xFF00, 0x8400, movLoadDisp<1>, 0},
    {0xFF00, 0x8500, movLoadDisp<2>, 0},
    {0xF000, 0x9000, movLoadPcWord, 0},
    {0xFF00, 0xC000, movStoreGbr<1>, 0},
    {0xFF00, 0xC100, movStoreGbr<2>, 0},
    {0xFF00, 0xC200, movStoreGbr<4>, 0},
    {0xFF00, 0xC400, movLoadGbr<1>, 0},
    {0xFF00, 0xC500, movLoadGbr<2>, 0},
    {0xFF00, 0xC600, movLoadGbr<4>, 0},
    {0xFF00, 0xC700, mova, 0},
    {0xF000, 0xD000, movLoadPcLong, 0},
    {0xF000, 0xE000, movImmediate, 0},
    {0xF0FF, 0x0029, movt, 0},
    {0xF0FF, 0x0002, storeControl<&R::sr>, 0},
    {0xF0FF, 0x0012, storeControl<&R::gbr>, 0},
    {0xF0FF, 0x0022, storeControl<&R::vbr>, 0},
    {0xF0FF, 0x000A, storeControl<&R::mach>, 0},
    {0xF0FF, 0x001A, storeControl<&R::macl>, 0},
    {0xF0FF, 0x002A, storeControl<&R::pr>, 0},
    {0xF0FF, 0x4003, storeControlDec<&R::sr>, 0},
    {0xF0FF, 0x4013, storeControlDec<&R::gbr>, 0},
    {0xF0FF, 0x4023, storeControlDec<&R::vbr>, 0},
    {0xF0FF, 0x4002, storeControlDec<&R::mach>, 0},
    {0xF0FF, 0x4012, storeControlDec<&R::macl>, 0},
    {0xF0FF, 0x4022, storeControlDec<&R::pr>, 0},
    {0xF0FF, 0x400E, loadControl<&R::sr>, 0},
    {0xF0FF, 0x401E, loadControl<&R::gbr>, 0},
    {0xF0FF, 0x402E, loadControl<&R::vbr>, 0},
    {0xF0FF, 0x400A, loadControl<&R::mach>, 0},
    {0xF0FF, 0x401A, loadControl<&R::macl>, 0},
    {0xF0FF, 0x402A, loadControl<&R::pr>, 0},
    {0xF0FF, 0x4007, loadControlInc<&R::sr>, 0},
    {0xF0FF, 0x4017, loadControlInc<&R::gbr>, 0},
    {0xF0FF, 0x4027, loadControlInc<&R::vbr>, 0},
    {0xF0FF, 0x4006, loadControlInc<&R::mach>, 0},
    {0xF0FF, 0x4016, loadControlInc<&R::macl>, 0},
    {0xF0FF, 0x4026, loadControlInc<&R::pr>, 0},
    {0xFFFF, 0x0008, clrt, 0},
    {0xFFFF, 0x0018, sett, 0},
    {0xFFFF, 0x0028, clrmac, 0},
    {0xFFFF, 0x0009, nop, 0},
    {0, 0, nullptr, 0},
};

} // namespace quill
