#ifndef _WIN32

#include "sim/pty_server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace quill {

namespace {

// Signals only set flags and poke the pipe; the loop does the work.
volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t resetRequested = 0;
int wakePipe[2] = {-1, -1};

void onSignal(int sig)
{
    int saved = errno;
    if (sig == SIGUSR1)
        resetRequested = 1;
    else
        stopRequested = 1;
    char c = 0;
    ssize_t ignored = write(wakePipe[1], &c, 1);
    (void)ignored;
    errno = saved;
}

bool installSignals()
{
    if (pipe(wakePipe) != 0)
        return false;
    for (int fd : wakePipe)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

void drainWakePipe()
{
    char buf[64];
    while (read(wakePipe[0], buf, sizeof buf) > 0) {
    }
}

// Raw on the slave side: no echo, no line editing, no CR/LF rewriting, no
// signal characters; every byte passes as it is. The setting stays with the
// pseudo-terminal after this descriptor is closed.
bool makeSlaveRaw(const char* path)
{
    int fd = open(path, O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    struct termios t;
    bool ok = tcgetattr(fd, &t) == 0;
    if (ok) {
        cfmakeraw(&t);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        ok = tcsetattr(fd, TCSANOW, &t) == 0;
    }
    close(fd);
    return ok;
}

// Nobody holds the slave open: the master reports a hang-up.
bool hostAbsent(int master)
{
    struct pollfd p{master, 0, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

bool makeLink(const char* linkPath, const char* device)
{
    struct stat st;
    // Replace a link left by an earlier run, never a real file.
    if (lstat(linkPath, &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            fprintf(stderr, "quillsim: %s exists and is not a symbolic link\n", linkPath);
            return false;
        }
        unlink(linkPath);
    }
    if (symlink(device, linkPath) != 0) {
        fprintf(stderr, "quillsim: cannot link %s: %s\n", linkPath, strerror(errno));
        return false;
    }
    return true;
}

// Writes what the board has for the host, as far as the pseudo-terminal takes it.
void flushToHost(Board& board, int master)
{
    ByteQueue& q = board.line().toHost;
    while (!q.empty()) {
        ssize_t n = write(master, q.front(), q.size());
        if (n <= 0)
            return;
        q.drop(static_cast<size_t>(n));
    }
}

class Server {
public:
    Server(Board& board, int master, bool once) : board_(board), master_(master), once_(once) {}

    void run()
    {
        while (!stopRequested) {
            if (resetRequested) {
                resetRequested = 0;
                board_.reset();
            }
            if (!connected_) {
                waitForHost();
                continue;
            }
            if (!serveOnce())
                connected_ = false;
            if (!connected_) {
                board_.hostConnected();
                if (once_)
                    return;
            }
        }
    }

private:
    // A hung-up master polls readable forever, so while nobody holds the line
    // the loop looks for a host every few milliseconds instead of spinning.
    void waitForHost()
    {
        if (!hostAbsent(master_)) {
            connected_ = true;
            board_.hostConnected();
            return;
        }
        struct pollfd p{wakePipe[0], POLLIN, 0};
        if (poll(&p, 1, kHostLookMs) > 0)
            drainWakePipe();
    }

    // One wait for the host, a signal or the frame time-out; false when the host has gone.
    bool serveOnce()
    {
        struct pollfd p[2] = {
            {master_, static_cast<short>(POLLIN | (board_.pendingToHost() ? POLLOUT : 0)), 0},
            {wakePipe[0], POLLIN, 0},
        };
        int timeout = board_.monitor().assembling() ? kFrameSilenceMs : -1;
        int n = poll(p, 2, timeout);
        if (n < 0)
            return errno == EINTR;
        if (n == 0) {
            board_.idle(kFrameSilenceMs);
            return true;
        }
        if (p[1].revents & POLLIN)
            drainWakePipe();
        if (p[0].revents & POLLIN) {
            uint8_t buf[4096];
            ssize_t got = read(master_, buf, sizeof buf);
            if (got < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            if (got > 0)
                board_.receiveFromHost(buf, static_cast<size_t>(got));
        } else if (p[0].revents & (POLLHUP | POLLERR)) {
            return false;
        }
        flushToHost(board_, master_);
        return true;
    }

    static constexpr int kHostLookMs = 5;

    Board& board_;
    int master_;
    bool once_;
    bool connected_ = false;
};

}  // namespace

int servePty(Board& board, const PtyOptions& options)
{
    if (!installSignals()) {
        perror("quillsim: pipe");
        return 1;
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        perror("quillsim: pseudo-terminal");
        return 1;
    }
    const char* name = ptsname(master);
    if (name == nullptr || !makeSlaveRaw(name)) {
        perror("quillsim: pseudo-terminal slave");
        close(master);
        return 1;
    }
    char device[256];
    snprintf(device, sizeof device, "%s", name);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    if (options.linkPath != nullptr && !makeLink(options.linkPath, device)) {
        close(master);
        return 1;
    }
    printf("%s\n", device);
    fflush(stdout);

    Server(board, master, options.once).run();

    if (options.linkPath != nullptr)
        unlink(options.linkPath);
    close(master);
    return 0;
}

}  // namespace quill

#endif
