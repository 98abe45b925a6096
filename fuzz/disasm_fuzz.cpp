// The disassembler's formatter on random instruction words, with symbols
// whose names are as long as the table takes at every address the words can
// refer to. The first byte chooses the mode:
// - even: the rest is placed in the board's RAM and listed through the
//   memory cache, a line per word, as DA lists it;
// - odd: the operand formatter alone, on one word and an arbitrary template
//   written into a text buffer of arbitrary size.
// Every text stays terminated inside its buffer (AddressSanitizer sees the
// exact buffer in the second mode), and the table's two look-ups agree.
#include <vector>

#include "disasm/listing.h"
#include "disasm/operands.h"
#include "fuzz_support.h"
#include "isa/sh2_table.h"
#include "sim/memory_map.h"
#include "target/memory.h"

namespace {

constexpr size_t kListedWords = 16;
constexpr int kExchangeBudget = 64;

quill::Board* board = nullptr;

std::string label(uint32_t address)
{
    return fuzz::mapPair(fuzz::longName('L', address), address, 'l');
}

void listFromRam(const uint8_t* data, size_t size)
{
    fuzz::connect(*board, kExchangeBudget);
    clearMemCache();
    const size_t n = size < quill::kRamSize ? size : quill::kRamSize;
    std::memcpy(board->memory().ram(), data, n);

    uint32_t address = quill::kRamBase;
    char text[kInstructionTextSize + 1];
    for (size_t i = 0; i < kListedWords && 2 * i < n; ++i) {
        const uint16_t word = static_cast<uint16_t>(data[2 * i] << 8 | (2 * i + 1 < n ? data[2 * i + 1] : 0));
        if (findEntry(word) != findEntryLinear(word))
            std::abort();
        std::memset(text, 'X', sizeof text);
        if (disasm(address, text) != address + 2 || std::memchr(text, '\0', kInstructionTextSize) == nullptr)
            std::abort();
        if (listLine(address) != address + 2)
            std::abort();
        address += 2;
    }
    setComPort(nullptr);
}

void formatAlone(const uint8_t* data, size_t size)
{
    if (size < 3)
        return;
    const uint16_t word = static_cast<uint16_t>(data[0] << 8 | data[1]);
    const size_t textSize = data[2] % (kOperandTextSize + 1);
    std::string operands(reinterpret_cast<const char*>(data + 3), size - 3);
    std::vector<char> text(textSize > 0 ? textSize : 1, 'X');
    uint32_t refValue = 0x12345678;
    formatOperands(0xFFFFA000u + 2u * data[0], word, refValue, operands.c_str(), text.data(), textSize);
    if (textSize > 0 && std::memchr(text.data(), '\0', textSize) == nullptr)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    board = new quill::Board;
    // A label on every word listed, and on the start of flash and RAM's
    // first lines, where branch targets and literal pool values land.
    std::string map;
    for (uint32_t i = 0; i < kListedWords + 8; ++i)
        map += label(quill::kRamBase + 2 * i);
    for (uint32_t address : {0u, 0x4u, 0x1000u, 0xFFFFFFFFu, 0x12345678u})
        map += label(address);
    fuzz::loadMap(map, static_cast<int>(kListedWords) + 13);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        formatAlone(data + 1, size - 1);
    else
        listFromRam(data + 1, size - 1);
    return 0;
}
