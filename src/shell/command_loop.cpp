#include "shell/command_loop.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "disasm/listing.h"
#include "expr/expression.h"
#include "flash/flash.h"
#include "shell/console.h"
#include "target/breakpoints.h"
#include "target/memory_commands.h"
#include "target/registers.h"
#include "target/run_control.h"

const CommandEntry commandTable[] = {
    {0, "DB"},  {1, "DW"},  {2, "DL"},   {3, "WB"},    {4, "WW"}, {5, "WL"},  {6, "DA"},
    {7, "R"},   {8, "G"},   {9, "S"},    {10, "BS"},   {11, "BC"}, {12, "FE"}, {13, "FW"},
    {14, "LO"}, {15, "Q"},  {16, "USR"}, {17, "HELP"}, {17, "H"}, {kNoCommand, nullptr},
};

namespace {

enum Command {
    DB = 0, DW, DL, WB, WW, WL, DA, R, G, S, BS, BC, FE, FW, LO, Q, USR, HELP,
};

constexpr int kStopAbort = 11;
constexpr int kStopBreak = 12;

bool isDelimiter(char c)
{
    return c == ' ' || c == ',' || c == '\t' || c == '\n';
}

// The next token of the line, terminated in place; nullptr at the end.
char* nextToken(char** cursor)
{
    char* p = *cursor;
    while (*p && isDelimiter(*p))
        ++p;
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char* token = p;
    while (*p && !isDelimiter(*p))
        ++p;
    if (*p)
        *p++ = '\0';
    *cursor = p;
    return token;
}

int unitSize(int command)
{
    static const int sizes[] = {1, 2, 4};
    return sizes[command % 3];
}

char gEmptyText[1] = "";

void registerCommand(ParsedLine* parsed)
{
    if (parsed->argc == 0) {
        dumpReg();
        listLine(readReg(REG_PC));
    } else if (parsed->argc == 1) {
        showReg(parsed->first);
    } else {
        uint32_t value = 0;
        if (evalArgument(parsed->second, "Invalid value %s\n", &value))
            setReg(parsed->first, value);
    }
}

}  // namespace

int lookupCommand(const char* token)
{
    if (token == nullptr || token[0] == '\0')
        return kNoCommand;
    for (const CommandEntry* e = commandTable; e->name != nullptr; ++e)
        if (std::strcmp(e->name, token) == 0)
            return e->index;
    return kNoCommand;
}

void parseLine(const char* line, ParsedLine* parsed)
{
    std::snprintf(parsed->text, sizeof parsed->text, "%s", line);
    parsed->command = kNoCommand;
    parsed->argc = 0;
    parsed->first = gEmptyText;
    parsed->second = gEmptyText;
    char* cursor = parsed->text;
    char* name = nextToken(&cursor);
    if (name == nullptr)
        return;
    for (char* p = name; *p; ++p)
        *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    parsed->command = lookupCommand(name);
    // The third and fourth arguments are only counted; anything after them is not looked at.
    for (int n = 1; n <= 4; ++n) {
        char* token = nextToken(&cursor);
        if (token == nullptr)
            break;
        if (n == 1)
            parsed->first = token;
        else if (n == 2)
            parsed->second = token;
        parsed->argc = n;
    }
}

const char* repeatTextFor(int command, int outcome)
{
    static const char* const names[] = {"DB", "DW", "DL", "WB", "WW", "WL", "DA"};
    switch (command) {
    case DB: case DW: case DL: case WB: case WW: case WL: case DA:
        return outcome == 0 ? names[command] : "";
    case R:
        return "r";
    case G:
        return outcome == kStopAbort ? "g" : outcome == kStopBreak ? "s" : "";
    case S:
        return outcome == 0 ? "s" : "";
    case BS:
        return outcome < 0 ? nullptr : "bs";
    case FE: case FW:
        return outcome == kNotSent ? nullptr : "";
    default:
        return nullptr;
    }
}

int dispatchCommand(ParsedLine* parsed)
{
    int argc = parsed->argc;
    char* first = parsed->first;
    char* second = parsed->second;
    switch (parsed->command) {
    case DB: case DW: case DL:
        return dumpCommand(argc, first, second, unitSize(parsed->command));
    case WB: case WW: case WL:
        return writeCommand(argc, first, second, unitSize(parsed->command));
    case DA:
        return disasmCommand(argc, first, second);
    case R:
        registerCommand(parsed);
        return 0;
    case G:
        return goTarget();
    case S:
        return stepTarget(argc, first);
    case BS:
        return breakSetCommand(argc, first, second);
    case BC:
        if (argc == 1)
            breakClearCommand(first);
        else
            std::printf("Invalid parameters\n");
        return 0;
    case FE:
        if (argc != 1) {
            std::printf("No effective parameter(s)\n");
            return kNotSent;
        }
        return flashEraseCommand(first) ? 0 : kNotSent;
    case FW:
        if (argc != 2) {
            std::printf("Error FlashROM address missing\n");
            return kNotSent;
        }
        return flashWriteCommand(first, second) ? 0 : kNotSent;
    case LO:
        if (loadMOT(first))
            std::printf("Finished to load %s\n", first);
        else
            std::printf("Error loading %s\n", first);
        return 0;
    case Q:
        return 0;
    case USR:
        std::printf("Precede user program execution. Write flag.\n");
        if (writeUserFlag())
            std::printf("Succeed.\n");
        else
            std::printf("Fail to write flag.\n");
        return 0;
    case HELP:
        showHelp();
        return 0;
    default:
        std::printf("Unknown Command\n");
        return 0;
    }
}

void commandLoop()
{
    char input[kLineCapacity];
    char repeatLine[kLineCapacity] = "";
    // Kept apart from the input buffer: an empty line with no repeat text runs
    // the previous command again with the very same argument texts.
    ParsedLine parsed;
    parseLine("", &parsed);
    for (;;) {
        showPrompt(">");
        int length = inputLine(input, sizeof input);
        if (length == INPUT_END) {
            // Ends like Q; the shell's own prompt then starts on a fresh line.
            std::printf("\n");
            return;
        }
        if (length == INPUT_TOO_LONG)
            continue;
        if (input[0] == '\0')
            std::memcpy(input, repeatLine, sizeof input);
        if (input[0] != '\0')
            parseLine(input, &parsed);
        int outcome = dispatchCommand(&parsed);
        if (const char* text = repeatTextFor(parsed.command, outcome))
            std::snprintf(repeatLine, sizeof repeatLine, "%s", text);
        std::fflush(stdout);
        if (parsed.command == kQuitCommand)
            return;
    }
}
