#include "sim/sci_channel.h"

#include <cstring>

namespace quill {

void SciChannel::reset()
{
    std::memset(regs_, 0, sizeof regs_);
    regs_[SCBRR] = 0xFF;
    regs_[SCSCR] = kScrTe | kScrRe;
    regs_[SCTDR] = 0xFF;
    regs_[SCSDCR] = 0xF2;
    rdrf_ = false;
}

uint8_t SciChannel::status()
{
    // The receiver takes the next byte the host sent once SCRDR is free.
    if (!rdrf_ && (regs_[SCSCR] & kScrRe) && !line_.fromHost.empty()) {
        line_.fromHost.take(&regs_[SCRDR], 1);
        rdrf_ = true;
    }
    uint8_t s = regs_[SCSSR] & 0x03;
    if (line_.toHost.size() < kLineBacklog)
        s |= kSsrTdre | kSsrTend;
    if (rdrf_)
        s |= kSsrRdrf;
    return s;
}

uint8_t SciChannel::read(uint32_t offset)
{
    if (offset & 1)
        return 0;
    if (offset == SCSSR)
        return status();
    if (offset == SCRDR)
        status();
    return regs_[offset];
}

void SciChannel::write(uint32_t offset, uint8_t value)
{
    if ((offset & 1) || offset == SCRDR)
        return;
    if (offset != SCSSR) {
        regs_[offset] = value;
        return;
    }
    uint8_t before = status();
    // Flags clear by writing 0 over a 1; MPBT (bit 0) is written as it is.
    if ((before & kSsrTdre) && !(value & kSsrTdre) && (regs_[SCSCR] & kScrTe))
        line_.toHost.push(regs_[SCTDR]);
    if ((before & kSsrRdrf) && !(value & kSsrRdrf))
        rdrf_ = false;
    regs_[SCSSR] = value & 0x01;
}

} // namespace quill
