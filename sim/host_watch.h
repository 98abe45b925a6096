// Who holds the simulator's device open besides the simulator itself.
// A pseudo-terminal whose slave end the simulator keeps open never hangs up,
// so hosts coming and going are seen by watching the device node's opens and
// closes (Linux inotify). Elsewhere a host counts as always present: the
// board then answers whoever reads, and --once has nothing to wait for.
#pragma once

namespace quill {

class HostWatch {
public:
    HostWatch() = default;
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;
    ~HostWatch();

    // Starts watching the device at path; false when that is impossible.
    bool start(const char* path);
    // Descriptor that turns readable when hosts come or go; -1 without one.
    int fd() const { return fd_; }
    // Takes the pending open and close events. True when the last host let
    // go of the device among them, even if another has opened it since.
    bool update();
    bool present() const { return fd_ < 0 || opens_ > 0; }

private:
    int fd_ = -1;
    long opens_ = 0;  // open file descriptions of the device held by hosts
};

}  // namespace quill
