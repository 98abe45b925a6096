#include <string>

#include "shell/startup.h"
#include "support/target_fixture.h"

namespace {

const std::string kStars = std::string(68, '*') + "\n";
const std::string kClosing = "\nEnter 'HELP' for usage.\n\n" + kStars;

Bytes longs(uint32_t a, uint32_t b)
{
    Bytes out;
    for (uint32_t v : {a, b})
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(v >> shift));
    return out;
}

using Startup = TargetTest;

// Area lines and their total: ends and sums wrap at 32 bits, and a failed
// query (a reply with the wrong command) counts as an area of 0 at 0, even
// right after a run that had found areas.
TEST_F(Startup, AreasAndTheirTotal)
{
    struct Case {
        const char* what;
        Bytes flash, user;
        std::string lines;
    } cases[] = {
        {"wrap", frame(GET_FLASH_AREA, longs(0xFFFFF000, 0xFFFFFF00)), frame(GET_USER_AREA, longs(0xFFFFFF00, 0x200)),
         "Flash-program/data address = FFFFF000 - FFFFEEFF (size = FFFFFF00)\n"
         "User data address =          FFFFFF00 - 000000FF (size = 00000200)\n"
         "Total User RAM Area =        FFFFF000 - 000000FF (size = 00000100)\n"},
        {"failed", frame(BRK_READ, longs(0x1234, 0x5678)), frame(BRK_READ, longs(0x1234, 0x5678)),
         "Error at getting Flash-ROM program area.\n"
         "Can't read Target Board Flash-ROM programming area\n"
         "Error at getting User Data area.\n"
         "Can't read Target Board User RAM area\n"
         "Total User RAM Area =        00000000 - FFFFFFFF (size = 00000000)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port->expect(frame(GET_VERSION), frame(GET_VERSION, {9, 9, 9}));
        port->expect(frame(GET_VERSION), frame(GET_VERSION, {1, 2, 3}));
        port->expect(frame(GET_FLASH_AREA), c.flash);
        port->expect(frame(GET_USER_AREA), c.user);
        identifyTarget();
        EXPECT_TRUE(port->finished());
    }
    std::string all;
    for (const Case& c : cases)
        all += "Target Board(SH7125) quillmon Ver 1.2(build 3)\n" + c.lines + kClosing;
    EXPECT_EQ(output(), all);
}

TEST_F(Startup, SilentTargetTimesOutOnceThenSecondRequestWaitsWithoutLimit)
{
    constexpr int kLateReply = 4321;  // far beyond the first request's budget
    port->expect(frame(GET_VERSION), {});
    port->expect(frame(GET_VERSION), frame(GET_VERSION, {0, 7, 1}), kLateReply);
    port->expect(frame(GET_FLASH_AREA), frame(GET_FLASH_AREA, longs(0, 0x10000)));
    port->expect(frame(GET_USER_AREA), frame(GET_USER_AREA, longs(0xFFFFA000, 0x6000)));
    identifyTarget();
    std::string out = output();
    EXPECT_EQ(out.substr(0, out.find("Flash-program")),
              "Error waiting packet receive.\n"
              "Error at getting Version\n"
              "No responce from target. Push RESET or ABORT Switch.\n"
              "Target Board(SH7125) quillmon Ver 0.7(build 1)\n");
    EXPECT_TRUE(port->finished());
    // 1000 empty polls for the first request, then the whole delay for the second.
    EXPECT_GE(port->polls(), 1000 + kLateReply);
    EXPECT_LE(port->polls(), 1001 + kLateReply);
    EXPECT_EQ(rxTimeout, 0);
}

}  // namespace
