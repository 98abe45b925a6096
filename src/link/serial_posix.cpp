// The serial port on Linux and macOS: a tty device in raw 8N1, non-blocking,
// held exclusively while the debugger runs.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/serial.h"
#include "link/serial_posix.h"

namespace {

struct BaudRow {
    long rate;  // 0 ends the table
    speed_t code;
};

const BaudRow baudTable[] = {
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
    {0, B0},
};

const BaudRow* findBaud(long rate)
{
    for (const BaudRow* row = baudTable; row->rate != 0; ++row)
        if (row->rate == rate)
            return row;
    return nullptr;
}

class PosixPort : public Port {
public:
    explicit PosixPort(int fd) : fd_(fd) {}
    ~PosixPort() override
    {
        ioctl(fd_, TIOCNXCL);
        close(fd_);  // also drops the flock
    }

    int available() override
    {
        if (gone_)
            return -1;
        if (head_ < tail_)
            return tail_ - head_;
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) < 0) {
            gone_ = true;
            return -1;
        }
        // An empty queue may also be a hung-up device: the wait that follows
        // every empty poll notices it, and the next call reports it.
        return n;
    }

    // Bytes are taken from the device a queue-full at a time and handed out
    // from here: a frame then costs one system call, not one per byte.
    int read(uint8_t* buffer, int count) override
    {
        if (count <= 0)
            return 0;
        if (head_ == tail_ && !fill())
            return 0;
        int n = tail_ - head_ < count ? tail_ - head_ : count;
        std::memcpy(buffer, rx_ + head_, static_cast<size_t>(n));
        head_ += n;
        return n;
    }

    // The descriptor is non-blocking, so a full output queue is waited out
    // here rather than silently losing the rest of a frame.
    int write(const uint8_t* buffer, int count) override
    {
        int done = 0;
        while (!gone_ && done < count) {
            ssize_t w = ::write(fd_, buffer + done, static_cast<size_t>(count - done));
            if (w > 0) {
                done += static_cast<int>(w);
                continue;
            }
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd p{fd_, POLLOUT, 0};
                if (poll(&p, 1, kWriteStallMs) <= 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                    gone_ = true;
                continue;
            }
            gone_ = true;
        }
        return done;
    }

    void waitEvent(int maxMs, int consoleFd) override
    {
        if (gone_)
            return;
        pollfd p[2] = {{fd_, POLLIN, 0}, {consoleFd, POLLIN, 0}};
        if (poll(p, consoleFd >= 0 ? 2 : 1, maxMs) > 0 && (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
            gone_ = true;
    }

private:
    bool fill()
    {
        head_ = tail_ = 0;
        if (gone_)
            return false;
        for (;;) {
            ssize_t r = ::read(fd_, rx_, sizeof rx_);
            if (r > 0) {
                tail_ = static_cast<int>(r);
                return true;
            }
            if (r < 0 && errno == EINTR)
                continue;
            // With VMIN and VTIME 0 an empty queue reads as 0 bytes (or
            // EAGAIN); a hang-up reads as EIO, or as 0 with POLLHUP set.
            if (r == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd p{fd_, POLLIN, 0};
                if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                    gone_ = true;
                return false;
            }
            gone_ = true;
            return false;
        }
    }

    static constexpr int kWriteStallMs = 2000;  // a line that takes no byte for this long is dead
    int fd_;
    bool gone_ = false;
    uint8_t rx_[256];
    int head_ = 0;
    int tail_ = 0;
};

// "COMn" (any case, n >= 1) names the n-th serial port; a path is used as it is.
std::string devicePath(const char* name)
{
    if (name[0] == '/')
        return name;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(name[0]) == 'C' && upper(name[1]) == 'O' && upper(name[2]) == 'M') {
        const char* digits = name + 3;
        long n = 0;
        int i = 0;
        for (; digits[i] >= '0' && digits[i] <= '9' && i < 9; ++i)
            n = n * 10 + (digits[i] - '0');
        if (i > 0 && digits[i] == '\0' && n >= 1)
            return "/dev/ttyS" + std::to_string(n - 1);
    }
    return name;
}

// Raw 8N1 without flow control, as the line to the monitor needs it: the bits
// that must be set and the bits that must be clear, per flag word.
constexpr tcflag_t kCflagClear = PARENB | CSTOPB
#ifdef CRTSCTS
    | CRTSCTS
#endif
    ;
constexpr tcflag_t kIflagClear = IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK;
constexpr tcflag_t kLflagClear = ICANON | ECHO | ECHONL | ISIG | IEXTEN;

// tcsetattr succeeds when any one of the changes was made, so the settings are
// read back: a driver that kept 7 bits, parity or handshaking would garble or
// stall every frame without a word.
bool settingsTaken(int fd, speed_t speed)
{
    termios now{};
    return tcgetattr(fd, &now) == 0 && isRaw8N1(now, speed);
}

// Many USB adapters hold received bytes for up to 16 ms before passing them
// on, which caps a lock-step protocol at about 60 exchanges a second; the
// driver is asked to pass them at once. Drivers that do not know the request
// (a pseudo-terminal, most built-in ports) keep their timing, silently.
void askLowLatency(int fd)
{
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)fd;
#endif
}

bool configure(int fd, const std::string& path, long baud)
{
    const BaudRow* row = findBaud(baud);
    if (row == nullptr) {
        std::printf("Can't set %ld baud on %s: the rate is not supported.\n", baud, path.c_str());
        return false;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) < 0) {
        std::printf("Can't set up %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | kCflagClear);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~kIflagClear;
    tio.c_lflag &= ~kLflagClear;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, row->code) < 0 || cfsetospeed(&tio, row->code) < 0 || tcsetattr(fd, TCSANOW, &tio) < 0) {
        std::printf("Can't set %ld baud on %s: %s\n", baud, path.c_str(), std::strerror(errno));
        return false;
    }
    if (!settingsTaken(fd, row->code)) {
        std::printf("Can't set up %s: the device does not take %ld baud, 8 data bits, no parity, 1 stop bit, no "
                    "flow control.\n",
                    path.c_str(), baud);
        return false;
    }
    askLowLatency(fd);
    return true;
}

}  // namespace

bool isRaw8N1(const termios& t, speed_t speed)
{
    return (t.c_cflag & CSIZE) == CS8 && (t.c_cflag & kCflagClear) == 0 && (t.c_cflag & CREAD) != 0 &&
           (t.c_iflag & kIflagClear) == 0 && (t.c_lflag & kLflagClear) == 0 && (t.c_oflag & OPOST) == 0 &&
           cfgetispeed(&t) == speed && cfgetospeed(&t) == speed;
}

// A symbolic link (/dev/serial/by-id/...) is opened, locked and set up as the
// device it names.
std::unique_ptr<Port> openPlatformPort(const char* name, long baud)
{
    const std::string path = devicePath(name);
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY)
            std::printf("Can't open %s: the port is in use by another program.\n", path.c_str());
        else
            std::printf("Can't open %s: %s\n", path.c_str(), std::strerror(errno));
        return nullptr;
    }
    // TIOCEXCL keeps other users out but not root; the lock covers every
    // program that plays by the same rule.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) {
        std::printf("Can't open %s: the port is in use by another program.\n", path.c_str());
        close(fd);
        return nullptr;
    }
    if (!configure(fd, path, baud)) {
        close(fd);
        return nullptr;
    }
    ioctl(fd, TIOCEXCL);
    return std::make_unique<PosixPort>(fd);
}
