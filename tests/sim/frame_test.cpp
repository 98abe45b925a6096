// The monitor's frame recogniser on what a host could put on the line: what
// it accepts, what it drops silently, and that it finds its footing again.
#include <gtest/gtest.h>

#include "sim/frame.h"
#include "sim_wire.h"

namespace {

// The frames found so far, rebuilt with the test support's framing.
void collect(quill::FrameParser& parser, Bytes& found)
{
    for (quill::Frame f; parser.next(f);)
        found = found + frame(f.command, Bytes(f.payload, f.payload + f.length));
}

const Bytes kVersion = {0x02, 0x02, 0x12, 0xEC, 0x03};

TEST(FrameParser, FindsExactlyTheWellFormedFrames)
{
    struct Row {
        const char* name;
        Bytes bytes;
        Bytes found;
        Bytes foundAfterSilence = {};  // once the line falls silent for good
    };
    const Row rows[] = {
        {"STX and ETX values in the payload", frame(0x01, {2, 3, 2, 3}), frame(0x01, {2, 3, 2, 3})},
        {"largest frame", frame(0x01, Bytes(27, 0x5A)), frame(0x01, Bytes(27, 0x5A))},
        {"text before a frame", Bytes{'h', 'i', '\r', '\n'} + kVersion, kVersion},
        {"bad checksum", {0x02, 0x02, 0x12, 0xED, 0x03}, {}},
        {"missing ETX", {0x02, 0x02, 0x12, 0xEC, 0x04}, {}},
        // LEN out of range, with a checksum and an ETX that would fit it.
        {"LEN 30", Bytes{0x02, 30, 0x01} + Bytes(28, 0x00) + Bytes{0xE1, 0x03}, {}},
        {"LEN 1", {0x02, 0x01, 0xFF, 0x03}, {}},
        {"bad frame then good", Bytes{0x02, 0x03, 0x10, 0x00, 0xEC, 0x03} + kVersion, kVersion},
        // The rejected frame's LEN, 2, looks like an STX and holds the next frame until the line is quiet.
        {"bad empty frame then good", Bytes{0x02, 0x02, 0x12, 0xED, 0x03} + kVersion, {}, kVersion},
        {"stalled large LEN holding a request", Bytes{0x02, 0x1D} + kVersion, {}, kVersion},
        {"two stray STX before a request", Bytes{0x02, 0x02} + kVersion, kVersion},
        {"broken frame holding two whole ones", Bytes{0x02, 0x0B} + kVersion + kVersion + Bytes{0, 0}, kVersion + kVersion},
    };
    for (const Row& row : rows) {
        quill::FrameParser parser;
        Bytes found, foundAfterSilence;
        for (uint8_t b : row.bytes)
            if (parser.push(b))
                collect(parser, found);
        while (parser.held() > 0) {
            parser.abandonPartial();
            collect(parser, foundAfterSilence);
        }
        EXPECT_EQ(found, row.found) << row.name;
        EXPECT_EQ(foundAfterSilence, row.foundAfterSilence) << row.name;
    }
}

// A whole frame nobody takes fills the buffer: pushing on loses it, never memory beyond the buffer.
TEST(FrameParser, PushingPastAnUntakenFrameStaysInBounds)
{
    quill::FrameParser parser;
    for (uint8_t b : frame(0x01, Bytes(27, 0x02)) + Bytes(40, 0x02))
        parser.push(b);
    EXPECT_LE(parser.held(), quill::kFrameMax);
}

}  // namespace
