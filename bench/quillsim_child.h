// Runs quillsim --pty as a child process for the benchmarks that measure the
// real serial path, and learns the device it serves.
#pragma once

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

// Keeps this process, and the quillsim it starts next, on one core (true),
// or lets both use every core again (false). Taking turns on one core that
// stays awake, the two hand each frame over at once; on two cores each turn
// may first wait for an idle core to wake, which on a virtual machine can
// cost more than the host's whole turn-around. The paced benchmarks report
// both: the link's own cost, and what this machine adds to it.
inline void shareOneCore(bool one)
{
#ifdef __linux__
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (one) {
        CPU_SET(sched_getcpu(), &cores);
    } else {
        for (int i = 0; i < CPU_SETSIZE; ++i)
            CPU_SET(i, &cores);
    }
    sched_setaffinity(0, sizeof cores, &cores);
#else
    (void)one;
#endif
}

class QuillsimChild {
public:
    // extra: one more option and its value for quillsim, e.g. "--baud", "115200".
    explicit QuillsimChild(const char* option = nullptr, const char* value = nullptr)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(BF_BINARY_DIR "/quillsim", "quillsim", "--pty", option, value, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
        // The first line quillsim prints is the device path.
        char c;
        while (pid_ > 0 && read(output_, &c, 1) == 1 && c != '\n')
            path_ += c;
    }
    ~QuillsimChild()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0)
            close(output_);
    }
    QuillsimChild(const QuillsimChild&) = delete;
    QuillsimChild& operator=(const QuillsimChild&) = delete;

    // Empty when quillsim could not be started or printed nothing.
    const std::string& path() const { return path_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string path_;
};
