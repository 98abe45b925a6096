// The target's CPU registers, one REG_READ or REG_WRITE exchange each, and
// their names.
#include "target/registers.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "link/packet.h"
#include "link/transaction.h"
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

int readReg(int number, uint32_t* value)
{
    *value = kBadValue;
    packetBegin(REG_READ);
    packetPutByte(static_cast<uint8_t>(number));
    packetEnd();
    // A reply too short to hold the value would read as 0, a plausible register value.
    Reply reply;
    ExchangeStatus status = exchange(REG_READ, 4, PLAIN_RECEIVE, &reply);
    if (status == EXCHANGE_NO_FRAME) {
        std::printf("Packet error at readReg()\n");
        return 0;
    }
    if (status != EXCHANGE_OK) {
        std::printf("Error not valid packet at readReg()\n");
        return 0;
    }
    *value = packetGetLong();
    return 1;
}

int writeReg(int number, uint32_t value)
{
    clearMemCache();
    packetBegin(REG_WRITE);
    packetPutByte(static_cast<uint8_t>(number));
    packetPutLong(value);
    packetEnd();
    Reply reply;
    ExchangeStatus status = exchange(REG_WRITE, 0, PLAIN_RECEIVE, &reply);
    if (status == EXCHANGE_NO_FRAME) {
        std::printf("Packet error at writeReg()\n");
        return 0;
    }
    if (status != EXCHANGE_OK) {
        std::printf("Error not valid packet at writeReg()\n");
        return 0;
    }
    // A missing status byte reads as 0: not confirmed, so reported.
    if (packetGetByte() == 0) {
        std::printf("Error at write register\n");
        return 0;
    }
    return 1;
}
