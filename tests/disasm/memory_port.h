// A port that plays the monitor from an in-test memory image: it answers each
// MEM_READ from the image and logs it, so a test sees both the listing and the
// request pattern behind it. Reads at an address marked failing get the stop
// report (0x41) instead, which readMem takes as a wrong reply.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "link/port.h"

struct MemRead {
    uint32_t address;
    int count;
    bool operator==(const MemRead&) const = default;
};

class MemoryPort : public Port {
public:
    // Bytes not poked read as `fill`.
    explicit MemoryPort(uint8_t fill = 0x00) : fill_(fill) {}

    void poke(uint32_t address, std::initializer_list<uint8_t> bytes);
    void pokeWords(uint32_t address, std::initializer_list<uint16_t> words);
    // The next MEM_READ of `count` bytes at address is answered with the stop report.
    void failRead(uint32_t address, int count) { failing_.insert({address, count}); }

    const std::vector<MemRead>& reads() const { return reads_; }
    void clearLog() { reads_.clear(); }
    // Requests other than MEM_READ, and malformed frames.
    int strayFrames() const { return stray_; }

    int available() override { return static_cast<int>(rx_.size()); }
    int read(uint8_t* buffer, int count) override;
    int write(const uint8_t* buffer, int count) override;
    void waitEvent(int, int) override {}

private:
    uint8_t byteAt(uint32_t address) const;
    void answer(const std::vector<uint8_t>& request);
    void reply(uint8_t code, const std::vector<uint8_t>& payload);

    uint8_t fill_;
    std::map<uint32_t, uint8_t> image_;
    std::set<std::pair<uint32_t, int>> failing_;
    std::vector<MemRead> reads_;
    std::vector<uint8_t> tx_;
    std::deque<uint8_t> rx_;
    int stray_ = 0;
};
