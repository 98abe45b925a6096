#include "sim/board_bus.h"

namespace quill {

namespace {

bool inPeripherals(uint32_t address)
{
    return address - kPeripheralBase < kPeripheralSize || address >= kPeripheralHighBase;
}

} // namespace

Access BoardBus::readPeripheral(uint32_t address, int size, uint32_t& value) const
{
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return Access::Misaligned;
    value = 0;
    for (int i = 0; i < size; ++i) {
        uint32_t a = address + static_cast<uint32_t>(i);
        uint8_t b = a - kSciBase < kSciSize ? sci_.read(a - kSciBase) : 0;
        value = (value << 8) | b;
    }
    return Access::Ok;
}

Access BoardBus::writePeripheral(uint32_t address, int size, uint32_t value)
{
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return Access::Misaligned;
    for (int i = size - 1; i >= 0; --i) {
        uint32_t a = address + static_cast<uint32_t>(i);
        if (a - kSciBase < kSciSize)
            sci_.write(a - kSciBase, static_cast<uint8_t>(value));
        value >>= 8;
    }
    return Access::Ok;
}

// Reading the SCI's status takes the next received byte into SCRDR: a side
// effect behind the const interface, reached only by the CPU.
Access BoardBus::read8(uint32_t address, uint8_t& value) const
{
    if (!inPeripherals(address))
        return memory_.read8(address, value);
    uint32_t v = 0;
    Access a = readPeripheral(address, 1, v);
    value = static_cast<uint8_t>(v);
    return a;
}

Access BoardBus::read16(uint32_t address, uint16_t& value) const
{
    if (!inPeripherals(address))
        return memory_.read16(address, value);
    uint32_t v = 0;
    Access a = readPeripheral(address, 2, v);
    value = static_cast<uint16_t>(v);
    return a;
}

Access BoardBus::read32(uint32_t address, uint32_t& value) const
{
    if (!inPeripherals(address))
        return memory_.read32(address, value);
    return readPeripheral(address, 4, value);
}

Access BoardBus::write8(uint32_t address, uint8_t value)
{
    return inPeripherals(address) ? writePeripheral(address, 1, value) : memory_.write8(address, value);
}

Access BoardBus::write16(uint32_t address, uint16_t value)
{
    return inPeripherals(address) ? writePeripheral(address, 2, value) : memory_.write16(address, value);
}

Access BoardBus::write32(uint32_t address, uint32_t value)
{
    return inPeripherals(address) ? writePeripheral(address, 4, value) : memory_.write32(address, value);
}

} // namespace quill
