#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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
    pollfd p{child->fd, POLLIN, 0};
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

}  // namespace

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
    winsize size{};
    size.ws_row = 40;
    size.ws_col = 120;
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0)
        return false;
    if (pid == 0)
        execChild(argv, env);
    child->pid = pid;
    child->fd = master;
    return true;
}

bool startWithScript(Child* child, const std::vector<std::string>& argv, const std::string& script,
                     const std::vector<std::string>& env)
{
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        close(in[0]), close(in[1]), close(out[0]), close(out[1]);
        execChild(argv, env);
    }
    close(in[0]);
    close(out[1]);
    // Scripts in these tests are small enough for the pipe's buffer. A program
    // that ends before reading its script must not take the test down with it.
    signal(SIGPIPE, SIG_IGN);
    ssize_t written = write(in[1], script.data(), script.size());
    close(in[1]);
    child->pid = pid;
    child->fd = out[0];
    return written == static_cast<ssize_t>(script.size()) || script.empty() || errno == EPIPE;
}

bool readUntil(Child* child, const std::string& needle, int deadlineMs, size_t from)
{
    auto end = Clock::now() + std::chrono::milliseconds(deadlineMs);
    for (;;) {
        if (child->out.size() >= from && child->out.find(needle, from) != std::string::npos)
            return true;
        if (msLeft(end) == 0 || !readSome(child, msLeft(end) < 50 ? msLeft(end) : 50)) {
            return child->out.size() >= from && child->out.find(needle, from) != std::string::npos;
        }
    }
}

void readFor(Child* child, int ms)
{
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (msLeft(end) > 0 && readSome(child, msLeft(end)))
        ;
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
        pid_t done = waitpid(child->pid, &raw, WNOHANG);
        if (done == child->pid) {
            // Whatever is still buffered belongs to the transcript.
            for (int i = 0; i < 40 && child->fd >= 0; ++i)
                readSome(child, 50);
            child->status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return child->status;
        }
        if (msLeft(end) == 0) {
            kill(child->pid, SIGKILL);
            waitpid(child->pid, nullptr, 0);
            child->status = -2;
            return -1;
        }
    }
}

int countOf(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}
