// Running the real programs for end-to-end tests: on a pseudo-terminal as a
// user would, or with a script on a pipe. Every wait has a deadline, so a
// program that hangs fails the test instead of stopping the run.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct Child {
    pid_t pid = -1;
    int fd = -1; // the terminal's master side, or the read end of the output pipe
    std::string out; // everything the program printed so far
    int status = -1; // exit status once it ended, -1 before
    ~Child();
};

constexpr int kDeadlineMs = 5000;
const std::string kPrompt = "\r\n>";
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};

// argv[0] is the program path; env entries ("NAME=value") are added to the environment.
bool startOnTerminal(Child* child, const std::vector<std::string>& argv, const std::vector<std::string>& env);
// stdin is a pipe holding script (then closed); stdout and stderr go to a pipe.
bool startWithScript(
    Child* child, const std::vector<std::string>& argv, const std::string& script, const std::vector<std::string>& env);
// quillsim --pty with options; the device it serves, or "" when it printed
// none within seconds. Its later output, errors included, lands in board->out.
std::string startQuillsim(Child* board, const std::vector<std::string>& options = {});

// Reads until needle appears in the output at or after position from; false at the deadline.
bool readUntil(Child* child, const std::string& needle, int deadlineMs, size_t from = 0);
void sendText(Child* child, const std::string& text);
// The exit status, or -1 when the program did not end by the deadline (it is then killed).
int waitExit(Child* child, int deadlineMs);

// The debugger on a terminal, on the in-process board or on quillsim's device.
class TerminalSession : public testing::Test {
protected:
    void startBoard(const std::vector<std::string>& options = {});
    // Started with args; waits for its first prompt.
    void startDebugger(const std::vector<std::string>& args = {});
    // Keys typed; what shows from then on once needle has.
    std::string type(const std::string& keys, const std::string& needle = kPrompt, int deadlineMs = kDeadlineMs);
    // A switch on quillsim's board (SIGUSR1 reset, SIGUSR2 abort); what shows once needle has.
    std::string press(int signal, const std::string& needle);
    void quit();
    // A program for G and S that runs until stopped: a branch to itself in
    // RAM, with PC and SP set to run it.
    void setUpLoop();

    Child board, bf; // killed when the test ends
    std::string port = "sim";
};
