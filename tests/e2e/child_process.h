// Running the real programs for end-to-end tests: on a pseudo-terminal as a
// user would, or with a script on a pipe. Every wait has a deadline, so a
// program that hangs fails the test instead of stopping the run.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct Child {
    pid_t pid = -1;
    int fd = -1;      // the terminal's master side, or the read end of the output pipe
    std::string out;  // everything the program printed so far
    int status = -1;  // exit status once it ended, -1 before
    ~Child();
};

// argv[0] is the program path; env entries ("NAME=value") are added to the environment.
bool startOnTerminal(Child* child, const std::vector<std::string>& argv, const std::vector<std::string>& env);
// stdin is a pipe holding script (then closed); stdout and stderr go to a pipe.
bool startWithScript(Child* child, const std::vector<std::string>& argv, const std::string& script,
                     const std::vector<std::string>& env);

// quillsim --pty with options; the device it serves, or "" when it printed
// none within seconds. Its later output, errors included, lands in board->out.
std::string startQuillsim(Child* board, const std::vector<std::string>& options = {});

// Reads until needle appears in the output at or after position from; false at the deadline.
bool readUntil(Child* child, const std::string& needle, int deadlineMs, size_t from = 0);
void sendText(Child* child, const std::string& text);
// The exit status, or -1 when the program did not end by the deadline (it is then killed).
int waitExit(Child* child, int deadlineMs);
