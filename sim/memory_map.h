// The SH7125's address space as far as the board models it: 128 KB of flash
// at 0 and 8 KB of on-chip RAM at the top of the address space. Everything
// else is unmapped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/bus.h"

namespace quill {

enum class RegionKind : uint8_t { None, Flash, Ram };

constexpr uint32_t kFlashBase = 0x00000000;
constexpr uint32_t kFlashSize = 0x20000;
constexpr uint32_t kRamBase = 0xFFFFA000;
constexpr uint32_t kRamSize = 0x2000;
// The flash loader stages every 128-byte flash piece in the last 128 bytes of RAM.
constexpr uint32_t kWriteBufferAddress = kRamBase + kRamSize - 128;
constexpr uint8_t kErasedByte = 0xFF;

class MemoryMap : public Bus {
public:
    MemoryMap();

    // Power-on contents: flash erased, RAM cleared. A loaded flash image is
    // not kept across this; reload it.
    void clear();
    // Copies a raw image into flash from address 0; false (and flash left
    // as it was) when the image is larger than the flash.
    bool loadFlashImage(const uint8_t* image, size_t size);

    // Whether every byte of [address, address + count) allows the access.
    // An unmapped byte anywhere wins (the chip raises an address error before
    // anything else); otherwise a flash byte refuses a write. A range that
    // runs past 0xFFFFFFFF is unmapped there: the bus does not wrap.
    Access checkRange(uint32_t address, uint32_t count, bool forWrite) const;

    Access read8(uint32_t address, uint8_t& value) const override;
    Access read16(uint32_t address, uint16_t& value) const override;
    Access read32(uint32_t address, uint32_t& value) const override;
    Access write8(uint32_t address, uint8_t value) override;
    Access write16(uint32_t address, uint16_t value) override;
    Access write32(uint32_t address, uint32_t value) override;

    // Direct views for the flash sequencer and for tests; no checks.
    uint8_t* flash() { return flash_; }
    const uint8_t* flash() const { return flash_; }
    uint8_t* ram() { return ram_; }
    const uint8_t* ram() const { return ram_; }

private:
    // Host pointer for the byte at address, or nullptr when unmapped.
    const uint8_t* locate(uint32_t address, RegionKind& kind) const;
    uint8_t* locate(uint32_t address, RegionKind& kind);
    Access readBytes(uint32_t address, int size, uint32_t& value) const;
    Access writeBytes(uint32_t address, int size, uint32_t value);

    uint8_t flash_[kFlashSize];
    uint8_t ram_[kRamSize];
};

}  // namespace quill
