// What the board's address space offers to whoever drives it: the monitor
// and the SH-2 core. Every access reports how it went, so a fault
// surfaces as the exception the chip would raise instead of a wild pointer.
#pragma once

#include <cstdint>

namespace quill {

enum class Access : uint8_t {
    Ok,
    Unmapped,    // nothing decodes the address: the chip raises an address error
    Misaligned,  // word at an odd address, longword not on a multiple of 4
    ReadOnly,    // flash outside its programming sequence
};

// Exception vector numbers the board reports.
constexpr uint8_t kVectorIllegalInstruction = 4;
constexpr uint8_t kVectorAddressError = 9;
constexpr uint8_t kVectorNmi = 11;
constexpr uint8_t kVectorUserBreak = 12;

class Bus {
public:
    virtual ~Bus() = default;

    // Big-endian, as the SH-2 sees memory.
    virtual Access read8(uint32_t address, uint8_t& value) const = 0;
    virtual Access read16(uint32_t address, uint16_t& value) const = 0;
    virtual Access read32(uint32_t address, uint32_t& value) const = 0;
    virtual Access write8(uint32_t address, uint8_t value) = 0;
    virtual Access write16(uint32_t address, uint16_t value) = 0;
    virtual Access write32(uint32_t address, uint32_t value) = 0;
    // An instruction fetch; differs from a data read only where the space
    // decides (a test's instruction window, peripheral registers).
    virtual Access fetch16(uint32_t address, uint16_t& value) const { return read16(address, value); }
};

}  // namespace quill
