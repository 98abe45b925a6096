// BS and BC: list, set and clear the two hardware breakpoints.
#include <cstdio>

#include "commands/handlers.h"
#include "expr/expression.h"
#include "target/breakpoints.h"

namespace {

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
    std::printf("BreakPoint %d: %08lX Mode=%s", slot, static_cast<unsigned long>(address), breakModeName(mode).text);
    if (showsData(mode))
        std::printf(" : %08lX\n", static_cast<unsigned long>(data));
    else
        std::printf("\n");
}

} // namespace

int breakSetCommand(CommandArgs& args)
{
    const int argc = args.argc;
    if (argc == 0) {
        showSlot(0);
        showSlot(1);
        return 0;
    }
    if (argc == 1) {
        // An invalid expression yields 0xFFFFFFFF, which is no slot, so exprError needs no test.
        uint32_t slot = evalExpression(args.first);
        if (slot <= 1)
            showSlot(static_cast<int>(slot));
        return 0;
    }
    if (argc > 2)
        return 0;

    uint32_t slot = 0;
    uint32_t address = 0;
    if (!evalArgument(args.first, "Invalid Break point %s\n", &slot) ||
        !evalArgument(args.second, "Invalid Break Address %s\n", &address))
        return -1;
    if (address & 1u) {
        std::printf("Invalid Break Address %08lX\n", static_cast<unsigned long>(address));
        return -1;
    }
    // Any value above 1 stays outside 0..1 as an int, so writeBreakpoint refuses it.
    writeBreakpoint(static_cast<int>(slot), BBR_PC, address, 0);
    return 0;
}

int breakClearCommand(CommandArgs& args)
{
    if (args.argc != 1) {
        std::printf("Invalid parameters\n");
        return 0;
    }
    uint32_t slot = evalExpression(args.first);
    if (exprError || slot > 1) {
        std::printf("Invalid breakpoint %s\n", args.first);
        return 0;
    }
    clearBreakpoint(static_cast<int>(slot));
    return 0;
}
