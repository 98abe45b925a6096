// Both S-record passes over arbitrary text, read from memory: whatever the
// records say, the data pass stores nothing outside its buffer, and every
// byte it stores lies inside a range the range pass reported.

#include "flash/srecord.h"
#include "fuzz_support.h"

namespace {

// A small window, so that records land inside it often; guard bytes on
// both sides catch a store that misses it (AddressSanitizer catches the rest).
constexpr uint32_t kBase = 0x2000;
constexpr uint32_t kSize = 0x200;
constexpr uint32_t kGuard = 16;
uint8_t window[kGuard + kSize + kGuard];

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* f = fuzz::openInput(data, size);
    uint32_t lowest = 0, highest = 0;
    int rangeResult = readMOTRangeFrom(f, kBase, kBase + kSize - 1, &lowest, &highest);
    std::fclose(f);

    std::memset(window, 0xA5, sizeof window);
    std::memset(window + kGuard, 0xFF, kSize);
    f = fuzz::openInput(data, size);
    readMOTDataFrom(f, window + kGuard, kBase, kBase + kSize);
    std::fclose(f);

    for (uint32_t i = 0; i < kGuard; ++i) {
        if (window[i] != 0xA5 || window[kGuard + kSize + i] != 0xA5)
            std::abort();
    }
    // A stored byte came from a record inside the window, which the range
    // pass (over the same text) counts, unless that pass stopped earlier at
    // an invalid record, which also stops the data pass at the same line.
    if (rangeResult == 1) {
        for (uint32_t i = 0; i < kSize; ++i) {
            if (window[kGuard + i] != 0xFF && (kBase + i < lowest || kBase + i >= highest))
                std::abort();
        }
    }
    return 0;
}
