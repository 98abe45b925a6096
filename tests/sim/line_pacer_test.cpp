// The paced line on a clock the test sets: bytes cross one byte time apart,
// back to back while the line is busy, from the moment given when it is idle.
#include <gtest/gtest.h>

#include "sim/line_pacer.h"

namespace {

using quill::PacedDirection;

TEST(PacedLine, BytesCrossOneByteTimeApart)
{
    PacedDirection line(1000);
    const std::tuple<size_t, int64_t, int64_t, size_t> steps[] = {
        // waiting, from, now -> crossed
        {5, 0, 0, 0},
        {5, 0, 999, 0},
        {5, 0, 1000, 1},
        {7, 1500, 2500, 2}, // two more while busy queue behind the first five
        {7, 1500, 7000, 7},
    };
    for (const auto& [waiting, from, now, crossed] : steps)
        EXPECT_EQ(line.crossed(waiting, from, now), crossed) << now;
    EXPECT_EQ(line.untilAll(6500), 500);
    line.handedOver(7);
    EXPECT_EQ(line.untilNext(7000), -1);
    // Idle line: a byte starts at from, which may lie in the past.
    EXPECT_EQ(line.crossed(3, 9000, 10000), 1u);
    line.handedOver(1);
    EXPECT_EQ(line.crossedAt(), 10000); // the byte just handed over
    EXPECT_EQ(line.untilNext(10000), 1000);
    // The queue behind was emptied: nothing is left on the line.
    EXPECT_EQ(line.crossed(0, 0, 10000), 0u);
    EXPECT_EQ(line.untilAll(10000), -1);
}

TEST(PacedLine, PacerWakesForTheFrameEndOrABatch)
{
    quill::LinePacer pacer(115200); // 86,805 ns a byte
    const uint8_t request[5] = {0x02, 0x02, 0x12, 0xEC, 0x03};
    pacer.received(request, 5, 1000000);
    EXPECT_EQ(pacer.timeout(1000000, -1), 5 * 86805 - 300000); // the last 300 us polled
    EXPECT_EQ(pacer.timeout(1000000, 100000), 100000);
    uint8_t text[40] = {};
    pacer.received(text, sizeof text, 1000000); // a 45-byte stretch ends within a batch
    EXPECT_EQ(pacer.timeout(1000000, -1), 45 * 86805 - 300000);
    pacer.received(text, sizeof text, 1000000); // 85 bytes: a batch first
    EXPECT_EQ(pacer.timeout(1000000, -1), 4000000 - 300000);
    EXPECT_TRUE(pacer.wantsInput());
}

TEST(PacedLine, ABlockedDeviceIsWaitedForNotPolledInALoop)
{
    quill::LinePacer pacer(115200);
    EXPECT_EQ(pacer.sendable(5, 1000000), 0u);
    EXPECT_EQ(pacer.timeout(1000000, -1), 5 * 86805 - 300000);
    EXPECT_EQ(pacer.sendable(5, 2000000), 5u);
    pacer.sent(1); // the device took one byte of five
    EXPECT_TRUE(pacer.blocked());
    EXPECT_EQ(pacer.timeout(2000000, -1), -1);
}

TEST(PacedLine, AReplyEndingWithinTheLastStretchGoesOutWhole)
{
    const int64_t byte = 86805;
    const std::pair<int64_t, size_t> steps[] = {
        // now after the reply started -> sendable of 6 bytes
        {byte - 1, 0},
        {5 * byte, 0}, // 5 crossed, the last is under 300 us off
        {6 * byte - 300000, 0}, // the stretch starts here
        {6 * byte - 300001, 2}, // just before it, what has crossed goes
        {6 * byte, 6},
    };
    for (const auto& [after, sendable] : steps) {
        quill::LinePacer pacer(115200);
        EXPECT_EQ(pacer.sendable(6, 1000000), 0u);
        EXPECT_EQ(pacer.sendable(6, 1000000 + after), sendable) << after;
    }
    // Once part of a frame has been written, the rest still waits for its time.
    quill::LinePacer pacer(115200);
    pacer.sendable(6, 1000000);
    EXPECT_EQ(pacer.sendable(6, 1000000 + 2 * byte), 2u);
    pacer.sent(2);
    EXPECT_EQ(pacer.sendable(4, 1000000 + 6 * byte - 1), 0u);
    EXPECT_EQ(pacer.sendable(4, 1000000 + 6 * byte), 4u);
}

} // namespace
