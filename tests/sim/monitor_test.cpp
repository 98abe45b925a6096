// The monitor through the wire: request frames in, reply frames out, byte
// for byte, for every request the host makes and the ways it can go wrong.
#include <gtest/gtest.h>

#include "sim/monitor.h"
#include "sim_wire.h"

namespace {

using namespace quill;

constexpr uint8_t kFault = 0x41;  // the reply code of an exception

Bytes memRead(uint32_t address, uint8_t count)
{
    return frame(code::MEM_READ, be32(address) + Bytes{count});
}

Bytes memWrite(uint32_t address, const Bytes& data)
{
    return frame(code::MEM_WRITE, be32(address) + Bytes{static_cast<uint8_t>(data.size())} + data);
}

Bytes counting(int n, uint8_t first)
{
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(first + i));
    return b;
}

using MonitorTest = BoardTest;

TEST_F(MonitorTest, IdentificationReplies)
{
    EXPECT_EQ(send({0x02, 0x02, 0x12, 0xEC, 0x03}), frame(0x12, {1, 0, 3}));
    EXPECT_EQ(send(frame(0x13)), frame(0x13, be32(0xFFFFA000) + be32(0x1000)));
    EXPECT_EQ(send(frame(0x14)), frame(0x14, be32(0xFFFFB000) + be32(0xF80)));
}

// Memory reads at the edges of what is mapped: a read must lie wholly in flash or RAM.
struct ReadRow {
    const char* name;
    uint32_t address;
    uint8_t count;
    bool faults;
};

const ReadRow kReads[] = {
    {"ram first byte", 0xFFFFA000, 1, false},
    {"ram last 16", 0xFFFFBFF0, 16, false},
    {"ram last byte", 0xFFFFBFFF, 1, false},
    {"straddles ram end", 0xFFFFBFF8, 16, true},
    {"straddles ram start", 0xFFFF9FFF, 2, true},
    {"just below ram", 0xFFFF9FF0, 16, true},
    {"flash first 16", 0x00000000, 16, false},
    {"flash last 16", 0x0001FFF0, 16, false},
    {"straddles flash end", 0x0001FFF8, 9, true},
    {"just above flash", 0x00020000, 1, true},
    {"peripheral space", 0xFFFF8000, 4, true},
};

class MemoryReadRows : public BoardTest, public testing::WithParamInterface<ReadRow> {};

TEST_P(MemoryReadRows, DataOrAddressError)
{
    const ReadRow& row = GetParam();
    // A pattern in RAM, so the bytes returned show where they came from.
    for (uint32_t i = 0; i < kRamSize; ++i)
        board->memory().ram()[i] = static_cast<uint8_t>(i * 7 + 1);
    Bytes reply = send(memRead(row.address, row.count));
    if (row.faults) {
        EXPECT_EQ(reply, frame(kFault, {kVectorAddressError}));
        return;
    }
    Bytes expected;
    for (uint32_t i = 0; i < row.count; ++i) {
        uint8_t b = 0;
        ASSERT_EQ(board->memory().read8(row.address + i, b), Access::Ok);
        expected.push_back(b);
    }
    EXPECT_EQ(reply, frame(code::MEM_READ, expected));
}

INSTANTIATE_TEST_SUITE_P(Monitor, MemoryReadRows, testing::ValuesIn(kReads), rowName<ReadRow>);

TEST_F(MonitorTest, ReadOfTheLastSixteenRamBytesReturnsThemInOrder)
{
    for (int i = 0; i < 16; ++i)
        board->memory().ram()[kRamSize - 16 + i] = static_cast<uint8_t>(0xC0 + i);
    EXPECT_EQ(send(memRead(0xFFFFBFF0, 16)), frame(code::MEM_READ, counting(16, 0xC0)));
}

TEST_F(MonitorTest, ReadThatWrapsPastTheTopOfTheAddressSpaceFaults)
{
    EXPECT_EQ(send(memRead(0xFFFFFFF8, 16)), frame(kFault, {kVectorAddressError}));
}

TEST_F(MonitorTest, ReadCountsOutsideOneToSixteenAreRefused)
{
    EXPECT_EQ(send(memRead(0xFFFFA000, 0)), frame(0x80, {kErrorArgument}));
    EXPECT_EQ(send(memRead(0xFFFFA000, 17)), frame(0x80, {kErrorArgument}));
}

TEST_F(MonitorTest, WriteStoresExactlyItsBytes)
{
    uint8_t* ram = board->memory().ram();
    for (uint32_t i = 0; i < 64; ++i)
        ram[0x100 + i] = 0xEE;
    EXPECT_EQ(send(memWrite(0xFFFFA110, counting(16, 0x30))), frame(code::MEM_WRITE, {1}));
    EXPECT_EQ(Bytes(ram + 0x110, ram + 0x120), counting(16, 0x30));
    EXPECT_EQ(ram[0x10F], 0xEE);
    EXPECT_EQ(ram[0x120], 0xEE);
    EXPECT_EQ(send(memRead(0xFFFFA10F, 3)), frame(code::MEM_READ, {0xEE, 0x30, 0x31}));
}

TEST_F(MonitorTest, WriteIntoFlashIsRefusedAndLeavesFlashErased)
{
    EXPECT_EQ(send(memWrite(0x2000, {0x12, 0x34})), frame(code::MEM_WRITE, {0, kErrorReadOnly, kErrorReadOnly}));
    EXPECT_EQ(board->memory().flash()[0x2000], 0xFF);
    EXPECT_EQ(board->memory().flash()[0x2001], 0xFF);
}

TEST_F(MonitorTest, RefusedWritesChangeNothing)
{
    uint8_t* ram = board->memory().ram();
    ram[kRamSize - 1] = 0x99;
    // Half in RAM, half beyond it: nothing may be stored, not even the RAM half.
    EXPECT_EQ(send(memWrite(0xFFFFBFFF, {0x11, 0x22})), frame(kFault, {kVectorAddressError}));
    EXPECT_EQ(ram[kRamSize - 1], 0x99);
    // Starting in unmapped space just below RAM: the same, and RAM untouched.
    EXPECT_EQ(send(memWrite(0xFFFF9FFF, {0x11, 0x22})), frame(kFault, {kVectorAddressError}));
    EXPECT_EQ(ram[0], 0x00);
}

TEST_F(MonitorTest, MalformedWritesAnswerNg)
{
    const Bytes ng = frame(code::MEM_WRITE, {0, kErrorPayloadSize, kErrorPayloadSize});
    // count says 4, only 3 bytes follow
    EXPECT_EQ(send(frame(code::MEM_WRITE, be32(0xFFFFA000) + Bytes{4, 1, 2, 3})), ng);
    // count says 1, 2 bytes follow
    EXPECT_EQ(send(frame(code::MEM_WRITE, be32(0xFFFFA000) + Bytes{1, 1, 2})), ng);
    // no count at all
    EXPECT_EQ(send(frame(code::MEM_WRITE, be32(0xFFFFA000))), ng);
    EXPECT_EQ(send(frame(code::MEM_WRITE, be32(0xFFFFA000) + Bytes{0})),
              frame(code::MEM_WRITE, {0, kErrorArgument, kErrorArgument}));
    EXPECT_EQ(send(frame(code::MEM_WRITE, be32(0xFFFFA000) + Bytes{17} + Bytes(17, 0))),
              frame(code::MEM_WRITE, {0, kErrorArgument, kErrorArgument}));
    EXPECT_EQ(board->memory().ram()[0], 0x00);
}

TEST_F(MonitorTest, EveryRegisterRoundTrips)
{
    for (uint8_t n = 0; n < kRegisterCount; ++n) {
        uint32_t value = n == REG_SR ? 0x000003F3 : 0x01020304u * (n + 1);
        EXPECT_EQ(send(frame(code::REG_WRITE, Bytes{n} + be32(value))), frame(code::REG_WRITE, {1})) << int(n);
        EXPECT_EQ(send(frame(code::REG_READ, {n})), frame(code::REG_READ, be32(value))) << int(n);
    }
    // Distinct values: a write that landed in the wrong register would show here.
    EXPECT_EQ(board->registers().r[15], 0x01020304u * 16);
    EXPECT_EQ(board->registers().pc, 0x01020304u * 23);
    EXPECT_EQ(board->registers().mach, 0x01020304u * 20);
}

TEST_F(MonitorTest, SrKeepsOnlyItsImplementedBits)
{
    send(frame(code::REG_WRITE, Bytes{16} + be32(0xFFFFFFFF)));
    EXPECT_EQ(send(frame(code::REG_READ, {16})), frame(code::REG_READ, be32(0x3F3)));
}

TEST_F(MonitorTest, RegisterNumbersAbove22Fail)
{
    for (uint8_t n : {23, 24, 0x7F, 0xFF}) {
        EXPECT_EQ(send(frame(code::REG_READ, {n})), frame(0x90, {kErrorArgument})) << int(n);
        EXPECT_EQ(send(frame(code::REG_WRITE, Bytes{n} + be32(5))),
                  frame(code::REG_WRITE, {0, kErrorArgument, kErrorArgument}))
            << int(n);
    }
    EXPECT_EQ(send(frame(code::REG_WRITE, {0, 1, 2})), frame(code::REG_WRITE, {0, kErrorPayloadSize, kErrorPayloadSize}));
    EXPECT_EQ(send(frame(code::REG_READ, {})), frame(0x90, {kErrorPayloadSize}));
}

TEST_F(MonitorTest, RegistersAfterPowerOnWithErasedFlash)
{
    EXPECT_EQ(send(frame(code::REG_READ, {16})), frame(code::REG_READ, be32(0xF0)));
    EXPECT_EQ(send(frame(code::REG_READ, {15})), frame(code::REG_READ, be32(0xFFFFBF80)));
    EXPECT_EQ(send(frame(code::REG_READ, {22})), frame(code::REG_READ, be32(0x2000)));
    EXPECT_EQ(send(frame(code::REG_READ, {0})), frame(code::REG_READ, be32(0)));
}

Bytes brkWrite(uint8_t slot, uint32_t address, uint16_t mode, uint32_t data)
{
    return frame(code::BRK_WRITE, Bytes{slot} + be32(address) + be16(mode) + be32(data));
}

TEST_F(MonitorTest, BreakSlotsReadBackWhatWasWritten)
{
    EXPECT_EQ(send(frame(code::BRK_READ, {0})), frame(code::BRK_READ, Bytes{0} + be32(0) + be16(0) + be32(0)));
    EXPECT_EQ(send(brkWrite(0, 0x1000, 0x54, 0)), frame(code::BRK_WRITE, {1}));
    EXPECT_EQ(send(brkWrite(1, 0xFFFFA000, 0x69, 0x55)), frame(code::BRK_WRITE, {1}));
    EXPECT_EQ(send(frame(code::BRK_READ, {0})), frame(code::BRK_READ, Bytes{0} + be32(0x1000) + be16(0x54) + be32(0)));
    EXPECT_EQ(send(frame(code::BRK_READ, {1})),
              frame(code::BRK_READ, Bytes{1} + be32(0xFFFFA000) + be16(0x69) + be32(0x55)));
    // A mode the host has no name for is kept as it came.
    send(brkWrite(1, 0xDEADBEEF, 0xABCD, 0x12345678));
    EXPECT_EQ(send(frame(code::BRK_READ, {1})),
              frame(code::BRK_READ, Bytes{1} + be32(0xDEADBEEF) + be16(0xABCD) + be32(0x12345678)));
}

TEST_F(MonitorTest, ClearingASlotLeavesTheOtherAlone)
{
    send(brkWrite(0, 0x1000, 0x54, 0));
    send(brkWrite(1, 0x2000, 0x54, 0));
    EXPECT_EQ(send(frame(code::BRK_CLEAR, {0})), frame(code::BRK_CLEAR, {1}));
    EXPECT_EQ(send(frame(code::BRK_READ, {0})), frame(code::BRK_READ, Bytes{0} + be32(0) + be16(0) + be32(0)));
    EXPECT_EQ(send(frame(code::BRK_READ, {1})), frame(code::BRK_READ, Bytes{1} + be32(0x2000) + be16(0x54) + be32(0)));
}

TEST_F(MonitorTest, BadBreakSlotsAreRefusedAndChangeNothing)
{
    send(brkWrite(1, 0x2000, 0x54, 0));
    for (uint8_t slot : {2, 0xFF}) {
        EXPECT_EQ(send(frame(code::BRK_READ, {slot})), frame(0xB1, {kErrorArgument}));
        EXPECT_EQ(send(brkWrite(slot, 0x3000, 0x54, 0)), frame(0xB2, {kErrorArgument}));
        EXPECT_EQ(send(frame(code::BRK_CLEAR, {slot})), frame(0xB3, {kErrorArgument}));
    }
    EXPECT_EQ(send(frame(code::BRK_WRITE, {0, 0, 0})), frame(0xB2, {kErrorPayloadSize}));
    EXPECT_EQ(send(frame(code::BRK_READ, {1})), frame(code::BRK_READ, Bytes{1} + be32(0x2000) + be16(0x54) + be32(0)));
}

TEST_F(MonitorTest, RequestsNotYetCarriedOut)
{
    EXPECT_EQ(send(frame(code::EXEC)), frame(0xC1, {kErrorUnsupported}));
    EXPECT_EQ(send(frame(code::FLASH_ERASE, {3})),
              frame(code::FLASH_ERASE, {0, kErrorUnsupported, kErrorUnsupported}));
    EXPECT_EQ(send(frame(code::FLASH_WRITE, be32(0xFFFFBF80) + be32(0x2000))),
              frame(code::FLASH_WRITE, {0, kErrorUnsupported, kErrorUnsupported}));
    EXPECT_EQ(send(frame(0x20)), frame(0xA0, {kErrorUnknown}));
    EXPECT_EQ(send(frame(code::TARGET_RESTARTED)), frame(0xD0, {kErrorUnknown}));
}

TEST_F(MonitorTest, MalformedFramesGetNoReplyAndDoNotDisturbTheNext)
{
    Bytes badSum = frame(0x12);
    badSum[3] ^= 1;
    Bytes noEtx = frame(0x12);
    noEtx.back() = 0x04;
    Bytes badSumWithPayload = frame(0x10, {0x05});
    badSumWithPayload[4] ^= 0x80;
    const Bytes malformed[] = {badSum, noEtx, badSumWithPayload, {0x02, 0x1E}, {0x02, 0x00}, {0x02, 0x01, 0x12, 0xEF, 0x03}};
    for (const Bytes& m : malformed) {
        EXPECT_EQ(send(m), Bytes{}) << hexBytes(m);
        board->idle(kFrameSilenceMs);
        EXPECT_EQ(drain(*board), Bytes{}) << hexBytes(m);
        EXPECT_EQ(send(frame(0x12)), frame(0x12, {1, 0, 3})) << hexBytes(m);
    }
}

TEST_F(MonitorTest, ARequestRightBehindABrokenOneIsAnsweredOnceTheLineIsQuiet)
{
    Bytes badSum = frame(0x12);
    badSum[3] ^= 1;
    // The broken frame's LEN byte (2) looks like the start of a frame that swallows the request.
    EXPECT_EQ(send(badSum + frame(0x13)), Bytes{});
    board->idle(kFrameSilenceMs);
    EXPECT_EQ(drain(*board), frame(0x13, be32(0xFFFFA000) + be32(0x1000)));
}

TEST_F(MonitorTest, RequestsSplitIntoSingleBytesAreAnsweredAtTheLastOne)
{
    Bytes request = memRead(0xFFFFA000, 4);
    for (size_t i = 0; i + 1 < request.size(); ++i)
        EXPECT_EQ(send({request[i]}), Bytes{}) << i;
    EXPECT_EQ(send({request.back()}), frame(code::MEM_READ, {0, 0, 0, 0}));
}

TEST_F(MonitorTest, AStalledFrameIsGivenUpAfterTheLineFallsSilent)
{
    // A lost byte leaves the monitor waiting for more of a frame; the host's
    // next request arrives inside it and would go unanswered for good.
    EXPECT_EQ(send(Bytes{0x02, 0x1D} + frame(0x12)), Bytes{});
    board->idle(kFrameSilenceMs - 1);
    EXPECT_EQ(drain(*board), Bytes{});
    board->idle(1);
    EXPECT_EQ(drain(*board), frame(0x12, {1, 0, 3}));
}

TEST_F(MonitorTest, SilenceBetweenWholeRequestsChangesNothing)
{
    board->idle(10 * kFrameSilenceMs);
    EXPECT_EQ(drain(*board), Bytes{});
    EXPECT_EQ(send(frame(0x12)), frame(0x12, {1, 0, 3}));
}

TEST_F(MonitorTest, ResetAnnouncesItselfAfterRepliesAlreadySent)
{
    board->receiveFromHost(frame(0x12).data(), 5);
    board->reset();
    EXPECT_EQ(drain(*board), frame(0x12, {1, 0, 3}) + frame(code::TARGET_RESTARTED, {1}));
}

TEST_F(MonitorTest, ResetDropsAHalfReceivedRequest)
{
    Bytes request = frame(0x12);
    send(Bytes(request.begin(), request.begin() + 3));
    board->reset();
    EXPECT_EQ(drain(*board), frame(code::TARGET_RESTARTED, {1}));
    EXPECT_EQ(send(Bytes(request.begin() + 3, request.end())), Bytes{});
    EXPECT_EQ(send(request), frame(0x12, {1, 0, 3}));
}

}  // namespace

namespace {

// Splits the board's output into frames, checking each as the host's
// recogniser would; false at the first byte that does not belong to one.
bool splitFrames(const Bytes& out, std::vector<Bytes>& frames)
{
    size_t i = 0;
    while (i < out.size()) {
        if (out[i] != 0x02 || i + 1 >= out.size())
            return false;
        size_t len = out[i + 1];
        if (len < 2 || len > 29 || i + len + 3 > out.size() || out[i + len + 2] != 0x03)
            return false;
        uint8_t sum = 0;
        for (size_t k = i + 1; k <= i + len + 1; ++k)
            sum = static_cast<uint8_t>(sum + out[k]);
        if (sum != 0)
            return false;
        frames.emplace_back(out.begin() + static_cast<long>(i), out.begin() + static_cast<long>(i + len + 3));
        i += len + 3;
    }
    return true;
}

// Every code with every payload size: one well-formed reply each, whose code
// the host can tell apart from success unless the request really succeeded.
TEST_F(MonitorTest, EveryRequestShapeGetsExactlyOneWellFormedReply)
{
    for (int c = 0; c < 0x80; ++c) {
        for (int size = 0; size <= quill::kPayloadMax; ++size) {
            Bytes payload(static_cast<size_t>(size));
            for (int k = 0; k < size; ++k)
                payload[static_cast<size_t>(k)] = static_cast<uint8_t>(k == 4 ? 4 : 0xFF - k);
            if (size >= 4) {
                Bytes ram = be32(0xFFFFA010);  // memory requests aim at RAM
                std::copy(ram.begin(), ram.end(), payload.begin());
            }
            std::vector<Bytes> replies;
            ASSERT_TRUE(splitFrames(send(frame(static_cast<uint8_t>(c), payload)), replies)) << c << "/" << size;
            ASSERT_EQ(replies.size(), 1u) << c << "/" << size;
            uint8_t replyCode = replies[0][2];
            EXPECT_TRUE(replyCode == c || replyCode == (c | 0x80)) << c << "/" << size;
        }
    }
}

// Random noise between requests: nothing in it may crash the monitor, and a
// request sent after a quiet spell is always answered.
TEST_F(MonitorTest, NoiseNeverStopsTheNextRequestFromBeingAnswered)
{
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 500; ++round) {
        Bytes noise(next() % 40);
        for (uint8_t& b : noise)
            b = next() % 4 == 0 ? 0x02 : next();
        board->receiveFromHost(noise.data(), noise.size());
        board->idle(quill::kFrameSilenceMs);
        std::vector<Bytes> frames;
        ASSERT_TRUE(splitFrames(drain(*board), frames)) << round;
        EXPECT_EQ(send(frame(0x12)), frame(0x12, {1, 0, 3})) << round << ": " << hexBytes(noise);
    }
}

}  // namespace
