// The board behind the debugger's port "sim": the simulated SH7125 running
// in the debugger's own process, with no serial device in between.
#pragma once

#include <memory>

#include "link/port.h"
#include "sim/board.h"

namespace quill {

// Each open gives a freshly powered board with erased flash. The board
// announces its power-on before the host is listening, so the host finds the
// line quiet, as with a real board switched on before the debugger starts.
// Replies are ready to read as soon as the request's last byte is written.
std::unique_ptr<Port> openBoardPort();

// The one in-process board, for tests that load flash, press reset or look
// at memory behind the host's back; nullptr until the first open.
Board* simBoard();

}  // namespace quill
