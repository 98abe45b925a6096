// The request/reply wait with restart detection, and the three requests that
// identify the target.
#include "link/transaction.h"

#include <cstdio>

#include "link/packet.h"

TargetInfo targetInfo;

void resetTargetInfo()
{
    targetInfo = TargetInfo{};
}

namespace {

void sendRequest(uint8_t command)
{
    packetBegin(command);
    packetEnd();
    sendPacket();
}

// The board started again: greet it with GET_VERSION. Whatever it answers,
// the request that was waiting is gone and its caller reports the failure.
void restartHandshake()
{
    sendRequest(GET_VERSION);
    if (receivePacket() <= 0)
        std::fputs("Error. Target restarted but no responce\n", stdout);
    else if (packetGetByte() == GET_VERSION)
        std::fputs("Tareget board ReStarted\n", stdout);
    else
        std::fputs("Error. Target restarted but bad responce\n", stdout);
}

}  // namespace

int waitResponse(uint8_t expected)
{
    if (receivePacket() <= 0) {
        std::fputs("Error waiting packet receive.\n", stdout);
        return -1;
    }
    const uint8_t command = packetGetByte();
    if (command == TARGET_RESTARTED) {
        restartHandshake();
        return TARGET_RESTARTED;
    }
    if (command == expected)
        return 0;
    return command == 0 ? kUnexpectedZeroReply : command;
}

int getTargetVersion(uint8_t* major, uint8_t* minor, uint8_t* build)
{
    *major = *minor = *build = 0;
    sendRequest(GET_VERSION);
    if (waitResponse(GET_VERSION) != 0) {
        std::fputs("Error at getting Version\n", stdout);
        return 0;
    }
    *major = packetGetByte();
    *minor = packetGetByte();
    *build = packetGetByte();
    return 1;
}

namespace {

int getArea(uint8_t command, const char* failure, uint32_t* address, uint32_t* size)
{
    *address = *size = 0;
    sendRequest(command);
    if (waitResponse(command) != 0) {
        std::fputs(failure, stdout);
        return 0;
    }
    *address = packetGetLong();
    *size = packetGetLong();
    return 1;
}

}  // namespace

int getFlashArea(uint32_t* address, uint32_t* size)
{
    return getArea(GET_FLASH_AREA, "Error at getting Flash-ROM program area.\n", address, size);
}

int getUserArea(uint32_t* address, uint32_t* size)
{
    return getArea(GET_USER_AREA, "Error at getting User Data area.\n", address, size);
}
