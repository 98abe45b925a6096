// quillsim's line faults on the bytes themselves: the fault words, a seed
// that repeats its faults, and which byte a checksum or restart fault hits.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/board.h"
#include "sim/line_faults.h"
#include "support/scripted_port.h"

namespace {

using quill::FaultSetting;
using quill::LineFault;

TEST(LineFaultWords, ParseOrLeaveTheSettingAlone)
{
    struct Row {
        const char* text;
        bool ok;
        LineFault fault;
        double rate;
        uint32_t seed;
    };
    const Row rows[] = {
        {"drop 0.25 9", true, LineFault::Drop, 0.25, 9},
        {"garble:1", true, LineFault::Garble, 1.0, 1},
        {"bad-checksum", true, LineFault::BadChecksum, 0, 1},
        {"restart-reply\n", true, LineFault::RestartInReply, 0, 1},
        {"off", true, LineFault::None, 0, 1},
        {"drop", false, LineFault::Silent, 0, 1}, // a rate is needed
        {"drop 1.5", false, LineFault::Silent, 0, 1}, // beyond every byte
        {"garble 0.1 x", false, LineFault::Silent, 0, 1},
        {"silent 3", false, LineFault::Silent, 0, 1}, // takes no rate
        {"hang", false, LineFault::Silent, 0, 1},
    };
    for (const Row& row : rows) {
        FaultSetting s;
        s.fault = LineFault::Silent;
        EXPECT_EQ(quill::parseFault(row.text, &s), row.ok) << row.text;
        EXPECT_EQ(s.fault, row.fault) << row.text;
        if (row.ok) {
            EXPECT_EQ(s.rate, row.rate) << row.text;
            EXPECT_EQ(s.seed, row.seed) << row.text;
        }
    }
}

std::vector<uint8_t> toHostThrough(quill::LineFaults& faults, quill::Board& board, const Bytes& bytes)
{
    board.line().toHost.clear();
    board.line().toHost.push(bytes.data(), bytes.size());
    quill::ByteQueue& out = faults.toHost(board);
    std::vector<uint8_t> got(out.front(), out.front() + out.size());
    out.clear();
    return got;
}

TEST(LineFaultBytes, ASeedRepeatsItsFaultsAndTheRateHolds)
{
    auto board = std::make_unique<quill::Board>();
    Bytes text(4000, 'a');
    FaultSetting drop;
    ASSERT_TRUE(quill::parseFault("drop 0.1 42", &drop));
    quill::LineFaults first, second;
    first.set(drop);
    second.set(drop);
    std::vector<uint8_t> a = toHostThrough(first, *board, text);
    std::vector<uint8_t> b = toHostThrough(second, *board, text);
    EXPECT_EQ(a, b);
    EXPECT_GT(a.size(), 3500u);
    EXPECT_LT(a.size(), 3700u);
    // Garbled bytes keep their number and differ in one bit each.
    ASSERT_TRUE(quill::parseFault("garble 0.5 3", &drop));
    first.set(drop);
    std::vector<uint8_t> g = toHostThrough(first, *board, text);
    ASSERT_EQ(g.size(), text.size());
    int changed = 0;
    for (uint8_t byte : g)
        if (byte != 'a') {
            ++changed;
            EXPECT_EQ(__builtin_popcount(byte ^ 'a'), 1);
        }
    EXPECT_GT(changed, 1800);
    EXPECT_LT(changed, 2200);
}

TEST(LineFaultBytes, BadChecksumHitsOnlyEachFramesCheckByte)
{
    auto board = std::make_unique<quill::Board>();
    quill::LineFaults faults;
    FaultSetting s;
    ASSERT_TRUE(quill::parseFault("bad-checksum", &s));
    faults.set(s);
    // Text, a frame holding 0x02 and 0x03 in its payload, then another frame.
    const Bytes a = frame(0x00, {0x02, 0x03, 0x02});
    const Bytes b = frame(0x12, {1, 2, 3});
    const Bytes sent = Bytes {'h', 'i'} + a + b;
    std::vector<uint8_t> got = toHostThrough(faults, *board, sent);
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        const bool check = i == 2 + a.size() - 2 || i == 2 + a.size() + b.size() - 2;
        EXPECT_EQ(got[i] != sent[i], check) << "byte " << i;
    }
}

} // namespace
