// Request/reply exchanges per second between this link layer and the
// simulated board: over a pseudo-terminal served by quillsim, and in-process.
// Each request is sent both ways the frame can go to the port (one write for
// the whole frame, as sendPacket does, and one write per byte) so the choice
// in sendPacket rests on a figure. A bare echo over a second pseudo-terminal,
// with no protocol code on either side, gives the kernel's own round trip, so
// the host's share of an exchange can be told from the pty's.

#include <chrono>
#include <cstdio>
#include <string>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "paced_floor.h"
#include "quillsim_child.h"

namespace {

constexpr double kSecondsPerCase = 1.0;
constexpr double kTargetPerSecond = 20000.0;

struct Case {
    const char* name;
    uint8_t command;
    int replyLen; // LEN of a correct reply
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
        std::printf(
            "%-11s %-26s %9.0f exchanges/s  %7.2f us/exchange\n", transport, c->name, rate, 1e6 * elapsed / done);
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

// A child answers every 5-byte request with an 8-byte reply, as a board would
// answer GET_VERSION; exchanges per second with nothing but poll/read/write.
double benchPtyFloor()
{
    double us = paced_floor::excessUs(5, 8, 0, 20000);
    if (us <= 0)
        return 0;
    std::printf("%-11s %-26s %9.0f exchanges/s  %7.2f us/exchange\n", "pty", "bare echo, no protocol", 1e6 / us, us);
    return 1e6 / us;
}

} // namespace

int main()
{
    double floor = benchPtyFloor();
    double pty = benchPty();
    double inProcess = benchInProcess();
    std::printf("slowest one-write rate over the pty: %.0f exchanges/s (target %.0f): %s\n", pty, kTargetPerSecond,
        pty >= kTargetPerSecond ? "met" : "NOT met");
    if (floor > 0 && pty > 0)
        std::printf("host and quillsim over the bare pty round trip: %.1f us per exchange\n", 1e6 / pty - 1e6 / floor);
    return pty > 0 && inProcess > 0 ? 0 : 1;
}
