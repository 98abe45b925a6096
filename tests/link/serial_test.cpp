// The port operations: the receive budget counted in empty polls, a device
// that goes away, and how a port name becomes a device path (port_names.txt).
#include <unistd.h>

#include "support/case_file.h"
#include "support/target_fixture.h"

namespace {

using ComGetByte = TargetTest;

// The budget counts empty polls, afresh for every byte; after the last one
// the queue is looked at once more.
TEST_F(ComGetByte, TheBudgetIsEmptyPollsAndAByteOnTheLastOneIsKept)
{
    rxTimeout = 1000;
    EXPECT_EQ(comGetByte(), -1);
    EXPECT_EQ(port->polls(), 1000);
    port->feed({0xA5}, 1000);
    EXPECT_EQ(comGetByte(), 0xA5);
    port->feed({0x5A}, 1000);
    EXPECT_EQ(comGetByte(), 0x5A);
    port->feed({0x42}, 1001);
    EXPECT_EQ(comGetByte(), -1) << "one poll too late";
    EXPECT_EQ(comGetByte(), 0x42) << "but still there for the next call";
    EXPECT_EQ(port->polls(), 4001);
    rxTimeout = -5; // nonsensical: no limit
    port->feed({0x33}, 20000);
    EXPECT_EQ(comGetByte(), 0x33);
}

// The message goes to stdout; the child moves stdout onto stderr, where
// EXPECT_EXIT looks.
TEST(ComGone, AVanishedDeviceEndsTheProgramAfterTheBytesAlreadyReceived)
{
    auto body = [] {
        dup2(2, 1);
        auto port = std::make_unique<ScriptedPort>();
        port->feed({0x12, 0x34});
        port->disconnectWhenDrained();
        setComPort(std::move(port));
        rxTimeout = 1000;
        std::printf("got:");
        for (int i = 0; i < 3; ++i)
            std::printf(" %02X", comGetByte());
    };
    EXPECT_EXIT(body(), testing::ExitedWithCode(0), "^got: 12 34Serial port closed: the device has gone away.\n$");
}

// Every port name of port_names.txt, as opened here and as given to Windows.
TEST_F(TargetTest, PortNamesBecomeDevicePaths)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/link/port_names.txt")) {
        SCOPED_TRACE(testing::Message() << "port_names.txt line " << c.line);
        EXPECT_EQ(windowsDeviceName(c[0].c_str()), c[2]);
        if (c[1] != "-") {
            EXPECT_EQ(initCom(c[0].c_str(), 9600), 0);
            EXPECT_EQ(output(), "Can't open " + c[1] + ": No such file or directory\n");
        }
    }
}

} // namespace
