// The SH7125 serial communication interface channel the monitor talks to the
// host on (SCI_1), as the user program sees it: its registers at the
// hardware manual's addresses, for polled I/O over the same line.
//
// Transmit: writing 0 to TDRE (after the program wrote SCTDR) sends SCTDR
// at once; TDRE and TEND read 1 again as soon as the line can take more,
// and read 0 while the host has not yet taken kLineBacklog bytes, so a
// program that prints faster than the host reads waits instead of piling
// up output. Receive: RDRF reads 1 while a byte the host sent waits in
// SCRDR; writing 0 to RDRF takes the next one. No byte is lost, so ORER,
// FER and PER stay 0. TIE, RIE and TEIE are kept but raise no interrupt:
// the board models no interrupts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/serial_channel.h"

namespace quill {

// 8-bit registers at a 2-byte stride; the odd bytes between them are no
// register: they read 0 and ignore writes.
constexpr uint32_t kSciBase = 0xFFFFC080; // SCSMR_1
constexpr uint32_t kSciSize = 0x10;
enum SciRegister : uint32_t {
    SCSMR = 0x0,
    SCBRR = 0x2,
    SCSCR = 0x4,
    SCTDR = 0x6,
    SCSSR = 0x8,
    SCRDR = 0xA,
    SCSDCR = 0xC,
    SCSPTR = 0xE,
};

// SCSSR and SCSCR bits.
constexpr uint8_t kSsrTdre = 0x80;
constexpr uint8_t kSsrRdrf = 0x40;
constexpr uint8_t kSsrTend = 0x04;
constexpr uint8_t kScrTe = 0x20;
constexpr uint8_t kScrRe = 0x10;

constexpr size_t kLineBacklog = 4096;

class SciChannel {
public:
    explicit SciChannel(SerialChannel& line)
        : line_(line)
    {
        reset();
    }

    // As the monitor leaves it: 8N1, transmitter and receiver on.
    void reset();
    // offset from kSciBase, below kSciSize.
    uint8_t read(uint32_t offset);
    void write(uint32_t offset, uint8_t value);

private:
    uint8_t status();

    SerialChannel& line_;
    uint8_t regs_[kSciSize];
    bool rdrf_ = false;
};

} // namespace quill
