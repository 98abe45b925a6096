// Symbols from a linker map file: one fixed table, filled once at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int kSymbolMax = 512;
constexpr int kSymbolAreaLimit = 16384;                 // loading stops once this much is used
constexpr int kSymbolAreaSize = kSymbolAreaLimit + 256;  // room for the name stored last
constexpr int kSymbolNameMax = 63;
constexpr int kMapLineBuffer = 200;  // a map line is read in pieces of at most 199 characters

struct SymbolRecord {
    uint32_t address;
    uint32_t extra;    // the second number of the address line; kept, never looked up
    const char* name;  // inside symbolArea
};

extern SymbolRecord symbolTable[kSymbolMax];
extern int symbolCount;
extern char symbolArea[kSymbolAreaSize];
extern char* symbolFree;
extern long symbolAreaUsed;

void resetSymbols();
void loadSymbols(const char* path);
// The same from a stream already open for reading, which stays open (the
// fuzzer reads its inputs from memory).
void loadSymbolsFrom(std::FILE* file);
int symbolExists(const char* name);
uint32_t symbolValue(const char* name);       // 0xFFFFFFFF when there is none
const char* symbolAtAddress(uint32_t value);  // nullptr when there is none
const char* nearestSymbol(uint32_t value);    // nullptr when there is none

// The line tests of the map-file reader. Positions below count from 1.
bool isMapSeparator(char c);  // one of " \t\r\n,"
int isHexNumber(const char* text);
int isIdentifier(const char* text);
// Two spaces, then (after separators) an identifier.
int isNameLine(const char* line);
// 34 spaces, hexadecimal numbers at 35 and 45, "l" or "g" at 62.
int isAddressLine(const char* line);
// Skips separators and copies the word that follows, with its terminating
// zero. The word's length, or -1 (destination left empty) when the word needs
// more than capacity bytes.
int copyWord(const char* source, char* destination, size_t capacity);
