// The monitor's frame recogniser, through the bytes a host could put on the
// line: what it accepts, what it drops, and that it finds its footing again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/frame.h"
#include "sim_wire.h"

namespace {

struct Found {
    uint8_t command;
    Bytes payload;
    bool operator==(const Found&) const = default;
};

void collect(quill::FrameParser& parser, std::vector<Found>& found)
{
    quill::Frame f;
    while (parser.next(f))
        found.push_back({f.command, Bytes(f.payload, f.payload + f.length)});
}

std::vector<Found> parse(quill::FrameParser& parser, const Bytes& bytes)
{
    std::vector<Found> found;
    for (uint8_t b : bytes) {
        if (parser.push(b))
            collect(parser, found);
    }
    return found;
}

// What is left once the line falls silent for good.
std::vector<Found> silence(quill::FrameParser& parser)
{
    std::vector<Found> found;
    while (parser.held() > 0) {
        parser.abandonPartial();
        collect(parser, found);
    }
    return found;
}

const Bytes kVersion = {0x02, 0x02, 0x12, 0xEC, 0x03};

struct Row {
    const char* name;
    Bytes bytes;
    std::vector<Found> expected;
    std::vector<Found> afterSilence = {};
};

const Row kRows[] = {
    {"version request", kVersion, {{0x12, {}}}},
    {"erase block 3 with ETX value in payload", {0x02, 0x03, 0x60, 0x03, 0x9A, 0x03}, {{0x60, {0x03}}}},
    {"STX and ETX values inside a payload", frame(0x01, {0x02, 0x03, 0x02, 0x03}), {{0x01, {0x02, 0x03, 0x02, 0x03}}}},
    {"largest frame", frame(0x01, Bytes(27, 0x5A)), {{0x01, Bytes(27, 0x5A)}}},
    {"text before a frame is skipped", Bytes{'h', 'i', '\r', '\n'} + kVersion, {{0x12, {}}}},
    {"bad checksum dropped", {0x02, 0x02, 0x12, 0xED, 0x03}, {}},
    {"missing ETX dropped", {0x02, 0x02, 0x12, 0xEC, 0x04}, {}},
    {"LEN 30 dropped", Bytes{0x02, 30} + Bytes(31, 0x00), {}},
    {"LEN 0 dropped", {0x02, 0x00, 0x00, 0x03}, {}},
    {"LEN 1 dropped", {0x02, 0x01, 0x12, 0xEF, 0x03}, {}},
    {"bad frame then good frame", Bytes{0x02, 0x03, 0x10, 0x00, 0xEC, 0x03} + kVersion, {{0x12, {}}}},
    // The rejected frame's LEN, 2, looks like an STX and holds the next frame until the line is quiet.
    {"bad frame without payload then good frame", Bytes{0x02, 0x02, 0x12, 0xED, 0x03} + kVersion, {}, {{0x12, {}}}},
    {"lone STX and LEN at the end", Bytes{0x02, 0x1D}, {}, {}},
    {"stalled large LEN holding a request", Bytes{0x02, 0x1D} + kVersion, {}, {{0x12, {}}}},
    {"stray STX before a request", Bytes{0x02} + kVersion, {{0x12, {}}}},
    {"two stray STX before a request", Bytes{0x02, 0x02} + kVersion, {{0x12, {}}}},
    {"broken frame holding a whole one", Bytes{0x02, 0x08} + kVersion + Bytes{0x55, 0x55, 0x55, 0x55},
     {{0x12, {}}}},
    {"broken frame holding two whole ones", Bytes{0x02, 0x0B} + kVersion + kVersion + Bytes{0x00, 0x00},
     {{0x12, {}}, {0x12, {}}}},
    {"back to back", kVersion + frame(0x10, {0x16}), {{0x12, {}}, {0x10, {0x16}}}},
};

class FrameRows : public testing::TestWithParam<Row> {};

TEST_P(FrameRows, FindsExactlyTheWellFormedFrames)
{
    quill::FrameParser parser;
    EXPECT_EQ(parse(parser, GetParam().bytes), GetParam().expected) << hexBytes(GetParam().bytes);
    EXPECT_EQ(silence(parser), GetParam().afterSilence) << hexBytes(GetParam().bytes);
    EXPECT_EQ(parser.held(), 0);
}

INSTANTIATE_TEST_SUITE_P(Parser, FrameRows, testing::ValuesIn(kRows), rowName<Row>);

TEST(FrameParser, AFrameSplitAcrossPushesIsReadyOnlyAtItsLastByte)
{
    quill::FrameParser parser;
    for (size_t i = 0; i + 1 < kVersion.size(); ++i)
        EXPECT_FALSE(parser.push(kVersion[i])) << i;
    EXPECT_EQ(parser.held(), 4);
    EXPECT_TRUE(parser.push(kVersion.back()));
}

TEST(FrameParser, AbandonWithNothingHeldIsHarmless)
{
    quill::FrameParser parser;
    parser.abandonPartial();
    EXPECT_EQ(parser.held(), 0);
    EXPECT_EQ(parse(parser, kVersion).size(), 1u);
}

TEST(FrameParser, PushingPastAnUntakenFrameStaysInBounds)
{
    quill::FrameParser parser;
    Bytes big = frame(0x01, Bytes(27, 0x02));  // 32 bytes, payload full of STX values
    for (uint8_t b : big)
        parser.push(b);
    for (int i = 0; i < 40; ++i)
        parser.push(0x02);
    EXPECT_LE(parser.held(), quill::kFrameMax);
}

TEST(BuildFrame, MatchesTheHostsFramingByteForByte)
{
    uint8_t out[quill::kFrameMax];
    const Bytes payloads[] = {{}, {0x03}, {0xFF, 0xFF, 0xFF}, Bytes(27, 0x80)};
    for (const Bytes& p : payloads) {
        int n = quill::buildFrame(0x41, p.data(), static_cast<int>(p.size()), out);
        EXPECT_EQ(Bytes(out, out + n), frame(0x41, p)) << hexBytes(p);
    }
    EXPECT_EQ(quill::buildFrame(0x41, out, 28, out), 0);
}

}  // namespace
