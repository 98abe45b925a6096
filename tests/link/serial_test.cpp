// The port operations: receive budgets counted in polls, a port that goes
// away, and what happens with no port at all.
#include <unistd.h>

#include "link_fixture.h"

namespace {

using ComBudget = LinkTest;

TEST_F(ComBudget, ASilentLineGivesMinus1AfterExactlyTheBudgetOfPolls)
{
    rxTimeout = 1000;
    EXPECT_EQ(comGetByte(), -1);
    EXPECT_EQ(port_->polls(), 1000);
}

TEST_F(ComBudget, AByteArrivingOnTheLastPollIsReturnedAndTheNextCallHasAFullBudget)
{
    rxTimeout = 1000;
    port_->feed({0xA5}, 1000);
    EXPECT_EQ(comGetByte(), 0xA5);
    EXPECT_EQ(port_->polls(), 1000);
    port_->feed({0x5A}, 999);
    EXPECT_EQ(comGetByte(), 0x5A) << "the budget must start afresh for every byte";
    EXPECT_EQ(port_->polls(), 1999);
    EXPECT_EQ(comGetByte(), -1);
    EXPECT_EQ(port_->polls(), 2999);
}

TEST_F(ComBudget, AByteOnePollTooLateIsNotWaitedFor)
{
    rxTimeout = 1000;
    port_->feed({0x42}, 1001);
    EXPECT_EQ(comGetByte(), -1);
    EXPECT_EQ(port_->polls(), 1000);
    EXPECT_EQ(comGetByte(), 0x42);  // it is still there for the next call
}

TEST_F(ComBudget, QueuedBytesAreReadWithoutAnyPoll)
{
    rxTimeout = 1;
    port_->feed({0x00, 0xFF, 0x80});
    EXPECT_EQ(comGetByte(), 0x00);
    EXPECT_EQ(comGetByte(), 0xFF);
    EXPECT_EQ(comGetByte(), 0x80);
    EXPECT_EQ(port_->polls(), 0);
}

TEST_F(ComBudget, ZeroAndNegativeBudgetsWaitWithoutLimit)
{
    for (int budget : {0, -5}) {
        rxTimeout = budget;
        int before = port_->polls();
        port_->feed({0x33}, 20000);
        EXPECT_EQ(comGetByte(), 0x33) << "rxTimeout " << budget;
        EXPECT_EQ(port_->polls() - before, 20000);
    }
}

TEST_F(ComBudget, IdleIsOneWaitOnThePort)
{
    comIdle(-1);
    comIdle(0);
    EXPECT_EQ(port_->polls(), 2);
}

TEST_F(ComBudget, PutByteSendsOneByteAndWriteSendsThemAll)
{
    port_->expect({0x7E, 0x01, 0x02}, {});
    comPutByte(0x7E);
    const uint8_t two[] = {0x01, 0x02};
    EXPECT_EQ(comWrite(two, 2), 2);
    EXPECT_TRUE(port_->finished());
}

TEST(ComNoPort, NothingIsSentOrWaitedForWithoutAPort)
{
    setComPort(nullptr);
    rxTimeout = 0;
    EXPECT_EQ(comPort(), nullptr);
    EXPECT_EQ(comAvailable(), 0);
    uint8_t b = 1;
    EXPECT_EQ(comWrite(&b, 1), 0);
    EXPECT_EQ(comRead(&b, 1), 0);
    EXPECT_EQ(comGetByte(), -1);
}

TEST(ComNoPort, CloseComDropsThePort)
{
    setComPort(std::make_unique<ScriptedPort>());
    ASSERT_NE(comPort(), nullptr);
    closeCom();
    EXPECT_EQ(comPort(), nullptr);
}

// The message goes to stdout; the child sends stdout to stderr so that the
// exit test can see it.
void waitOnVanishingPort(const Bytes& offered)
{
    dup2(2, 1);
    auto port = std::make_unique<ScriptedPort>();
    port->feed(offered);
    port->disconnectWhenDrained();
    setComPort(std::move(port));
    rxTimeout = 0;
    std::printf("got:");
    for (;;)
        std::printf(" %02X", comGetByte());
}

TEST(ComGone, AVanishedDeviceEndsTheProgramCleanlyWithOneMessage)
{
    EXPECT_EXIT(waitOnVanishingPort({}), testing::ExitedWithCode(0),
                "^got:Serial port closed: the device has gone away.\n$");
}

TEST(ComGone, BytesAlreadyReceivedAreDeliveredBeforeTheExit)
{
    EXPECT_EXIT(waitOnVanishingPort({0x12, 0x34}), testing::ExitedWithCode(0),
                "^got: 12 34Serial port closed: the device has gone away.\n$");
}

TEST(ComGone, EvenWithABudgetTheExitComesFirst)
{
    auto body = [] {
        dup2(2, 1);
        auto port = std::make_unique<ScriptedPort>();
        port->disconnectWhenDrained();
        setComPort(std::move(port));
        rxTimeout = 1000;
        std::printf("%d\n", receivePacket());
    };
    EXPECT_EXIT(body(), testing::ExitedWithCode(0), "^Serial port closed: the device has gone away.\n$");
}

TEST(InitCom, AMissingDeviceIsRefusedWithTheSystemsReason)
{
    std::string out = captureStdout([] { EXPECT_EQ(initCom("/nonexistent/ttyQ7", 115200), 0); });
    EXPECT_EQ(out, "Can't open /nonexistent/ttyQ7: No such file or directory\n");
}

TEST(InitCom, ComNamesMapToTheNumberedSerialDevices)
{
    // Far beyond any real port, so the open fails and names the path tried.
    struct Row {
        const char* name;
        const char* shown;
    } rows[] = {
        {"COM4000", "/dev/ttyS3999"},
        {"com4001", "/dev/ttyS4000"},
        {"CoM4002", "/dev/ttyS4001"},
        {"COM0", "COM0"},
        {"COM", "COM"},
        {"COM12x", "COM12x"},
        {"COM-3", "COM-3"},
        {"relative/tty", "relative/tty"},
    };
    for (const Row& row : rows) {
        std::string out = captureStdout([&] { EXPECT_EQ(initCom(row.name, 9600), 0) << row.name; });
        EXPECT_EQ(out, std::string("Can't open ") + row.shown + ": No such file or directory\n") << row.name;
    }
}

}  // namespace
