// The termios backend against a real pseudo-terminal pair.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "link_fixture.h"

namespace {

// Every byte value passes unchanged both ways (no echo, no CR/LF or
// flow-control handling); the port is held exclusively until closed; a rate
// the backend cannot set is refused without keeping the port; a closed far
// end makes the device gone.
TEST(PtyPort, RawBytesBothWaysExclusiveUseSettableRatesAndHangUp)
{
    char name[256] = {};
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    close(slave);  // the backend opens the slave by its path
    const std::string path = name;
    std::string out = captureStdout([&] {
        EXPECT_EQ(openPlatformPort(name, 12345), nullptr);
        setComPort(openPlatformPort(name, 115200));
        EXPECT_EQ(openPlatformPort(name, 115200), nullptr);
    });
    EXPECT_EQ(out, "Can't set 12345 baud on " + path + ": the rate is not supported.\nCan't open " + path +
                       ": the port is in use by another program.\n");
    ASSERT_NE(comPort(), nullptr);

    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(::write(master, all.data(), all.size()), 256);
    rxTimeout = 300;  // a dead link fails the test instead of hanging it
    Bytes got;
    for (int i = 0; i < 256; ++i) {
        int b = comGetByte();
        ASSERT_GE(b, 0) << "byte " << i;
        got.push_back(static_cast<uint8_t>(b));
    }
    EXPECT_EQ(got, all);
    EXPECT_EQ(comWrite(all.data(), 256), 256);
    Bytes back;
    uint8_t buffer[512];
    for (pollfd p{master, POLLIN, 0}; back.size() < all.size() && poll(&p, 1, 5000) > 0;) {
        ssize_t n = ::read(master, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        back.insert(back.end(), buffer, buffer + n);
    }
    EXPECT_EQ(back, all);
    setComPort(nullptr);
    auto again = openPlatformPort(name, 9600);
    ASSERT_NE(again, nullptr) << "closing must free the port";
    // A hang-up is seen by the wait that follows an empty poll.
    close(master);
    again->waitEvent(5000, -1);
    EXPECT_LT(again->available(), 0);
}

}  // namespace
