#include "sim/board.h"

#include <cstring>

namespace quill {

Board::Board() : monitor_(*this)
{
    cpu_.mapFast(0, kFlashBase, kFlashSize, memory_.flash(), false);
    cpu_.mapFast(1, kRamBase, kRamSize, memory_.ram(), true);
    powerOn();
}

void Board::powerOn()
{
    std::memset(memory_.ram(), 0, kRamSize);
    restart(ResetCause::PowerOn);
}

void Board::reset()
{
    restart(ResetCause::Manual);
}

void Board::restart(ResetCause cause)
{
    resetRegisters(cpu_.regs, memory_);
    run_ = RunState::Monitor;
    sci_.reset();
    breaks_.reset();
    monitor_.reset();
    // What the board already sent is on the wire or in the host's buffer and
    // survives the reset; what the host sent and the monitor had not yet
    // taken does not.
    line_.fromHost.clear();
    quietMs_ = 0;
    userProgramStarted_ = false;
    UserEntry entry;
    if (userProgramFirst(memory_, entry))
        startUserProgram(entry);
    else
        monitor_.announceRestart(cause);
}

void Board::startUserProgram(const UserEntry& entry)
{
    cpu_.regs.pc = entry.pc;
    cpu_.regs.r[REG_SP] = entry.sp;
    run_ = RunState::Running;
    resuming_ = false;
    userProgramStarted_ = true;
}

bool Board::loadFlashImage(const uint8_t* image, size_t size)
{
    if (!memory_.loadFlashImage(image, size))
        return false;
    reset();
    return true;
}

void Board::receiveFromHost(const uint8_t* bytes, size_t count)
{
    if (count > 0)
        quietMs_ = 0;
    for (size_t i = 0; i < count; ++i) {
        if (programActive())
            line_.fromHost.push(bytes[i]);
        else
            monitor_.receive(bytes[i]);
    }
}

void Board::hostConnected()
{
    line_.disconnect();
    monitor_.reset();
    quietMs_ = 0;
}

void Board::lineTime(int ms)
{
    if (!monitor_.assembling())
        return;
    quietMs_ += ms;
    if (quietMs_ >= kFrameSilenceMs) {
        monitor_.lineIdle();
        quietMs_ = 0;
    }
}

}  // namespace quill
