#include "memory_port.h"

#include "link/packet.h"

void MemoryPort::poke(uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) image_[address++] = b;
}

void MemoryPort::pokeWords(uint32_t address, std::initializer_list<uint16_t> words) {
    for (uint16_t w : words) {
        image_[address++] = static_cast<uint8_t>(w >> 8);
        image_[address++] = static_cast<uint8_t>(w);
    }
}

uint8_t MemoryPort::byteAt(uint32_t address) const {
    auto it = image_.find(address);
    return it == image_.end() ? fill_ : it->second;
}

int MemoryPort::read(uint8_t* buffer, int count) {
    int n = 0;
    while (n < count && !rx_.empty()) {
        buffer[n++] = rx_.front();
        rx_.pop_front();
    }
    return n;
}

// Collects bytes until a whole frame (STX LEN CMD payload CHK ETX) is in.
int MemoryPort::write(const uint8_t* buffer, int count) {
    tx_.insert(tx_.end(), buffer, buffer + count);
    for (;;) {
        while (!tx_.empty() && tx_[0] != STX) {
            tx_.erase(tx_.begin());
            ++stray_;
        }
        if (tx_.size() < 2 || tx_.size() < static_cast<size_t>(tx_[1]) + 3) break;
        size_t total = static_cast<size_t>(tx_[1]) + 3;
        std::vector<uint8_t> request(tx_.begin(), tx_.begin() + static_cast<long>(total));
        tx_.erase(tx_.begin(), tx_.begin() + static_cast<long>(total));
        answer(request);
    }
    return count;
}

void MemoryPort::answer(const std::vector<uint8_t>& f) {
    uint8_t sum = 0;
    for (size_t i = 1; i + 1 < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    bool wellFormed = f.back() == ETX && sum == 0;
    // MEM_READ: LEN 7, CMD, address (4), count.
    if (!wellFormed || f[1] != 7 || f[2] != MEM_READ) {
        ++stray_;
        reply(0x7F, {});  // never left waiting
        return;
    }
    uint32_t address = (uint32_t{f[3]} << 24) | (uint32_t{f[4]} << 16) | (uint32_t{f[5]} << 8) | f[6];
    int n = f[7];
    reads_.push_back({address, n});
    if (failing_.erase({address, n})) {
        reply(EXEC, {0x05});
        return;
    }
    std::vector<uint8_t> data;
    for (int i = 0; i < n; ++i) data.push_back(byteAt(address + static_cast<uint32_t>(i)));
    reply(MEM_READ, data);
}

void MemoryPort::reply(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> f{STX, static_cast<uint8_t>(payload.size() + 2), code};
    f.insert(f.end(), payload.begin(), payload.end());
    uint8_t sum = 0;
    for (size_t i = 1; i < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    f.push_back(static_cast<uint8_t>(-sum));
    f.push_back(ETX);
    rx_.insert(rx_.end(), f.begin(), f.end());
}
