// quillsim as a process: started the way the other tests and the benchmark
// start it, talked to through the device it prints.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "sim_wire.h"

namespace {

bool readable(int fd, int ms)
{
    struct pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
}

// One line of output, each byte waited for at most 5 s; what came when the wait ran out.
std::string lineFrom(int fd)
{
    std::string line;
    char c;
    while (readable(fd, 5'000) && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// A running quillsim, its errors dropped. The shell prints its own pid, then
// becomes quillsim; the first line quillsim prints (the device path) follows.
struct Simulator {
    explicit Simulator(const std::string& args)
        : out(popen(("echo $$; exec " BF_BINARY_DIR "/quillsim " + args + " 2>/dev/null").c_str(), "r"))
    {
        if (out == nullptr)
            return;
        pid = atoi(lineFrom(fileno(out)).c_str());
        firstLine = lineFrom(fileno(out));
    }
    ~Simulator()
    {
        if (out != nullptr && pid > 0)
            kill(pid, SIGKILL);
        if (out != nullptr)
            pclose(out);
    }
    // The exit code; a simulator still running 5 s after its last output is killed (-1).
    int exitStatus()
    {
        char drained[256];
        for (;;) {
            if (!readable(fileno(out), 5'000)) {
                if (pid > 0)
                    kill(pid, SIGKILL);
                break;
            }
            if (read(fileno(out), drained, sizeof drained) <= 0)
                break;
        }
        int status = pclose(out);
        out = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    FILE* out;
    pid_t pid = -1;
    std::string firstLine;
};

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
const Bytes kData{0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x1A, 0x04};  // line controls to a cooked terminal

TEST(Quillsim, ServesTheBoardOnTheDeviceItPrintsToHostAfterHost)
{
    Simulator sim("--pty");
    ASSERT_EQ(sim.firstLine.rfind("/dev/", 0), 0u) << sim.firstLine;
    int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_FALSE(readable(fd, 50));  // the power-on announcement went out before anyone listened
    EXPECT_EQ(ask(fd, {0x02, 0x02, 0x12, 0xEC, 0x03}, 8), kVersionReply);
    kill(sim.pid, SIGUSR1);
    EXPECT_EQ(ask(fd, {}, 6), frame(0x50, {1}));
    EXPECT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes{8} + kData), 6), frame(0x01, {1}));
    // A stray STX and a large LEN would hold the request for 26 more bytes but for the time-out.
    EXPECT_EQ(ask(fd, Bytes{0x02, 0x1D} + frame(0x12), 8), kVersionReply);
    // The host leaves a reply unread, a half request and the line cooked with
    // echo; the next host takes the line as it finds it.
    ASSERT_EQ(write(fd, (frame(0x12) + Bytes{0x02, 0x02}).data(), 7), 7);
    usleep(30'000);
    struct termios t;
    tcgetattr(fd, &t);
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= ICRNL;
    t.c_oflag |= OPOST | ONLCR;
    tcsetattr(fd, TCSANOW, &t);
    close(fd);
    usleep(30'000);
    kill(sim.pid, SIGUSR1);  // a reset announced to nobody
    usleep(30'000);
    fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_FALSE(readable(fd, 50));
    EXPECT_EQ(ask(fd, frame(0x00, be32(0xFFFFA000) + Bytes{8}), 13), frame(0x00, kData));
    // It leaves and the next arrives while the simulator is not looking.
    ASSERT_EQ(write(fd, frame(0x13).data(), 5), 5);
    ASSERT_TRUE(readable(fd, 5'000));
    kill(sim.pid, SIGSTOP);
    close(fd);
    fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
    kill(sim.pid, SIGCONT);
    usleep(30'000);
    EXPECT_FALSE(readable(fd, 50));
    EXPECT_EQ(ask(fd, frame(0x14), 13), frame(0x14, be32(0xFFFFB000) + be32(0xF80)));
    kill(sim.pid, SIGTERM);  // with the host still on the line
    EXPECT_EQ(sim.exitStatus(), 0);
    close(fd);
}

// A host that takes exclusive use and leaves without giving it back must not
// lock out the next one. Root passes the lock anyway, so the hosts run as an
// ordinary user.
TEST(Quillsim, ExclusiveUseEndsWithTheHost)
{
    Simulator sim("--pty");
    ASSERT_EQ(chmod(sim.firstLine.c_str(), 0666), 0);
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(10);
        for (int session = 0; session < 2; ++session) {
            int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
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
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= 20'000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        usleep(10'000);
    }
    EXPECT_EQ(status, 0) << "exit " << WEXITSTATUS(status) << ": 20/21 open refused in session 0/1, 40/41 no reply";
}

// Flash in a file outlives the simulator; a file that is not a flash image is never used or overwritten.
TEST(Quillsim, FlashFileKeepsFlashAcrossRestarts)
{
    const std::string path = testing::TempDir() + "quillsim_flash_" + std::to_string(getpid()) + ".bin";
    std::remove(path.c_str());
    {
        Simulator sim("--pty --flash-file " + path);
        int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes{8} + kData), 6), frame(0x01, {1}));
        EXPECT_EQ(ask(fd, frame(0x61, be32(0xFFFFA000) + be32(0x3000)), 6), frame(0x61, {1}));
        kill(sim.pid, SIGTERM);
        EXPECT_EQ(sim.exitStatus(), 0);
        close(fd);
    }
    std::ifstream file(path, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(image.size(), 0x20000u);
    EXPECT_EQ(Bytes(image.begin() + 0x3000, image.begin() + 0x3009), kData + Bytes{0});
    {
        Simulator sim("--pty --flash-file " + path);
        int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_EQ(ask(fd, frame(0x00, be32(0x2FFF) + Bytes{10}), 15), frame(0x00, Bytes{0xFF} + kData + Bytes{0}));
        close(fd);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "not flash";
    Simulator refused("--pty --flash-file " + path);
    EXPECT_EQ(refused.exitStatus(), 1);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), "not flash");
    std::remove(path.c_str());
}

// At 1200 baud the 5-byte request and the 8-byte reply each take their ten
// bit times a byte: 108 ms at least, whoever is fast.
TEST(Quillsim, PacedLineTakesTheWireTime)
{
    Simulator sim("--pty --baud 1200");
    int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ask(fd, frame(0x12), 8), kVersionReply);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), 105);
    close(fd);
}

}  // namespace

// A flash image whose reset vector starts an echo loop at 0x2000: EXEC hands
// the line to it, SIGUSR2 (the abort switch) takes it back with the stop report.
TEST(Quillsim, RunsAFlashProgramUntilTheAbortSwitch)
{
    const uint16_t echo[] = {0xD105, 0x8418, 0xC840, 0x89FC, 0x841A, 0x8016, 0x8418,
                             0xC93F, 0x8018, 0xAFF6, 0x0009, 0x0009, 0xFFFF, 0xC080};
    Bytes image = be32(0x2000) + be32(0xFFFFBF80);
    image.resize(0x2000, 0xFF);
    for (uint16_t w : echo) {
        image.push_back(static_cast<uint8_t>(w >> 8));
        image.push_back(static_cast<uint8_t>(w));
    }
    std::string path = testing::TempDir() + "quillsim_echo.bin";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(image.data(), 1, image.size(), f);
    fclose(f);
    Simulator sim("--pty --flash " + path);
    int fd = open(sim.firstLine.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << sim.firstLine;
    EXPECT_EQ(ask(fd, frame(0x41), 0), Bytes{});
    EXPECT_EQ(ask(fd, {0x78, 0x02, 0x79}, 3), (Bytes{0x78, 0x02, 0x79}));
    kill(sim.pid, SIGUSR2);
    EXPECT_EQ(ask(fd, {}, 6), frame(0x41, {11}));
    EXPECT_EQ(ask(fd, frame(0x12), 8), kVersionReply);
    close(fd);
    remove(path.c_str());
}
