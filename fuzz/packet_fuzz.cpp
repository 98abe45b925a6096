// Line noise and hostile frames into both receivers: the recogniser byte by
// byte, and the synchronous receive (then a whole request) over a port that
// serves the input and then falls silent. Every accepted frame is read out
// past its end, so a getter that strays beyond the bytes received shows up
// under the sanitizers.

#include "fuzz_support.h"
#include "link/transaction.h"

namespace {

class FuzzPort : public Port {
public:
    FuzzPort(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int available() override { return static_cast<int>(size_ - pos_); }
    int read(uint8_t* buffer, int count) override
    {
        int n = 0;
        while (n < count && pos_ < size_)
            buffer[n++] = data_[pos_++];
        return n;
    }
    int write(const uint8_t*, int count) override { return count; }
    void waitEvent(int, int) override {}

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// More than a frame holds, in every field width; nothing may be left after.
void drainFrame()
{
    for (int i = 0; i < 12; ++i)
        packetGetLong(), packetGetWord(), packetGetByte();
    if (packetBuffer.count != 0 || packetBuffer.cursor > kMaxFrameLength)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The receive echoes the target's text and flushes after each byte; the
    // fuzzer reports on stderr.
    fuzz::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetPacketBuffer();
    for (size_t i = 0; i < size; ++i) {
        const int r = scanPacketByte(data[i]);
        if (r < -1 || r > 3)
            std::abort();
        if (r == 3) {
            const int len = packetBuffer.frame[1];
            if (len < 2 || len > kMaxLen || packetBuffer.count != len - 1)
                std::abort();
            drainFrame();
        }
    }

    // A one-poll budget, so the end of the input is a time-out. Every receive
    // takes at least one byte, so size + 1 receives drain the input.
    setComPort(std::make_unique<FuzzPort>(data, size));
    rxTimeout = 1;
    resetPacketBuffer();
    for (size_t i = 0; i <= size && comAvailable() > 0; ++i) {
        const int len = receivePacket();
        if (len < -4 || len == 0 || len > kMaxLen)
            std::abort();
        if (len > 0)
            drainFrame();
    }
    setComPort(std::make_unique<FuzzPort>(data, size));
    uint32_t address, areaSize;
    getFlashArea(&address, &areaSize);
    setComPort(nullptr);
    rxTimeout = 0;
    return 0;
}
