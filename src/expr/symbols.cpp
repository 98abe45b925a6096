// The symbol table and the map-file loader.
#include <cstdio>
#include <cstring>

#include "expr/symbols.h"

#include "expr/expression.h"

SymbolRecord symbolTable[kSymbolMax];
int symbolCount = 0;
char symbolArea[kSymbolAreaSize];
char* symbolFree = symbolArea;
long symbolAreaUsed = 0;

namespace {

bool atWordEnd(char c) { return c == '\0' || isMapSeparator(c); }

const char* skipSeparators(const char* text)
{
    while (*text && isMapSeparator(*text))
        ++text;
    return text;
}

// The "%lX" reading of an address-line field: blanks, an optional 0x, hex
// digits. False when no digit stands there (a field such as "H'1000" or
// ",1000" passes the line test yet holds no number a reader can take).
bool readHexField(const char* text, uint32_t* value)
{
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n' || *text == '\v' ||
           *text == '\f')
        ++text;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && isHexDigit(text[2]))
        text += 2;
    if (!isHexDigit(*text))
        return false;
    uint64_t v = 0;
    for (; isHexDigit(*text); ++text) {
        v = v * 16 + static_cast<uint64_t>(hexDigitValue(*text));
        if (v > 0xFFFFFFFFu)
            v = 0x100000000u;  // saturate, keep scanning the digits
    }
    *value = v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
    return true;
}

void addSymbol(uint32_t address, uint32_t extra, const char* name)
{
    size_t length = std::strlen(name);
    SymbolRecord& record = symbolTable[symbolCount];
    record.address = address;
    record.extra = extra;
    record.name = symbolFree;
    std::memcpy(symbolFree, name, length + 1);
    symbolFree += length + 1;
    symbolAreaUsed += static_cast<long>(length + 1);
    ++symbolCount;
}

}  // namespace

bool isMapSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

int isHexNumber(const char* text)
{
    text = skipSeparators(text);
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    else if ((text[0] == 'H' || text[0] == 'h') && text[1] == '\'')
        text += 2;
    for (; !atWordEnd(*text); ++text)
        if (!isHexDigit(*text))
            return 0;
    return 1;
}

int isIdentifier(const char* text)
{
    if (!isLetter(*text) && *text != '_')
        return 0;
    for (++text; !atWordEnd(*text); ++text)
        if (!isNameChar(*text))
            return 0;
    return 1;
}

int isNameLine(const char* line)
{
    if (std::strlen(line) < 3 || line[0] != ' ' || line[1] != ' ')
        return 0;
    return isIdentifier(skipSeparators(line + 2));
}

int isAddressLine(const char* line)
{
    if (std::strlen(line) < 62)
        return 0;
    for (int i = 0; i < 34; ++i)
        if (line[i] != ' ')
            return 0;
    if (!isHexNumber(line + 34) || !isHexNumber(line + 44))
        return 0;
    return line[61] == 'l' || line[61] == 'g';
}

int copyWord(const char* source, char* destination, size_t capacity)
{
    source = skipSeparators(source);
    size_t length = 0;
    while (!atWordEnd(source[length]))
        ++length;
    if (length + 1 > capacity) {
        if (capacity > 0)
            destination[0] = '\0';
        return -1;
    }
    std::memcpy(destination, source, length);
    destination[length] = '\0';
    return static_cast<int>(length);
}

void resetSymbols()
{
    symbolCount = 0;
    symbolAreaUsed = 0;
    symbolFree = symbolArea;
}

void loadSymbols(const char* path)
{
    std::FILE* file = std::fopen(path, "r");
    if (!file) {
        resetSymbols();
        std::printf("Not valid symbol file %s\n", path);
        return;
    }
    loadSymbolsFrom(file);
    std::fclose(file);
}

void loadSymbolsFrom(std::FILE* file)
{
    resetSymbols();
    char line[kMapLineBuffer];
    char pending[kSymbolNameMax + 1];
    char candidate[kSymbolNameMax + 1];
    bool namePending = false;
    while (std::fgets(line, sizeof line, file)) {
        if (namePending && isAddressLine(line)) {
            uint32_t address = 0;
            uint32_t extra = 0;
            // A field with no number would give an address out of nowhere;
            // the pair is dropped rather than stored with a made-up value.
            if (readHexField(line + 34, &address) && readHexField(line + 44, &extra))
                addSymbol(address, extra, pending);
            namePending = false;
        } else if (isNameLine(line)) {
            // A name too long for the buffer is dropped with its pair: a cut
            // name could collide with another symbol, and the name waiting
            // before it must not take its address.
            namePending = copyWord(line + 2, candidate, sizeof candidate) >= 0;
            if (namePending)
                std::memcpy(pending, candidate, sizeof pending);
        }

        if (symbolCount >= kSymbolMax) {
            std::printf("Symbol List Full\n");
            break;
        }
        if (symbolAreaUsed >= kSymbolAreaLimit) {
            std::printf("Symbol Area Full\n");
            break;
        }
    }
    std::printf("Load %d symbols ( use %ld bytes for symbol area )\n", symbolCount, symbolAreaUsed);
}

int symbolExists(const char* name)
{
    for (int i = 0; i < symbolCount; ++i)
        if (std::strcmp(symbolTable[i].name, name) == 0)
            return 1;
    return 0;
}

uint32_t symbolValue(const char* name)
{
    for (int i = 0; i < symbolCount; ++i)
        if (std::strcmp(symbolTable[i].name, name) == 0)
            return symbolTable[i].address;
    return 0xFFFFFFFF;
}

const char* symbolAtAddress(uint32_t value)
{
    for (int i = 0; i < symbolCount; ++i)
        if (symbolTable[i].address == value)
            return symbolTable[i].name;
    return nullptr;
}

const char* nearestSymbol(uint32_t value)
{
    const SymbolRecord* best = nullptr;
    for (int i = 0; i < symbolCount; ++i) {
        const SymbolRecord& record = symbolTable[i];
        // >= lets a later record at the same address win the tie.
        if (record.address <= value && (!best || record.address >= best->address))
            best = &record;
    }
    return best ? best->name : nullptr;
}
