// quillsim as a process: started the way the other tests and the benchmark
// start it, talked to through the device it prints.
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
#include <string>
#include <vector>

#include "link/serial.h"
#include "link/transaction.h"
#include "sim_wire.h"

namespace {

const char* const kQuillsim = BF_BINARY_DIR "/quillsim";

// A running quillsim whose standard output is read through a pipe.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            // The messages are checked by status; keep them out of the test log.
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 2);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv{const_cast<char*>(kQuillsim)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(kQuillsim, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
    }
    ~Simulator()
    {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            close(stdout_);
    }

    // The first line of output, or "" when none comes within the time limit.
    std::string firstLine()
    {
        std::string line;
        char c;
        while (waitReadable(stdout_, 10'000) && read(stdout_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    void signal(int sig) { kill(pid_, sig); }

    // The exit status, or -1 when the process is still running after the time limit.
    int waitExit(int ms = 10'000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(5'000);
        }
        return -1;
    }

    static bool waitReadable(int fd, int ms)
    {
        struct pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, ms) > 0;
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    bool exited_ = false;
};

int openDevice(const std::string& path, bool makeRaw = true)
{
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0 && makeRaw) {
        struct termios t;
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Reads until `count` bytes have come or the line stays quiet for the time limit.
Bytes readBytes(int fd, size_t count, int ms = 5'000)
{
    Bytes got;
    uint8_t buf[64];
    while (got.size() < count && Simulator::waitReadable(fd, ms)) {
        ssize_t n = read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

Bytes ask(int fd, const Bytes& request, size_t replySize)
{
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
        return {};
    return readBytes(fd, replySize);
}

TEST(Quillsim, ServesVersionAndAnnouncesAResetOnSigusr1)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    int fd = openDevice(device);
    ASSERT_GE(fd, 0);
    // Nothing is waiting: the power-on announcement went out before anyone listened.
    EXPECT_FALSE(Simulator::waitReadable(fd, 50));
    EXPECT_EQ(ask(fd, {0x02, 0x02, 0x12, 0xEC, 0x03}, 8), frame(0x12, {1, 0, 3}));
    sim.signal(SIGUSR1);
    EXPECT_EQ(readBytes(fd, 6), frame(0x50, {1}));
    // Bytes that look like line controls to a cooked terminal pass unchanged.
    Bytes data{0x0D, 0x0A, 0x03, 0x11, 0x13, 0x7F, 0x1A, 0x04};
    EXPECT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes{8} + data), 6), frame(0x01, {1}));
    EXPECT_EQ(ask(fd, frame(0x00, be32(0xFFFFA000) + Bytes{8}), 13), frame(0x00, data));
    close(fd);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitExit(), 0);
}

TEST(Quillsim, KeepsServingAfterTheHostClosesTheLine)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    for (int session = 0; session < 3; ++session) {
        int fd = openDevice(device);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(ask(fd, frame(0x12), 8), frame(0x12, {1, 0, 3})) << session;
        // A half-sent request when the host leaves must not confuse the next host.
        Bytes partial = frame(0x13);
        partial.resize(3);
        ASSERT_EQ(write(fd, partial.data(), partial.size()), 3);
        close(fd);
        usleep(30'000);
    }
    EXPECT_EQ(sim.waitExit(100), -1);
    sim.signal(SIGINT);
    EXPECT_EQ(sim.waitExit(), 0);
}

TEST(Quillsim, TheNextHostStartsClean)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    int fd = openDevice(device);
    ASSERT_GE(fd, 0);
    // The first host leaves a reply unread and the line in cooked mode with echo.
    Bytes request = frame(0x12);
    ASSERT_EQ(write(fd, request.data(), request.size()), 5);
    usleep(30'000);
    struct termios t;
    tcgetattr(fd, &t);
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= ICRNL;
    t.c_oflag |= OPOST | ONLCR;
    tcsetattr(fd, TCSANOW, &t);
    close(fd);
    usleep(30'000);

    // A reset with nobody listening is announced into the void.
    sim.signal(SIGUSR1);
    usleep(30'000);

    fd = openDevice(device, false);  // takes the line as it finds it
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(Simulator::waitReadable(fd, 50));
    Bytes data{0x0D, 0x0A, 0x03, 0x7F};
    EXPECT_EQ(ask(fd, frame(0x01, be32(0xFFFFA000) + Bytes{4} + data), 6), frame(0x01, {1}));
    EXPECT_EQ(ask(fd, frame(0x00, be32(0xFFFFA000) + Bytes{4}), 9), frame(0x00, data));
    close(fd);
}

// One host closes and the next opens while the simulator is not looking:
// it sees both at once, and the new host must still not get the old replies.
TEST(Quillsim, AQuickReopenStillStartsClean)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    int fd = openDevice(device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ask(fd, frame(0x12), 8), frame(0x12, {1, 0, 3}));
    Bytes request = frame(0x13);
    ASSERT_EQ(write(fd, request.data(), request.size()), 5);
    ASSERT_TRUE(Simulator::waitReadable(fd, 5'000));  // the reply is there, unread
    sim.signal(SIGSTOP);
    close(fd);
    fd = openDevice(device);
    ASSERT_GE(fd, 0);
    sim.signal(SIGCONT);
    usleep(30'000);
    EXPECT_FALSE(Simulator::waitReadable(fd, 50));
    EXPECT_EQ(ask(fd, frame(0x14), 13), frame(0x14, be32(0xFFFFB000) + be32(0xF80)));
    close(fd);
}

// A host that asks for exclusive use (as the debugger's serial port does)
// must not lock out the next one once it has gone. Root passes the lock
// anyway, so the hosts run as an ordinary user when the test runs as root.
TEST(Quillsim, ExclusiveUseEndsWithTheHost)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(device.c_str(), 0666), 0);
    }
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(10);
        for (int session = 0; session < 2; ++session) {
            int fd = openDevice(device);
            if (fd < 0)
                _exit(20 + session);
            if (ioctl(fd, TIOCEXCL) != 0)
                _exit(30);
            if (ask(fd, frame(0x12), 8) != frame(0x12, {1, 0, 3}))
                _exit(40 + session);
            close(fd);
            usleep(30'000);
        }
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "20/21: open refused in session 0/1; 40/41: no reply";
}

// The debugger's own serial port backend on the device, twice in a row, as
// two debugger sessions would open it.
TEST(Quillsim, TheDebuggersSerialPortTalksToIt)
{
    Simulator sim({"--pty"});
    std::string device = sim.firstLine();
    rxTimeout = 500;  // a lost reply fails the test instead of hanging it
    for (int session = 0; session < 2; ++session) {
        testing::internal::CaptureStdout();
        int opened = initCom(device.c_str(), 19200);
        uint8_t major = 0, minor = 0, build = 0;
        int version = opened ? getTargetVersion(&major, &minor, &build) : 0;
        closeCom();
        fflush(stdout);
        std::string printed = testing::internal::GetCapturedStdout();
        ASSERT_EQ(opened, 1) << printed;
        EXPECT_EQ(version, 1) << printed;
        EXPECT_EQ(major * 10000 + minor * 100 + build, 10003) << session;
        EXPECT_EQ(printed, "");
    }
    rxTimeout = 0;
}

TEST(Quillsim, AStalledFrameIsGivenUpWhenTheLineFallsSilent)
{
    Simulator sim({"--pty"});
    int fd = openDevice(sim.firstLine());
    ASSERT_GE(fd, 0);
    // A stray STX and a large LEN would otherwise hold the request for 26 more bytes.
    Bytes request = Bytes{0x02, 0x1D} + frame(0x12);
    ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(readBytes(fd, 8), frame(0x12, {1, 0, 3}));
    EXPECT_EQ(ask(fd, frame(0x13), 13), frame(0x13, be32(0xFFFFA000) + be32(0x1000)));
    close(fd);
}

TEST(Quillsim, OnceExitsWhenTheHostLeaves)
{
    Simulator sim({"--pty", "--once"});
    int fd = openDevice(sim.firstLine());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ask(fd, frame(0x12), 8), frame(0x12, {1, 0, 3}));
    close(fd);
    EXPECT_EQ(sim.waitExit(), 0);
}

TEST(Quillsim, LinkIsMadeAndRemoved)
{
    std::string link = testing::TempDir() + "quillsim_link_" + std::to_string(getpid());
    Simulator sim({"--pty", "--link", link});
    std::string device = sim.firstLine();
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(device, target);
    int fd = openDevice(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ask(fd, frame(0x12), 8), frame(0x12, {1, 0, 3}));
    sim.signal(SIGTERM);  // with the host still on the line
    EXPECT_EQ(sim.waitExit(), 0);
    close(fd);
    struct stat st;
    EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(Quillsim, LinkRefusesToReplaceARealFile)
{
    std::string path = testing::TempDir() + "quillsim_file_" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fputs("keep", f);
    fclose(f);
    Simulator sim({"--pty", "--link", path});
    EXPECT_EQ(sim.waitExit(), 1);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 4);
    unlink(path.c_str());
}

TEST(Quillsim, FlashImageIsLoadedAndItsVectorsUsed)
{
    std::string path = testing::TempDir() + "quillsim_image_" + std::to_string(getpid());
    Bytes image = be32(0x00002100) + be32(0xFFFFB800) + Bytes{0xDE, 0xAD};
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(image.data(), 1, image.size(), f);
    fclose(f);
    Simulator sim({"--pty", "--flash", path});
    int fd = openDevice(sim.firstLine());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ask(fd, frame(0x00, be32(0) + Bytes{12}), 17), frame(0x00, image + Bytes{0xFF, 0xFF}));
    EXPECT_EQ(ask(fd, frame(0x10, {22}), 9), frame(0x10, be32(0x2100)));
    EXPECT_EQ(ask(fd, frame(0x10, {15}), 9), frame(0x10, be32(0xFFFFB800)));
    close(fd);
    unlink(path.c_str());
}

TEST(Quillsim, BadArgumentsAndHelp)
{
    struct Row {
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {{"--help"}, 0},
        {{}, 2},
        {{"--pty", "--bogus"}, 2},
        {{"--pty", "--flash"}, 2},
        {{"--pty", "--flash", "/nonexistent/image.bin"}, 1},
    };
    for (const Row& row : rows) {
        Simulator sim(row.args);
        std::string first = sim.firstLine();
        EXPECT_EQ(sim.waitExit(), row.status) << (row.args.empty() ? "" : row.args.back());
        if (row.status == 0)
            EXPECT_EQ(first.rfind("usage: ", 0), 0u) << first;
        else
            EXPECT_EQ(first, "");  // errors go to stderr; stdout stays free for the device path
    }
}

TEST(Quillsim, ImageLargerThanFlashIsRefused)
{
    std::string path = testing::TempDir() + "quillsim_big_" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    Bytes big(0x20001, 0x00);
    fwrite(big.data(), 1, big.size(), f);
    fclose(f);
    Simulator sim({"--pty", "--flash", path});
    EXPECT_EQ(sim.waitExit(), 1);
    unlink(path.c_str());
}

}  // namespace
