// The board's side of running a program: EXEC hands the board to the
// program, time passes in CPU slices, and whatever ends the run (the abort
// switch, a user break, an exception whose handler is the monitor's) hands
// it back to the monitor, which sends the stop report with the vector.
#include "sim/board.h"

namespace quill {

void Board::advance(int ms)
{
    if (run_ == RunState::Running)
        runSlice();
    else if (run_ == RunState::Monitor)
        lineTime(ms);
}

void Board::startProgram()
{
    Sh2Registers& r = cpu_.regs;
    uint32_t sp = r.r[REG_SP];
    // The frame RTE takes back: PC at SP - 8, SR at SP - 4; SP is as before
    // once the program runs. A stack with no room for it stops the run at once.
    if ((sp & 3) != 0 || memory_.checkRange(sp - 8, 8, true) != Access::Ok) {
        monitor_.reportStop(kVectorAddressError);
        return;
    }
    memory_.write32(sp - 8, r.pc);
    memory_.write32(sp - 4, r.sr);
    line_.fromHost.clear();
    monitor_.reset();
    run_ = RunState::Running;
    resuming_ = true;
}

void Board::runSlice()
{
    StopReason why = cpu_.run(kSliceInstructions, &breaks_, resuming_);
    resuming_ = false;
    switch (why) {
    case StopReason::Budget:
        break;
    case StopReason::Sleep:
        run_ = RunState::Sleeping;
        break;
    case StopReason::Break:
        stopProgram(kVectorUserBreak);
        break;
    case StopReason::Exception:
        stopProgram(cpu_.vector());
        break;
    }
}

void Board::abortSwitch()
{
    if (programActive())
        stopProgram(kVectorNmi);
}

void Board::stopProgram(uint8_t vector)
{
    run_ = RunState::Monitor;
    // Input the program did not read is not a request for the monitor.
    line_.fromHost.clear();
    monitor_.reset();
    monitor_.reportStop(vector);
}

} // namespace quill
