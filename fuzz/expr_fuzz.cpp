// evalExpression on arbitrary text. The monitor is a port that answers every
// whole request frame at once, so a register or memory read never waits.

#include "expr/expression.h"
#include "fuzz_support.h"

namespace {

class AnsweringPort : public Port {
public:
    int available() override { return static_cast<int>(rx_.size()); }
    int read(uint8_t* buffer, int count) override
    {
        size_t n = rx_.copy(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
        rx_.erase(0, n);
        return static_cast<int>(n);
    }
    int write(const uint8_t* buffer, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (request_.empty() && buffer[i] != STX)
                continue;
            request_ += static_cast<char>(buffer[i]);
            if (request_.size() >= 2 && request_.size() == static_cast<uint8_t>(request_[1]) + 3u) {
                answer(static_cast<uint8_t>(request_[2]));
                request_.clear();
            }
        }
        return count;
    }
    // An empty wait means the host waits for something no request asked for.
    void waitEvent(int, int) override
    {
        if (rx_.empty())
            std::abort();
    }

private:
    // Memory and register reads get four data bytes; anything else an empty
    // reply with its own code.
    void answer(uint8_t command)
    {
        const bool data = command == MEM_READ || command == REG_READ;
        std::string reply = std::string{static_cast<char>(STX), data ? '\6' : '\2', static_cast<char>(command)} +
                            (data ? "\x12\x34\x56\x78" : "");
        uint8_t sum = 0;
        for (size_t i = 1; i < reply.size(); ++i)
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(reply[i]));
        rx_ += reply + static_cast<char>(-sum) + static_cast<char>(ETX);
    }

    std::string request_, rx_;  // the request being received, the replies not yet read
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    // A few symbols so names, near() and the symbol-before-hex rule are reached.
    fuzz::loadMap(fuzz::mapPair("_main", 0x1000) + fuzz::mapPair("ABC", 0x1200) + fuzz::mapPair("memB", 0x1400) +
            fuzz::mapPair("x", 0x1600) + fuzz::mapPair("x", 0x1800),
        5);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setComPort(std::make_unique<AnsweringPort>());
    rxTimeout = 0;
    resetPacketBuffer();
    std::string text(reinterpret_cast<const char*>(data), size);
    uint32_t value = evalExpression(text.c_str());
    // The flag is 0 or 1, and an error always gives the error value.
    if (exprError < 0 || exprError > 1 || (exprError && value != kExprErrorValue))
        std::abort();
    return 0;
}
