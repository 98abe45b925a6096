// The two hardware breakpoint slots kept by the monitor, and the BS/BC commands.
// The host keeps no copy of the slots; every listing reads them afresh.
#include "target/breakpoints.h"

#include <cstdio>

#include "expr/expression.h"
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

// The data accesses of a stated size (byte, word, longword, read or write)
// carry a data value worth showing; every other mode ends after its name.
bool showsData(uint16_t mode)
{
    static const uint16_t sized[] = {0x65, 0x66, 0x67, 0x69, 0x6A, 0x6B};
    for (uint16_t m : sized) {
        if (mode == m)
            return true;
    }
    return false;
}

void showSlot(int slot)
{
    uint16_t mode;
    uint32_t address;
    uint32_t data;
    if (!readBreakpoint(slot, &mode, &address, &data) || mode == 0)
        return;
    std::printf("BreakPoint %d: %08lX Mode=%s", slot, static_cast<unsigned long>(address),
                breakModeName(mode).text);
    if (showsData(mode))
        std::printf(" : %08lX\n", static_cast<unsigned long>(data));
    else
        std::printf("\n");
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
    sendPacket();
    // A short reply would read as an empty slot; it is a failed read instead.
    if (waitResponse(BRK_READ) != 0 || packetBuffer.count < kBreakReplyPayload) {
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
    sendPacket();
    if (waitResponse(BRK_WRITE) != 0) {
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
    sendPacket();
    if (waitResponse(BRK_CLEAR) != 0) {
        std::printf("Error at clear-Breakpoint\n");
        return 0;
    }
    return 1;
}

int breakSetCommand(int argc, char* first, char* second)
{
    if (argc == 0) {
        showSlot(0);
        showSlot(1);
        return 0;
    }
    if (argc == 1) {
        // An invalid expression yields 0xFFFFFFFF, which is no slot, so exprError needs no test.
        uint32_t slot = evalExpression(first);
        if (slot <= 1)
            showSlot(static_cast<int>(slot));
        return 0;
    }
    if (argc > 2)
        return 0;

    uint32_t slot = 0;
    uint32_t address = 0;
    if (!evalArgument(first, "Invalid Break point %s\n", &slot)
        || !evalArgument(second, "Invalid Break Address %s\n", &address))
        return -1;
    if (address & 1u) {
        std::printf("Invalid Break Address %08lX\n", static_cast<unsigned long>(address));
        return -1;
    }
    // Any value above 1 stays outside 0..1 as an int, so writeBreakpoint refuses it.
    writeBreakpoint(static_cast<int>(slot), BBR_PC, address, 0);
    return 0;
}

void breakClearCommand(char* first)
{
    uint32_t slot = evalExpression(first);
    if (exprError || slot > 1) {
        std::printf("Invalid breakpoint %s\n", first);
        return;
    }
    clearBreakpoint(static_cast<int>(slot));
}
