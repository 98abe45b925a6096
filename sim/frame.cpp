#include "sim/frame.h"

#include <cstring>

namespace quill {

int FrameParser::checkHead() const
{
    if (held_ < 2)
        return 0;
    int len = bytes_[1];
    if (len < kLenMin || len > kLenMax)
        return -1;
    if (held_ < len + 3)
        return 0;
    if (bytes_[len + 2] != kEtx)
        return -1;
    uint8_t sum = 0;
    for (int i = 1; i <= len + 1; ++i)
        sum = static_cast<uint8_t>(sum + bytes_[i]);
    return sum == 0 ? 1 : -1;
}

void FrameParser::dropFront(int count)
{
    // Skip everything up to the next STX: bytes outside a frame mean nothing to the monitor.
    while (count < held_ && bytes_[count] != kStx)
        ++count;
    held_ -= count;
    std::memmove(bytes_, bytes_ + count, static_cast<size_t>(held_));
}

bool FrameParser::push(uint8_t byte)
{
    if (held_ == 0 && byte != kStx)
        return false;
    // Only a whole frame that nobody took can fill the buffer; a caller that
    // pushes on without next() loses that frame, never memory beyond the buffer.
    if (held_ == kFrameMax)
        abandonPartial();
    bytes_[held_++] = byte;
    // A rejected head can only reveal frames that are still incomplete or
    // whole; keep dropping until the head is a frame or a frame in progress.
    for (;;) {
        int state = checkHead();
        if (state >= 0)
            return state == 1;
        dropFront(1);
    }
}

bool FrameParser::next(Frame& out)
{
    if (checkHead() != 1)
        return false;
    int len = bytes_[1];
    out.command = bytes_[2];
    out.length = static_cast<uint8_t>(len - 2);
    std::memcpy(out.payload, bytes_ + 3, out.length);
    dropFront(len + 3);
    while (held_ > 0 && checkHead() < 0)
        dropFront(1);
    return true;
}

void FrameParser::abandonPartial()
{
    if (held_ == 0)
        return;
    dropFront(1);
    while (held_ > 0 && checkHead() < 0)
        dropFront(1);
}

int buildFrame(uint8_t command, const uint8_t* payload, int length, uint8_t* out)
{
    if (length < 0 || length > kPayloadMax)
        return 0;
    out[0] = kStx;
    out[1] = static_cast<uint8_t>(length + 2);
    out[2] = command;
    uint8_t sum = static_cast<uint8_t>(out[1] + command);
    for (int i = 0; i < length; ++i) {
        out[3 + i] = payload[i];
        sum = static_cast<uint8_t>(sum + payload[i]);
    }
    out[3 + length] = static_cast<uint8_t>(-sum);
    out[4 + length] = kEtx;
    return length + 5;
}

}  // namespace quill
