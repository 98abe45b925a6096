// The serial line between the board and the host, seen from the board: what
// the board has sent and the host not yet read, and what the host has sent
// and the board not yet taken. The monitor's replies and, later, the user
// program's own text share the host-bound direction, as on the real cable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quill {

// A first-in first-out byte queue that compacts itself instead of shifting
// on every read, so draining it byte by byte stays cheap.
class ByteQueue {
public:
    void push(const uint8_t* bytes, size_t count);
    void push(uint8_t byte) { push(&byte, 1); }
    // Up to max bytes into out; the number taken.
    size_t take(uint8_t* out, size_t max);
    // The oldest bytes, contiguous, without taking them; then drop what was used.
    const uint8_t* front() const { return bytes_.data() + head_; }
    void drop(size_t count);
    size_t size() const { return bytes_.size() - head_; }
    bool empty() const { return size() == 0; }
    void clear();

private:
    std::vector<uint8_t> bytes_;
    size_t head_ = 0;
};

struct SerialChannel {
    ByteQueue toHost;
    ByteQueue fromHost;  // held for the user program while it runs

    // The cable was unplugged or replugged: nothing in flight survives.
    void disconnect()
    {
        toHost.clear();
        fromHost.clear();
    }
};

}  // namespace quill
