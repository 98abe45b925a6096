// Serving the board on a pseudo-terminal, so that the debugger talks to it
// through a real serial device path (POSIX only).
#pragma once

#include "sim/board.h"

namespace quill {

struct PtyOptions {
    const char* linkPath = nullptr;  // symlink made to the device, removed on exit
    bool once = false;               // exit when the first host closes the line
    long baud = 0;                   // hold the line to this rate (sim/line_pacer.h); 0: as fast as it goes
    const char* fault = nullptr;     // a line fault from the start (sim/line_faults.h)
    const char* faultFifo = nullptr; // FIFO made here; each line written to it sets the fault anew
};

// Opens the pair, prints the device path as the first line of stdout and
// serves until SIGTERM or SIGINT (or, with once, until the host leaves).
// SIGUSR1 presses the board's reset switch. The process exit status: 0 after
// a clean stop or a hang-up fault, 1 when the pseudo-terminal, the link or the
// fault FIFO cannot be set up.
int servePty(Board& board, const PtyOptions& options);

}  // namespace quill
