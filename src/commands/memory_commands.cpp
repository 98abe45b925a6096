// DB/DW/DL and WB/WW/WL. The dump and write positions are remembered from one
// command to the next, so that repeating a command continues where it stopped.
#include "commands/memory_commands.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "commands/handlers.h"
#include "commands/help_text.h"
#include "expr/expression.h"
#include "target/memory.h"

namespace {

struct MemoryCommandState {
    uint32_t dumpAddress;
    uint32_t dumpSize; // bytes
    uint32_t writeAddress;
};
MemoryCommandState state = {0, 16, 0};

constexpr int kWriteLineCapacity = 256;
constexpr const char* kSeparators = " ,\t\n\r";

uint32_t alignDown(uint32_t value, int itemSize)
{
    return value & ~static_cast<uint32_t>(itemSize - 1);
}

void adjustDump(int itemSize)
{
    if (itemSize == 2) {
        state.dumpAddress = alignDown(state.dumpAddress, 2);
        state.dumpSize += state.dumpSize & 1u;
    } else if (itemSize == 4) {
        state.dumpAddress = alignDown(state.dumpAddress, 4);
        state.dumpSize = (state.dumpSize + 3u) & ~3u;
    }
    if (state.dumpSize == 0)
        state.dumpSize = static_cast<uint32_t>(itemSize);
}

// address, the whole items, blank fill up to 16 bytes, then the bytes as characters.
void printDumpLine(uint32_t address, const uint8_t* data, int length, int itemSize)
{
    std::printf("%06lX ", static_cast<unsigned long>(address));
    int items = length / itemSize;
    for (int i = 0; i < items; ++i) {
        const uint8_t* p = data + i * itemSize;
        if (itemSize == 1)
            std::printf("%02X ", p[0]);
        else if (itemSize == 2)
            std::printf("%04X ", (p[0] << 8) | p[1]);
        else
            std::printf("%08lX ", (static_cast<unsigned long>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
    }
    for (int i = items; i < kMemChunk / itemSize; ++i)
        std::printf("%*s", itemSize * 2 + 1, "");
    // A lone byte of 0x80 or more is no character in UTF-8: the terminal would
    // show a replacement or swallow the bytes after it and shift the column.
    // The console's encoding is the one start-up chose for the help text.
    const bool utf8 = helpEncoding() == HelpEncoding::Utf8;
    for (int i = 0; i < length; ++i) {
        const uint8_t byte = data[i];
        std::putchar(byte < 0x20 || (utf8 && byte >= 0x80) ? '.' : byte);
    }
    std::putchar('\n');
}

// The "%lX" reading of a word: hexadecimal digits after an optional 0X, and
// nothing else. 1 when the whole word is a number.
int parseHexWord(const char* word, uint32_t* value)
{
    if (word[0] == '0' && (word[1] == 'X' || word[1] == 'x'))
        word += 2;
    if (*word == '\0')
        return 0;
    uint32_t v = 0;
    for (; *word != '\0'; ++word) {
        if (!isHexDigit(*word))
            return 0;
        v = (v << 4) | static_cast<uint32_t>(hexDigitValue(*word));
    }
    *value = v;
    return 1;
}

// Splits in place: the next word, terminated, or nullptr at the end of the line.
char* nextWord(char** cursor)
{
    char* p = *cursor + std::strspn(*cursor, kSeparators);
    if (*p == '\0')
        return nullptr;
    char* end = p + std::strcspn(p, kSeparators);
    if (*end != '\0')
        *end++ = '\0';
    *cursor = end;
    return p;
}

} // namespace

void resetMemoryCommands()
{
    state = {0, 16, 0};
}

uint32_t dumpAddress()
{
    return state.dumpAddress;
}

uint32_t dumpSize()
{
    return state.dumpSize;
}

uint32_t writeAddress()
{
    return state.writeAddress;
}

void dumpMem(uint32_t address, uint16_t count, int itemSize)
{
    if (itemSize != 1 && itemSize != 2 && itemSize != 4)
        return;
    uint8_t data[kMemChunk];
    uint16_t remaining = count;
    while (remaining != 0) {
        int chunk = remaining > kMemChunk ? kMemChunk : remaining;
        if (!readMemChunk("dumpMem", address, chunk, data, true))
            return;
        printDumpLine(address, data, chunk, itemSize);
        remaining = static_cast<uint16_t>(remaining - chunk);
        address += static_cast<uint32_t>(chunk);
    }
}

int dumpCommand(int argc, const char* first, const char* second, int itemSize)
{
    if (argc >= 1 && !evalArgument(first, "Invalid Address %s\n", &state.dumpAddress))
        return -1;
    if (argc >= 2 && !evalArgument(second, "Invalid size %s\n", &state.dumpSize))
        return -1;
    adjustDump(itemSize);
    dumpMem(state.dumpAddress, static_cast<uint16_t>(state.dumpSize), itemSize);
    state.dumpAddress += state.dumpSize;
    return 0;
}

int writeCommand(int argc, const char* first, const char* second, int itemSize)
{
    if (argc >= 1 && !evalArgument(first, "Invalid Address %s\n", &state.writeAddress))
        return -1;
    state.writeAddress = alignDown(state.writeAddress, itemSize);
    if (argc < 2) {
        state.writeAddress = writeInteractive(state.writeAddress, itemSize);
        return 0;
    }
    uint32_t value = 0;
    if (!evalArgument(second, "Invalid DATA %s\n", &value))
        return -2;
    state.writeAddress = writeMemSingle(state.writeAddress, value, itemSize);
    return 0;
}

uint32_t writeInteractive(uint32_t address, int itemSize)
{
    char line[kWriteLineCapacity];
    for (;;) {
        std::printf("%06lX:>", static_cast<unsigned long>(address));
        std::fflush(stdout);
        int length = readCommandLine(line, kWriteLineCapacity);
        if (length == kLineInputEnd)
            return address;
        if (length < 0)
            continue; // refused as too long, nothing to write; ask again
        for (char* c = line; *c != '\0'; ++c)
            *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));

        char* cursor = line;
        char* word = nextWord(&cursor);
        if (word == nullptr)
            return address;
        for (; word != nullptr; word = nextWord(&cursor)) {
            uint32_t value;
            // A word that is no number is dropped, so the next one takes its place.
            if (!parseHexWord(word, &value)) {
                std::printf("Invalid DATA %s\n", word);
                continue;
            }
            writeMemSingle(address, value, itemSize);
            address += static_cast<uint32_t>(itemSize);
        }
    }
}

int dumpByteCommand(CommandArgs& args)
{
    return dumpCommand(args.argc, args.first, args.second, 1);
}

int dumpWordCommand(CommandArgs& args)
{
    return dumpCommand(args.argc, args.first, args.second, 2);
}

int dumpLongCommand(CommandArgs& args)
{
    return dumpCommand(args.argc, args.first, args.second, 4);
}

int writeByteCommand(CommandArgs& args)
{
    return writeCommand(args.argc, args.first, args.second, 1);
}

int writeWordCommand(CommandArgs& args)
{
    return writeCommand(args.argc, args.first, args.second, 2);
}

int writeLongCommand(CommandArgs& args)
{
    return writeCommand(args.argc, args.first, args.second, 4);
}
