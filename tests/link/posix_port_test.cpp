// The termios backend against a real pseudo-terminal pair: raw bytes both
// ways, the settings it leaves, exclusive use, refused rates and a hang-up.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "link_fixture.h"

namespace {

class PtyPort : public testing::Test {
protected:
    void SetUp() override
    {
        char name[256] = {};
        int slave = -1;
        ASSERT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
        close(slave);  // the port under test opens the slave by its path
        path_ = name;
        rxTimeout = 0;
    }
    void TearDown() override
    {
        setComPort(nullptr);
        rxTimeout = 0;
        if (master_ >= 0)
            close(master_);
    }

    std::unique_ptr<Port> open(long baud = 115200)
    {
        std::unique_ptr<Port> port;
        std::string out = captureStdout([&] { port = openPlatformPort(path_.c_str(), baud); });
        EXPECT_EQ(out, "");
        return port;
    }

    // Everything the host sent, read from the master side within a deadline.
    Bytes readMaster(size_t want)
    {
        Bytes got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            uint8_t buffer[512];
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    int master_ = -1;
    std::string path_;
};

Bytes everyByteValue()
{
    Bytes all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<uint8_t>(i));
    return all;
}

TEST_F(PtyPort, EveryByteValuePassesUnchangedBothWays)
{
    auto port = open();
    ASSERT_NE(port, nullptr);
    setComPort(std::move(port));

    const Bytes all = everyByteValue();
    ASSERT_EQ(::write(master_, all.data(), all.size()), 256);
    rxTimeout = 300;  // a dead link fails the test instead of hanging it
    Bytes received;
    for (int i = 0; i < 256; ++i) {
        int b = comGetByte();
        ASSERT_GE(b, 0) << "byte " << i;
        received.push_back(static_cast<uint8_t>(b));
    }
    EXPECT_EQ(received, all);
    EXPECT_EQ(comAvailable(), 0);

    EXPECT_EQ(comWrite(all.data(), 256), 256);
    EXPECT_EQ(readMaster(256), all);
}

TEST_F(PtyPort, AFrameRoundTripsThroughThePacketLayer)
{
    auto port = open();
    ASSERT_NE(port, nullptr);
    setComPort(std::move(port));
    packetBegin(GET_VERSION);
    packetEnd();
    sendPacket();
    EXPECT_EQ(hexBytes(readMaster(5)), "02 02 12 EC 03");

    Bytes reply = frame(GET_VERSION, {1, 2, 3});
    ASSERT_EQ(::write(master_, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    rxTimeout = 300;
    EXPECT_EQ(receivePacket(), 5);
    EXPECT_EQ(packetGetByte(), GET_VERSION);
    EXPECT_EQ(packetGetByte(), 1);
}

TEST_F(PtyPort, TheLineIsRaw8N1WithoutFlowControlOrEcho)
{
    auto port = open(57600);
    ASSERT_NE(port, nullptr);
    termios tio{};
    ASSERT_EQ(tcgetattr(master_, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
}

TEST_F(PtyPort, EveryStandardRateIsAccepted)
{
    for (long baud : {1200L, 2400L, 4800L, 9600L, 19200L, 38400L, 57600L, 115200L, 230400L}) {
        auto port = open(baud);
        EXPECT_NE(port, nullptr) << baud;
    }
}

TEST_F(PtyPort, ARateThePlatformCannotSetIsRefusedAndThePortLeftFree)
{
    for (long baud : {12345L, 0L, -9600L, 110000L}) {
        std::unique_ptr<Port> port;
        std::string out = captureStdout([&] { port = openPlatformPort(path_.c_str(), baud); });
        EXPECT_EQ(port, nullptr) << baud;
        EXPECT_EQ(out, "Can't set " + std::to_string(baud) + " baud on " + path_ + ": the rate is not supported.\n");
    }
    EXPECT_NE(open(9600), nullptr) << "a refused open must not keep the port locked";
}

TEST_F(PtyPort, ASecondOpenIsRefusedWhileTheFirstHoldsThePort)
{
    auto first = open();
    ASSERT_NE(first, nullptr);
    std::unique_ptr<Port> second;
    std::string out = captureStdout([&] { second = openPlatformPort(path_.c_str(), 115200); });
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(out, "Can't open " + path_ + ": the port is in use by another program.\n");
    first.reset();
    EXPECT_NE(open(), nullptr) << "closing the first must free the port";
}

TEST_F(PtyPort, WaitingWakesAsSoonAsAByteIsThere)
{
    auto port = open();
    ASSERT_NE(port, nullptr);
    uint8_t b = 0x41;
    ASSERT_EQ(::write(master_, &b, 1), 1);
    auto start = std::chrono::steady_clock::now();
    port->waitEvent(10000, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(port->available(), 1);
}

TEST_F(PtyPort, WaitingWakesForTheConsoleToo)
{
    auto port = open();
    ASSERT_NE(port, nullptr);
    int keys[2];
    ASSERT_EQ(pipe(keys), 0);
    ASSERT_EQ(::write(keys[1], "k", 1), 1);
    auto start = std::chrono::steady_clock::now();
    port->waitEvent(10000, keys[0]);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(port->available(), 0);
    close(keys[0]);
    close(keys[1]);
}

TEST_F(PtyPort, ClosingTheOtherEndMakesTheDeviceGone)
{
    auto port = open();
    ASSERT_NE(port, nullptr);
    uint8_t b = 0x7A;
    ASSERT_EQ(::write(master_, &b, 1), 1);
    close(master_);
    master_ = -1;
    // What was already received may still be taken; the hang-up shows at
    // the latest after the one wait that follows an empty poll, and that
    // wait does not block.
    Bytes got;
    int n = 0;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 4; ++round) {
        n = port->available();
        if (n < 0)
            break;
        if (n > 0) {
            uint8_t buffer[8];
            int r = port->read(buffer, 8);
            got.insert(got.end(), buffer, buffer + (r > 0 ? r : 0));
            continue;
        }
        port->waitEvent(10000, -1);
    }
    EXPECT_LT(n, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "a gone device must not block";
    EXPECT_LE(got.size(), 1u);
    if (!got.empty()) {
        EXPECT_EQ(got[0], 0x7A);
    }
    port->waitEvent(10000, -1);
    EXPECT_LT(port->available(), 0) << "gone stays gone";
}

// The pair is made inside the child: a master still open in the parent
// would keep the line up.
TEST(PtyHangUp, AHangUpWhileWaitingForAReplyEndsTheProgram)
{
    auto body = [] {
        dup2(2, 1);
        char name[256] = {};
        int master = -1, slave = -1;
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            std::exit(3);
        close(slave);
        setComPort(openPlatformPort(name, 115200));
        if (comPort() == nullptr)
            std::exit(4);
        close(master);
        rxTimeout = 0;
        std::printf("%d\n", waitResponse(GET_VERSION));
    };
    EXPECT_EXIT(body(), testing::ExitedWithCode(0), "^Serial port closed: the device has gone away.\n$");
}

}  // namespace
