// The command loop: the command table, the splitting of a line into a command
// and its arguments, and the repeat-on-Enter rule.
#pragma once

constexpr int kLineCapacity = 128;  // at most 127 characters
constexpr int kNoCommand = 18;
constexpr int kQuitCommand = 15;

struct CommandEntry {
    int index;
    const char* name;  // nullptr ends the table
};
extern const CommandEntry commandTable[];

// The index of the command named by token (compared exactly), or kNoCommand.
int lookupCommand(const char* token);

struct ParsedLine {
    char text[kLineCapacity];  // the line, cut into tokens in place
    int command;
    int argc;            // 0 to 4; 4 means four or more
    char* first;         // points into text, or at an empty text
    char* second;
};

// Cuts line (at most 127 characters) into the command and its arguments.
void parseLine(const char* line, ParsedLine* parsed);

// Outcome of a flash command whose arguments were refused before anything was sent.
constexpr int kNotSent = -1000;

// What an empty line will stand for after command ran with outcome (the
// handler's result; for G the stop status): nullptr leaves repeatLine as it is.
const char* repeatTextFor(int command, int outcome);

// Runs one parsed command; its outcome for repeatTextFor.
int dispatchCommand(ParsedLine* parsed);

// Shows the prompt and runs lines until Q or the end of console input.
void commandLoop();
