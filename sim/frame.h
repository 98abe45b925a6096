// The monitor's side of the serial frame: STX LEN CMD payload CHK ETX, where
// LEN counts CMD through CHK and LEN + CMD + payload + CHK is 0 modulo 256.
// Written apart from the host's link layer on purpose: when the two sides
// disagree, the tests that put them together find out.
#pragma once

#include <cstdint>

namespace quill {

namespace code {
constexpr uint8_t MEM_READ = 0x00;
constexpr uint8_t MEM_WRITE = 0x01;
constexpr uint8_t REG_READ = 0x10;
constexpr uint8_t REG_WRITE = 0x11;
constexpr uint8_t GET_VERSION = 0x12;
constexpr uint8_t GET_FLASH_AREA = 0x13;
constexpr uint8_t GET_USER_AREA = 0x14;
constexpr uint8_t BRK_READ = 0x31;
constexpr uint8_t BRK_WRITE = 0x32;
constexpr uint8_t BRK_CLEAR = 0x33;
constexpr uint8_t EXEC = 0x41;
constexpr uint8_t TARGET_RESTARTED = 0x50;
constexpr uint8_t FLASH_ERASE = 0x60;
constexpr uint8_t FLASH_WRITE = 0x61;
}  // namespace code

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr int kFrameMax = 32;
constexpr int kLenMin = 2;   // CMD and CHK, no payload
constexpr int kLenMax = 29;
constexpr int kPayloadMax = kLenMax - 2;

struct Frame {
    uint8_t command;
    uint8_t length;  // payload bytes
    uint8_t payload[kPayloadMax];
};

// Takes the host's bytes as they come and finds whole, well-formed frames in
// them. A frame with a bad LEN, a missing ETX or a wrong checksum is dropped
// the way the monitor drops it: silently. Scanning then resumes at the next
// STX value after the rejected STX, so a request that follows a stray byte
// is still found rather than swallowed by the broken frame. That STX value
// may itself be a false start (the LEN of a frame without payload is 2);
// the frame it seems to begin is given up when the line falls silent.
class FrameParser {
public:
    void reset() { held_ = 0; }

    // Adds one byte. True when a frame became ready: then call next() until
    // it returns false, since one byte can complete more than one frame when
    // a broken frame turns out to have held whole ones.
    bool push(uint8_t byte);
    // The next complete frame, if one is ready.
    bool next(Frame& out);

    // The line went quiet inside a frame: whatever was begun will not be
    // finished, so its STX is given up and the rest scanned again.
    void abandonPartial();

    // Bytes held while a frame is being assembled.
    int held() const { return held_; }

private:
    // 1 when a frame starts at held_[0] and is whole, 0 when more bytes are
    // needed, -1 when it cannot be a frame.
    int checkHead() const;
    void dropFront(int count);

    uint8_t bytes_[kFrameMax];
    int held_ = 0;
};

// Builds a reply frame into out (at least kFrameMax bytes); the frame's size.
int buildFrame(uint8_t command, const uint8_t* payload, int length, uint8_t* out);

}  // namespace quill
