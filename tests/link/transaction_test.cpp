// A frame cut short, and the identification requests (identify.txt).
#include "shell/startup.h"
#include "support/exchange_script.h"

namespace {

// Without a receive time-out the reply is awaited for ever, but a frame whose
// STX came and whose rest stops short fails after kFrameGapPolls quiet polls;
// with a time-out, after that many.
TEST_F(TargetTest, AFrameCutShortFailsAfterTheGapOrTheTimeOut)
{
    for (int budget : {0, 1, 7}) {
        restart();
        rxTimeout = budget;
        port->feed({0x02, 0x06, 0x31, 0, 0});
        EXPECT_EQ(receivePacket(), -3) << budget;
        EXPECT_EQ(port->polls(), budget > 0 ? budget : kFrameGapPolls) << budget;
    }
}

// A failed query leaves zeros, never the numbers of an earlier answer.
TEST_F(TargetTest, AFailedIdentificationLeavesZeros)
{
    port->expect(frame(GET_VERSION), frame(MEM_READ, {1, 2, 3}));
    port->expect(frame(GET_FLASH_AREA), frame(EXEC, be32(1) + be32(2)));
    uint8_t version[3] = {9, 9, 9};
    uint32_t area[2] = {7, 7};
    EXPECT_EQ(getTargetVersion(&version[0], &version[1], &version[2]), 0);
    EXPECT_EQ(getFlashArea(&area[0], &area[1]), 0);
    EXPECT_EQ(version[0] | version[1] | version[2] | area[0] | area[1], 0u);
    EXPECT_TRUE(port->finished());
}

TEST_F(ExchangeTest, IdentificationRequests)
{
    runFile(BF_SOURCE_DIR "/tests/link/identify.txt", {{"identify", [](const std::string&) {
                                                            identifyTarget();
                                                            return 0;
                                                        }}});
}

} // namespace
