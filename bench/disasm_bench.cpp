// Disassembler figures: decode speed with no link in between, and the number
// of MEM_READ requests a 1,000-line DA costs against the simulated board.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "commands/command_line.h"
#include "disasm/listing.h"
#include "disasm/operands.h"
#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "link/sim_port.h"
#include "target/memory.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Answers MEM_READ from a byte image in-process; counts the requests.
class ImagePort : public Port {
public:
    ImagePort(uint32_t base, std::vector<uint8_t> image)
        : base_(base)
        , image_(std::move(image))
    {
    }

    int available() override { return static_cast<int>(rx_.size()); }
    int read(uint8_t* buffer, int count) override
    {
        int n = 0;
        while (n < count && !rx_.empty()) {
            buffer[n++] = rx_.front();
            rx_.pop_front();
        }
        return n;
    }
    int write(const uint8_t* buffer, int count) override
    {
        tx_.insert(tx_.end(), buffer, buffer + count);
        while (tx_.size() >= 2 && tx_.size() >= size_t {tx_[1]} + 3u) {
            // STX LEN MEM_READ a a a a n CHK ETX
            uint32_t address =
                (uint32_t {tx_[3]} << 24) | (uint32_t {tx_[4]} << 16) | (uint32_t {tx_[5]} << 8) | tx_[6];
            int n = tx_[7];
            tx_.erase(tx_.begin(), tx_.begin() + tx_[1] + 3);
            ++requests;
            uint8_t sum = static_cast<uint8_t>(n + 2 + MEM_READ);
            rx_.push_back(STX);
            rx_.push_back(static_cast<uint8_t>(n + 2));
            rx_.push_back(MEM_READ);
            for (int i = 0; i < n; ++i) {
                uint32_t offset = address + static_cast<uint32_t>(i) - base_;
                uint8_t b = offset < image_.size() ? image_[offset] : 0;
                rx_.push_back(b);
                sum = static_cast<uint8_t>(sum + b);
            }
            rx_.push_back(static_cast<uint8_t>(-sum));
            rx_.push_back(ETX);
        }
        return count;
    }
    void waitEvent(int, int) override { }

    long requests = 0;

private:
    uint32_t base_;
    std::vector<uint8_t> image_;
    std::vector<uint8_t> tx_;
    std::deque<uint8_t> rx_;
};

// Passes everything through to the board's port, counting MEM_READ requests.
class CountingPort : public Port {
public:
    explicit CountingPort(std::unique_ptr<Port> inner)
        : inner_(std::move(inner))
    {
    }
    int available() override { return inner_->available(); }
    int read(uint8_t* buffer, int count) override { return inner_->read(buffer, count); }
    int write(const uint8_t* buffer, int count) override
    {
        for (int i = 0; i < count; ++i) {
            // Position within the frame: 0 STX, 1 LEN, 2 CMD.
            if (pos_ == 0 && buffer[i] != STX)
                continue;
            if (pos_ == 1)
                len_ = buffer[i];
            if (pos_ == 2 && buffer[i] == MEM_READ)
                ++memReads;
            if (++pos_ > 1 && pos_ == len_ + 3)
                pos_ = 0;
        }
        return inner_->write(buffer, count);
    }
    void waitEvent(int maxMs, int consoleFd) override { inner_->waitEvent(maxMs, consoleFd); }

    long memReads = 0;

private:
    std::unique_ptr<Port> inner_;
    int pos_ = 0;
    int len_ = 0;
};

std::vector<uint8_t> randomWords(size_t bytes, uint32_t seed)
{
    std::vector<uint8_t> image(bytes);
    for (uint8_t& b : image) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return image;
}

// Code with no PC-relative references, so only the code's own lines are read.
std::vector<uint8_t> plainCode(size_t bytes)
{
    static const uint16_t pattern[] = {0x6013, 0x7104, 0x2122, 0x4F22, 0x3C2C, 0x6DF6, 0x000B, 0x0009, 0xE1FF, 0x8412};
    std::vector<uint8_t> image;
    for (size_t i = 0; image.size() < bytes; ++i) {
        uint16_t w = pattern[i % (sizeof pattern / sizeof pattern[0])];
        image.push_back(static_cast<uint8_t>(w >> 8));
        image.push_back(static_cast<uint8_t>(w));
    }
    return image;
}

// Quiet stdout while a listing runs, so only the figures are printed.
struct Silence {
    Silence()
    {
        std::fflush(stdout);
        saved = dup(1);
        FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), 1);
        std::fclose(null);
    }
    ~Silence()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    int saved;
};

void benchLookup()
{
    volatile uintptr_t sink = 0;
    const int rounds = 200;
    auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (uint32_t w = 0; w < 65536; ++w) {
            sink = sink + reinterpret_cast<uintptr_t>(findEntryLinear(static_cast<uint16_t>(w)));
        }
    }
    double linear = secondsSince(start);
    start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (uint32_t w = 0; w < 65536; ++w) {
            sink = sink + reinterpret_cast<uintptr_t>(findEntry(static_cast<uint16_t>(w)));
        }
    }
    double table = secondsSince(start);
    double words = 65536.0 * rounds;
    std::printf("findEntry, table walk:     %8.1f M words/s\n", words / linear / 1e6);
    std::printf("findEntry, 64K lookup:     %8.1f M words/s\n", words / table / 1e6);
}

void benchDisasm(const char* name, uint32_t base, std::vector<uint8_t> image, long calls)
{
    size_t size = image.size();
    auto port = std::make_unique<ImagePort>(base, std::move(image));
    ImagePort* raw = port.get();
    setComPort(std::move(port));
    clearMemCache();
    char text[kInstructionTextSize];
    auto start = Clock::now();
    uint32_t address = base;
    for (long i = 0; i < calls; ++i) {
        address = disasm(address, text);
        if (address >= base + size)
            address = base;
    }
    double seconds = secondsSince(start);
    std::printf("disasm, %-26s %8.2f M words/s  (%ld MEM_READ for %ld words)\n", name, calls / seconds / 1e6,
        raw->requests, calls);
    setComPort(nullptr);
}

void benchDaAgainstBoard(const char* name, const std::vector<uint8_t>& code)
{
    std::unique_ptr<Port> sim = openSimPort();
    if (!sim)
        sim = quill::openBoardPort(); // the same board, reached without the port name
    if (!sim) {
        std::printf("DA 1000 lines, %s: simulated board not available\n", name);
        return;
    }
    auto port = std::make_unique<CountingPort>(std::move(sim));
    CountingPort* counter = port.get();
    setComPort(std::move(port));
    resetPacketBuffer();
    clearMemCache();
    uint8_t major, minor, build;
    if (!getTargetVersion(&major, &minor, &build)) {
        std::printf("DA 1000 lines, %s: the board did not answer\n", name);
        setComPort(nullptr);
        return;
    }
    const uint32_t ram = 0xFFFFA000;
    writeMem(ram, static_cast<uint16_t>(code.size()), code.data());
    resetListing();
    long before = counter->memReads;
    auto start = Clock::now();
    {
        Silence quiet;
        ParsedLine da;
        parseLine("da 0xFFFFA000 1000", &da);
        dispatchCommand(&da);
    }
    double seconds = secondsSince(start);
    long reads = counter->memReads - before;
    std::printf("DA 1000 lines, %-22s %5ld MEM_READ (%ld direct + %ld line reads), %.3f s\n", name, reads, 1000L,
        reads - 1000, seconds);
    setComPort(nullptr);
}

} // namespace

int main()
{
    benchLookup();
    benchDisasm("1 KB code, all cached", 0x1000, plainCode(1024), 2'000'000);
    benchDisasm("64 KB random words", 0x10000, randomWords(65536, 7), 2'000'000);
    benchDaAgainstBoard("code without literals", plainCode(2000));
    benchDaAgainstBoard("random words", randomWords(2000, 7));
    return 0;
}
