// evalExpression on arbitrary text. The monitor is a port that answers every
// whole request frame at once, so a register or memory read never waits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <unistd.h>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"

namespace {

class AnsweringPort : public Port {
public:
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
        for (int i = 0; i < count; ++i)
            take(buffer[i]);
        return count;
    }
    void waitEvent(int, int) override
    {
        // Every request is answered as soon as it is complete; an empty wait
        // means the host waits for something no request asked for.
        if (rx_.empty())
            std::abort();
    }

private:
    void take(uint8_t b)
    {
        if (request_.empty() && b != STX)
            return;
        request_.push_back(b);
        if (request_.size() >= 2 && request_.size() == static_cast<size_t>(request_[1]) + 3) {
            answer(request_[2]);
            request_.clear();
        }
    }
    void answer(uint8_t command)
    {
        // Memory and register reads get four data bytes; anything else an
        // empty reply with its own code.
        std::string payload;
        if (command == MEM_READ || command == REG_READ)
            payload = std::string("\x12\x34\x56\x78", 4);
        uint8_t len = static_cast<uint8_t>(payload.size() + 2);
        uint8_t sum = static_cast<uint8_t>(len + command);
        rx_.push_back(STX);
        rx_.push_back(len);
        rx_.push_back(command);
        for (char c : payload) {
            rx_.push_back(static_cast<uint8_t>(c));
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
        }
        rx_.push_back(static_cast<uint8_t>(-sum));
        rx_.push_back(ETX);
    }

    std::string request_;
    std::deque<uint8_t> rx_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A few symbols so names, near() and the symbol-before-hex rule are reached.
    std::string path = "/tmp/expr_fuzz_" + std::to_string(getpid()) + ".map";
    if (std::FILE* f = std::fopen(path.c_str(), "w")) {
        const char* names[] = {"_main", "ABC", "memB", "x", "x"};
        for (int i = 0; i < 5; ++i)
            std::fprintf(f, "  %s\n%34s%08X%8s24   func ,g\n", names[i], "", 0x1000 + 0x200 * i, "");
        std::fclose(f);
    }
    std::freopen("/dev/null", "w", stdout);
    loadSymbols(path.c_str());
    std::remove(path.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setComPort(std::make_unique<AnsweringPort>());
    rxTimeout = 0;
    resetPacketBuffer();

    std::string text(reinterpret_cast<const char*>(data), size);
    uint32_t value = evalExpression(text.c_str());
    if (exprError != 0 && exprError != 1)
        std::abort();
    if (exprError && value != kExprErrorValue)
        std::abort();
    return 0;
}
