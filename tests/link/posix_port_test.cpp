// The termios backend against a real pseudo-terminal pair.
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "link/serial_posix.h"
#include "support/target_fixture.h"

namespace {

// A device reached through a symbolic link (as /dev/serial/by-id/... names an
// adapter) is set up as the device itself: whatever settings it had, it is
// left raw 8N1 at the chosen rate without flow control. Every byte value
// passes unchanged both ways; the port is held exclusively until closed; a
// rate the backend cannot set is refused without keeping the port; a closed
// far end makes the device gone. A Linux pty forces 8 bits without parity
// itself but keeps every other flag it is given, so those are seen here.
TEST_F(TargetTest, ALinkedDeviceIsLeftRaw8N1PassesEveryByteIsHeldAloneAndHangsUp)
{
    char name[256] = {};
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios cooked {};
    ASSERT_EQ(tcgetattr(slave, &cooked), 0);
    cooked.c_cflag = (cooked.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB | CRTSCTS;
    cooked.c_iflag |= IXON | IXOFF | ICRNL | ISTRIP;
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_oflag |= OPOST;
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &cooked), 0);
    ASSERT_EQ(tcgetattr(slave, &cooked), 0);
    ASSERT_EQ(cooked.c_cflag & (CSTOPB | CRTSCTS), static_cast<tcflag_t>(CSTOPB | CRTSCTS));
    ASSERT_FALSE(isRaw8N1(cooked, cfgetospeed(&cooked)));

    char dir[] = "/tmp/bf-link-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/usb-Adapter_A1-if00-port0";
    ASSERT_EQ(symlink(name, link.c_str()), 0);
    EXPECT_EQ(openPlatformPort(link.c_str(), 12345), nullptr);
    setComPort(openPlatformPort(link.c_str(), 57600));
    EXPECT_EQ(openPlatformPort(name, 57600), nullptr);
    EXPECT_EQ(output(),
        "Can't set 12345 baud on " + link + ": the rate is not supported.\nCan't open " + name +
            ": the port is in use by another program.\n");
    ASSERT_NE(comPort(), nullptr);

    termios now {};
    ASSERT_EQ(tcgetattr(slave, &now), 0); // the settings belong to the device, whichever descriptor asks
    EXPECT_EQ(now.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD), static_cast<tcflag_t>(CS8 | CREAD));
    EXPECT_EQ(now.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(now.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(now.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetispeed(&now), static_cast<speed_t>(B57600));
    EXPECT_EQ(cfgetospeed(&now), static_cast<speed_t>(B57600));
    close(slave);

    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(::write(master, all.data(), all.size()), 256);
    rxTimeout = 300; // a dead link fails the test instead of hanging it
    Bytes got;
    for (int b; got.size() < all.size() && (b = comGetByte()) >= 0;)
        got.push_back(static_cast<uint8_t>(b));
    EXPECT_EQ(got, all);
    EXPECT_EQ(comWrite(all.data(), 256), 256);
    Bytes back;
    uint8_t buffer[512];
    for (pollfd p {master, POLLIN, 0}; back.size() < all.size() && poll(&p, 1, 5000) > 0;) {
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
    unlink(link.c_str());
    rmdir(dir);
}

// The check made after setting a device up, for the flags a pty cannot show:
// each single flag left over from a cooked or 7E2 line refuses the settings.
TEST(PtyPort, AnyFlagLeftFromAnotherLineSettingRefusesTheSettings)
{
    termios raw {};
    cfmakeraw(&raw);
    raw.c_cflag |= CS8 | CREAD | CLOCAL;
    cfsetispeed(&raw, B19200);
    cfsetospeed(&raw, B19200);
    ASSERT_TRUE(isRaw8N1(raw, B19200));
    EXPECT_FALSE(isRaw8N1(raw, B9600));
    struct Row {
        tcflag_t termios::*field;
        tcflag_t set, clear;
    } rows[] = {{&termios::c_cflag, CS7, CSIZE}, {&termios::c_cflag, PARENB, 0}, {&termios::c_cflag, CSTOPB, 0},
        {&termios::c_cflag, CRTSCTS, 0}, {&termios::c_cflag, 0, CREAD}, {&termios::c_iflag, IXON, 0},
        {&termios::c_iflag, IXOFF, 0}, {&termios::c_iflag, ICRNL, 0}, {&termios::c_iflag, ISTRIP, 0},
        {&termios::c_lflag, ICANON, 0}, {&termios::c_lflag, ECHO, 0}, {&termios::c_lflag, ISIG, 0},
        {&termios::c_oflag, OPOST, 0}};
    for (const Row& row : rows) {
        termios t = raw;
        t.*row.field = (t.*row.field & ~row.clear) | row.set;
        EXPECT_FALSE(isRaw8N1(t, B19200)) << std::oct << row.set << " " << row.clear;
    }
}

} // namespace
