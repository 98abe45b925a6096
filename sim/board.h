// The simulated SH7125 board: memory, the CPU's registers, the user break
// controller, the serial line to the host and the resident monitor that
// serves the host over it. One instance per simulated board; the in-process
// port and quillsim each own one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/board_bus.h"
#include "sim/break_controller.h"
#include "sim/flash_sequencer.h"
#include "sim/memory_map.h"
#include "sim/monitor.h"
#include "sim/sci_channel.h"
#include "sim/serial_channel.h"
#include "sim/sh2_cpu.h"
#include "sim/sh2_registers.h"
#include "sim/user_start.h"

namespace quill {

// How long the line must stay quiet before the monitor gives up a frame it
// has begun: far longer than a frame takes even at 9600 baud.
constexpr int kFrameSilenceMs = 100;

// Instructions a running program gets per call of advance(): about a
// millisecond of the host's time, so the line, the abort switch and reset
// are served between slices however the program loops.
constexpr uint64_t kSliceInstructions = 200000;

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

    // Bytes the host sent; each completed request is answered before this
    // returns. While a program runs they are its input, for the SCI.
    void receiveFromHost(const uint8_t* bytes, size_t count);
    size_t pendingToHost() const { return line_.toHost.size(); }
    size_t takeToHost(uint8_t* out, size_t max) { return line_.toHost.take(out, max); }

    // The board's clock: time passes. A running program gets one slice of
    // the CPU; otherwise ms of line silence pass, and a request left half
    // received for kFrameSilenceMs is given up.
    void advance(int ms);
    // A program runs and uses every slice it gets: call advance() again
    // without waiting. A sleeping program waits for the abort switch.
    bool busy() const { return run_ == RunState::Running; }
    bool programActive() const { return run_ != RunState::Monitor; }

    // EXEC: the monitor places PC and SR on the user stack below SP and
    // returns into the program from there, as the board's monitor does.
    void startProgram();
    // The abort switch (NMI): a running or sleeping program stops and the
    // monitor reports vector 11. Nothing happens while the monitor has the board.
    void abortSwitch();

    // A host has just taken the line. What the board sent while nobody was
    // listening is gone, and so is any half-received frame.
    void hostConnected();

    MemoryMap& memory() { return memory_; }
    Sh2Registers& registers() { return cpu_.regs; }
    Sh2Cpu& cpu() { return cpu_; }
    BreakController& breaks() { return breaks_; }
    SerialChannel& line() { return line_; }
    Monitor& monitor() { return monitor_; }
    FlashSequencer& flash() { return flash_; }

    // The user program takes the board from its entry: PC and SP are set
    // and the CPU runs it, as after EXEC, until it stops.
    void startUserProgram(const UserEntry& entry);
    bool userProgramStarted() const { return userProgramStarted_; }

private:
    enum class RunState : uint8_t { Monitor, Running, Sleeping };

    void restart(ResetCause cause);
    void lineTime(int ms);
    void runSlice();
    void stopProgram(uint8_t vector);

    MemoryMap memory_;
    BreakController breaks_;
    SerialChannel line_;
    SciChannel sci_{line_};
    BoardBus bus_{memory_, sci_};
    Sh2Cpu cpu_{bus_};
    Monitor monitor_;
    FlashSequencer flash_{memory_};
    int quietMs_ = 0;
    RunState run_ = RunState::Monitor;
    bool resuming_ = false;
    bool userProgramStarted_ = false;
};

}  // namespace quill
