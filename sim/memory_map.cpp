#include "sim/memory_map.h"

#include <cstring>

namespace quill {

MemoryMap::MemoryMap()
{
    clear();
}

void MemoryMap::clear()
{
    std::memset(flash_, kErasedByte, sizeof flash_);
    std::memset(ram_, 0, sizeof ram_);
}

bool MemoryMap::loadFlashImage(const uint8_t* image, size_t size)
{
    if (size > kFlashSize)
        return false;
    std::memcpy(flash_, image, size);
    return true;
}

const uint8_t* MemoryMap::locate(uint32_t address, RegionKind& kind) const
{
    if (address - kFlashBase < kFlashSize) {
        kind = RegionKind::Flash;
        return flash_ + (address - kFlashBase);
    }
    if (address - kRamBase < kRamSize) {
        kind = RegionKind::Ram;
        return ram_ + (address - kRamBase);
    }
    kind = RegionKind::None;
    return nullptr;
}

uint8_t* MemoryMap::locate(uint32_t address, RegionKind& kind)
{
    return const_cast<uint8_t*>(static_cast<const MemoryMap*>(this)->locate(address, kind));
}

Access MemoryMap::checkRange(uint32_t address, uint32_t count, bool forWrite) const
{
    if (count == 0)
        return Access::Ok;
    if (count - 1 > 0xFFFFFFFFu - address)
        return Access::Unmapped;
    bool readOnly = false;
    // Regions are large and contiguous, so checking each byte is cheap enough
    // for monitor-sized ranges and never misses a boundary.
    for (uint32_t i = 0; i < count; ++i) {
        RegionKind kind;
        if (locate(address + i, kind) == nullptr)
            return Access::Unmapped;
        if (kind == RegionKind::Flash)
            readOnly = true;
    }
    return forWrite && readOnly ? Access::ReadOnly : Access::Ok;
}

Access MemoryMap::readBytes(uint32_t address, int size, uint32_t& value) const
{
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return Access::Misaligned;
    RegionKind kind;
    const uint8_t* p = locate(address, kind);
    if (p == nullptr)
        return Access::Unmapped;
    // Aligned accesses never straddle a region: every region starts and ends on a multiple of 4.
    uint32_t v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    value = v;
    return Access::Ok;
}

Access MemoryMap::writeBytes(uint32_t address, int size, uint32_t value)
{
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return Access::Misaligned;
    RegionKind kind;
    uint8_t* p = locate(address, kind);
    if (p == nullptr)
        return Access::Unmapped;
    if (kind == RegionKind::Flash)
        return Access::ReadOnly;
    for (int i = size - 1; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(value);
        value >>= 8;
    }
    return Access::Ok;
}

Access MemoryMap::read8(uint32_t address, uint8_t& value) const
{
    uint32_t v = 0;
    Access a = readBytes(address, 1, v);
    if (a == Access::Ok)
        value = static_cast<uint8_t>(v);
    return a;
}

Access MemoryMap::read16(uint32_t address, uint16_t& value) const
{
    uint32_t v = 0;
    Access a = readBytes(address, 2, v);
    if (a == Access::Ok)
        value = static_cast<uint16_t>(v);
    return a;
}

Access MemoryMap::read32(uint32_t address, uint32_t& value) const
{
    return readBytes(address, 4, value);
}

Access MemoryMap::write8(uint32_t address, uint8_t value)
{
    return writeBytes(address, 1, value);
}

Access MemoryMap::write16(uint32_t address, uint16_t value)
{
    return writeBytes(address, 2, value);
}

Access MemoryMap::write32(uint32_t address, uint32_t value)
{
    return writeBytes(address, 4, value);
}

}  // namespace quill
