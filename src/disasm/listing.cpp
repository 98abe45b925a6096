// Listing lines from target memory.
#include "disasm/listing.h"

#include <cstdio>

#include "disasm/operands.h"
#include "expr/expression.h"
#include "expr/symbols.h"
#include "target/memory.h"

uint32_t daAddress = 0;
uint32_t daCount = 10;

void resetListing()
{
    daAddress = 0;
    daCount = 10;
}

namespace {

// The 16-byte line that holds lineAddress, through the cache.
void fetchLine(uint32_t lineAddress, uint8_t* line)
{
    readMemCache(line, lineAddress & ~15u);
}

} // namespace

uint16_t fetchWord(uint32_t address)
{
    address &= ~1u;
    uint8_t line[kMemChunk];
    fetchLine(address, line);
    uint32_t o = address & 14;
    return static_cast<uint16_t>((line[o] << 8) | line[o + 1]);
}

uint32_t fetchLong(uint32_t address)
{
    address &= ~1u;
    uint8_t line[kMemChunk];
    fetchLine(address, line);
    uint32_t o = address & 14;
    uint32_t high = (static_cast<uint32_t>(line[o]) << 8) | line[o + 1];
    uint32_t low;
    if (o == 14) {
        // The second halfword begins the next line (wrapping at the top of memory).
        fetchLine((address & ~15u) + 16, line);
        low = (static_cast<uint32_t>(line[0]) << 8) | line[1];
    } else {
        low = (static_cast<uint32_t>(line[o + 2]) << 8) | line[o + 3];
    }
    return (high << 16) | low;
}

uint32_t disasm(uint32_t address, char* text)
{
    uint16_t word = fetchWord(address);
    const DisasmEntry* entry = findEntry(word);
    if (!entry) {
        std::snprintf(text, kInstructionTextSize, "???");
        return address + 2;
    }
    uint32_t refValue;
    char operands[kOperandTextSize];
    formatOperands(address, word, refValue, entry->operands, operands, sizeof operands);
    if (entry->hasRef) {
        uint32_t shown = entry->refIsLong ? fetchLong(refValue) : refValue;
        const char* name = symbolAtAddress(shown);
        if (name) {
            std::snprintf(text, kInstructionTextSize, "%-8s%-20s;[%08lX]:  %s", entry->mnemonic, operands,
                static_cast<unsigned long>(shown), name);
        } else {
            std::snprintf(text, kInstructionTextSize, "%-8s%-20s;[%08lX]", entry->mnemonic, operands,
                static_cast<unsigned long>(shown));
        }
    } else {
        std::snprintf(text, kInstructionTextSize, "%-8s%-20s", entry->mnemonic, operands);
    }
    return address + 2;
}

uint32_t listLine(uint32_t address)
{
    uint32_t a = address & ~1u;
    // readMem reports a failed transfer only on the console and leaves the
    // buffer as it was. Starting from the cached copy (when the line is
    // cached; asking costs no request) lets a failed direct read show the word
    // the cache delivers, the same word the instruction text is decoded from.
    uint8_t direct[2] = {0, 0};
    bool prefilled = false;
    if (Membuf* cached = searchMemCache(a & ~15u)) {
        direct[0] = cached->data[a & 14];
        direct[1] = cached->data[(a & 14) + 1];
        prefilled = true;
    }
    readMem(a, 2, direct);
    uint16_t word = static_cast<uint16_t>((direct[0] << 8) | direct[1]);

    char text[kInstructionTextSize];
    disasm(a, text);
    if (!prefilled && word == 0) {
        // Either memory holds 0000 or the read failed; when the line arrived
        // just now, the cache holds what memory holds and costs no request. A
        // failed fill is not cached: asking again would only repeat the failure.
        if (Membuf* cached = searchMemCache(a & ~15u))
            word = static_cast<uint16_t>((cached->data[a & 14] << 8) | cached->data[(a & 14) + 1]);
    }

    std::printf("%08lX ", static_cast<unsigned long>(a));
    if (const char* label = symbolAtAddress(a)) {
        std::printf("     %s:\n", label);
        std::printf("%08lX ", static_cast<unsigned long>(a));
    }
    std::printf("%04X     %s\n", word, text);
    return a + 2;
}
