// Faults on quillsim's line, for proving that the host survives them: bytes
// dropped or garbled at a rate (seeded, so a run can be repeated), replies
// with a bad checksum, a board restart in the middle of a request or of a
// reply, a line gone silent, and a hang-up. A fault is set at start or while
// running, through a control FIFO, so a test can inject it and take it away.
#pragma once

#ifndef _WIN32

#include <cstddef>
#include <cstdint>

#include "sim/board.h"
#include "sim/serial_channel.h"

namespace quill {

enum class LineFault {
    None,
    Drop, // each byte, either way, is lost with the given rate
    Garble, // each byte, either way, gets one bit flipped with the given rate
    BadChecksum, // every frame for the host carries a wrong CHK
    RestartInRequest, // once: the board restarts after the first bytes of the next request
    RestartInReply, // once: the next frame for the host is cut short by a restart
    Silent, // nothing reaches the host; the board goes on working
    HangUp, // the board lets go of the line: quillsim closes it and ends
};

struct FaultSetting {
    LineFault fault = LineFault::None;
    double rate = 0; // Drop and Garble: 0 to 1, per byte
    uint32_t seed = 1;
};

// "off", "drop RATE [SEED]", "garble RATE [SEED]", "bad-checksum",
// "restart-request", "restart-reply", "silent", "hangup"; the words may be
// separated by blanks or ':'. False (setting unchanged) for anything else.
bool parseFault(const char* text, FaultSetting* setting);

class LineFaults {
public:
    void set(const FaultSetting& setting);
    LineFault fault() const { return setting_.fault; }
    bool hungUp() const { return setting_.fault == LineFault::HangUp; }

    // Bytes read from the host, before the board takes them: the kept ones
    // are moved to the front and counted. A restart in the request gives the
    // board the request's first bytes itself and then restarts it.
    size_t fromHost(uint8_t* bytes, size_t count, Board& board);
    // Takes what the board has for the host and returns the bytes to write,
    // each byte passing the fault once.
    ByteQueue& toHost(Board& board);
    size_t pendingToHost() const { return out_.size(); }

private:
    bool roll();
    uint8_t flip(uint8_t byte);
    void passToHost(uint8_t byte, Board& board);

    FaultSetting setting_;
    uint64_t random_ = 1;
    ByteQueue out_;
    // The frame being sent to the host: bytes of it seen so far, and its LEN.
    int frameAt_ = -1;
    int frameLen_ = 0;
    bool cutting_ = false; // dropping the rest of a frame cut by a restart
};

} // namespace quill

#endif
