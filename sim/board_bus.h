// The address space as the board's CPU sees it: flash and RAM from the
// memory map, the monitor's SCI channel, and the rest of the on-chip
// peripheral area, whose registers the board does not model: it reads 0 and
// ignores writes, so a program's start-up code that sets up ports or clocks
// runs on. Everything else is unmapped and raises an address error, as does
// an instruction fetch outside flash and RAM.
#pragma once

#include "sim/bus.h"
#include "sim/memory_map.h"
#include "sim/sci_channel.h"

namespace quill {

// The on-chip peripheral registers lie in two areas, below and above RAM.
constexpr uint32_t kPeripheralBase = 0xFFFF8000;
constexpr uint32_t kPeripheralSize = 0x2000;
constexpr uint32_t kPeripheralHighBase = 0xFFFFC000; // to the end of the address space

class BoardBus : public Bus {
public:
    BoardBus(MemoryMap& memory, SciChannel& sci)
        : memory_(memory)
        , sci_(sci)
    {
    }

    Access read8(uint32_t address, uint8_t& value) const override;
    Access read16(uint32_t address, uint16_t& value) const override;
    Access read32(uint32_t address, uint32_t& value) const override;
    Access write8(uint32_t address, uint8_t value) override;
    Access write16(uint32_t address, uint16_t value) override;
    Access write32(uint32_t address, uint32_t value) override;
    Access fetch16(uint32_t address, uint16_t& value) const override { return memory_.read16(address, value); }

private:
    Access readPeripheral(uint32_t address, int size, uint32_t& value) const;
    Access writePeripheral(uint32_t address, int size, uint32_t value);

    MemoryMap& memory_;
    SciChannel& sci_;
};

} // namespace quill
