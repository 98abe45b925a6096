#include "scripted_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

Bytes frame(uint8_t command, const Bytes& payload)
{
    // Built byte by byte into reserved room: GCC 12 at -O3 misreads an
    // insert into a vector that grew from an initializer list as overrunning it.
    Bytes f;
    f.reserve(payload.size() + 5);
    f.push_back(0x02);
    f.push_back(static_cast<uint8_t>(payload.size() + 2));
    f.push_back(command);
    for (uint8_t b : payload)
        f.push_back(b);
    uint8_t sum = 0;
    for (size_t i = 1; i < f.size(); ++i)
        sum = static_cast<uint8_t>(sum + f[i]);
    f.push_back(static_cast<uint8_t>(-sum));
    f.push_back(0x03);
    return f;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string hexBytes(const Bytes& bytes)
{
    std::string s;
    char hex[4];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", b);
        s += hex;
    }
    if (!s.empty())
        s.pop_back();
    return s;
}

void ScriptedPort::expect(const Bytes& request, const Bytes& reply, int delayPolls)
{
    steps_.push_back({request, reply, delayPolls});
}

void ScriptedPort::feed(const Bytes& bytes, int delayPolls)
{
    timed_.push_back({bytes, delayPolls});
    release();
}

void ScriptedPort::release()
{
    while (!timed_.empty() && timed_.front().delayPolls <= 0) {
        for (uint8_t b : timed_.front().bytes)
            rx_.push_back(b);
        timed_.pop_front();
    }
}

bool ScriptedPort::finished() const
{
    bool ok = true;
    if (!steps_.empty()) {
        ADD_FAILURE() << steps_.size() << " expected request(s) never sent; next: "
                      << hexBytes(steps_.front().request) << " (sent so far: " << hexBytes(sent_) << ")";
        ok = false;
    }
    if (!timed_.empty() || !rx_.empty()) {
        ADD_FAILURE() << "reply bytes never read: " << rx_.size() << " offered, " << timed_.size() << " delayed";
        ok = false;
    }
    return ok && !unexpected_;
}

int ScriptedPort::available()
{
    if (rx_.empty() && timed_.empty() && gone_)
        return -1;
    return static_cast<int>(rx_.size());
}

int ScriptedPort::read(uint8_t* buffer, int count)
{
    int n = 0;
    while (n < count && !rx_.empty()) {
        buffer[n++] = rx_.front();
        rx_.pop_front();
    }
    if (n > 0)
        emptyPolls_ = 0;
    return n;
}

int ScriptedPort::write(const uint8_t* buffer, int count)
{
    for (int i = 0; i < count; ++i) {
        uint8_t b = buffer[i];
        sent_.push_back(b);
        if (steps_.empty()) {
            if (!unexpected_)
                ADD_FAILURE() << "host sent unexpected byte " << hexBytes({b}) << " (sent: " << hexBytes(sent_) << ")";
            unexpected_ = true;
            continue;
        }
        Step& step = steps_.front();
        if (step.request[matched_] != b) {
            if (!unexpected_)
                ADD_FAILURE() << "host sent " << hexBytes({b}) << " where " << hexBytes({step.request[matched_]})
                              << " was expected at byte " << matched_ << " of " << hexBytes(step.request);
            unexpected_ = true;
        }
        if (++matched_ == step.request.size()) {
            timed_.push_back({step.reply, step.delayPolls});
            steps_.pop_front();
            matched_ = 0;
            release();
        }
    }
    return count;
}

void ScriptedPort::waitEvent(int, int)
{
    ++polls_;
    for (Timed& t : timed_)
        if (t.delayPolls > 0) {
            --t.delayPolls;
            break;  // delays run one after another, like bytes on a line
        }
    release();
    if (rx_.empty() && ++emptyPolls_ >= kStuckPolls) {
        std::fprintf(stderr, "ScriptedPort: host waits for a reply the script never gives (sent: %s)\n",
                     hexBytes(sent_).c_str());
        std::abort();
    }
}
