#include "shell/command_loop.h"

#include <cstdio>
#include <cstring>

#include "commands/command_line.h"
#include "shell/console.h"
#include "shell/run_console.h"

static_assert(INPUT_END == kLineInputEnd, "the commands read the console's lines as it gives them");

void commandLoop()
{
    setLineReader(inputLine);
    installRunConsole();
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
        if (isQuitCommand(parsed.command))
            return;
    }
}
