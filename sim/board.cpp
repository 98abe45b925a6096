#include "sim/board.h"

#include <cstring>

namespace quill {

Board::Board() : monitor_(*this)
{
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
    resetRegisters(registers_, memory_);
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
    registers_.pc = entry.pc;
    registers_.r[REG_SP] = entry.sp;
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
    for (size_t i = 0; i < count; ++i)
        monitor_.receive(bytes[i]);
}

void Board::hostConnected()
{
    line_.disconnect();
    monitor_.reset();
    quietMs_ = 0;
}

void Board::idle(int ms)
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
