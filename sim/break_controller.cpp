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

}  // namespace quill
