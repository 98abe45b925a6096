// The port operations: the receive budget counted in empty polls, a device
// that goes away, and how a port name becomes a device path.
#include <unistd.h>

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

// COMn is the n-th serial device, counted from 1; names that only look like
// one are opened as they are. None of these exist, so each refusal names the path tried.
TEST_F(TargetTest, PortNamesBecomeDevicePaths)
{
    const std::pair<const char*, const char*> rows[] = {{"COM4000", "/dev/ttyS3999"}, {"com4001", "/dev/ttyS4000"},
        {"COM0", "COM0"}, {"COM12x", "COM12x"}, {"sims", "sims"}};
    for (const auto& row : rows) {
        EXPECT_EQ(initCom(row.first, 9600), 0) << row.first;
        EXPECT_EQ(output(), std::string("Can't open ") + row.second + ": No such file or directory\n");
    }
}

// Windows knows COM10 and above only in its device namespace; everything else
// goes to the system as typed.
TEST(WindowsDeviceName, TwoDigitPortsGetTheDevicePrefix)
{
    const std::pair<const char*, const char*> rows[] = {{"COM1", "COM1"}, {"COM9", "COM9"}, {"COM10", "\\\\.\\COM10"},
        {"com12", "\\\\.\\com12"}, {"COM256", "\\\\.\\COM256"}, {"COM01", "COM01"}, {"COM12x", "COM12x"},
        {"COM", "COM"}, {"\\\\.\\COM12", "\\\\.\\COM12"}, {"sim", "sim"}, {"", ""}};
    for (const auto& [name, device] : rows)
        EXPECT_EQ(windowsDeviceName(name), device) << name;
}

} // namespace
