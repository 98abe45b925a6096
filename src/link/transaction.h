// The request/reply transaction with restart detection, and the target's identity.
#pragma once

#include <cstdint>

struct TargetInfo {
    uint8_t versionMajor;
    uint8_t versionMinor;
    uint8_t versionBuild;
    uint32_t flashAreaAddress;
    uint32_t flashAreaSize;
    uint32_t userAreaAddress;
    uint32_t userAreaSize;
};
extern TargetInfo targetInfo;

// Clears every field (tests).
void resetTargetInfo();

// waitResponse result for an unexpected reply whose CMD is 0x00 (MEM_READ):
// returning that code as it is would read as success.
constexpr int kUnexpectedZeroReply = 0x100;

// The receive result given for a frame whose checksum is wrong: its bytes
// are not what the board sent, so it is no reply.
constexpr int kBadChecksum = -5;

// 0 when the expected reply arrived (its CMD taken, so the next getter yields
// the first payload field), -1 when no frame could be received, 0x50 after a
// restart handshake, kUnexpectedZeroReply for an unexpected CMD 0x00,
// otherwise the unexpected CMD that arrived.
int waitResponse(uint8_t expected);

// One exchange with the monitor: the request already built in the packet
// buffer goes out, and its reply comes back checked. Every target service
// talks to the monitor through it, so a reply is never taken on trust.
enum ExchangeStatus {
    EXCHANGE_OK = 0,
    EXCHANGE_NO_FRAME,    // no frame could be received
    EXCHANGE_RESTARTED,   // the board announced a restart instead (the handshake has run)
    EXCHANGE_WRONG_CODE,  // a reply with another code came
    EXCHANGE_SHORT,       // the expected code, with fewer payload bytes than needed
};

// How the reply is awaited: with the restart announcement recognised (and
// its messages printed, as waitResponse does), or as a plain receive.
enum ReplyWait { PLAIN_RECEIVE, WAIT_RESPONSE };

// What came back, for the caller's own failure message.
struct Reply {
    int received;  // receivePacket's result: LEN, or its negative error code, or kBadChecksum
    int code;      // the reply's CMD; -1 when no frame came
    int payload;   // payload bytes after the CMD
};

// On EXCHANGE_OK the reply's CMD has been taken and the next getter yields
// the first payload field; on EXCHANGE_WRONG_CODE likewise after the other CMD.
ExchangeStatus exchange(uint8_t expected, int minPayload, ReplyWait wait, Reply* reply);

// The identification requests: 1 on success, 0 on failure (with its message);
// the results are cleared first, so a failure leaves zeros.

int getTargetVersion(uint8_t* major, uint8_t* minor, uint8_t* build);
int getFlashArea(uint32_t* address, uint32_t* size);
int getUserArea(uint32_t* address, uint32_t* size);
