// The R command: the register display, one register shown, one set.
#include "commands/register_commands.h"

#include <cstdio>

#include "commands/handlers.h"
#include "disasm/listing.h"
#include "expr/expression.h"
#include "target/memory.h"
#include "target/registers.h"

namespace {

// The display, in print order; SR comes last so its flags follow the PC.
struct DisplayItem {
    int number;
    const char* format;
};
const DisplayItem displayTable[] = {
    {0, "R00:%08lX "},
    {1, "R01:%08lX "},
    {2, "R02:%08lX "},
    {3, "R03:%08lX\n"},
    {4, "R04:%08lX "},
    {5, "R05:%08lX "},
    {6, "R06:%08lX "},
    {7, "R07:%08lX\n"},
    {8, "R08:%08lX "},
    {9, "R09:%08lX "},
    {10, "R10:%08lX "},
    {11, "R11:%08lX\n"},
    {12, "R12:%08lX "},
    {13, "R13:%08lX "},
    {14, "R14:%08lX "},
    {REG_SP, "SP: %08lX\n"},
    {REG_GBR, "GBR:%08lX "},
    {REG_VBR, "VBR:%08lX "},
    {REG_MACH, "MAC:%08lX "},
    {REG_MACL, ":%08lX "},
    {REG_PR, "PR :%08lX\n"},
    {REG_PC, "PC :%08lX "},
    {-1, nullptr},
};

// A failed read has printed its message and shows as FFFFFFFF.
uint32_t registerValue(int number)
{
    uint32_t value;
    readReg(number, &value);
    return value;
}

} // namespace

void dumpReg()
{
    for (const DisplayItem* item = displayTable; item->format != nullptr; ++item)
        std::printf(item->format, static_cast<unsigned long>(registerValue(item->number)));
    char text[kSRTextSize];
    formatSR(registerValue(REG_SR), text);
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
    uint32_t value = registerValue(number);
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

int registerCommand(CommandArgs& args)
{
    if (args.argc == 0) {
        dumpReg();
        listLine(registerValue(REG_PC));
    } else if (args.argc == 1) {
        showReg(args.first);
    } else {
        uint32_t value = 0;
        if (evalArgument(args.second, "Invalid value %s\n", &value))
            setReg(args.first, value);
    }
    return 0;
}
