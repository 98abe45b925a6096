// The resident monitor: takes the host's request frames off the line,
// carries them out on the board and queues one reply frame for each.
//
// Replies the host may not expect, chosen so that no failure can read as success:
// - a request the monitor cannot carry out, whose reply has no status byte
//   (MEM_READ with a count outside 1-16, REG_READ of a number above 22,
//   BRK_* on a slot other than 0 or 1, a payload of the wrong size, an
//   unknown code) is refused with a frame whose code is the request's with
//   bit 7 set and whose one payload byte is a MonitorError; the host reports
//   it as an unexpected reply;
// - a request whose reply has a status byte (MEM_WRITE, REG_WRITE,
//   FLASH_ERASE, FLASH_WRITE) answers status 0 followed by the error, sent
//   twice: the host reads the flash error codes as one byte in some places
//   and as a 16-bit word in others, and both then see the same code;
// - a MEM_READ that touches unmapped memory answers code 0x41 with the
//   address-error vector 9, as the chip's exception would; a MEM_WRITE that
//   does answers status 0 and kErrorUnmapped, since the host takes only
//   MEM_WRITE's own code with a status byte as its reply.
// A request code with bit 7 already set has no distinct refusal code; the
// host sends none.
#pragma once

#include <cstdint>

#include "sim/frame.h"
#include "sim/memory_map.h"

namespace quill {

class Board;

enum MonitorError : uint8_t {
    kErrorNone = 0x00,
    kErrorPayloadSize = 0xE1,  // the payload does not have the request's size
    kErrorArgument = 0xE2,     // a count, register number or slot out of range
    kErrorReadOnly = 0xE3,     // MEM_WRITE into flash: only the flash requests change it
    kErrorUnsupported = 0xE4,  // the board cannot do this yet
    kErrorUnknown = 0xE5,      // no such request
    kErrorUnmapped = 0xE6,     // MEM_WRITE outside flash and RAM
    // Flash requests:
    kErrorMonitorBlock = 0xE7,  // blocks 0 and 1 hold the monitor itself
    kErrorNotErased = 0xE8,     // the destination piece holds programmed bytes
    kErrorSource = 0xE9,        // FLASH_WRITE's 128 bytes do not lie in RAM
    kErrorDestination = 0xEA,   // not a 128-byte piece inside flash
};

constexpr uint8_t kRefusedBit = 0x80;

struct MonitorVersion {
    uint8_t major;
    uint8_t minor;
    uint8_t build;
};
constexpr MonitorVersion kMonitorVersion{1, 0, 3};

// The RAM areas the monitor reports. The flash-program/data area is where a
// program loaded into RAM goes; the user data area follows it; the last 128
// bytes of RAM (the write buffer) stay out of both, since the loader stages
// every flash piece there.
constexpr uint32_t kFlashAreaAddress = kRamBase;
constexpr uint32_t kFlashAreaSize = 0x1000;
constexpr uint32_t kUserAreaAddress = kFlashAreaAddress + kFlashAreaSize;
constexpr uint32_t kUserAreaSize = kWriteBufferAddress - kUserAreaAddress;

constexpr int kMemTransferMax = 16;

// Why the board announces itself; the one payload byte of TARGET_RESTARTED.
enum class ResetCause : uint8_t { PowerOn = 0, Manual = 1 };

class Monitor {
public:
    explicit Monitor(Board& board) : board_(board) {}

    void reset() { parser_.reset(); }

    // One byte from the host; a completed request is answered at once.
    void receive(uint8_t byte);
    // The line has been quiet long enough that every half-received frame is
    // dead; requests that were caught inside one are answered now.
    void lineIdle();
    // Queues TARGET_RESTARTED.
    void announceRestart(ResetCause cause);
    // Queues the reply to EXEC: the program stopped through this vector.
    void reportStop(uint8_t vector);

    bool assembling() const { return parser_.held() > 0; }

private:
    void handle(const Frame& request);
    void send(uint8_t command, const uint8_t* payload, int length);

    Board& board_;
    FrameParser parser_;
};

}  // namespace quill
