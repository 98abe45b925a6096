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

// A request without payload.
void buildRequest(uint8_t command)
{
    packetBegin(command);
    packetEnd();
}

// The board started again: greet it with GET_VERSION. Whatever it answers,
// the request that was waiting is gone and its caller reports the failure.
void restartHandshake()
{
    buildRequest(GET_VERSION);
    sendPacket();
    if (receivePacket() <= 0)
        std::fputs("Error. Target restarted but no responce\n", stdout);
    else if (packetGetByte() == GET_VERSION)
        std::fputs("Tareget board ReStarted\n", stdout);
    else
        std::fputs("Error. Target restarted but bad responce\n", stdout);
}

// receivePacket, with a frame whose checksum is wrong refused: the plain
// receive does not look at it, and a garbled byte would pass for data.
int receiveChecked()
{
    const int received = receivePacket();
    if (received <= 0)
        return received;
    uint8_t sum = 0;
    for (int i = 1; i <= received + 1; ++i)
        sum = static_cast<uint8_t>(sum + packetBuffer.frame[i]);
    return sum == 0 ? received : kBadChecksum;
}

// waitResponse with the frame's receive result kept for the caller.
int waitReply(uint8_t expected, int* received)
{
    *received = receiveChecked();
    if (*received <= 0) {
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

}  // namespace

int waitResponse(uint8_t expected)
{
    int received;
    return waitReply(expected, &received);
}

ExchangeStatus exchange(uint8_t expected, int minPayload, ReplyWait wait, Reply* reply)
{
    *reply = Reply{0, -1, 0};
    sendPacket();
    if (wait == WAIT_RESPONSE) {
        int result = waitReply(expected, &reply->received);
        if (result == -1)
            return EXCHANGE_NO_FRAME;
        reply->code = result == 0 ? expected : result == kUnexpectedZeroReply ? 0 : result;
        if (result == TARGET_RESTARTED)
            return EXCHANGE_RESTARTED;
    } else {
        reply->received = receiveChecked();
        if (reply->received <= 0)
            return EXCHANGE_NO_FRAME;
        reply->code = packetGetByte();
    }
    if (reply->code != expected)
        return EXCHANGE_WRONG_CODE;
    reply->payload = packetBuffer.count;
    return reply->payload < minPayload ? EXCHANGE_SHORT : EXCHANGE_OK;
}

int getTargetVersion(uint8_t* major, uint8_t* minor, uint8_t* build)
{
    *major = *minor = *build = 0;
    buildRequest(GET_VERSION);
    Reply reply;
    if (exchange(GET_VERSION, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
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
    buildRequest(command);
    Reply reply;
    if (exchange(command, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
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
