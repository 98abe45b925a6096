// A port that plays the monitor from a script: it checks that the host sends
// exactly the expected request bytes and then offers the canned reply bytes.
// Empty polls cost no time; they are counted, so time-out budgets are tested
// in polls.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/port.h"

using Bytes = std::vector<uint8_t>;

// A well-formed frame: STX LEN CMD payload CHK ETX.
Bytes frame(uint8_t command, const Bytes& payload = {});
Bytes operator+(Bytes a, const Bytes& b);
std::string hexBytes(const Bytes& bytes);

class ScriptedPort : public Port {
public:
    // The host must send `request` next; `reply` is then offered after `delayPolls` empty polls.
    void expect(const Bytes& request, const Bytes& reply, int delayPolls = 0);
    // Bytes the target sends unasked, offered at once (or after delayPolls empty polls).
    void feed(const Bytes& bytes, int delayPolls = 0);
    // The device disappears once the bytes already offered have been read.
    void disconnectWhenDrained() { gone_ = true; }

    // True when every expected request was sent, nothing unexpected was, and
    // every offered byte was read. Failures are also reported to the running test.
    bool finished() const;
    const Bytes& sent() const { return sent_; }
    int polls() const { return polls_; }
    size_t pendingRx() const { return rx_.size(); }

    int available() override;
    int read(uint8_t* buffer, int count) override;
    int write(const uint8_t* buffer, int count) override;
    void waitEvent(int maxMs, int consoleFd) override;

    // Consecutive empty polls after which the script is taken to be stuck (the test aborts).
    static constexpr long kStuckPolls = 5'000'000;

private:
    struct Step {
        Bytes request;
        Bytes reply;
        int delayPolls;
    };
    struct Timed {
        Bytes bytes;
        int delayPolls;
    };
    void release();

    std::deque<Step> steps_;
    std::deque<Timed> timed_;  // replies waiting for their delay
    std::deque<uint8_t> rx_;
    Bytes sent_;
    size_t matched_ = 0;  // bytes of steps_.front().request matched so far
    int polls_ = 0;
    long emptyPolls_ = 0;
    bool unexpected_ = false;
    bool gone_ = false;
};
