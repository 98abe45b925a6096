// The command language: a typed line cut into a command and its arguments,
// the table of commands, and what an empty line repeats afterwards.
#pragma once

constexpr int kLineCapacity = 128; // at most 127 characters

// The argument texts of one command; first and second are never nullptr
// (an empty text when absent) and may be changed in place by the handler.
struct CommandArgs {
    int argc; // 0 to 4; 4 means four or more
    char* first;
    char* second;
};

// 0 on success, negative when refused or failed; for G the stop status.
using CommandHandler = int (*)(CommandArgs& args);

// What an empty line stands for after the command ran.
enum RepeatRule {
    REPEAT_KEEP, // whatever it stood for before
    REPEAT_ALWAYS, // the row's repeat text
    REPEAT_ON_SUCCESS, // the row's text after success, nothing after a failure
    REPEAT_UNLESS_REFUSED, // the row's text, but a refused command (negative) keeps the old
    REPEAT_AFTER_STOP, // G: "g" after an abort, "s" after a break, otherwise nothing
};

struct CommandRow {
    const char* name; // nullptr ends the table
    CommandHandler handler;
    RepeatRule repeat;
    const char* repeatText;
    const char* helpCp932; // the HELP line in each code page; nullptr for another name of the row before
    const char* helpUtf8;
};
extern const CommandRow commandTable[];

// The row named by name (compared exactly), or nullptr.
const CommandRow* lookupCommand(const char* name);

struct ParsedLine {
    char text[kLineCapacity]; // the line, cut into tokens in place
    const CommandRow* command; // nullptr: no such command
    CommandArgs args;
};

// Cuts line (at most 127 characters) into the command and its arguments.
void parseLine(const char* line, ParsedLine* parsed);

// Runs one parsed command ("Unknown Command" when there is none); its outcome.
int dispatchCommand(ParsedLine* parsed);

// What an empty line will stand for after command ran with outcome:
// nullptr leaves it as it is.
const char* repeatTextFor(const CommandRow* command, int outcome);

// True for the row that ends the command loop.
bool isQuitCommand(const CommandRow* command);

// Where a command that asks for more lines (the interactive write) reads them:
// the shell's console input, installed by the command loop. Without one, input
// has ended.
using LineReader = int (*)(char* buffer, int capacity);
constexpr int kLineInputEnd = -1; // a LineReader's result at the end of input; other negatives: refused
void setLineReader(LineReader reader);
int readCommandLine(char* buffer, int capacity);
