// Simulated SH-2 instructions per second, in-process, in the board's own
// slices: a DT/BF loop, and a mixed loop of loads, stores, branches with
// delay slots and MAC. The chip itself runs about 50 M instructions/s.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <memory>

#include "sim/board.h"

namespace {

using Clock = std::chrono::steady_clock;

// The process's own CPU time: on a machine shared with other work the wall
// clock also counts the time the process waited for a core.
double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

const std::initializer_list<uint16_t> kCountdown = {
    0x4010, // 2000 DT R0
    0x8BFD, // 2002 BF 2000
};

const std::initializer_list<uint16_t> kMixed = {
    0xD109, // 2000 MOV.L @(9,PC),R1     0xFFFFA000
    0xD20A, // 2002 MOV.L @(10,PC),R2    0xFFFFA100
    0xE640, // 2004 MOV #64,R6           outer:
    0x6413, // 2006 MOV R1,R4            inner:
    0x6523, // 2008 MOV R2,R5
    0x6042, // 200A MOV.L @R4,R0
    0x7001, // 200C ADD #1,R0
    0x2402, // 200E MOV.L R0,@R4
    0x054F, // 2010 MAC.L @R4+,@R5+
    0x454F, // 2012 MAC.W @R4+,@R5+
    0x6351, // 2014 MOV.W @R5,R3
    0x2338, // 2016 TST R3,R3
    0x8B00, // 2018 BF 201C
    0x7301, // 201A ADD #1,R3
    0x4610, // 201C DT R6
    0x8FF2, // 201E BF/S 2006
    0x7702, // 2020 ADD #2,R7 (slot)
    0xAFEF, // 2022 BRA 2004
    0x0009, // 2024 NOP (slot)
    0x0009, // 2026
    0xFFFF, 0xA000, // 2028
    0xFFFF, 0xA100, // 202C
};

double measure(const char* name, std::initializer_list<uint16_t> program, double seconds)
{
    auto board = std::make_unique<quill::Board>();
    uint32_t at = 0x2000;
    for (uint16_t w : program) {
        board->memory().flash()[at++] = static_cast<uint8_t>(w >> 8);
        board->memory().flash()[at++] = static_cast<uint8_t>(w);
    }
    quill::Sh2Cpu& cpu = board->cpu();
    cpu.regs.pc = 0x2000;
    cpu.regs.r[0] = 0xFFFFFFFF;
    uint64_t before = cpu.executed();
    auto start = Clock::now();
    double cpuStart = cpuSeconds();
    double elapsed = 0;
    while (elapsed < seconds) {
        for (int i = 0; i < 10; ++i) {
            if (cpu.run(quill::kSliceInstructions, &board->breaks(), false) != quill::StopReason::Budget) {
                fprintf(stderr, "%s: the program stopped (vector %d)\n", name, cpu.vector());
                return 0;
            }
        }
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    double count = static_cast<double>(cpu.executed() - before);
    double rate = count / (cpuSeconds() - cpuStart) / 1e6;
    printf(
        "%-12s %8.1f M instructions/s of CPU time (%.1f M/s by the wall clock)\n", name, rate, count / elapsed / 1e6);
    return rate;
}

} // namespace

int main()
{
    measure("DT/BF loop", kCountdown, 1.0);
    measure("mixed", kMixed, 1.0);
    return 0;
}
