// A frame cut short, and the identification requests (identify.txt).
#include "shell/startup.h"
#include "support/exchange_script.h"
#include "support/target_fixture.h"

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

TEST_F(ExchangeTest, IdentificationRequests)
{
    runFile(BF_SOURCE_DIR "/tests/link/identify.txt", {{"identify", [](const std::string&) {
                                                            identifyTarget();
                                                            return 0;
                                                        }}});
}

} // namespace
