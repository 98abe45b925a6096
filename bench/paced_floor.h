// What this machine itself adds to a lock-step exchange over a pseudo-terminal
// held to a baud rate, with no protocol code on either side: a child answers
// each request the moment its bytes and the reply's would have crossed the
// line (sleeping, then polling through the last 300 us, as quillsim's pacer
// does), and this process only writes, polls and reads. The paced benchmarks
// print it beside their own figures, so that their distance from the wire
// bound can be told apart from the cost of the pty hand-over and of waking a
// process on this machine.
#pragma once

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

#include "sim/line_pacer.h"

namespace paced_floor {

using quill::monotonicNs;

inline void sleepNs(int64_t ns)
{
    timespec t {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    nanosleep(&t, nullptr);
}

// The child's side: each request of requestBytes is answered with replyBytes
// once both have crossed, counted from the moment the request was read.
[[noreturn]] inline void answer(int fd, int requestBytes, int replyBytes, int64_t byteNs)
{
    uint8_t buffer[256] = {};
    int held = 0;
    for (;;) {
        pollfd p {fd, POLLIN, 0};
        poll(&p, 1, -1);
        int64_t start = monotonicNs();
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            _exit(0);
        held += static_cast<int>(n);
        if (held < requestBytes)
            continue;
        held = 0;
        const int64_t due = start + (requestBytes + replyBytes) * byteNs;
        if (due - monotonicNs() > 300000)
            sleepNs(due - monotonicNs() - 300000);
        while (monotonicNs() < due) { }
        if (write(fd, buffer, static_cast<size_t>(replyBytes)) != replyBytes)
            _exit(0);
    }
}

// Microseconds per exchange above the wire time, over count exchanges of
// requestBytes out and replyBytes back at baud (0: an unpaced line, so the
// whole round trip); -1 when the pty failed.
inline double excessUs(int requestBytes, int replyBytes, long baud, int count)
{
    const int64_t byteNs = baud > 0 ? 10 * 1000000000LL / baud : 0;
    int master = -1;
    int slave = -1;
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        return -1;
    pid_t child = fork();
    if (child == 0) {
        close(slave);
        answer(master, requestBytes, replyBytes, byteNs);
    }
    close(master);
    uint8_t request[256] = {};
    uint8_t reply[256];
    int64_t start = monotonicNs();
    int done = 0;
    for (; child > 0 && done < count; ++done) {
        if (write(slave, request, static_cast<size_t>(requestBytes)) != requestBytes)
            break;
        int got = 0;
        while (got < replyBytes) {
            pollfd p {slave, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            ssize_t n = read(slave, reply, sizeof reply);
            if (n <= 0)
                break;
            got += static_cast<int>(n);
        }
        if (got < replyBytes)
            break;
    }
    double elapsedNs = static_cast<double>(monotonicNs() - start);
    close(slave);
    if (child > 0) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    if (done < count)
        return -1;
    return (elapsedNs / count - static_cast<double>((requestBytes + replyBytes) * byteNs)) / 1000.0;
}

} // namespace paced_floor
