// The two hardware breakpoint slots kept by the monitor. The host keeps no
// copy of the slots; every listing reads them afresh.
#include "target/breakpoints.h"

#include <cstdio>

#include "link/packet.h"
#include "link/transaction.h"
#include "target/memory.h"

const CodeName breakModeTable[] = {
    {0x00, "BBR_NONE"},  {BBR_PC, "BBR_PC"},     {0x64, "BBR_MEMR"},  {0x65, "BBR_MEMRB"},
    {0x66, "BBR_MEMRW"}, {0x67, "BBR_MEMRL"},    {0x68, "BBR_MEMW"},  {0x69, "BBR_MEMWB"},
    {0x6A, "BBR_MEMWW"}, {0x6B, "BBR_MEMWL"},    {-1, nullptr},
};

namespace {

// BRK_READ reply after its CMD: one unexamined byte, address, mode, data.
constexpr int kBreakReplyPayload = 1 + 4 + 2 + 4;

bool validSlot(int slot)
{
    return slot == 0 || slot == 1;
}

}  // namespace

const char* codeToName(int code, const CodeName* table)
{
    for (const CodeName* row = table; row->name != nullptr; ++row) {
        if (row->code == code)
            return row->name;
    }
    return nullptr;
}

ModeName breakModeName(uint16_t mode)
{
    ModeName name;
    const char* known = codeToName(mode, breakModeTable);
    if (known != nullptr)
        std::snprintf(name.text, sizeof name.text, "%s", known);
    else
        std::snprintf(name.text, sizeof name.text, "BBR_UNKNOWN(0x%04X)", mode);
    return name;
}

int readBreakpoint(int slot, uint16_t* mode, uint32_t* address, uint32_t* data)
{
    if (!validSlot(slot)) {
        std::printf("Error not valid breakpoint number %d\n", slot);
        return 0;
    }
    packetBegin(BRK_READ);
    packetPutByte(static_cast<uint8_t>(slot));
    packetEnd();
    // A short reply would read as an empty slot; it is a failed read instead.
    Reply reply;
    if (exchange(BRK_READ, kBreakReplyPayload, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
        std::printf("Error at read-Breakpoint\n");
        return 0;
    }
    packetGetByte();
    *address = packetGetLong();
    *mode = packetGetWord();
    *data = packetGetLong();
    return 1;
}

int writeBreakpoint(int slot, uint16_t mode, uint32_t address, uint32_t data)
{
    if (!validSlot(slot)) {
        std::printf("Error not valid breakpoint number %d\n", slot);
        return 0;
    }
    clearMemCache();
    packetBegin(BRK_WRITE);
    packetPutByte(static_cast<uint8_t>(slot));
    packetPutLong(address);
    packetPutWord(mode);
    packetPutLong(data);
    packetEnd();
    Reply reply;
    if (exchange(BRK_WRITE, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
        std::printf("Error at write-Breakpoint\n");
        return 0;
    }
    return 1;
}

int clearBreakpoint(int slot)
{
    packetBegin(BRK_CLEAR);
    packetPutByte(static_cast<uint8_t>(slot));
    packetEnd();
    Reply reply;
    if (exchange(BRK_CLEAR, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
        std::printf("Error at clear-Breakpoint\n");
        return 0;
    }
    return 1;
}
