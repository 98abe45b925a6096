// G and S: EXEC, the relay while the program runs, and the stop report.
// Single steps borrow breakpoint slot 0: a BBR_PC break at the current PC,
// which the monitor takes after the instruction there has executed.
#include "target/run_control.h"

#include <cstdio>

#include "link/packet.h"
#include "link/serial.h"
#include "target/memory.h"
#include "target/registers.h"

// The SH7125's exception vectors by number; numbers not listed have no name.
const CodeName vectorNameTable[] = {
    {0, "RESET"},
    {2, "MRESET"},
    {4, "Illegal Instruction"},
    {6, "Slot Illegal Inst."},
    {9, "Address Error"},
    {11, "NMI"},
    {12, "Break point"},
    {32, "TRAP 0"},
    {33, "TRAP 1"},
    {34, "TRAP 2"},
    {35, "TRAP 3"},
    {36, "TRAP 4"},
    {37, "TRAP 5"},
    {38, "TRAP 6"},
    {39, "TRAP 7"},
    {40, "TRAP 8"},
    {41, "TRAP 9"},
    {42, "TRAP 10"},
    {43, "TRAP 11"},
    {44, "TRAP 12"},
    {45, "TRAP 13"},
    {46, "TRAP 14"},
    {47, "TRAP 15"},
    {48, "TRAP 16"},
    {49, "TRAP 17"},
    {50, "TRAP 18"},
    {51, "TRAP 19"},
    {52, "TRAP 20"},
    {53, "TRAP 21"},
    {54, "TRAP 22"},
    {55, "TRAP 23"},
    {56, "TRAP 24"},
    {57, "TRAP 25"},
    {58, "TRAP 26"},
    {59, "TRAP 27"},
    {60, "TRAP 28"},
    {61, "TRAP 29"},
    {62, "TRAP 30"},
    {63, "TRAP 31"},
    {64, "IRQ 0"},
    {65, "IRQ 1"},
    {66, "IRQ 2"},
    {67, "IRQ 3"},
    {88, "TGIA_0"},
    {89, "TGIB_0"},
    {90, "TGIC_0"},
    {91, "TGID_0"},
    {92, "TGIV_0"},
    {93, "TGIE_0"},
    {94, "TGIF_0"},
    {96, "TGIA_1"},
    {97, "TGIB_1"},
    {100, "TGIV_1"},
    {101, "TGIU_1"},
    {104, "TGIA_2"},
    {105, "TGIB_2"},
    {108, "TGIV_2"},
    {109, "TGIU_2"},
    {112, "TGIA_3"},
    {113, "TGIB_3"},
    {114, "TGIC_3"},
    {115, "TGID_3"},
    {116, "TGIV_3"},
    {120, "TGIA_4"},
    {121, "TGIB_4"},
    {122, "TGIC_4"},
    {123, "TGID_4"},
    {124, "TGIV_4"},
    {128, "TGIU_5"},
    {129, "TGIV_5"},
    {130, "TGIW_5"},
    {132, "OEI1"},
    {133, "OEI3"},
    {184, "CMI_0"},
    {188, "CMI_1"},
    {196, "ITI"},
    {200, "ADI_0"},
    {201, "ADI_1"},
    {216, "ERI_0"},
    {217, "RXI_0"},
    {218, "TXI_0"},
    {219, "TEI_0"},
    {220, "ERI_1"},
    {221, "RXI_1"},
    {222, "TXI_1"},
    {223, "TEI_1"},
    {224, "ERI_2"},
    {225, "RXI_2"},
    {226, "TXI_2"},
    {227, "TEI_2"},
    {-1, nullptr},
};

uint32_t stepCount = 1;

namespace {

RunConsole* gRunConsole = nullptr;

constexpr uint32_t kStackLowest = 0xFFFFA008;
constexpr uint32_t kStackHighest = 0xFFFFC000;
constexpr int kEscape = 0x1B;

// The reply code of the frame that ended the wait, or -1 after Escape.
int relayUntilFrame(RunConsole* console)
{
    for (;;) {
        if (console != nullptr && console->interrupted())
            comPressAbortSwitch();
        const int key = console != nullptr ? console->takeKey() : kNoKey;
        if (key == kEscape)
            return -1;
        if (key != kNoKey)
            comPutByte(static_cast<uint8_t>(key));
        uint8_t byte = 0;
        const bool received = comAvailable() > 0 && comRead(&byte, 1) == 1;
        if (received) {
            const int scanned = scanPacketByte(byte);
            if (scanned == 3)
                return packetGetByte();
            if (scanned == 0 && shownTargetByte(byte))
                std::fputc(byte, stdout);
        }
        if (key == kNoKey && !received) {
            std::fflush(stdout);
            comIdle(console != nullptr ? console->waitFd() : -1);
        }
    }
}

} // namespace

void setRunConsole(RunConsole* console)
{
    gRunConsole = console;
}

VectorName vectorName(int code)
{
    VectorName name;
    const char* known = codeToName(code, vectorNameTable);
    if (known != nullptr)
        std::snprintf(name.text, sizeof name.text, "%s", known);
    else
        std::snprintf(name.text, sizeof name.text, "Unknown vector %d", code);
    return name;
}

bool shownTargetByte(uint8_t byte)
{
    return (byte >= 0x20 && byte <= 0x7F) || byte == '\r' || byte == '\n' || byte == '\t' || byte == '\f';
}

int execTarget()
{
    packetBegin(EXEC);
    packetEnd();
    sendPacket();
    // Ctrl-C presses the abort switch only where the debugger can reach it;
    // at a real board it ends the debugger, as it always does.
    RunConsole* console = gRunConsole;
    const bool catchInterrupt = console != nullptr && comHasAbortSwitch();
    if (catchInterrupt)
        console->catchInterrupt(true);
    const int code = relayUntilFrame(console);
    if (catchInterrupt)
        console->catchInterrupt(false);
    std::fflush(stdout);
    return code;
}

int goTarget(StopDisplay show)
{
    uint32_t sp = 0;
    readReg(REG_SP, &sp);
    if (sp > kStackHighest || sp < kStackLowest) {
        std::printf("Not valid stack(%08lX). Can't set execution-address on Stack\n", static_cast<unsigned long>(sp));
        return -2;
    }
    clearMemCache();
    const int code = execTarget();
    if (code != EXEC) {
        std::printf(code == TARGET_RESTARTED ? "Reset!\n" : "Unknown packet\n");
        return -1;
    }
    const int stop = packetGetByte();
    if (stop == kStopAbort)
        std::printf("Abort by User\n");
    else if (stop == kStopBreak)
        std::printf("Break\n");
    else
        std::printf("Exception %s\n", vectorName(stop).text);
    show();
    return stop;
}

int stepTarget(StopDisplay show)
{
    clearMemCache();
    for (uint32_t made = 0; made < stepCount; ++made) {
        // Without its break in place a step would let the program run on
        // freely: the failure is reported where it happened, and nothing starts.
        uint32_t pc = 0;
        if (readReg(REG_PC, &pc) != 1 || writeBreakpoint(0, BBR_PC, pc, 0) != 1)
            return -3;
        const int code = execTarget();
        if (code != EXEC) {
            std::printf("Return with invalid responce. packet=%d\n", code);
            return -3;
        }
        const int stop = packetGetByte();
        if (stop != kStopBreak) {
            std::printf("Return with Exception. code=%d\n", stop);
            return -2;
        }
        clearBreakpoint(0);
        show();
    }
    return 0;
}
