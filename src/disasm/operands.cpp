// The operand template expander.
#include "disasm/operands.h"

#include <cstdio>

namespace {

// Appends to a bounded, always terminated buffer.
struct Out {
    char* text;
    size_t size;
    size_t used;

    void put(char c)
    {
        if (used + 1 < size) {
            text[used++] = c;
            text[used] = '\0';
        }
    }
    void puts(const char* s)
    {
        while (*s)
            put(*s++);
    }
};

// Reads the field a %I or %T code names; false when its width or position is
// not one the template language has.
bool readField(uint16_t word, char width, char position, uint32_t& field, int& bits)
{
    if (width == '8') {
        field = word & 0xFF;
        bits = 8;
        return true;
    }
    if (width == '4' && position >= '0' && position <= '2') {
        field = (word >> ((2 - (position - '0')) * 4)) & 0xF;
        bits = 4;
        return true;
    }
    return false;
}

bool readScale(char k, long& scale)
{
    if (k < '0' || k > '9')
        return false;
    scale = k - '0';
    return true;
}

// The number of characters after the letter that each code reads.
int argumentCount(char letter)
{
    switch (letter) {
    case 'I':
    case 'T':
        return 5;
    case 'P':
        return 1;
    case 'R':
        return 2;
    default:
        return 0;
    }
}

void formatImmediate(const char* a, uint16_t word, uint32_t& refValue, Out& out)
{
    uint32_t field;
    int bits;
    long scale;
    if (!readField(word, a[0], a[1], field, bits) || !readScale(a[2], scale)) {
        out.put('?');
        return;
    }
    long value = static_cast<long>(field);
    if (a[4] == 'S' && value >= (1L << (bits - 1)))
        value -= 1L << bits;
    value *= scale;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%ld", value);
    out.puts(buf);
    refValue = static_cast<uint32_t>(value);
}

void formatBranch(char t, uint32_t address, uint16_t word, uint32_t& refValue, Out& out)
{
    int32_t disp;
    if (t == '8' || t == 'B') {
        disp = static_cast<int8_t>(word & 0xFF);
    } else if (t == 'C') {
        disp = (word & 0x800) ? static_cast<int32_t>(word & 0xFFF) - 0x1000 : (word & 0xFFF);
    } else {
        out.put('?');
        return;
    }
    uint32_t target = address + 4 + 2 * static_cast<uint32_t>(disp);
    char buf[12];
    std::snprintf(buf, sizeof buf, "%08lX", static_cast<unsigned long>(target));
    out.puts(buf);
    refValue = target;
}

void formatRegister(const char* a, uint16_t word, Out& out)
{
    unsigned byte = a[0] == '0' ? (word >> 8) : (word & 0xFF);
    unsigned reg = a[1] == 'H' ? (byte >> 4) & 0xF : byte & 0xF;
    if (reg == 15) {
        out.puts("SP ");
        return;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "R%-2ld", static_cast<long>(reg));
    out.puts(buf);
}

void formatPcData(const char* a, uint32_t address, uint16_t word, uint32_t& refValue, Out& out)
{
    uint32_t field;
    int bits;
    long scale;
    if (!readField(word, a[0], a[1], field, bits) || !readScale(a[2], scale) || (a[3] != 'L' && a[3] != 'W')) {
        out.put('?');
        return;
    }
    uint32_t disp = field * static_cast<uint32_t>(scale);
    uint32_t base = a[3] == 'L' ? ((address + 4) & ~3u) : address + 4;
    refValue = base + disp;
    char buf[12];
    std::snprintf(buf, sizeof buf, "%04lX", static_cast<unsigned long>(disp));
    out.puts(buf);
}

} // namespace

void formatOperands(
    uint32_t address, uint16_t word, uint32_t& refValue, const char* operands, char* text, size_t textSize)
{
    refValue = 0;
    if (textSize == 0)
        return;
    Out out {text, textSize, 0};
    text[0] = '\0';
    const char* p = operands;
    while (*p) {
        if (*p != '%') {
            out.put(*p++);
            continue;
        }
        char letter = p[1];
        int want = argumentCount(letter);
        if (letter == '\0' || want == 0) {
            // Not a code the language has: shown as written, so the row stands out.
            out.put('%');
            if (letter == '\0')
                break;
            out.put(letter);
            p += 2;
            continue;
        }
        const char* args = p + 2;
        int have = 0;
        while (have < want && args[have] != '\0')
            ++have;
        if (have < want) {
            out.put('?');
            break;
        }
        switch (letter) {
        case 'I':
            formatImmediate(args, word, refValue, out);
            break;
        case 'P':
            formatBranch(args[0], address, word, refValue, out);
            break;
        case 'R':
            formatRegister(args, word, out);
            break;
        case 'T':
            formatPcData(args, address, word, refValue, out);
            break;
        }
        p = args + want;
    }
}
