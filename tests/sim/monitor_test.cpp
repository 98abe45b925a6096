// The monitor through the wire: request frames in, reply frames out, byte
// for byte. A request that cannot be carried out must never read as success:
// refusals set bit 7 of the code, status replies answer 0 and the error twice,
// an unmapped read answers an address error (code 0x41, vector 9).
#include <gtest/gtest.h>

#include "sim/monitor.h"
#include "sim_wire.h"

namespace {

using namespace quill;

const Bytes kAddressError = frame(0x41, {9});
const Bytes kVersionReply = frame(0x12, {1, 0, 3});

Bytes memRead(uint32_t address, uint8_t count)
{
    return frame(0x00, be32(address) + Bytes{count});
}

Bytes memWrite(uint32_t address, const Bytes& data)
{
    return frame(0x01, be32(address) + Bytes{static_cast<uint8_t>(data.size())} + data);
}

Bytes ng(uint8_t code, uint8_t error)
{
    return frame(code, {0, error, error});
}

// BRK_WRITE's request and BRK_READ's reply share one layout: slot, address, mode, data.
Bytes brk(uint8_t code, uint8_t slot, uint32_t address, uint16_t mode, uint32_t data)
{
    return frame(code, Bytes{slot} + be32(address) + Bytes{uint8_t(mode >> 8), uint8_t(mode)} + be32(data));
}

using MonitorTest = BoardTest;

TEST_F(MonitorTest, IdentificationAndRequestsNotCarriedOut)
{
    EXPECT_EQ(send({0x02, 0x02, 0x12, 0xEC, 0x03}), kVersionReply);
    EXPECT_EQ(send(frame(0x13)), frame(0x13, be32(0xFFFFA000) + be32(0x1000)));
    EXPECT_EQ(send(frame(0x14)), frame(0x14, be32(0xFFFFB000) + be32(0xF80)));
    EXPECT_EQ(send(frame(0x60, {3, 4})), ng(0x60, kErrorPayloadSize));
    EXPECT_EQ(send(frame(0x20)), frame(0xA0, {kErrorUnknown}));
}

// A read must lie wholly in flash or RAM.
TEST_F(MonitorTest, ReadsAtTheEdgesOfMappedMemory)
{
    uint8_t* ram = board->memory().ram();
    for (uint32_t i = 0; i < kRamSize; ++i)
        ram[i] = static_cast<uint8_t>(i * 7 + 1);
    board->memory().flash()[kFlashSize - 1] = 0x5A;
    const std::tuple<uint32_t, uint8_t, Bytes> rows[] = {
        {0xFFFFBFF0, 16, frame(0x00, Bytes(ram + kRamSize - 16, ram + kRamSize))},
        {0x0001FFFE, 2, frame(0x00, {0xFF, 0x5A})},
        {0xFFFFBFF8, 9, kAddressError},   // straddles the end of RAM
        {0xFFFF9FFF, 2, kAddressError},   // straddles the start of RAM
        {0x0001FFF8, 9, kAddressError},   // straddles the end of flash
        {0xFFFFFFF8, 16, kAddressError},  // unmapped top, and would wrap
        {0xFFFFA000, 0, frame(0x80, {kErrorArgument})},
        {0xFFFFA000, 17, frame(0x80, {kErrorArgument})},
    };
    for (const auto& [address, count, reply] : rows)
        EXPECT_EQ(send(memRead(address, count)), reply) << std::hex << address << " " << +count;
}

TEST_F(MonitorTest, WritesStoreExactlyTheirBytesOrNothing)
{
    uint8_t* ram = board->memory().ram();
    Bytes data = {0x02, 0x03, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0xFF};
    EXPECT_EQ(send(memWrite(0xFFFFBFEF, data)), frame(0x01, {1}));
    // Half in RAM, half beyond it: not even the RAM half is stored.
    EXPECT_EQ(send(memWrite(0xFFFFBFFF, {0x11, 0x22})), ng(0x01, kErrorUnmapped));
    EXPECT_EQ(send(memWrite(0xFFFF9FFF, {0x11, 0x22})), ng(0x01, kErrorUnmapped));
    EXPECT_EQ(Bytes(ram + 0x1FEE, ram + kRamSize), Bytes{0} + data + Bytes{0});
    // Into flash: refused, and flash stays erased around it.
    EXPECT_EQ(send(memWrite(0x1FFF, {0x12, 0x34, 0x56})), ng(0x01, kErrorReadOnly));
    EXPECT_EQ(Bytes(board->memory().flash() + 0x1FFE, board->memory().flash() + 0x2003), Bytes(5, 0xFF));
    // Count and data that disagree, no count, counts outside 1-16.
    EXPECT_EQ(send(frame(0x01, be32(0xFFFFA000) + Bytes{4, 1, 2, 3})), ng(0x01, kErrorPayloadSize));
    EXPECT_EQ(send(frame(0x01, be32(0xFFFFA000) + Bytes{2, 1, 2, 3})), ng(0x01, kErrorPayloadSize));
    EXPECT_EQ(send(frame(0x01, be32(0xFFFFA000))), ng(0x01, kErrorPayloadSize));
    EXPECT_EQ(send(frame(0x01, be32(0xFFFFA000) + Bytes{0})), ng(0x01, kErrorArgument));
    EXPECT_EQ(send(frame(0x01, be32(0xFFFFA000) + Bytes{17} + Bytes(17, 1))), ng(0x01, kErrorArgument));
    EXPECT_EQ(ram[0], 0x00);
}

TEST_F(MonitorTest, EveryRegisterRoundTripsAndBadNumbersFail)
{
    // Distinct values, so a write that lands in the wrong register shows; SR keeps only its bits.
    auto value = [](uint8_t n) { return n == REG_SR ? 0x3F3 : 0x01020304u * (n + 1); };
    for (uint8_t n = 0; n < kRegisterCount; ++n)
        EXPECT_EQ(send(frame(0x11, Bytes{n} + be32(value(n) | (n == REG_SR ? 0xFFFFFC00 : 0)))), frame(0x11, {1}));
    for (uint8_t n = 0; n < kRegisterCount; ++n)
        EXPECT_EQ(send(frame(0x10, {n})), frame(0x10, be32(value(n)))) << +n;
    EXPECT_EQ(send(frame(0x10, {23})), frame(0x90, {kErrorArgument}));
    EXPECT_EQ(send(frame(0x11, Bytes{23} + be32(5))), ng(0x11, kErrorArgument));
    EXPECT_EQ(send(frame(0x11, {0, 1, 2})), ng(0x11, kErrorPayloadSize));
}

TEST_F(MonitorTest, BreakSlotsRoundTripAndBadSlotsChangeNothing)
{
    EXPECT_EQ(send(brk(0x32, 0, 0x1000, 0x54, 0)), frame(0x32, {1}));
    EXPECT_EQ(send(brk(0x32, 1, 0xDEADBEEF, 0xABCD, 0x12345678)), frame(0x32, {1}));
    EXPECT_EQ(send(frame(0x31, {0})), brk(0x31, 0, 0x1000, 0x54, 0));
    EXPECT_EQ(send(frame(0x31, {2})), frame(0xB1, {kErrorArgument}));
    EXPECT_EQ(send(brk(0x32, 2, 0x3000, 0x54, 0)), frame(0xB2, {kErrorArgument}));
    EXPECT_EQ(send(frame(0x33, {0xFF})), frame(0xB3, {kErrorArgument}));
    EXPECT_EQ(send(frame(0x32, {0, 0, 0})), frame(0xB2, {kErrorPayloadSize}));
    EXPECT_EQ(send(frame(0x33, {0})), frame(0x33, {1}));
    EXPECT_EQ(send(frame(0x31, {0})), brk(0x31, 0, 0, 0, 0));
    EXPECT_EQ(send(frame(0x31, {1})), brk(0x31, 1, 0xDEADBEEF, 0xABCD, 0x12345678));
}

// A lost byte leaves the monitor inside a frame that swallows the next
// request; the request is answered once the line has been quiet long enough.
TEST_F(MonitorTest, AStalledFrameIsGivenUpAfterTheLineFallsSilent)
{
    EXPECT_EQ(send(Bytes{0x02, 0x1D} + frame(0x12)), Bytes{});
    board->advance(kFrameSilenceMs - 1);
    EXPECT_EQ(send({}), Bytes{});
    board->advance(1);
    EXPECT_EQ(send({}), kVersionReply);
}

// The reset switch: announced behind replies already sent, a half request
// dropped, RAM kept; a power cycle clears RAM and announces cause 0.
TEST_F(MonitorTest, ResetAndPowerOn)
{
    Bytes request = frame(0x12);
    send(memWrite(0xFFFFA005, {0x42}) + frame(0x11, Bytes{3} + be32(7)) + brk(0x32, 0, 0x1000, 0x54, 0));
    board->receiveFromHost((request + request).data(), 8);  // a reply sent, a request half received
    board->reset();
    EXPECT_EQ(send({}), kVersionReply + frame(0x50, {1}));
    EXPECT_EQ(send(Bytes(request.begin() + 3, request.end())), Bytes{});
    EXPECT_EQ(send(memRead(0xFFFFA005, 1) + frame(0x10, {3}) + frame(0x31, {0})),
              frame(0x00, {0x42}) + frame(0x10, be32(0)) + brk(0x31, 0, 0, 0, 0));
    board->powerOn();
    EXPECT_EQ(send(memRead(0xFFFFA005, 1)), frame(0x50, {0}) + frame(0x00, {0}));
}

}  // namespace
