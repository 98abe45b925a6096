// Request/reply exchanges per second between this link layer and the
// simulated board: over a pseudo-terminal served by quillsim, and in-process.
// Each request is sent both ways the frame can go to the port (one write for
// the whole frame, as sendPacket does, and one write per byte) so the choice
// in sendPacket rests on a figure. A bare echo over a second pseudo-terminal,
// with no protocol code on either side, gives the kernel's own round trip, so
// the host's share of an exchange can be told from the pty's.

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "quillsim_child.h"
#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"

namespace {

constexpr double kSecondsPerCase = 1.0;
constexpr double kTargetPerSecond = 20000.0;

struct Case {
    const char* name;
    uint8_t command;
    int replyLen;  // LEN of a correct reply
    bool perByte;
};

const Case cases[] = {
    {"GET_VERSION, one write", GET_VERSION, 5, false},
    {"GET_VERSION, byte writes", GET_VERSION, 5, true},
    {"MEM_READ 16, one write", MEM_READ, 18, false},
    {"MEM_READ 16, byte writes", MEM_READ, 18, true},
    {nullptr, 0, 0, false},
};

bool exchange(const Case& c)
{
    packetBegin(c.command);
    if (c.command == MEM_READ) {
        packetPutLong(0x00000100);
        packetPutByte(16);
    }
    packetEnd();
    if (c.perByte) {
        for (int i = 0; i < packetBuffer.frame[1] + 3; ++i)
            comPutByte(packetBuffer.frame[i]);
    } else {
        sendPacket();
    }
    return receivePacket() == c.replyLen && packetGetByte() == c.command;
}

// Runs every case for about a second; returns the lowest rate of the
// one-write cases, or 0 when an exchange failed.
double runCases(const char* transport)
{
    double lowest = 1e12;
    for (const Case* c = cases; c->name != nullptr; ++c) {
        long done = 0;
        auto start = std::chrono::steady_clock::now();
        double elapsed = 0;
        while (elapsed < kSecondsPerCase) {
            for (int i = 0; i < 256; ++i, ++done)
                if (!exchange(*c)) {
                    std::printf("%-11s %-26s failed after %ld exchanges\n", transport, c->name, done);
                    return 0;
                }
            elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        double rate = done / elapsed;
        std::printf("%-11s %-26s %9.0f exchanges/s  %7.2f us/exchange\n", transport, c->name, rate,
                    1e6 * elapsed / done);
        if (!c->perByte && rate < lowest)
            lowest = rate;
    }
    return lowest;
}

// As at start-up: the first request with a time-out, so that a restart the
// board announced has been answered before the timing starts.
bool identify()
{
    uint8_t major, minor, build;
    rxTimeout = 100;
    bool ok = getTargetVersion(&major, &minor, &build) || getTargetVersion(&major, &minor, &build);
    // A dead link ends a case after a second of silence instead of hanging the bench.
    rxTimeout = 100;
    return ok;
}

double benchPty()
{
    QuillsimChild quillsim;
    const std::string& path = quillsim.path();
    double rate = 0;
    if (path.empty())
        std::printf("pty: quillsim (%s) gave no device path\n", BF_BINARY_DIR "/quillsim");
    else if (!initCom(path.c_str(), 115200))
        std::printf("pty: cannot open %s\n", path.c_str());
    else if (!identify())
        std::printf("pty: the board on %s does not answer\n", path.c_str());
    else
        rate = runCases("pty");
    closeCom();
    return rate;
}

double benchInProcess()
{
    if (!initCom("sim", 115200)) {
        std::printf("in-process: no simulated board\n");
        return 0;
    }
    double rate = identify() ? runCases("in-process") : 0;
    closeCom();
    return rate;
}

// A child echoes every 5-byte request with an 8-byte reply, as a board would
// answer GET_VERSION; exchanges per second with nothing but poll/read/write.
double benchPtyFloor()
{
    int master = -1;
    int slave = -1;
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        return 0;
    pid_t child = fork();
    if (child == 0) {
        close(slave);
        uint8_t buffer[64];
        int held = 0;
        for (;;) {
            pollfd p { master, POLLIN, 0 };
            poll(&p, 1, -1);
            ssize_t n = read(master, buffer + held, sizeof buffer - static_cast<size_t>(held));
            if (n <= 0)
                _exit(0);
            held += static_cast<int>(n);
            if (held >= 5) {
                held = 0;
                if (write(master, buffer, 8) != 8)
                    _exit(0);
            }
        }
    }
    close(master);
    const uint8_t request[5] = { 0x02, 0x02, 0x12, 0xEC, 0x03 };
    uint8_t reply[64];
    long done = 0;
    auto start = std::chrono::steady_clock::now();
    std::chrono::duration<double> elapsed {};
    while (child > 0 && elapsed.count() < kSecondsPerCase) {
        if (write(slave, request, sizeof request) != sizeof request)
            break;
        for (int got = 0; got < 8;) {
            pollfd p { slave, POLLIN, 0 };
            poll(&p, 1, kPollMs);
            ssize_t n = read(slave, reply, sizeof reply);
            if (n > 0)
                got += static_cast<int>(n);
        }
        ++done;
        elapsed = std::chrono::steady_clock::now() - start;
    }
    close(slave);
    if (child > 0) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    double rate = done / elapsed.count();
    std::printf("%-11s %-26s %9.0f exchanges/s  %7.2f us/exchange\n", "pty", "bare echo, no protocol", rate,
                1e6 / rate);
    return rate;
}

}  // namespace

int main()
{
    double floor = benchPtyFloor();
    double pty = benchPty();
    double inProcess = benchInProcess();
    std::printf("slowest one-write rate over the pty: %.0f exchanges/s (target %.0f): %s\n", pty, kTargetPerSecond,
                pty >= kTargetPerSecond ? "met" : "NOT met");
    if (floor > 0 && pty > 0)
        std::printf("host and quillsim over the bare pty round trip: %.1f us per exchange\n",
                    1e6 / pty - 1e6 / floor);
    return pty > 0 && inProcess > 0 ? 0 : 1;
}
