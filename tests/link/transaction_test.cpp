// A frame cut short, and the identification requests, by the exact bytes on
// the wire and the exact console text.
#include "link_fixture.h"

namespace {

const Bytes kGetVersion = {0x02, 0x02, 0x12, 0xEC, 0x03};

// Without a receive time-out the reply is awaited for ever, but a frame whose
// STX came and whose rest stops short fails after kFrameGapPolls quiet polls;
// with a time-out, after that many.
TEST_F(LinkTest, AFrameCutShortFailsAfterTheGapOrTheTimeOut)
{
    for (int budget : {0, 1, 7}) {
        restart();
        rxTimeout = budget;
        port->feed({0x02, 0x06, 0x31, 0, 0});
        EXPECT_EQ(receivePacket(), -3) << budget;
        EXPECT_EQ(port->polls(), budget > 0 ? budget : kFrameGapPolls) << budget;
    }
}

using Identify = LinkTest;

TEST_F(Identify, ShortRepliesGiveZerosForTheMissingFields)
{
    port->expect(kGetVersion, frame(GET_VERSION, {3}));
    port->expect(frame(GET_USER_AREA), frame(GET_USER_AREA, {0xFF, 0xFF, 0xA0, 0x00, 0x12, 0x34}));
    uint8_t major = 0, minor = 7, build = 7;
    EXPECT_EQ(getTargetVersion(&major, &minor, &build), 1);
    EXPECT_EQ(std::vector<int>({major, minor, build}), std::vector<int>({3, 0, 0}));
    uint32_t address = 0, size = 99;
    EXPECT_EQ(getUserArea(&address, &size), 1);
    EXPECT_EQ(std::vector<uint32_t>({address, size}), std::vector<uint32_t>({0xFFFFA000u, 0u}));
}

// A failed request says so after the wait's own message and leaves zeros;
// the answer to a restart greeting is not taken for the version.
TEST_F(Identify, FailuresLeaveZerosAndSaySo)
{
    rxTimeout = 10;
    port->expect(kGetVersion, frame(TARGET_RESTARTED));
    port->expect(kGetVersion, frame(GET_VERSION, {4, 5, 6}));
    port->expect(frame(GET_FLASH_AREA), frame(MEM_READ, {0, 0, 0, 1, 0, 0, 0, 2}));
    port->expect(frame(GET_USER_AREA), {'b', 'o', 'o', 't', '\n'});
    uint8_t major = 9, minor = 9, build = 9;
    uint32_t flash[2] = {7, 7}, user[2] = {7, 7};
    EXPECT_EQ(getTargetVersion(&major, &minor, &build), 0);
    EXPECT_EQ(getFlashArea(&flash[0], &flash[1]), 0);
    EXPECT_EQ(getUserArea(&user[0], &user[1]), 0);
    EXPECT_EQ(output(),
        "Tareget board ReStarted\nError at getting Version\n"
        "Error at getting Flash-ROM program area.\n"
        "boot\nError waiting packet receive.\nError at getting User Data area.\n");
    EXPECT_EQ(major | minor | build, 0);
    EXPECT_EQ(flash[0] | flash[1] | user[0] | user[1], 0u);
}

} // namespace
