#ifndef _WIN32

#include "sim/line_pacer.h"

#include <time.h>

namespace quill {

int64_t monotonicNs()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int pollNs(struct pollfd* fds, nfds_t count, int64_t timeoutNs)
{
#ifdef __linux__
    if (timeoutNs < 0)
        return ppoll(fds, count, nullptr, nullptr);
    struct timespec t {
        static_cast<time_t>(timeoutNs / 1000000000), static_cast<long>(timeoutNs % 1000000000)
    };
    return ppoll(fds, count, &t, nullptr);
#else
    return poll(fds, count, timeoutNs < 0 ? -1 : static_cast<int>((timeoutNs + 999999) / 1000000));
#endif
}

size_t PacedDirection::crossed(size_t waiting, int64_t from, int64_t now)
{
    // The queue behind this direction was emptied (the host left): what was
    // on the line went with it.
    if (waiting < onLine_)
        onLine_ = waiting;
    if (waiting > onLine_) {
        int64_t start = from > freeAt_ ? from : freeAt_;
        freeAt_ = start + static_cast<int64_t>(waiting - onLine_) * byteNs_;
        onLine_ = waiting;
    }
    if (now >= freeAt_)
        return onLine_;
    size_t crossing = static_cast<size_t>((freeAt_ - now + byteNs_ - 1) / byteNs_);
    return onLine_ > crossing ? onLine_ - crossing : 0;
}

int64_t PacedDirection::untilAll(int64_t now) const
{
    if (onLine_ == 0)
        return -1;
    return freeAt_ > now ? freeAt_ - now : 0;
}

int64_t PacedDirection::untilNext(int64_t now) const
{
    if (onLine_ == 0)
        return -1;
    int64_t first = crossedAt() + byteNs_;
    return first > now ? first - now : 0;
}

LinePacer::LinePacer(long baud)
    : toBoard_(10 * 1000000000LL / baud)
    , toHost_(10 * 1000000000LL / baud)
{
}

void LinePacer::received(const uint8_t* bytes, size_t count, int64_t now)
{
    held_.push(bytes, count);
    toBoard_.crossed(held_.size(), now, now);
}

void LinePacer::deliver(Board& board, int64_t now)
{
    // The frame time-out counts real time, woken early or not.
    if (lastNs_ != 0)
        idleNs_ += now - lastNs_;
    lastNs_ = now;
    answerFrom_ = -1;
    if (idleNs_ >= 1000000) {
        board.advance(static_cast<int>(idleNs_ / 1000000));
        idleNs_ %= 1000000;
    }
    size_t n = toBoard_.crossed(held_.size(), now, now);
    if (n == 0)
        return;
    uint8_t buf[256];
    size_t left = n;
    while (left > 0) {
        size_t got = held_.take(buf, left < sizeof buf ? left : sizeof buf);
        board.receiveFromHost(buf, got);
        left -= got;
    }
    toBoard_.handedOver(n);
    answerFrom_ = toBoard_.crossedAt();
}

size_t LinePacer::sendable(size_t waiting, int64_t now)
{
    int64_t from = answerFrom_ >= 0 && answerFrom_ < now ? answerFrom_ : now;
    answerFrom_ = -1;
    lastSendable_ = toHost_.crossed(waiting, from, now);
    // In the last stretch before the rest of the line has crossed, the loop
    // polls with no time-out and would write a frame as it trickles in: most
    // of a reply first, then its last byte or two, and the host wakes twice
    // for one frame. On a busy machine each wake may cost it milliseconds.
    // Held back that short while, what has crossed goes out in one write with
    // the rest, late by under kSpinNs and never early.
    if (lastSendable_ < toHost_.onLine() && toHost_.untilAll(now) <= kSpinNs)
        lastSendable_ = 0;
    blocked_ = false;
    return lastSendable_;
}

void LinePacer::sent(size_t count)
{
    toHost_.handedOver(count);
    blocked_ = count < lastSendable_;
}

int64_t LinePacer::timeout(int64_t now, int64_t timeoutNs) const
{
    int64_t result = timeoutNs;
    // Crossed bytes the device would not take wake the loop as writable.
    for (const PacedDirection* d : {&toBoard_, blocked_ ? nullptr : &toHost_}) {
        int64_t next = d != nullptr ? d->untilNext(now) : -1;
        if (next < 0)
            continue;
        // The next crossing, or a batch of them; the last byte on the line
        // (a frame's end) is always met on time.
        int64_t all = d->untilAll(now);
        int64_t wake = next > kBatchNs ? next : kBatchNs;
        if (all < wake)
            wake = all;
        // A timer wake comes late, by up to a few hundred microseconds; the
        // last stretch is waited for by polling instead.
        wake = wake > kSpinNs ? wake - kSpinNs : 0;
        if (result < 0 || wake < result)
            result = wake;
    }
    return result;
}

} // namespace quill

#endif
