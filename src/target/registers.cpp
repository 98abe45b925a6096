// The target's CPU registers, one REG_READ or REG_WRITE exchange each, the
// register display and the R command.
#include "target/registers.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "link/packet.h"
#include "target/memory.h"

const RegName regNameTable[] = {
    {0, "R0"},    {1, "R1"},    {2, "R2"},     {3, "R3"},      {4, "R4"},     {5, "R5"},
    {6, "R6"},    {7, "R7"},    {8, "R8"},     {9, "R9"},      {10, "R10"},   {11, "R11"},
    {12, "R12"},  {13, "R13"},  {14, "R14"},   {REG_SP, "SP"}, {REG_SR, "SR"}, {REG_GBR, "GBR"},
    {REG_VBR, "VBR"}, {REG_MACH, "MACH"}, {REG_MACL, "MACL"}, {REG_PR, "PR"}, {REG_PC, "PC"},
    {-1, nullptr},
};

namespace {

constexpr uint32_t kBadValue = 0xFFFFFFFF;

// The display, in print order; SR comes last so its flags follow the PC.
struct DisplayItem {
    int number;
    const char* format;
};
const DisplayItem displayTable[] = {
    {0, "R00:%08lX "},  {1, "R01:%08lX "},  {2, "R02:%08lX "},       {3, "R03:%08lX\n"},
    {4, "R04:%08lX "},  {5, "R05:%08lX "},  {6, "R06:%08lX "},       {7, "R07:%08lX\n"},
    {8, "R08:%08lX "},  {9, "R09:%08lX "},  {10, "R10:%08lX "},      {11, "R11:%08lX\n"},
    {12, "R12:%08lX "}, {13, "R13:%08lX "}, {14, "R14:%08lX "},      {REG_SP, "SP: %08lX\n"},
    {REG_GBR, "GBR:%08lX "}, {REG_VBR, "VBR:%08lX "}, {REG_MACH, "MAC:%08lX "}, {REG_MACL, ":%08lX "},
    {REG_PR, "PR :%08lX\n"}, {REG_PC, "PC :%08lX "},
    {-1, nullptr},
};

}  // namespace

int lookupReg(char* name)
{
    for (char* c = name; *c != '\0'; ++c)
        *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    for (const RegName* row = regNameTable; row->name != nullptr; ++row) {
        if (std::strcmp(row->name, name) == 0)
            return row->number;
    }
    return -1;
}

uint32_t readReg(int number)
{
    packetBegin(REG_READ);
    packetPutByte(static_cast<uint8_t>(number));
    packetEnd();
    sendPacket();

    if (receivePacket() < 0) {
        std::printf("Packet error at readReg()\n");
        return kBadValue;
    }
    // A reply too short to hold the value would read as 0, a plausible register value.
    if (packetGetByte() != REG_READ || packetBuffer.count < 4) {
        std::printf("Error not valid packet at readReg()\n");
        return kBadValue;
    }
    return packetGetLong();
}

void writeReg(int number, uint32_t value)
{
    clearMemCache();
    packetBegin(REG_WRITE);
    packetPutByte(static_cast<uint8_t>(number));
    packetPutLong(value);
    packetEnd();
    sendPacket();

    if (receivePacket() < 0) {
        std::printf("Packet error at writeReg()\n");
        return;
    }
    if (packetGetByte() != REG_WRITE) {
        std::printf("Error not valid packet at writeReg()\n");
        return;
    }
    // A missing status byte reads as 0: not confirmed, so reported.
    if (packetGetByte() == 0)
        std::printf("Error at write register\n");
}

void dumpReg()
{
    for (const DisplayItem* item = displayTable; item->format != nullptr; ++item)
        std::printf(item->format, static_cast<unsigned long>(readReg(item->number)));
    char text[kSRTextSize];
    formatSR(readReg(REG_SR), text);
    std::printf("SR :%s\n", text);
}

void formatSR(uint32_t sr, char* text)
{
    char flags[5] = "----";
    if (sr & (1u << 9))
        flags[0] = 'M';
    if (sr & (1u << 8))
        flags[1] = 'Q';
    if (sr & (1u << 1))
        flags[2] = 'S';
    if (sr & 1u)
        flags[3] = 'T';
    std::snprintf(text, kSRTextSize, "%s[M=%d]", flags, static_cast<int>((sr >> 4) & 0xF));
}

void showReg(char* name)
{
    int number = lookupReg(name);
    if (number < 0) {
        std::printf("  Invalid register name %s\n", name);
        return;
    }
    uint32_t value = readReg(number);
    std::printf("%s : %08lX\n", name, static_cast<unsigned long>(value));
}

void setReg(char* name, uint32_t value)
{
    clearMemCache();
    int number = lookupReg(name);
    if (number < 0) {
        std::printf("  Invalid register name %s\n", name);
        return;
    }
    writeReg(number, value);
}
