#include "flash/srecord.h"

#include <cstring>

namespace {

// One data record as the line gives it. length may be negative when the
// count is too small for the address: such a record carries no data, and
// its end then lies below its address.
struct MotRecord {
    uint32_t address;
    int dataPosition;
    int length;
    uint32_t end() const { return address + static_cast<uint32_t>(length); }
};

enum class LineKind { Skip, Data, End, Invalid };

// What one line is. count is the record's count field, for the messages.
LineKind classify(const char* line, MotRecord& record, int& count)
{
    int size = static_cast<int>(std::strlen(line));
    if (size < 12 || line[0] != 'S')
        return LineKind::Skip;
    count = static_cast<int>(hexField(line, 2, 2));
    if (size < 2 * count + 4)
        return LineKind::Invalid;
    int addressDigits;
    switch (line[1]) {
    case '1':
        addressDigits = 4;
        break;
    case '2':
        addressDigits = 6;
        break;
    case '3':
        addressDigits = 8;
        break;
    case '9':
        return LineKind::End;
    default:
        return LineKind::Skip;
    }
    record.address = hexField(line, 4, addressDigits);
    record.dataPosition = 4 + addressDigits;
    // The count covers the address, the data and the checksum byte.
    record.length = count - addressDigits / 2 - 1;
    return LineKind::Data;
}

// Reads the next line piece into line (kMotLineMax characters at most) with
// its end cut off; false at the end of the file.
bool nextLine(std::FILE* file, char (&line)[kMotLineMax + 1])
{
    if (std::fgets(line, sizeof line, file) == nullptr)
        return false;
    cutLineEnd(line);
    return true;
}

} // namespace

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

uint32_t hexField(const char* line, int position, int digits)
{
    // Looks no further than the digits asked for, so a field at the end of
    // a piece never reads past its terminating zero.
    for (int i = 0; i < position + digits; ++i) {
        if (line[i] == '\0')
            return 0;
    }
    uint32_t value = 0;
    for (int i = 0; i < digits; ++i)
        value = value << 4 | static_cast<uint32_t>(hexDigit(line[position + i]));
    return value;
}

void cutLineEnd(char* line)
{
    line[std::strcspn(line, "\r\n")] = '\0';
}

int readMOTRangeFrom(std::FILE* file, uint32_t low, uint32_t high, uint32_t* lowest, uint32_t* highest)
{
    *lowest = 0xFFFFFFFF;
    *highest = 0;
    char line[kMotLineMax + 1];
    while (nextLine(file, line)) {
        MotRecord r {};
        int count = 0;
        LineKind kind = classify(line, r, count);
        if (kind == LineKind::Invalid) {
            std::printf("readMOT():Error not valid S record [%s](size=%d,strlen(s)=%d)\n", line, count,
                static_cast<int>(std::strlen(line)));
            return 0;
        }
        if (kind == LineKind::End)
            break;
        if (kind != LineKind::Data || r.end() < low || r.address > high)
            continue;
        if (r.address < *lowest)
            *lowest = r.address;
        if (r.end() > *highest)
            *highest = r.end();
    }
    return 1;
}

int readMOTDataFrom(std::FILE* file, uint8_t* buffer, uint32_t base, uint32_t limit)
{
    int result = 1;
    char line[kMotLineMax + 1];
    while (nextLine(file, line)) {
        MotRecord r {};
        int count = 0;
        LineKind kind = classify(line, r, count);
        if (kind == LineKind::Invalid) {
            std::printf("readMOT():Error not valid S record [%s]\n", line);
            return 0;
        }
        if (kind == LineKind::End)
            break;
        if (kind != LineKind::Data)
            continue;
        bool inside = r.address >= base && r.end() <= limit;
        // The end is a 32-bit sum: a record near the top of the address
        // space wraps to a small end and would pass the test above while
        // its data runs past limit. Measured from the address it cannot.
        if (r.length > 0)
            inside = inside && r.address <= limit && static_cast<uint32_t>(r.length) <= limit - r.address;
        if (!inside) {
            result = 0;
            continue;
        }
        uint8_t* out = buffer + (r.address - base);
        for (int i = 0; i < r.length; ++i)
            out[i] = static_cast<uint8_t>(hexField(line, r.dataPosition + 2 * i, 2));
    }
    return result;
}

int readMOTRange(const char* path, uint32_t low, uint32_t high, uint32_t* lowest, uint32_t* highest)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::printf("Can't open file %s\n", path);
        return 0;
    }
    int result = readMOTRangeFrom(file, low, high, lowest, highest);
    std::fclose(file);
    return result;
}

int readMOTData(const char* path, uint8_t* buffer, uint32_t base, uint32_t limit)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::printf("Can't open file %s\n", path);
        return 0;
    }
    int result = readMOTDataFrom(file, buffer, base, limit);
    std::fclose(file);
    return result;
}
