#ifndef _WIN32

#include "sim/host_watch.h"

#include <unistd.h>

#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace quill {

HostWatch::~HostWatch()
{
    if (fd_ >= 0)
        close(fd_);
}

#ifdef __linux__

bool HostWatch::start(const char* path)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return false;
    // One close event comes for each open, when its last descriptor goes
    // (however often a host dup()s or forks), so the two balance.
    return inotify_add_watch(fd_, path, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0;
}

bool HostWatch::update()
{
    bool emptied = false;
    alignas(struct inotify_event) char buf[4096];
    ssize_t n;
    while ((n = read(fd_, buf, sizeof buf)) > 0) {
        for (char* p = buf; p < buf + n;) {
            const struct inotify_event* e = reinterpret_cast<const struct inotify_event*>(p);
            if (e->mask & IN_OPEN)
                ++opens_;
            if ((e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) && opens_ > 0) {
                --opens_;
                emptied = emptied || opens_ == 0;
            }
            p += sizeof(struct inotify_event) + e->len;
        }
    }
    return emptied;
}

#else

bool HostWatch::start(const char*)
{
    return true;
}

bool HostWatch::update()
{
    return false;
}

#endif

}  // namespace quill

#endif
