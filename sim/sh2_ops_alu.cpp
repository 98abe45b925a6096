// Arithmetic, logic, shifts and comparisons: ADD/SUB with carry and
// overflow, CMP/*, DIV0S/DIV0U/DIV1, the multiplies and MAC.W/MAC.L with
// the S bit's saturation, the logic operations (TAS.B and the @(R0,GBR)
// byte forms read and write the same byte), EXT*, NEG*, NOT, the shifts and
// rotations, DT.
#include "sim/sh2_ops.h"

namespace quill {

namespace {

uint32_t& regN(Sh2Cpu& c, uint16_t op)
{
    return c.regs.r[rn(op)];
}

uint32_t regM(const Sh2Cpu& c, uint16_t op)
{
    return c.regs.r[rm(op)];
}

// ADD Rm,Rn: Rn + Rm -> Rn
void add(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) += regM(c, op);
}

// ADD #imm,Rn: Rn + sign-extended imm -> Rn
void addImmediate(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) += simm8(op);
}

// ADDC Rm,Rn: Rn + Rm + T -> Rn, carry -> T
void addc(Sh2Cpu& c, uint16_t op)
{
    uint64_t sum = uint64_t {regN(c, op)} + regM(c, op) + (c.regs.sr & kSrT);
    regN(c, op) = static_cast<uint32_t>(sum);
    c.setT(sum >> 32);
}

// ADDV Rm,Rn: Rn + Rm -> Rn, signed overflow -> T
void addv(Sh2Cpu& c, uint16_t op)
{
    int64_t sum = int64_t {static_cast<int32_t>(regN(c, op))} + static_cast<int32_t>(regM(c, op));
    regN(c, op) = static_cast<uint32_t>(sum);
    c.setT(sum != static_cast<int32_t>(sum));
}

// SUB Rm,Rn: Rn - Rm -> Rn
void sub(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) -= regM(c, op);
}

// SUBC Rm,Rn: Rn - Rm - T -> Rn, borrow -> T
void subc(Sh2Cpu& c, uint16_t op)
{
    uint64_t diff = uint64_t {regN(c, op)} - regM(c, op) - (c.regs.sr & kSrT);
    regN(c, op) = static_cast<uint32_t>(diff);
    c.setT((diff >> 32) & 1);
}

// SUBV Rm,Rn: Rn - Rm -> Rn, signed underflow -> T
void subv(Sh2Cpu& c, uint16_t op)
{
    int64_t diff = int64_t {static_cast<int32_t>(regN(c, op))} - static_cast<int32_t>(regM(c, op));
    regN(c, op) = static_cast<uint32_t>(diff);
    c.setT(diff != static_cast<int32_t>(diff));
}

// NEG Rm,Rn: 0 - Rm -> Rn
void neg(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = 0u - regM(c, op);
}

// NEGC Rm,Rn: 0 - Rm - T -> Rn, borrow -> T
void negc(Sh2Cpu& c, uint16_t op)
{
    uint64_t diff = uint64_t {0} - regM(c, op) - (c.regs.sr & kSrT);
    regN(c, op) = static_cast<uint32_t>(diff);
    c.setT((diff >> 32) & 1);
}

// DT Rn: Rn - 1 -> Rn; T = 1 when Rn is 0
void dt(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = --regN(c, op);
    c.regs.sr = (c.regs.sr & ~kSrT) | (v == 0 ? kSrT : 0);
}

// CMP/EQ #imm,R0: T = (R0 == sign-extended imm)
void cmpEqImmediate(Sh2Cpu& c, uint16_t op)
{
    c.setT(c.regs.r[0] == simm8(op));
}

// CMP/EQ, CMP/HS, CMP/GE, CMP/HI, CMP/GT Rm,Rn: T = Rn (cond) Rm
void cmpEq(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) == regM(c, op));
}
void cmpHs(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) >= regM(c, op));
}
void cmpGe(Sh2Cpu& c, uint16_t op)
{
    c.setT(static_cast<int32_t>(regN(c, op)) >= static_cast<int32_t>(regM(c, op)));
}
void cmpHi(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) > regM(c, op));
}
void cmpGt(Sh2Cpu& c, uint16_t op)
{
    c.setT(static_cast<int32_t>(regN(c, op)) > static_cast<int32_t>(regM(c, op)));
}

// CMP/PZ Rn: T = Rn >= 0; CMP/PL Rn: T = Rn > 0
void cmpPz(Sh2Cpu& c, uint16_t op)
{
    c.setT(static_cast<int32_t>(regN(c, op)) >= 0);
}
void cmpPl(Sh2Cpu& c, uint16_t op)
{
    c.setT(static_cast<int32_t>(regN(c, op)) > 0);
}

// CMP/STR Rm,Rn: T = some byte of Rn equals the same byte of Rm
void cmpStr(Sh2Cpu& c, uint16_t op)
{
    uint32_t x = regN(c, op) ^ regM(c, op);
    c.setT((x & 0xFF000000u) == 0 || (x & 0xFF0000u) == 0 || (x & 0xFF00u) == 0 || (x & 0xFFu) == 0);
}

void setQ(Sh2Cpu& c, bool q)
{
    c.regs.sr = (c.regs.sr & ~kSrQ) | (q ? kSrQ : 0);
}

// DIV0S Rm,Rn: MSB of Rn -> Q, MSB of Rm -> M, M ^ Q -> T
void div0s(Sh2Cpu& c, uint16_t op)
{
    bool q = regN(c, op) >> 31;
    bool m = regM(c, op) >> 31;
    setQ(c, q);
    c.regs.sr = (c.regs.sr & ~kSrM) | (m ? kSrM : 0);
    c.setT(q != m);
}

// DIV0U: 0 -> M, Q, T
void div0u(Sh2Cpu& c, uint16_t)
{
    c.regs.sr &= ~(kSrM | kSrQ | kSrT);
}

// DIV1 Rm,Rn: one step of the non-restoring division of Rn by Rm
void div1(Sh2Cpu& c, uint16_t op)
{
    bool oldQ = (c.regs.sr & kSrQ) != 0;
    bool m = (c.regs.sr & kSrM) != 0;
    uint32_t divisor = regM(c, op);
    uint32_t& n = regN(c, op);
    bool q = n >> 31;
    n = (n << 1) | (c.regs.sr & kSrT);
    uint32_t before = n;
    bool carry;
    if (oldQ == m) {
        n -= divisor;
        carry = n > before;
    } else {
        n += divisor;
        carry = n < before;
    }
    // The manual's table of old Q, M and the carry reduces to this.
    q = (q != carry) != m;
    setQ(c, q);
    c.setT(q == m);
}

// MUL.L Rm,Rn: Rn x Rm -> MACL
void mull(Sh2Cpu& c, uint16_t op)
{
    c.regs.macl = regN(c, op) * regM(c, op);
}

// MULS.W Rm,Rn: signed 16 x 16 -> MACL
void mulsw(Sh2Cpu& c, uint16_t op)
{
    c.regs.macl = static_cast<uint32_t>(static_cast<int16_t>(regN(c, op)) * static_cast<int16_t>(regM(c, op)));
}

// MULU.W Rm,Rn: unsigned 16 x 16 -> MACL
void muluw(Sh2Cpu& c, uint16_t op)
{
    c.regs.macl = (regN(c, op) & 0xFFFF) * (regM(c, op) & 0xFFFF);
}

void setMac(Sh2Cpu& c, uint64_t mac)
{
    c.regs.mach = static_cast<uint32_t>(mac >> 32);
    c.regs.macl = static_cast<uint32_t>(mac);
}

// DMULS.L Rm,Rn: signed 32 x 32 -> MACH:MACL
void dmulsl(Sh2Cpu& c, uint16_t op)
{
    int64_t p = int64_t {static_cast<int32_t>(regN(c, op))} * static_cast<int32_t>(regM(c, op));
    setMac(c, static_cast<uint64_t>(p));
}

// DMULU.L Rm,Rn: unsigned 32 x 32 -> MACH:MACL
void dmulul(Sh2Cpu& c, uint16_t op)
{
    setMac(c, uint64_t {regN(c, op)} * regM(c, op));
}

// MAC.W @Rm+,@Rn+: (Rn) x (Rm) + MAC -> MAC, 16-bit operands; with S = 1
// the sum saturates to 32 bits in MACL and an overflow sets bit 0 of MACH
void macw(Sh2Cpu& c, uint16_t op)
{
    uint32_t a, b;
    uint32_t n = regN(c, op);
    if (!c.read16(n, a))
        return;
    uint32_t m = regM(c, op) + (rn(op) == rm(op) ? 2 : 0);
    if (!c.read16(m, b))
        return;
    c.regs.r[rn(op)] += 2;
    c.regs.r[rm(op)] += 2;
    int64_t product = int64_t {static_cast<int16_t>(a)} * static_cast<int16_t>(b);
    if (c.regs.sr & kSrS) {
        int64_t sum = int64_t {static_cast<int32_t>(c.regs.macl)} + product;
        if (sum > INT32_MAX || sum < INT32_MIN) {
            c.regs.macl = sum > 0 ? 0x7FFFFFFFu : 0x80000000u;
            c.regs.mach |= 1;
        } else {
            c.regs.macl = static_cast<uint32_t>(sum);
        }
        return;
    }
    uint64_t mac = (uint64_t {c.regs.mach} << 32) | c.regs.macl;
    setMac(c, mac + static_cast<uint64_t>(product));
}

// MAC.L @Rm+,@Rn+: (Rn) x (Rm) + MAC -> MAC, 32-bit operands; with S = 1
// the sum saturates to 48 bits
void macl(Sh2Cpu& c, uint16_t op)
{
    uint32_t a, b;
    if (!c.read32(regN(c, op), a))
        return;
    uint32_t m = regM(c, op) + (rn(op) == rm(op) ? 4 : 0);
    if (!c.read32(m, b))
        return;
    c.regs.r[rn(op)] += 4;
    c.regs.r[rm(op)] += 4;
    int64_t product = int64_t {static_cast<int32_t>(a)} * static_cast<int32_t>(b);
    int64_t mac = static_cast<int64_t>((uint64_t {c.regs.mach} << 32) | c.regs.macl);
    if (c.regs.sr & kSrS) {
        constexpr int64_t kMax = 0x00007FFFFFFFFFFFll;
        constexpr int64_t kMin = -0x0000800000000000ll;
        // The accumulator holds a 48-bit value here: sign-extend it before adding.
        mac = static_cast<int64_t>(static_cast<uint64_t>(mac) << 16) >> 16;
        // Both terms are far below 2^63 in magnitude, so the sum cannot overflow int64.
        int64_t sum = mac + product;
        setMac(c, static_cast<uint64_t>(sum > kMax ? kMax : sum < kMin ? kMin : sum));
        return;
    }
    setMac(c, static_cast<uint64_t>(mac) + static_cast<uint64_t>(product));
}

// AND, OR, XOR Rm,Rn; TST Rm,Rn: T = (Rn & Rm) == 0; NOT Rm,Rn
void andOp(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) &= regM(c, op);
}
void orOp(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) |= regM(c, op);
}
void xorOp(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) ^= regM(c, op);
}
void tst(Sh2Cpu& c, uint16_t op)
{
    c.setT((regN(c, op) & regM(c, op)) == 0);
}
void notOp(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = ~regM(c, op);
}

// AND, OR, XOR #imm,R0; TST #imm,R0: zero-extended imm
void andImmediate(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[0] &= imm8(op);
}
void orImmediate(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[0] |= imm8(op);
}
void xorImmediate(Sh2Cpu& c, uint16_t op)
{
    c.regs.r[0] ^= imm8(op);
}
void tstImmediate(Sh2Cpu& c, uint16_t op)
{
    c.setT((c.regs.r[0] & imm8(op)) == 0);
}

// AND.B, OR.B, XOR.B #imm,@(R0,GBR): the byte at R0 + GBR (op) imm -> the same byte
template<int Kind> void logicByte(Sh2Cpu& c, uint16_t op)
{
    uint32_t address = c.regs.gbr + c.regs.r[0];
    uint32_t v;
    if (!c.read8(address, v))
        return;
    v = Kind == 0 ? v & imm8(op) : Kind == 1 ? v | imm8(op) : v ^ imm8(op);
    c.write8(address, v);
}

// TST.B #imm,@(R0,GBR): T = (byte at R0 + GBR & imm) == 0
void tstByte(Sh2Cpu& c, uint16_t op)
{
    uint32_t v;
    if (c.read8(c.regs.gbr + c.regs.r[0], v))
        c.setT((v & imm8(op)) == 0);
}

// TAS.B @Rn: T = (byte at Rn) == 0, then bit 7 of that byte set
void tasB(Sh2Cpu& c, uint16_t op)
{
    uint32_t address = regN(c, op);
    uint32_t v;
    if (!c.read8(address, v))
        return;
    if (c.write8(address, v | 0x80))
        c.setT(v == 0);
}

// EXTS.B, EXTS.W, EXTU.B, EXTU.W Rm,Rn
void extsB(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = sext8(regM(c, op));
}
void extsW(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = sext16(regM(c, op));
}
void extuB(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = regM(c, op) & 0xFF;
}
void extuW(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) = regM(c, op) & 0xFFFF;
}

// SHAL/SHLL Rn: T <- Rn <- 0; SHAR Rn: MSB -> Rn -> T; SHLR Rn: 0 -> Rn -> T
void shll(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) >> 31);
    regN(c, op) <<= 1;
}
void shar(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) & 1);
    regN(c, op) = static_cast<uint32_t>(static_cast<int32_t>(regN(c, op)) >> 1);
}
void shlr(Sh2Cpu& c, uint16_t op)
{
    c.setT(regN(c, op) & 1);
    regN(c, op) >>= 1;
}

// ROTL Rn: T <- Rn <- MSB; ROTR Rn: LSB -> Rn -> T
void rotl(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = regN(c, op);
    c.setT(v >> 31);
    regN(c, op) = (v << 1) | (v >> 31);
}
void rotr(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = regN(c, op);
    c.setT(v & 1);
    regN(c, op) = (v >> 1) | (v << 31);
}

// ROTCL Rn: T <- Rn <- T; ROTCR Rn: T -> Rn -> T
void rotcl(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = regN(c, op);
    regN(c, op) = (v << 1) | (c.regs.sr & kSrT);
    c.setT(v >> 31);
}
void rotcr(Sh2Cpu& c, uint16_t op)
{
    uint32_t v = regN(c, op);
    regN(c, op) = (v >> 1) | ((c.regs.sr & kSrT) << 31);
    c.setT(v & 1);
}

// SHLLn, SHLRn Rn: shift by n bits, T unchanged
template<int Bits> void shiftLeft(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) <<= Bits;
}
template<int Bits> void shiftRight(Sh2Cpu& c, uint16_t op)
{
    regN(c, op) >>= Bits;
}

} // namespace

const Sh2Binding sh2AluOps[] = {
    {0xF00F, 0x300C, add, 0},
    {0xF000, 0x7000, addImmediate, 0},
    {0xF00F, 0x300E, addc, 0},
    {0xF00F, 0x300F, addv, 0},
    {0xF00F, 0x3008, sub, 0},
    {0xF00F, 0x300A, subc, 0},
    {0xF00F, 0x300B, subv, 0},
    {0xF00F, 0x600B, neg, 0},
    {0xF00F, 0x600A, negc, 0},
    {0xF0FF, 0x4010, dt, 0},
    {0xFF00, 0x8800, cmpEqImmediate, 0},
    {0xF00F, 0x3000, cmpEq, 0},
    {0xF00F, 0x3002, cmpHs, 0},
    {0xF00F, 0x3003, cmpGe, 0},
    {0xF00F, 0x3006, cmpHi, 0},
    {0xF00F, 0x3007, cmpGt, 0},
    {0xF0FF, 0x4011, cmpPz, 0},
    {0xF0FF, 0x4015, cmpPl, 0},
    {0xF00F, 0x200C, cmpStr, 0},
    {0xF00F, 0x2007, div0s, 0},
    {0xFFFF, 0x0019, div0u, 0},
    {0xF00F, 0x3004, div1, 0},
    {0xF00F, 0x0007, mull, 0},
    {0xF00F, 0x200F, mulsw, 0},
    {0xF00F, 0x200E, muluw, 0},
    {0xF00F, 0x300D, dmulsl, 0},
    {0xF00F, 0x3005, dmulul, 0},
    {0xF00F, 0x400F, macw, 0},
    {0xF00F, 0x000F, macl, 0},
    {0xF00F, 0x2009, andOp, 0},
    {0xF00F, 0x200B, orOp, 0},
    {0xF00F, 0x200A, xorOp, 0},
    {0xF00F, 0x2008, tst, 0},
    {0xF00F, 0x6007, notOp, 0},
    {0xFF00, 0xC900, andImmediate, 0},
    {0xFF00, 0xCB00, orImmediate, 0},
    {0xFF00, 0xCA00, xorImmediate, 0},
    {0xFF00, 0xC800, tstImmediate, 0},
    {0xFF00, 0xCD00, logicByte<0>, 0},
    {0xFF00, 0xCF00, logicByte<1>, 0},
    {0xFF00, 0xCE00, logicByte<2>, 0},
    {0xFF00, 0xCC00, tstByte, 0},
    {0xF0FF, 0x401B, tasB, 0},
    {0xF00F, 0x600E, extsB, 0},
    {0xF00F, 0x600F, extsW, 0},
    {0xF00F, 0x600C, extuB, 0},
    {0xF00F, 0x600D, extuW, 0},
    {0xF0FF, 0x4000, shll, 0},
    {0xF0FF, 0x4020, shll, 0},
    {0xF0FF, 0x4021, shar, 0},
    {0xF0FF, 0x4001, shlr, 0},
    {0xF0FF, 0x4004, rotl, 0},
    {0xF0FF, 0x4005, rotr, 0},
    {0xF0FF, 0x4024, rotcl, 0},
    {0xF0FF, 0x4025, rotcr, 0},
    {0xF0FF, 0x4008, shiftLeft<2>, 0},
    {0xF0FF, 0x4018, shiftLeft<8>, 0},
    {0xF0FF, 0x4028, shiftLeft<16>, 0},
    {0xF0FF, 0x4009, shiftRight<2>, 0},
    {0xF0FF, 0x4019, shiftRight<8>, 0},
    {0xF0FF, 0x4029, shiftRight<16>, 0},
    {0, 0, nullptr, 0},
};

} // namespace quill
