// quillsim as a process, talked to through the device it prints. Every wait
// is bounded, and a reply that does not come ends the test at once: the
// exchanges after it would each wait out their bound too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "child_process.h"
#include "support/scripted_port.h"

namespace {

Bytes be32(uint32_t v)
{
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

bool readable(int fd, int ms)
{
    struct pollfd p {
        fd, POLLIN, 0
    };
    return poll(&p, 1, ms) > 0;
}

int openDevice(const std::string& device)
{
    return open(device.c_str(), O_RDWR | O_NOCTTY);
}

// Writes the request, then reads until count bytes have come or the line stays quiet for 5 s.
Bytes ask(int fd, const Bytes& request, size_t count)
{
    Bytes got(count);
    size_t n = 0;
    if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size()))
        for (ssize_t r = 0; n < count && readable(fd, 5'000) && (r = read(fd, &got[n], count - n)) > 0;)
            n += static_cast<size_t>(r);
    got.resize(n);
    return got;
}

const Bytes kVersionReply = frame(0x12, {1, 0, 3});
const Bytes kData {0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x1A, 0x04}; // line controls to a cooked terminal

TEST(Quillsim, ServesTheBoardOnTheDeviceItPrintsToHostAfterHost)
{
    Child sim;
    const std::string device = startQuillsim(&sim);
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    int fd = openDevice(device);
    EXPECT_FALSE(readable(fd, 50)); // the power-on announcement went out before anyone listened
    ASSERT_EQ(ask(fd, {0x02, 0x02, 0x12, 0xEC, 0x03}, 8), kVersionReply);
    kill(sim.pid, SIGUSR1);
    ASSERT_EQ(ask(fd, {}, 6), frame(0x50, {1}));
    ASSERT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes {8} + kData), 6), frame(0x01, {1}));
    // A stray STX and a large LEN would hold the request for 26 more bytes but for the time-out.
    ASSERT_EQ(ask(fd, Bytes {0x02, 0x1D} + frame(0x12), 8), kVersionReply);
    // The host leaves a reply unread, a half request and the line cooked with
    // echo; the next host takes the line as it finds it.
    ASSERT_EQ(write(fd, (frame(0x12) + Bytes {0x02, 0x02}).data(), 7), 7);
    usleep(30'000);
    struct termios t;
    tcgetattr(fd, &t);
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= ICRNL;
    t.c_oflag |= OPOST | ONLCR;
    tcsetattr(fd, TCSANOW, &t);
    close(fd);
    usleep(30'000);
    kill(sim.pid, SIGUSR1); // a reset announced to nobody
    usleep(30'000);
    fd = openDevice(device);
    EXPECT_FALSE(readable(fd, 50));
    ASSERT_EQ(ask(fd, frame(0x00, be32(0xFFFFA000) + Bytes {8}), 13), frame(0x00, kData));
    // It leaves and the next arrives while the simulator is not looking.
    ASSERT_EQ(write(fd, frame(0x13).data(), 5), 5);
    ASSERT_TRUE(readable(fd, 5'000));
    kill(sim.pid, SIGSTOP);
    close(fd);
    fd = openDevice(device);
    kill(sim.pid, SIGCONT);
    usleep(30'000);
    EXPECT_FALSE(readable(fd, 50));
    ASSERT_EQ(ask(fd, frame(0x14), 13), frame(0x14, be32(0xFFFFB000) + be32(0xF80)));
    kill(sim.pid, SIGTERM); // with the host still on the line
    EXPECT_EQ(waitExit(&sim, 5'000), 0);
    close(fd);
}

// A host that takes exclusive use and leaves without giving it back must not
// lock out the next one. Root passes the lock anyway, so the hosts run as an
// ordinary user.
TEST(Quillsim, ExclusiveUseEndsWithTheHost)
{
    Child sim;
    const std::string device = startQuillsim(&sim);
    ASSERT_EQ(chmod(device.c_str(), 0666), 0);
    pid_t child = fork();
    if (child == 0) {
        alarm(20); // a host that hangs is ended, and the wait below with it
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(10);
        for (int session = 0; session < 2; ++session) {
            int fd = openDevice(device);
            if (fd < 0 || ioctl(fd, TIOCEXCL) != 0)
                _exit(20 + session);
            if (ask(fd, frame(0x12), 8) != kVersionReply)
                _exit(40 + session);
            close(fd);
            usleep(30'000);
        }
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0) << "exit " << WEXITSTATUS(status) << ": 20/21 open refused in session 0/1, 40/41 no reply";
}

// Flash in a file outlives the simulator, and the file is a raw image that
// --flash loads: the program put into it runs from the default entry, 2000,
// echoing the host's bytes until the abort switch (SIGUSR2). A file that is
// not a flash image, by its size, is never used or overwritten.
TEST(Quillsim, FlashFileKeepsFlashAcrossRestarts)
{
    const std::string path = testing::TempDir() + "quillsim_flash_" + std::to_string(getpid()) + ".bin";
    std::remove(path.c_str());
    // Copies each byte received back out through the SCI at FFFFC080.
    const Bytes echo = Bytes {0xD1, 0x05, 0x84, 0x18, 0xC8, 0x40, 0x89, 0xFC, 0x84, 0x1A, 0x80, 0x16, 0x84, 0x18, 0xC9,
                           0x3F, 0x80, 0x18, 0xAF, 0xF6, 0x00, 0x09, 0x00, 0x09} +
        be32(0xFFFFC080);
    {
        Child sim;
        int fd = openDevice(startQuillsim(&sim, {"--flash-file", path}));
        ASSERT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes {16} + Bytes(echo.begin(), echo.begin() + 16)), 6),
            frame(0x01, {1}));
        ASSERT_EQ(ask(fd, frame(0x01, be32(0xFFFFA010) + Bytes {12} + Bytes(echo.begin() + 16, echo.end())), 6),
            frame(0x01, {1}));
        ASSERT_EQ(ask(fd, frame(0x61, be32(0xFFFFA000) + be32(0x2000)), 6), frame(0x61, {1}));
        kill(sim.pid, SIGTERM);
        EXPECT_EQ(waitExit(&sim, 5'000), 0);
        close(fd);
    }
    {
        Child sim;
        int fd = openDevice(startQuillsim(&sim, {"--flash", path}));
        ASSERT_EQ(ask(fd, frame(0x00, be32(0x1FFF) + Bytes {10}), 15),
            frame(0x00, Bytes {0xFF} + Bytes(echo.begin(), echo.begin() + 9)));
        ASSERT_EQ(ask(fd, frame(0x41), 0), Bytes {});
        ASSERT_EQ(ask(fd, {0x78, 0x02, 0x79}, 3), (Bytes {0x78, 0x02, 0x79}));
        kill(sim.pid, SIGUSR2);
        ASSERT_EQ(ask(fd, {}, 6), frame(0x41, {11}));
        ASSERT_EQ(ask(fd, frame(0x12), 8), kVersionReply);
        close(fd);
    }
    // Short, and one byte longer than flash.
    for (const std::string& notFlash : {std::string("not flash"), std::string(0x20001, 'Z')}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << notFlash;
        Child refused;
        startQuillsim(&refused, {"--flash-file", path});
        EXPECT_EQ(waitExit(&refused, 5'000), 1) << refused.out;
        std::ifstream again(path, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(again), {}) == notFlash) << notFlash.size();
    }
    std::remove(path.c_str());
}

// At 1200 baud the 5-byte request and the 8-byte reply each take their ten
// bit times a byte: 108 ms at least, whoever is fast. A fault given at the
// start is on the line from the first reply.
TEST(Quillsim, PacedLineAndLineFaultsFromTheCommandLine)
{
    Child paced, faulty;
    int fd = openDevice(startQuillsim(&paced, {"--baud", "1200"}));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ask(fd, frame(0x12), 8), kVersionReply);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(105));
    close(fd);
    fd = openDevice(startQuillsim(&faulty, {"--fault", "bad-checksum"}));
    Bytes reply = ask(fd, frame(0x12), 8);
    ASSERT_EQ(reply.size(), 8u);
    EXPECT_NE(reply[6], kVersionReply[6]); // CHK
    reply[6] = kVersionReply[6];
    EXPECT_EQ(reply, kVersionReply);
    close(fd);
}

} // namespace
