// quillsim's line faults on the bytes themselves: the fault words, a seed
// that repeats its faults, and which byte a checksum fault hits.
#include <gtest/gtest.h>

#include <memory>

#include "sim/board.h"
#include "sim/line_faults.h"
#include "support/scripted_port.h"

namespace {

using quill::FaultSetting;
using quill::LineFault;

TEST(LineFaults, WordsParseOrLeaveTheSettingAlone)
{
    const struct {
        const char* text;
        LineFault fault; // Silent: refused, the setting unchanged
        double rate;
        uint32_t seed;
    } rows[] = {
        {"drop 0.25 9", LineFault::Drop, 0.25, 9},
        {"garble:1", LineFault::Garble, 1.0, 1},
        {"bad-checksum", LineFault::BadChecksum, 0, 1},
        {"restart-reply\n", LineFault::RestartInReply, 0, 1},
        {"off", LineFault::None, 0, 1},
        {"drop", LineFault::Silent, 0, 1}, // a rate is needed
        {"drop 1.5", LineFault::Silent, 0, 1}, // beyond every byte
        {"garble 0.1 x", LineFault::Silent, 0, 1},
        {"silent 3", LineFault::Silent, 0, 1}, // takes no rate
        {"hang", LineFault::Silent, 0, 1},
    };
    for (const auto& row : rows) {
        FaultSetting s {LineFault::Silent, 0, 1};
        EXPECT_EQ(quill::parseFault(row.text, &s), row.fault != LineFault::Silent) << row.text;
        EXPECT_EQ(s.fault, row.fault) << row.text;
        EXPECT_EQ(s.rate, row.rate) << row.text;
        EXPECT_EQ(s.seed, row.seed) << row.text;
    }
}

// The board's bytes for the host as they leave through the fault.
Bytes throughFault(const char* fault, const Bytes& bytes)
{
    auto board = std::make_unique<quill::Board>();
    FaultSetting setting;
    EXPECT_TRUE(quill::parseFault(fault, &setting)) << fault;
    quill::LineFaults faults;
    faults.set(setting);
    board->line().toHost.clear();
    board->line().toHost.push(bytes.data(), bytes.size());
    quill::ByteQueue& out = faults.toHost(*board);
    return Bytes(out.front(), out.front() + out.size());
}

TEST(LineFaults, ASeedRepeatsItsFaultsAndTheRateHolds)
{
    const Bytes text(4000, 'a');
    Bytes dropped = throughFault("drop 0.1 42", text);
    EXPECT_EQ(throughFault("drop 0.1 42", text), dropped);
    EXPECT_NE(throughFault("drop 0.1 43", text), dropped);
    EXPECT_GT(dropped.size(), 3500u);
    EXPECT_LT(dropped.size(), 3700u);
    // Garbled bytes keep their number and differ in one bit each.
    Bytes garbled = throughFault("garble 0.5 3", text);
    ASSERT_EQ(garbled.size(), text.size());
    int changed = 0;
    for (uint8_t byte : garbled) {
        changed += byte != 'a';
        EXPECT_LE(__builtin_popcount(byte ^ 'a'), 1);
    }
    EXPECT_GT(changed, 1800);
    EXPECT_LT(changed, 2200);
}

TEST(LineFaults, BadChecksumHitsOnlyEachFramesCheckByte)
{
    // Text, a frame holding 0x02 and 0x03 in its payload, then another frame.
    const Bytes a = frame(0x00, {0x02, 0x03, 0x02});
    const Bytes sent = Bytes {'h', 'i'} + a + frame(0x12, {1, 2, 3});
    Bytes got = throughFault("bad-checksum", sent);
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(got[i] != sent[i], i == 2 + a.size() - 2 || i == sent.size() - 2) << "byte " << i;
}

} // namespace
