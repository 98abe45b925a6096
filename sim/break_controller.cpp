#include "sim/break_controller.h"

namespace quill {

namespace {

bool validChannel(int channel)
{
    return channel >= 0 && channel < BreakController::kChannels;
}

}  // namespace

void BreakController::reset()
{
    for (BreakChannel& c : channels_)
        c = BreakChannel{0, 0, 0};
}

bool BreakController::read(int channel, BreakChannel& out) const
{
    if (!validChannel(channel))
        return false;
    out = channels_[channel];
    return true;
}

bool BreakController::write(int channel, const BreakChannel& setting)
{
    if (!validChannel(channel))
        return false;
    channels_[channel] = setting;
    return true;
}

bool BreakController::clear(int channel)
{
    return write(channel, BreakChannel{0, 0, 0});
}

int BreakController::fetchHit(uint32_t pc) const
{
    for (int i = 0; i < kChannels; ++i) {
        const BreakChannel& c = channels_[i];
        // A fetch break is a read of an instruction; the read/write field may
        // also be left "any" (00), which the chip matches as well.
        bool fetch = (c.mode & kBreakCycleMask) == kBreakCycleFetch;
        bool notWrite = (c.mode & kBreakReadWriteMask) != kBreakWrite;
        if (c.mode != 0 && fetch && notWrite && c.address == pc)
            return i;
    }
    return -1;
}

bool BreakController::watchesData() const
{
    for (const BreakChannel& c : channels_) {
        if (c.mode != 0 && (c.mode & kBreakCycleMask) == kBreakCycleData)
            return true;
    }
    return false;
}

bool BreakController::dataHit(uint32_t address, int size, bool write, uint32_t value) const
{
    static const int sizeOf[4] = {0, 1, 2, 4};
    for (const BreakChannel& c : channels_) {
        if (c.mode == 0 || (c.mode & kBreakCycleMask) != kBreakCycleData || c.address != address)
            continue;
        uint16_t rw = c.mode & kBreakReadWriteMask;
        if ((rw == kBreakRead && write) || (rw == kBreakWrite && !write))
            continue;
        int wanted = sizeOf[c.mode & kBreakSizeMask];
        if (wanted == 0)
            return true;
        uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
        if (wanted == size && (value & mask) == (c.data & mask))
            return true;
    }
    return false;
}

}  // namespace quill
