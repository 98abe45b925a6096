#ifndef _WIN32

#include "sim/line_faults.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace quill {

namespace {

// How much of a request the board takes before a restart in the request:
// STX, LEN and CMD, so the frame is well under way.
constexpr size_t kRequestHead = 3;

struct FaultName {
    const char* name; // nullptr ends the table
    LineFault fault;
    bool rated;
};

const FaultName kFaultNames[] = {
    {"off", LineFault::None, false},
    {"drop", LineFault::Drop, true},
    {"garble", LineFault::Garble, true},
    {"bad-checksum", LineFault::BadChecksum, false},
    {"restart-request", LineFault::RestartInRequest, false},
    {"restart-reply", LineFault::RestartInReply, false},
    {"silent", LineFault::Silent, false},
    {"hangup", LineFault::HangUp, false},
    {nullptr, LineFault::None, false},
};

} // namespace

bool parseFault(const char* text, FaultSetting* setting)
{
    char copy[128];
    snprintf(copy, sizeof copy, "%s", text);
    const char* separators = " :\t\r\n";
    char* save = nullptr;
    const char* word = strtok_r(copy, separators, &save);
    if (word == nullptr)
        return false;
    const FaultName* row = kFaultNames;
    while (row->name != nullptr && strcmp(row->name, word) != 0)
        ++row;
    if (row->name == nullptr)
        return false;
    FaultSetting parsed;
    parsed.fault = row->fault;
    const char* rate = strtok_r(nullptr, separators, &save);
    const char* seed = rate ? strtok_r(nullptr, separators, &save) : nullptr;
    if (row->rated) {
        char* end = nullptr;
        parsed.rate = rate ? strtod(rate, &end) : -1;
        if (rate == nullptr || *end != '\0' || !(parsed.rate >= 0 && parsed.rate <= 1))
            return false;
        if (seed != nullptr) {
            unsigned long value = strtoul(seed, &end, 10);
            if (*end != '\0')
                return false;
            parsed.seed = static_cast<uint32_t>(value);
        }
    } else if (rate != nullptr) {
        return false;
    }
    *setting = parsed;
    return true;
}

void LineFaults::set(const FaultSetting& setting)
{
    setting_ = setting;
    // splitmix64 of the seed: small seeds give unrelated sequences.
    uint64_t z = setting.seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    random_ = (z ^ (z >> 31)) | 1;
}

// xorshift64: the same seed gives the same faults on the same bytes.
bool LineFaults::roll()
{
    random_ ^= random_ << 13;
    random_ ^= random_ >> 7;
    random_ ^= random_ << 17;
    return static_cast<double>(random_ >> 11) * (1.0 / 9007199254740992.0) < setting_.rate;
}

uint8_t LineFaults::flip(uint8_t byte)
{
    return static_cast<uint8_t>(byte ^ (1u << (random_ & 7)));
}

size_t LineFaults::fromHost(uint8_t* bytes, size_t count, Board& board)
{
    const LineFault f = setting_.fault;
    if (f == LineFault::RestartInRequest) {
        const uint8_t* stx = static_cast<const uint8_t*>(memchr(bytes, kStx, count));
        if (stx == nullptr)
            return count;
        const size_t head = static_cast<size_t>(stx - bytes) + kRequestHead;
        if (head >= count)
            return count; // the request's start is not all here: wait for a longer read
        board.receiveFromHost(bytes, head);
        board.reset();
        setting_.fault = LineFault::None;
        memmove(bytes, bytes + head, count - head);
        return count - head;
    }
    if (f != LineFault::Drop && f != LineFault::Garble)
        return count;
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!roll())
            bytes[kept++] = bytes[i];
        else if (f == LineFault::Garble)
            bytes[kept++] = flip(bytes[i]);
    }
    return kept;
}

ByteQueue& LineFaults::toHost(Board& board)
{
    ByteQueue& from = board.line().toHost;
    // A restart while passing on a reply queues the announcement behind it:
    // take bytes one at a time so that it is passed on too, after the cut.
    while (!from.empty()) {
        uint8_t byte = 0;
        from.take(&byte, 1);
        passToHost(byte, board);
    }
    return out_;
}

void LineFaults::passToHost(uint8_t byte, Board& board)
{
    // Where the byte stands in the frame stream, faults aside.
    int position = -1;
    if (frameAt_ < 0 && byte == kStx) {
        frameAt_ = 0;
    } else if (frameAt_ == 1) {
        frameLen_ = byte;
    }
    if (frameAt_ >= 0) {
        position = frameAt_++;
        if (position >= 1 && position == frameLen_ + 2)
            frameAt_ = -1; // ETX: the frame is over
    }

    switch (setting_.fault) {
    case LineFault::Silent:
        return;
    case LineFault::Drop:
        if (!roll())
            out_.push(byte);
        return;
    case LineFault::Garble:
        out_.push(roll() ? flip(byte) : byte);
        return;
    case LineFault::BadChecksum:
        out_.push(position >= 2 && position == frameLen_ + 1 ? static_cast<uint8_t>(byte ^ 0x5A) : byte);
        return;
    case LineFault::RestartInReply:
        if (position >= 0 && position < static_cast<int>(kRequestHead)) {
            out_.push(byte);
            if (position == static_cast<int>(kRequestHead) - 1) {
                setting_.fault = LineFault::None;
                cutting_ = true;
                board.reset();
            }
        } else if (position < 0) {
            out_.push(byte);
        }
        return;
    default:
        break;
    }
    // The rest of the frame a restart cut short never leaves the board.
    if (cutting_ && position >= 0) {
        if (frameAt_ < 0)
            cutting_ = false;
        return;
    }
    out_.push(byte);
}

} // namespace quill

#endif
