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

void resetTargetInfo();

// 0 when the expected reply arrived (its CMD taken), -1 when no frame could be
// received, 0x50 after a restart handshake, otherwise a non-zero code for the
// unexpected reply.
int waitResponse(uint8_t expected);

int getTargetVersion(uint8_t* major, uint8_t* minor, uint8_t* build);
int getFlashArea(uint32_t* address, uint32_t* size);
int getUserArea(uint32_t* address, uint32_t* size);
