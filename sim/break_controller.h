// The chip's user break controller: two channels, each an address, a break
// bus cycle setting (the BBR code the host passes through unchanged) and a
// data value. The monitor stores and reports them; the CPU asks whether an
// instruction fetch or a data access hits one.
#pragma once

#include <cstdint>

namespace quill {

struct BreakChannel {
    uint32_t address;
    uint16_t mode;  // 0: no break
    uint32_t data;
};

// Fields of the BBR code.
constexpr uint16_t kBreakCycleMask = 0x0030;  // bits 5-4: 01 instruction fetch, 10 data access
constexpr uint16_t kBreakCycleFetch = 0x0010;
constexpr uint16_t kBreakCycleData = 0x0020;
constexpr uint16_t kBreakReadWriteMask = 0x000C;  // bits 3-2: 01 read, 10 write
constexpr uint16_t kBreakRead = 0x0004;
constexpr uint16_t kBreakWrite = 0x0008;
constexpr uint16_t kBreakSizeMask = 0x0003;  // bits 1-0: 00 any, 01 byte, 10 word, 11 longword

class BreakController {
public:
    static constexpr int kChannels = 2;

    BreakController() { reset(); }

    // Every channel "no break", as after a reset.
    void reset();

    // Each returns false for a channel other than 0 or 1 and changes nothing.
    bool read(int channel, BreakChannel& out) const;
    bool write(int channel, const BreakChannel& setting);
    bool clear(int channel);

    // The first channel set to break on an instruction fetch at pc, or -1.
    int fetchHit(uint32_t pc) const;
    // Whether any channel is set; whether one watches data accesses.
    bool any() const { return channels_[0].mode != 0 || channels_[1].mode != 0; }
    bool watchesData() const;
    // Whether a data access of size bytes at address hits a channel: the
    // cycle is a data access, the read/write field matches or is "any", the
    // size field matches or is "any", the address is the access's own, and
    // for a mode with a size the value (at that size) equals the data field.
    bool dataHit(uint32_t address, int size, bool write, uint32_t value) const;

private:
    BreakChannel channels_[kChannels];
};

}  // namespace quill
