// Splitting a typed line into a command and its arguments, running it, and
// the repeat-on-Enter rule.
#include "commands/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "target/run_control.h"

namespace {

char gEmptyText[1] = "";
LineReader gLineReader = nullptr;

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

} // namespace

const CommandRow* lookupCommand(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return nullptr;
    for (const CommandRow* row = commandTable; row->name != nullptr; ++row)
        if (std::strcmp(row->name, name) == 0)
            return row;
    return nullptr;
}

void parseLine(const char* line, ParsedLine* parsed)
{
    std::snprintf(parsed->text, sizeof parsed->text, "%s", line);
    parsed->command = nullptr;
    parsed->args = CommandArgs {0, gEmptyText, gEmptyText};
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
            parsed->args.first = token;
        else if (n == 2)
            parsed->args.second = token;
        parsed->args.argc = n;
    }
}

int dispatchCommand(ParsedLine* parsed)
{
    if (parsed->command == nullptr) {
        std::printf("Unknown Command\n");
        return 0;
    }
    return parsed->command->handler(parsed->args);
}

const char* repeatTextFor(const CommandRow* command, int outcome)
{
    if (command == nullptr)
        return nullptr;
    switch (command->repeat) {
    case REPEAT_ALWAYS:
        return command->repeatText;
    case REPEAT_ON_SUCCESS:
        return outcome == 0 ? command->repeatText : "";
    case REPEAT_UNLESS_REFUSED:
        return outcome < 0 ? nullptr : command->repeatText;
    case REPEAT_AFTER_STOP:
        return outcome == kStopAbort ? "g" : outcome == kStopBreak ? "s" : "";
    case REPEAT_KEEP:
        break;
    }
    return nullptr;
}

void setLineReader(LineReader reader)
{
    gLineReader = reader;
}

int readCommandLine(char* buffer, int capacity)
{
    return gLineReader != nullptr ? gLineReader(buffer, capacity) : kLineInputEnd;
}
