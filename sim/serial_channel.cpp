#include "sim/serial_channel.h"

#include <cstring>

namespace quill {

void ByteQueue::push(const uint8_t* bytes, size_t count)
{
    bytes_.insert(bytes_.end(), bytes, bytes + count);
}

size_t ByteQueue::take(uint8_t* out, size_t max)
{
    size_t n = size() < max ? size() : max;
    if (n > 0)
        std::memcpy(out, bytes_.data() + head_, n);
    drop(n);
    return n;
}

void ByteQueue::drop(size_t count)
{
    head_ += count < size() ? count : size();
    if (head_ == bytes_.size()) {
        bytes_.clear();
        head_ = 0;
    } else if (head_ > 4096 && head_ * 2 > bytes_.size()) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

void ByteQueue::clear()
{
    bytes_.clear();
    head_ = 0;
}

}  // namespace quill
