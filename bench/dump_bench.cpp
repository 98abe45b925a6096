// DB of 64 KB from the simulated board, over a pseudo-terminal served by
// quillsim (as fast as it goes, and held to a real 115200-baud line) and
// in-process, with the rate compared to what a 115200-baud line could carry.
// Each 16 data bytes cost a 31-byte exchange on the wire (a 10-byte MEM_READ
// request and a 21-byte reply), 10 bit times per byte: 11,520 bytes/s carry
// 5,946 data bytes/s.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "commands/memory_commands.h"
#include "link/serial.h"
#include "link/sim_port.h"
#include "link/transaction.h"
#include "paced_floor.h"
#include "quillsim_child.h"
#include "target/memory.h"

namespace {

constexpr long kBaud = 115200;
constexpr uint32_t kDumpBytes = 0x10000;
constexpr double kWireBytesPer16 = 31.0;

struct Result {
    double seconds;
    long outputBytes;
    long outputLines;
};

// Runs the dump with the standard output sent to a scratch file, then counts
// what was printed so a dump that failed half-way does not pass for a fast one.
bool timedDump(Result* result)
{
    std::fflush(stdout);
    char scratch[] = "/tmp/dump_bench_XXXXXX";
    int fd = mkstemp(scratch);
    if (fd < 0)
        return false;
    unlink(scratch);
    int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);

    resetMemoryCommands();
    auto start = std::chrono::steady_clock::now();
    // A size holds 16 bits' worth of bytes, so 64 KB is two commands; the
    // second continues where the first stopped.
    dumpCommand(2, "0", "0x8000", 1);
    dumpCommand(0, nullptr, nullptr, 1);
    std::fflush(stdout);
    auto end = std::chrono::steady_clock::now();

    dup2(saved, STDOUT_FILENO);
    close(saved);
    result->seconds = std::chrono::duration<double>(end - start).count();
    result->outputBytes = 0;
    result->outputLines = 0;
    lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        result->outputBytes += n;
        for (ssize_t i = 0; i < n; ++i)
            result->outputLines += buffer[i] == '\n';
    }
    close(fd);
    return true;
}

void report(const char* name, const Result& r)
{
    double rate = kDumpBytes / r.seconds;
    double bound = kBaud / 10.0 * 16.0 / kWireBytesPer16;
    std::printf("%-14s %6.3f s  %10.0f bytes/s  %6.2f x the 115200-baud bound (%.0f bytes/s)  %ld lines\n", name,
        r.seconds, rate, rate / bound, bound, r.outputLines);
    if (r.outputLines != static_cast<long>(kDumpBytes / 16))
        std::printf("%-14s WARNING: expected %u dump lines\n", name, kDumpBytes / 16);
}

// Identification as at start-up: the first request with a time-out, so a
// board that announced a restart has had it answered before the dump starts.
void identify()
{
    uint8_t major, minor, build;
    rxTimeout = 100;
    int ok = getTargetVersion(&major, &minor, &build);
    rxTimeout = 0;
    if (!ok)
        getTargetVersion(&major, &minor, &build);
}

// Held to 115200 baud, the dump can only approach the wire bound; it should
// come within kPacedTarget of it, the rest being the host's turn-around.
constexpr double kPacedTarget = 0.98;

bool benchPty(const char* name, const char* baud)
{
    QuillsimChild quillsim(baud ? "--baud" : nullptr, baud);
    const std::string& path = quillsim.path();
    bool ok = false;
    if (path.empty()) {
        std::printf("pty: quillsim gave no device path\n");
    } else if (!initCom(path.c_str(), kBaud)) {
        std::printf("pty: cannot open %s\n", path.c_str());
    } else {
        identify();
        Result r;
        ok = timedDump(&r);
        if (ok)
            report(name, r);
        if (ok && baud != nullptr) {
            const double share = kDumpBytes / r.seconds / (kBaud / 10.0 * 16.0 / kWireBytesPer16);
            double load[3] = {0, 0, 0};
            getloadavg(load, 3);
            std::printf("%-14s %.1f%% of the wire bound (target %.0f%% or more): %s; load average %.2f %.2f %.2f\n",
                name, share * 100, kPacedTarget * 100, share >= kPacedTarget ? "met" : "NOT MET", load[0], load[1],
                load[2]);
        }
        closeCom();
    }
    return ok;
}

bool benchInProcess()
{
    std::unique_ptr<Port> board = openSimPort();
    if (!board)
        board = quill::openBoardPort(); // the same board, reached without the port name
    if (!board) {
        std::printf("in-process: no simulated board in this build\n");
        return false;
    }
    setComPort(std::move(board));
    identify();
    Result r;
    bool ok = timedDump(&r);
    if (ok)
        report("in-process", r);
    setComPort(nullptr);
    return ok;
}

} // namespace

int main()
{
    clearMemCache();
    std::printf("DB of %u bytes from flash at 0, 16 bytes per MEM_READ\n", kDumpBytes);
    bool pty = benchPty("pty", nullptr);
    bool paced = benchPty("pty 115200", "115200");
    shareOneCore(true);
    paced = benchPty("one core", "115200") && paced;
    // The bare pair over a pty, with this dump's exchange: a 10-byte request, a 21-byte reply.
    double floorOneCore = paced_floor::excessUs(10, 21, kBaud, 2000);
    shareOneCore(false);
    double floorAnyCore = paced_floor::excessUs(10, 21, kBaud, 2000);
    const double exchangeUs = 1e6 * kWireBytesPer16 / (kBaud / 10.0);
    std::printf("2%% of an exchange's %.0f us is %.1f us; a bare pair on this pty, no protocol, takes %.1f us more "
                "(any core, %.1f%% of the bound) and %.1f us (one core, %.1f%%)\n",
        exchangeUs, 0.02 * exchangeUs, floorAnyCore, 100.0 * exchangeUs / (exchangeUs + floorAnyCore), floorOneCore,
        100.0 * exchangeUs / (exchangeUs + floorOneCore));
    bool inProcess = benchInProcess();
    return pty && paced && inProcess ? 0 : 1;
}
