// Running the target program and single-stepping it: EXEC, the wait while
// the program runs (its text to the console, the user's keys to it), and the
// stop report that ends the wait.
#pragma once

#include <cstdint>

#include "target/breakpoints.h"

// Stop codes with a meaning of their own; any other is an exception vector.
constexpr int kStopAbort = 11; // NMI: the abort switch
constexpr int kStopBreak = 12; // a user break

extern const CodeName vectorNameTable[];

// A vector's table name, or a stand-in naming the number when it has no row.
struct VectorName {
    char text[24];
};
VectorName vectorName(int code);

// What the wait needs from the user's console. The shell installs it; the
// target layer never reads the console itself. Without one there are no keys.
class RunConsole {
public:
    virtual ~RunConsole() = default;
    // The next key typed, or kNoKey. A script's lines are never keys.
    virtual int takeKey() = 0;
    // A descriptor that becomes readable when a key arrives, or -1.
    virtual int waitFd() = 0;
    // While on, Ctrl-C does not end the program but is counted for interrupted().
    virtual void catchInterrupt(bool on) = 0;
    // Ctrl-C was pressed since the last call (only while caught).
    virtual bool interrupted() = 0;
};
constexpr int kNoKey = -1;
void setRunConsole(RunConsole* console);

// True for a byte of the program's output that the console shows.
bool shownTargetByte(uint8_t byte);

// Sends EXEC and relays until a whole frame arrives: its code (0x41 for a
// stop report, the stop code then waiting for packetGetByte), or -1 when the
// user pressed Escape (the program keeps running).
int execTarget();

// What G and S show after a stop: the registers and the instruction at PC.
// The commands know how; the services only say when.
using StopDisplay = void (*)();

// G: the stop code (0 to 255), -2 when SP is refused, -1 for any other ending.
int goTarget(StopDisplay show);

// Set by every S: how many steps it makes.
extern uint32_t stepCount;
// S over stepCount steps: 0 when all were made, -2 when one ended with
// another stop code than a break, -3 when one ended without a stop report.
int stepTarget(StopDisplay show);
