// The byte channel to the monitor. Backends: termios (serial_posix.cpp), Win32
// (serial_win32.cpp) and the in-process board (serial_sim.cpp); tests use a
// scripted fake. Everything above talks to the port through serial.h.
#pragma once

#include <cstdint>
#include <memory>

class Port {
public:
    virtual ~Port() = default;

    // Bytes waiting to be read, without blocking. Negative when the device has
    // gone away (adapter unplugged, pseudo-terminal closed).
    virtual int available() = 0;
    virtual int read(uint8_t* buffer, int count) = 0;
    virtual int write(const uint8_t* buffer, int count) = 0;

    // One empty poll: returns when a byte arrives on the port, when the console
    // descriptor (if not negative) becomes readable, or after maxMs at most.
    // A real device blocks in poll(); the in-process board runs meanwhile; the
    // scripted fake returns at once so time-out tests count polls, not seconds.
    virtual void waitEvent(int maxMs, int consoleFd) = 0;

    // The board's abort switch, for a board this program can reach (the
    // in-process one): a real board's switch is under the user's hand.
    virtual bool hasAbortSwitch() { return false; }
    virtual void pressAbortSwitch() {}
};
