#include "child_process.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void execChild(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    for (const std::string& e : env)
        putenv(strdup(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(strdup(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Reads what is there within ms; false at end of output.
bool readSome(Child* child, int ms)
{
    if (child->fd < 0)
        return false;
    pollfd p {child->fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0)
        return true;
    char buffer[4096];
    ssize_t n = read(child->fd, buffer, sizeof buffer);
    if (n <= 0) {
        // A terminal's master reports EIO once the program has gone.
        close(child->fd);
        child->fd = -1;
        return false;
    }
    child->out.append(buffer, static_cast<size_t>(n));
    return true;
}

int msLeft(Clock::time_point end)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Child::~Child()
{
    if (pid > 0 && status < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (fd >= 0)
        close(fd);
}

bool startOnTerminal(Child* child, const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    child->pid = forkpty(&child->fd, nullptr, nullptr, nullptr);
    if (child->pid == 0)
        execChild(argv, env);
    return child->pid > 0;
}

bool startWithScript(
    Child* child, const std::vector<std::string>& argv, const std::string& script, const std::vector<std::string>& env)
{
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return false;
    child->pid = fork();
    if (child->pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        close(in[0]), close(in[1]), close(out[0]), close(out[1]);
        execChild(argv, env);
    }
    close(in[0]);
    close(out[1]);
    child->fd = out[0];
    // Scripts in these tests are small enough for the pipe's buffer. A program
    // that ends before reading its script must not take the test down with it.
    signal(SIGPIPE, SIG_IGN);
    ssize_t written = write(in[1], script.data(), script.size());
    close(in[1]);
    return child->pid > 0 && (written == static_cast<ssize_t>(script.size()) || errno == EPIPE);
}

std::string startQuillsim(Child* board, const std::vector<std::string>& options)
{
    std::vector<std::string> argv = {BF_BINARY_DIR "/quillsim", "--pty"};
    argv.insert(argv.end(), options.begin(), options.end());
    if (!startWithScript(board, argv, "", {}) || !readUntil(board, "\n", 5000))
        return "";
    return board->out.substr(0, board->out.find_first_of("\r\n"));
}

bool readUntil(Child* child, const std::string& needle, int deadlineMs, size_t from)
{
    auto end = Clock::now() + std::chrono::milliseconds(deadlineMs);
    while (child->out.find(needle, from) == std::string::npos)
        if (msLeft(end) == 0 || !readSome(child, std::min(msLeft(end), 50)))
            return child->out.find(needle, from) != std::string::npos;
    return true;
}

void sendText(Child* child, const std::string& text)
{
    if (child->fd >= 0 && write(child->fd, text.data(), text.size()) < 0)
        return;
}

int waitExit(Child* child, int deadlineMs)
{
    auto end = Clock::now() + std::chrono::milliseconds(deadlineMs);
    for (;;) {
        readSome(child, 20);
        int raw = 0;
        if (waitpid(child->pid, &raw, WNOHANG) == child->pid) {
            // Whatever is still buffered belongs to the transcript.
            for (int i = 0; i < 40 && child->fd >= 0; ++i)
                readSome(child, 50);
            return child->status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        if (msLeft(end) == 0) {
            kill(child->pid, SIGKILL);
            waitpid(child->pid, nullptr, 0);
            child->status = -2;
            return -1;
        }
    }
}

void TerminalSession::startBoard(const std::vector<std::string>& options)
{
    port = startQuillsim(&board, options);
    ASSERT_FALSE(port.empty()) << "quillsim printed no device path: " << board.out;
}

void TerminalSession::startDebugger(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {BF_BINARY_DIR "/brackenfell", "-c", port};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(startOnTerminal(&bf, argv, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, std::string(68, '*') + kPrompt, kDeadlineMs)) << bf.out;
}

std::string TerminalSession::type(const std::string& keys, const std::string& needle, int deadlineMs)
{
    const size_t from = bf.out.size();
    sendText(&bf, keys);
    EXPECT_TRUE(readUntil(&bf, needle, deadlineMs, from)) << "after " << testing::PrintToString(keys) << ":\n"
                                                          << bf.out.substr(from);
    return bf.out.substr(from);
}

std::string TerminalSession::press(int signal, const std::string& needle)
{
    const size_t from = bf.out.size();
    EXPECT_EQ(kill(board.pid, signal), 0);
    EXPECT_TRUE(readUntil(&bf, needle, kDeadlineMs, from)) << bf.out.substr(from);
    return bf.out.substr(from);
}

void TerminalSession::quit()
{
    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

void TerminalSession::setUpLoop()
{
    for (const char* line : {"ww ffffa800 affe\r", "ww ffffa802 9\r", "r pc ffffa800\r", "r sp ffffb000\r"})
        type(line);
}
