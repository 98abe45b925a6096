// The interactive write's words: arbitrary lines read by WB, WW or WL with
// no data argument, each word a hexadecimal item written to the board's RAM.
// The first byte chooses the item size and where in RAM the writing starts.
// Whatever the words, the write address moves by whole items, and nothing
// lands in RAM outside the items between the start and that address.

#include "commands/memory_commands.h"
#include "fuzz_support.h"
#include "sim/memory_map.h"

namespace {

// Items one input may write before the line goes dead; the words after
// that are still parsed, and their writes fail at once.
constexpr int kExchangeBudget = 64;

quill::Board* board = nullptr;

// Compared whole rather than byte by byte: a loop in this file would be
// instrumented for coverage at every byte.
bool allZero(const uint8_t* bytes, size_t count)
{
    static const uint8_t zeros[quill::kRamSize] = {};
    return std::memcmp(bytes, zeros, count) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    board = new quill::Board;
    setLineReader(fuzz::readFuzzLine);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int itemSize = 1 << (data[0] % 3);
    // Near the top of RAM now and then, so a write also runs off its end.
    const uint32_t start = (data[0] & 0x80) ? quill::kRamBase + quill::kRamSize - 8 : quill::kRamBase + 0x100;
    fuzz::connect(*board, kExchangeBudget);
    fuzz::serveLines(data + 1, size - 1);

    const uint32_t next = writeInteractive(start, itemSize);
    const uint32_t moved = next - start;
    if (moved % static_cast<uint32_t>(itemSize) != 0)
        std::abort();
    // Nothing is written below the start, and the RAM above what was written is untouched.
    const uint8_t* ram = board->memory().ram();
    const uint32_t offset = start - quill::kRamBase;
    const uint32_t end = offset + moved < quill::kRamSize ? offset + moved : quill::kRamSize;
    if (!allZero(ram, offset) || !allZero(ram + end, quill::kRamSize - end))
        std::abort();
    setComPort(nullptr);
    return 0;
}
