#ifndef _WIN32

#include "sim/pty_server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "sim/host_watch.h"
#include "sim/line_faults.h"
#include "sim/line_pacer.h"

namespace quill {

namespace {

// Signals only set flags and poke the pipe; the loop does the work.
volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t resetRequested = 0;
volatile sig_atomic_t abortRequested = 0;
int wakePipe[2] = {-1, -1};

void onSignal(int sig)
{
    int saved = errno;
    if (sig == SIGUSR1)
        resetRequested = 1;
    else if (sig == SIGUSR2)
        abortRequested = 1;
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
    sigaction(SIGUSR1, &sa, nullptr);
    sigaction(SIGUSR2, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

void drainFd(int fd)
{
    char buf[256];
    while (read(fd, buf, sizeof buf) > 0) {
    }
}

// Raw: no echo, no line editing, no CR/LF rewriting, no signal or flow
// control characters; every byte passes as it is.
bool makeRaw(int fd)
{
    struct termios t;
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0;
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

class Server {
public:
    Server(Board& board, int master, int slave, HostWatch& watch, bool once, LinePacer* pacer, LineFaults* faults,
           int faultFd)
        : board_(board), master_(master), slave_(slave), watch_(watch), once_(once), pacer_(pacer), faults_(faults),
          faultFd_(faultFd)
    {
    }

    void run()
    {
        while (!stopRequested) {
            if (resetRequested) {
                resetRequested = 0;
                board_.reset();
            }
            if (abortRequested) {
                abortRequested = 0;
                board_.abortSwitch();
            }
            if (!serveOnce() || faults_->hungUp())
                return;
        }
    }

private:
    // One wait for the host, a signal, a host coming or going, or the frame
    // time-out; while a program runs the wait only looks, and a CPU slice
    // follows. False when the server is to stop.
    bool serveOnce()
    {
        // Paced, bytes for the host wait for their time, not for the device.
        const size_t pending = board_.pendingToHost() + faults_->pendingToHost();
        bool sending = watch_.present() && pending > 0 && (!pacer_ || pacer_->blocked());
        bool taking = !pacer_ || pacer_->wantsInput();
        // A descriptor of -1 is not watched.
        struct pollfd p[4] = {
            {master_, static_cast<short>((taking ? POLLIN : 0) | (sending ? POLLOUT : 0)), 0},
            {wakePipe[0], POLLIN, 0},
            {watch_.fd(), POLLIN, 0},
            {faultFd_, POLLIN, 0},
        };
        bool busy = board_.busy();
        int64_t timeout = busy ? 0 : board_.monitor().assembling() ? static_cast<int64_t>(kFrameSilenceMs) * 1000000 : -1;
        if (pacer_)
            timeout = pacer_->timeout(monotonicNs(), timeout);
        int n = pollNs(p, 4, timeout);
        if (n < 0)
            return errno == EINTR;
        if (busy)
            board_.advance(0);
        if (n == 0 && !pacer_) {
            if (!busy)
                board_.advance(kFrameSilenceMs);
            return flush();
        }
        if (p[1].revents & POLLIN)
            drainFd(wakePipe[0]);
        if (p[3].revents & POLLIN)
            readFaults();
        // Arrivals and departures first: bytes a new host has already sent
        // must not be taken for the end of the old host's frame.
        if (p[2].revents & POLLIN) {
            bool was = watch_.present();
            if (watch_.update()) {
                if (!hostLeft())
                    return false;
            } else if (!was && watch_.present()) {
                board_.hostConnected();
            }
        }
        if (p[0].revents & POLLIN) {
            uint8_t buf[4096];
            ssize_t got = read(master_, buf, sizeof buf);
            if (got > 0)
                got = static_cast<ssize_t>(faults_->fromHost(buf, static_cast<size_t>(got), board_));
            if (got > 0 && pacer_)
                pacer_->received(buf, static_cast<size_t>(got), monotonicNs());
            else if (got > 0)
                board_.receiveFromHost(buf, static_cast<size_t>(got));
            else if (got < 0 && errno != EAGAIN && errno != EINTR)
                return false;
        }
        if (pacer_)
            pacer_->deliver(board_, monotonicNs());
        return flush();
    }

    // The line was let go: forget the last host's conversation and put the
    // device back as the next host expects to find it. False with once.
    bool hostLeft()
    {
        if (once_)
            return false;
        // The host may have set exclusive use; left in place it would lock
        // every later host out with EBUSY while this end stays open.
        ioctl(slave_, TIOCNXCL);
        // A host that has already come back may have set the line up its
        // own way; only an empty line is put back to raw.
        if (!watch_.present())
            makeRaw(slave_);
        // Replies the host never read. Nothing is written between the next
        // host's open and this point, so none of its replies can be lost here.
        // What the old host sent and this end has not read yet is left alone:
        // it cannot be told apart from a new host's first request, and a
        // half frame of it is dropped at the next host's arrival or after
        // the silence time-out.
        tcflush(slave_, TCIFLUSH);
        board_.hostConnected();
        return true;
    }

    // Writes what the board has for the host, as far as the pseudo-terminal
    // takes it; with nobody on the line it goes nowhere.
    bool flush()
    {
        ByteQueue& q = faults_->toHost(board_);
        if (!watch_.present()) {
            q.clear();
            return true;
        }
        size_t allowed = pacer_ ? pacer_->sendable(q.size(), monotonicNs()) : q.size();
        size_t written = 0;
        bool ok = true;
        while (written < allowed) {
            ssize_t n = write(master_, q.front(), allowed - written);
            if (n <= 0) {
                ok = n == 0 || errno == EAGAIN || errno == EINTR;
                break;
            }
            q.drop(static_cast<size_t>(n));
            written += static_cast<size_t>(n);
        }
        if (pacer_)
            pacer_->sent(written);
        return ok;
    }

    Board& board_;
    int master_;
    int slave_;
    HostWatch& watch_;
    bool once_;
    LinePacer* pacer_;
    LineFaults* faults_;
    int faultFd_;
    std::string faultText_;

    // Lines from the fault FIFO; each one that parses sets the fault.
    void readFaults()
    {
        char buf[256];
        ssize_t got;
        while ((got = read(faultFd_, buf, sizeof buf)) > 0)
            faultText_.append(buf, static_cast<size_t>(got));
        size_t end;
        while ((end = faultText_.find('\n')) != std::string::npos) {
            std::string line = faultText_.substr(0, end);
            faultText_.erase(0, end + 1);
            FaultSetting setting;
            if (parseFault(line.c_str(), &setting))
                faults_->set(setting);
            else
                fprintf(stderr, "quillsim: unknown fault %s\n", line.c_str());
        }
    }
};

// The FIFO is held open for writing too, so that it never reads as ended
// (and wakes the loop for nothing) while no writer has it open.
int openFaultFifo(const char* path)
{
    struct stat st;
    if (lstat(path, &st) != 0 && mkfifo(path, 0600) != 0) {
        fprintf(stderr, "quillsim: cannot make %s: %s\n", path, strerror(errno));
        return -1;
    }
    if (lstat(path, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        fprintf(stderr, "quillsim: %s is not a FIFO\n", path);
        return -1;
    }
    return open(path, O_RDWR | O_NONBLOCK);
}

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
    char device[256];
    const char* name = ptsname(master);
    snprintf(device, sizeof device, "%s", name != nullptr ? name : "");
    // This end keeps the slave open for the whole run: the pseudo-terminal
    // then never hangs up between hosts, and its settings can be put right
    // after each host.
    int slave = open(device, O_RDWR | O_NOCTTY);
    if (slave < 0 || !makeRaw(slave)) {
        perror("quillsim: pseudo-terminal slave");
        close(master);
        return 1;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    HostWatch watch;
    if (!watch.start(device)) {
        perror("quillsim: watching the device");
        return 1;
    }
    if (options.linkPath != nullptr && !makeLink(options.linkPath, device))
        return 1;
    printf("%s\n", device);
    fflush(stdout);

    LineFaults faults;
    FaultSetting setting;
    if (options.fault != nullptr) {
        if (!parseFault(options.fault, &setting)) {
            fprintf(stderr, "quillsim: unknown fault %s\n", options.fault);
            return 1;
        }
        faults.set(setting);
    }
    int faultFd = -1;
    if (options.faultFifo != nullptr && (faultFd = openFaultFifo(options.faultFifo)) < 0)
        return 1;

    std::unique_ptr<LinePacer> pacer;
    if (options.baud > 0)
        pacer = std::make_unique<LinePacer>(options.baud);
    Server(board, master, slave, watch, options.once, pacer.get(), &faults, faultFd).run();

    if (faultFd >= 0)
        close(faultFd);

    if (options.linkPath != nullptr)
        unlink(options.linkPath);
    close(slave);
    close(master);
    return 0;
}

}  // namespace quill

#endif
