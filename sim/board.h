// The simulated SH7125 board: memory, the CPU's registers, the user break
// controller, the serial line to the host and the resident monitor that
// serves the host over it. One instance per simulated board; the in-process
// port and quillsim each own one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/break_controller.h"
#include "sim/flash_sequencer.h"
#include "sim/memory_map.h"
#include "sim/monitor.h"
#include "sim/serial_channel.h"
#include "sim/sh2_registers.h"
#include "sim/user_start.h"

namespace quill {

// How long the line must stay quiet before the monitor gives up a frame it
// has begun: far longer than a frame takes even at 9600 baud.
constexpr int kFrameSilenceMs = 100;

class Board {
public:
    Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Power cycle: RAM cleared, flash kept (it is flash), registers and
    // break channels reset, a half-received request dropped,
    // TARGET_RESTARTED queued behind whatever the host has not yet read.
    // With the user flag set and a usable vector pair (sim/user_start.h) the
    // user program starts instead, and nothing is announced: the line is the
    // program's now, and a host answering an announcement would wait for a
    // reply that never comes.
    void powerOn();
    // The reset switch: as powerOn, but RAM keeps its contents, as the
    // chip's RAM does across a manual reset.
    void reset();

    // Raw image into flash at 0, then a reset so PC and SP come from its
    // vector table. False when the image does not fit; nothing changes then.
    bool loadFlashImage(const uint8_t* image, size_t size);

    // Bytes the host sent; each completed request is answered before this returns.
    void receiveFromHost(const uint8_t* bytes, size_t count);
    size_t pendingToHost() const { return line_.toHost.size(); }
    size_t takeToHost(uint8_t* out, size_t max) { return line_.toHost.take(out, max); }

    // Time passes with nothing received: the board's clock for the line.
    void idle(int ms);

    // A host has just taken the line. What the board sent while nobody was
    // listening is gone, and so is any half-received frame.
    void hostConnected();

    MemoryMap& memory() { return memory_; }
    Sh2Registers& registers() { return registers_; }
    BreakController& breaks() { return breaks_; }
    SerialChannel& line() { return line_; }
    Monitor& monitor() { return monitor_; }
    FlashSequencer& flash() { return flash_; }

    // The user program takes the board from its entry: PC and SP are set
    // and the board counts as running it. The CPU runs it from there.
    void startUserProgram(const UserEntry& entry);
    bool userProgramStarted() const { return userProgramStarted_; }

private:
    void restart(ResetCause cause);

    MemoryMap memory_;
    Sh2Registers registers_{};
    BreakController breaks_;
    SerialChannel line_;
    Monitor monitor_;
    FlashSequencer flash_{memory_};
    int quietMs_ = 0;
    bool userProgramStarted_ = false;
};

}  // namespace quill
