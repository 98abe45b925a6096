// Holds quillsim's line to a baud rate: ten bit times per byte (start bit,
// eight data bits, stop bit), each direction on its own, as on a full-duplex
// serial line. Bytes from the host wait here until they have crossed the
// line before the board sees them; bytes for the host are written to the
// device only as they finish crossing.
//
// Time is virtual per direction: a byte starts when the line is free and
// its data is there, and crosses one byte time later. The board answers in
// the same instant the last byte of a request crossed, however late the
// process woke to notice it, so scheduling delays do not add up over a long
// transfer; only the host's own turn-around is real time on top of the wire.
#pragma once

#ifndef _WIN32

#include <poll.h>

#include <cstddef>
#include <cstdint>

#include "sim/board.h"

namespace quill {

int64_t monotonicNs();

// poll() with a time-out in nanoseconds (-1: none); sub-millisecond where
// the platform can, else rounded up to whole milliseconds.
int pollNs(struct pollfd* fds, nfds_t count, int64_t timeoutNs);

// One direction of the line.
class PacedDirection {
public:
    explicit PacedDirection(int64_t byteNs)
        : byteNs_(byteNs)
    {
    }

    // Of waiting bytes (those already on the line first), puts the rest on
    // the line from the moment from (or when the line frees up) and returns
    // how many have crossed by now.
    size_t crossed(size_t waiting, int64_t from, int64_t now);
    // count crossed bytes were handed over and are off the line.
    void handedOver(size_t count) { onLine_ -= count < onLine_ ? count : onLine_; }
    // When the byte that crossed last before the count still on the line did.
    int64_t crossedAt() const { return freeAt_ - static_cast<int64_t>(onLine_) * byteNs_; }
    // Nanoseconds until the next byte crosses; -1 with nothing on the line.
    int64_t untilNext(int64_t now) const;
    // Nanoseconds until everything on the line has crossed; -1 with nothing on it.
    int64_t untilAll(int64_t now) const;
    size_t onLine() const { return onLine_; }

private:
    int64_t byteNs_;
    int64_t freeAt_ = 0; // when the last byte put on the line has crossed
    size_t onLine_ = 0;
};

class LinePacer {
public:
    explicit LinePacer(long baud);

    // Whether to read more from the host now; what is held stays bounded.
    bool wantsInput() const { return held_.size() < kHeldMax; }
    // Bytes just read from the device: they start across the line now.
    void received(const uint8_t* bytes, size_t count, int64_t now);
    // Gives the board the time that passed and every held byte that has crossed.
    void deliver(Board& board, int64_t now);
    // How many of the board's waiting bytes for the host may be written now:
    // those that have crossed, except in the last kSpinNs before the rest
    // has, when they wait to go out with it in one write.
    size_t sendable(size_t waiting, int64_t now);
    void sent(size_t count);
    // Bytes had crossed but the device took fewer: wait for it to be writable.
    bool blocked() const { return blocked_; }
    // The poll time-out that wakes for the next crossing, no later than
    // timeoutNs (-1: none). Crossings are collected for up to kBatchNs, so
    // a frame (at most 32 bytes, under 3 ms at 115200) costs one wake for its
    // end, and a long transfer wakes the process every few milliseconds; the
    // last byte on the line is always met on time. The last kSpinNs before a
    // wake are polled with no time-out, since a timer wake on an idle core
    // comes tens to hundreds of microseconds late (most of all on a virtual
    // machine), several per cent of a short exchange.
    int64_t timeout(int64_t now, int64_t timeoutNs) const;

private:
    static constexpr size_t kHeldMax = 4096;
    static constexpr int64_t kBatchNs = 4000000;
    static constexpr int64_t kSpinNs = 300000;

    PacedDirection toBoard_;
    PacedDirection toHost_;
    ByteQueue held_;
    int64_t lastNs_ = 0;
    int64_t idleNs_ = 0;
    // The instant the board took the last crossed byte: what it sends in
    // answer starts then.
    int64_t answerFrom_ = -1;
    size_t lastSendable_ = 0;
    bool blocked_ = false;
};

} // namespace quill

#endif
