// What the single-step data leaves out: MAC saturation, exception frames,
// illegal and slot-illegal words, address errors, PC-relative loads in a
// delay slot, user breaks (before execution, in a slot, on data, the step
// over the resume instruction) and SLEEP. Programs are hand-assembled words
// in a flat 64 KB memory at 0; VBR 0 puts every handler in the monitor's blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "sim/break_controller.h"
#include "sim/sh2_cpu.h"

namespace {

using namespace quill;

constexpr uint32_t kCode = 0x4000;
constexpr uint32_t kStack = 0x8000;

class FlatBus : public Bus {
public:
    uint8_t mem[0x10000];

    Access read8(uint32_t a, uint8_t& v) const override { return get(a, 1, v); }
    Access read16(uint32_t a, uint16_t& v) const override { return get(a, 2, v); }
    Access read32(uint32_t a, uint32_t& v) const override { return get(a, 4, v); }
    Access write8(uint32_t a, uint8_t v) override { return put(a, 1, v); }
    Access write16(uint32_t a, uint16_t v) override { return put(a, 2, v); }
    Access write32(uint32_t a, uint32_t v) override { return put(a, 4, v); }

private:
    template<typename T> Access get(uint32_t a, int size, T& v) const
    {
        if (a + static_cast<uint32_t>(size) > sizeof mem)
            return Access::Unmapped;
        v = static_cast<T>(loadBig(mem + a, size));
        return Access::Ok;
    }
    Access put(uint32_t a, int size, uint32_t v)
    {
        if (a + static_cast<uint32_t>(size) > sizeof mem)
            return Access::Unmapped;
        storeBig(mem + a, size, v);
        return Access::Ok;
    }
};

class CpuTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::memset(bus.mem, 0, sizeof bus.mem);
        cpu.regs.pc = kCode;
        cpu.regs.r[15] = kStack;
    }
    void code(uint32_t address, std::initializer_list<uint16_t> words)
    {
        for (uint16_t w : words) {
            storeBig(bus.mem + address, 2, w);
            address += 2;
        }
    }
    uint32_t word32(uint32_t address) const { return loadBig(bus.mem + address, 4); }
    void setWord32(uint32_t address, uint32_t v) { storeBig(bus.mem + address, 4, v); }

    FlatBus bus;
    Sh2Cpu cpu {bus};
    BreakController breaks;
};

TEST_F(CpuTest, MacSaturatesOnlyWithS)
{
    struct Row {
        uint16_t op; // MAC.W @R2+,@R1+ or MAC.L @R2+,@R1+
        uint32_t sr, a, b, mach, macl;
        uint32_t wantMach, wantMacl;
    };
    const Row rows[] = {
        // MAC.W, S = 1: 32-bit saturation in MACL, overflow marks bit 0 of MACH.
        {0x412F, kSrS, 0x7FFF, 0x7FFF, 0, 0x7FFF0000, 1, 0x7FFFFFFF},
        {0x412F, kSrS, 0x8000, 0x7FFF, 0x10, 0x80000001, 0x11, 0x80000000},
        {0x412F, kSrS, 0xFFFF, 0x0002, 0xAB, 0x00000005, 0xAB, 0x00000003},
        // MAC.W, S = 0: a 64-bit sum across MACH:MACL.
        {0x412F, 0, 0x7FFF, 0x7FFF, 0, 0xFFFFFFFF, 1, 0x3FFF0000},
        // MAC.L, S = 1: 48-bit saturation.
        {0x012F, kSrS, 0x7FFFFFFF, 0x7FFFFFFF, 0x00007FFF, 0, 0x00007FFF, 0xFFFFFFFF},
        {0x012F, kSrS, 0x80000000, 0x7FFFFFFF, 0xFFFF8000, 0, 0xFFFF8000, 0x00000000},
        {0x012F, kSrS, 0xFFFFFFFF, 0x00000003, 0, 5, 0, 2},
        // MAC.L, S = 0: 64 bits, no saturation.
        {0x012F, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0x00007FFF, 0, 0x3FFFFFFF + 0x7FFF, 0x00000001},
    };
    for (const Row& row : rows) {
        SetUp();
        bool isWord = (row.op & 0xF000) == 0x4000;
        code(kCode, {row.op});
        storeBig(bus.mem + 0x6000, isWord ? 2 : 4, row.a);
        storeBig(bus.mem + 0x7000, isWord ? 2 : 4, row.b);
        cpu.regs.r[1] = 0x6000;
        cpu.regs.r[2] = 0x7000;
        cpu.regs.sr = row.sr;
        cpu.regs.mach = row.mach;
        cpu.regs.macl = row.macl;
        cpu.run(1, nullptr, false);
        EXPECT_EQ(cpu.regs.mach, row.wantMach) << std::hex << row.op << " " << row.a << " " << row.macl;
        EXPECT_EQ(cpu.regs.macl, row.wantMacl) << std::hex << row.op << " " << row.a << " " << row.macl;
        EXPECT_EQ(cpu.regs.r[1], isWord ? 0x6002u : 0x6004u);
        EXPECT_EQ(cpu.regs.r[2], isWord ? 0x7002u : 0x7004u);
    }
}

TEST_F(CpuTest, TrapaFrameAndRteReturn)
{
    cpu.regs.vbr = 0x3000;
    setWord32(0x3000 + 4 * 33, 0x5000);
    code(kCode, {0xE107, 0xC321, 0x7101}); // MOV #7,R1; TRAPA #33; ADD #1,R1
    code(0x5000, {0x002B, 0x7110}); // RTE; ADD #16,R1 (slot)
    cpu.regs.sr = 0x0F1;
    EXPECT_EQ(cpu.run(2, nullptr, false), StopReason::Budget);
    EXPECT_EQ(cpu.regs.pc, 0x5000u);
    EXPECT_EQ(cpu.regs.r[15], kStack - 8);
    EXPECT_EQ(word32(kStack - 8), kCode + 4); // the instruction after TRAPA
    EXPECT_EQ(word32(kStack - 4), 0x0F1u);
    cpu.regs.sr = 0;
    cpu.run(3, nullptr, false); // RTE, its slot, ADD #1
    EXPECT_EQ(cpu.regs.pc, kCode + 6);
    EXPECT_EQ(cpu.regs.sr, 0x0F1u);
    EXPECT_EQ(cpu.regs.r[15], kStack);
    EXPECT_EQ(cpu.regs.r[1], 7u + 16 + 1);
}

// Exceptions whose handler is the monitor's stop the run with the state at
// the exception and PC where the frame would resume; nothing is pushed.
TEST_F(CpuTest, ExceptionsThatStopForTheMonitor)
{
    struct Row {
        std::vector<uint16_t> words;
        uint32_t r1;
        uint8_t vector;
        uint32_t pc;
    };
    const Row rows[] = {
        {{0x0009, 0xC321}, 0, 33, kCode + 4}, // TRAPA #33, VBR 0
        {{0x0009, 0xFFFF}, 0, 4, kCode + 2}, // general illegal: at the word
        {{0xA002, 0xA000}, 0, 6, kCode + 8}, // BRA in BRA's slot: the destination
        {{0xA002, 0xFFFF}, 0, 6, kCode + 8}, // undefined word in a slot
        {{0x8D02, 0x000B}, 0, 6, kCode + 8}, // RTS in the slot of a taken BT/S
        {{0x6012}, 0x6001, 9, kCode + 2}, // MOV.L @R1,R0 at an odd address
        {{0x2111}, 0x6003, 9, kCode + 2}, // MOV.W R1,@R1 at an odd address
        {{0x6012}, 0x00800000, 9, kCode + 2}, // unmapped
        {{0x412B, 0x0009}, 0x6001, 9, 0x6001}, // JMP @R1 to an odd address
        {{0xA002, 0x6012, 0x0009, 0x0009}, 0x6002, 9, kCode + 8}, // fault in a slot: resumes at the destination
    };
    for (const Row& row : rows) {
        SetUp();
        cpu.regs.sr = 0x1; // T, so BT/S is taken
        cpu.regs.r[1] = row.r1;
        uint32_t a = kCode;
        for (uint16_t w : row.words) {
            code(a, {w});
            a += 2;
        }
        EXPECT_EQ(cpu.run(10, nullptr, false), StopReason::Exception) << std::hex << row.words[0];
        EXPECT_EQ(cpu.vector(), row.vector) << std::hex << row.words[0];
        EXPECT_EQ(cpu.regs.pc, row.pc) << std::hex << row.words[0];
        EXPECT_EQ(cpu.regs.r[15], kStack);
        EXPECT_EQ(cpu.regs.r[0], 0u) << "a faulting load changes nothing";
    }
}

TEST_F(CpuTest, ProgramTableWithAMonitorHandlerStillStops)
{
    cpu.regs.vbr = 0x3000;
    setWord32(0x3000 + 4 * 4, 0x0400); // an illegal-instruction handler inside blocks 0-1
    code(kCode, {0xFFFF});
    EXPECT_EQ(cpu.run(5, nullptr, false), StopReason::Exception);
    EXPECT_EQ(cpu.vector(), 4);
    setWord32(0x3000 + 4 * 4, 0x5001); // odd: no handler can start there
    cpu.regs.pc = kCode;
    EXPECT_EQ(cpu.run(5, nullptr, false), StopReason::Exception);
    EXPECT_EQ(cpu.regs.r[15], kStack);
}

// In a slot, PC-relative operands count from the branch destination + 2.
TEST_F(CpuTest, PcRelativeLoadInADelaySlot)
{
    code(kCode, {0xA00E, 0xD101, 0x0009}); // BRA kCode+0x20; MOV.L @(1,PC),R1
    setWord32(kCode + 0x24, 0x11223344); // ((dest + 2) & ~3) + 1 x 4
    setWord32(kCode + 0x08, 0x55667788); // where the slot's own address + 4 would point
    cpu.run(2, nullptr, false);
    EXPECT_EQ(cpu.regs.pc, kCode + 0x20);
    EXPECT_EQ(cpu.regs.r[1], 0x11223344u);
    code(kCode, {0xA00E, 0xC701}); // MOVA @(1,PC),R0 in the slot
    cpu.regs.pc = kCode;
    cpu.run(2, nullptr, false);
    EXPECT_EQ(cpu.regs.r[0], kCode + 0x24);
}

TEST_F(CpuTest, UserBreaks)
{
    // ADD #1,R0; ADD #2,R0; BRA +12; ADD #4,R0 (slot); NOP; NOP; ADD #8,R0
    code(kCode, {0x7001, 0x7002, 0xA002, 0x7004, 0x0009, 0x0009, 0x7008});
    struct Row {
        uint32_t start;
        uint32_t address; // of the BBR_PC channel
        bool resuming;
        uint32_t wantPc;
        uint32_t wantR0;
    };
    const Row rows[] = {
        {kCode, kCode + 2, false, kCode + 2, 1}, // before execution
        {kCode, kCode, true, kCode + 2, 1}, // the resume instruction runs: a single step
        {kCode, kCode + 4, true, kCode + 4, 3}, // on the branch
        {kCode, kCode + 6, true, kCode + 4, 3}, // on its slot: taken at the branch
        {kCode + 4, kCode + 4, true, kCode + 12, 4}, // a step over BRA runs the slot, stops at the destination
        {kCode, kCode + 12, true, kCode + 12, 7},
    };
    for (const Row& row : rows) {
        cpu.regs.pc = row.start;
        cpu.regs.r[0] = 0;
        breaks.write(0, BreakChannel {row.address, 0x54, 0});
        EXPECT_EQ(cpu.run(100, &breaks, row.resuming), StopReason::Break) << std::hex << row.address;
        EXPECT_EQ(cpu.regs.pc, row.wantPc) << std::hex << row.address;
        EXPECT_EQ(cpu.regs.r[0], row.wantR0) << std::hex << row.address;
    }
}

TEST_F(CpuTest, DataAccessBreaksStopAfterTheAccess)
{
    // MOV.B R0,@R1; MOV.W @R2,R3; MOV.L R0,@R2; NOP ...
    code(kCode, {0x2100, 0x6321, 0x2202, 0x0009, 0x0009});
    storeBig(bus.mem + 0x6000, 2, 0x1234);
    struct Row {
        uint32_t address;
        uint16_t mode;
        uint32_t data;
        uint32_t wantPc; // 0: no break
    };
    const Row rows[] = {
        {0x6100, 0x69, 0x55, kCode + 2}, // BBR_MEMWB with the byte written
        {0x6100, 0x69, 0x56, 0}, // another byte value: no break
        {0x6100, 0x68, 0x00, kCode + 2}, // BBR_MEMW, any size: data not used
        {0x6000, 0x66, 0x1234, kCode + 4}, // BBR_MEMRW with the word read
        {0x6000, 0x65, 0x1234, 0}, // byte size wanted, a word read of the same value
        {0x6000, 0x64, 0, kCode + 4}, // BBR_MEMR, any size
        {0x6000, 0x68, 0, kCode + 6}, // BBR_MEMW: the read before the write does not stop
        {0x6000, 0x6B, 0x55, kCode + 6}, // BBR_MEMWL
        {0x6000, 0x67, 0, 0}, // a longword read never happens there
    };
    for (const Row& row : rows) {
        cpu.regs.pc = kCode;
        cpu.regs.r[0] = 0x55;
        cpu.regs.r[1] = 0x6100;
        cpu.regs.r[2] = 0x6000;
        storeBig(bus.mem + 0x6000, 4, 0x12340000);
        breaks.write(0, BreakChannel {row.address, row.mode, row.data});
        StopReason why = cpu.run(5, &breaks, false);
        EXPECT_EQ(why, row.wantPc ? StopReason::Break : StopReason::Budget) << std::hex << row.mode;
        if (row.wantPc) {
            EXPECT_EQ(cpu.regs.pc, row.wantPc) << std::hex << row.mode;
        }
    }
}

// CMP/PZ, CMP/PL and DT on either side of zero and at the sign bit.
TEST_F(CpuTest, SignTestsAtZero)
{
    code(kCode, {0x4011, 0x4015, 0x4010}); // CMP/PZ R0; CMP/PL R0; DT R0
    const struct {
        uint32_t r0;
        bool pz, pl, dt;
    } rows[] = {{0, true, false, false}, {1, true, true, true}, {2, true, true, false},
        {0xFFFFFFFF, false, false, false}, {0x7FFFFFFF, true, true, false}, {0x80000000, false, false, false}};
    for (const auto& row : rows) {
        cpu.regs.pc = kCode;
        cpu.regs.r[0] = row.r0;
        cpu.setT(!row.pz);
        cpu.run(1, nullptr, false);
        EXPECT_EQ(cpu.t(), row.pz) << std::hex << row.r0;
        cpu.setT(!row.pl);
        cpu.run(1, nullptr, false);
        EXPECT_EQ(cpu.t(), row.pl) << std::hex << row.r0;
        cpu.setT(!row.dt);
        cpu.run(1, nullptr, false);
        EXPECT_EQ(cpu.t(), row.dt) << std::hex << row.r0;
        EXPECT_EQ(cpu.regs.r[0], row.r0 - 1);
    }
}

TEST_F(CpuTest, SleepStopsAfterTheInstruction)
{
    code(kCode, {0x7001, 0x001B, 0x7001});
    EXPECT_EQ(cpu.run(10, nullptr, false), StopReason::Sleep);
    EXPECT_EQ(cpu.regs.pc, kCode + 4);
    EXPECT_EQ(cpu.regs.r[0], 1u);
    // A single step over SLEEP reports the step, not a sleeping CPU.
    cpu.regs.pc = kCode + 2;
    breaks.write(1, BreakChannel{kCode + 2, 0x54, 0});
    EXPECT_EQ(cpu.run(10, &breaks, true), StopReason::Break);
    EXPECT_EQ(cpu.regs.pc, kCode + 4);
}

} // namespace
