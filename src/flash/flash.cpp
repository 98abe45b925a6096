// The flash requests: FLASH_ERASE and FLASH_WRITE, each one checked exchange.
// The flash commands do not empty the memory cache (the memory and register
// writes do); that is how the host has always behaved.
#include "flash/flash.h"

#include <cstdio>

#include "link/packet.h"
#include "link/transaction.h"

const FlashBlock flashBlockTable[] = {
    {0x00000, 0x1000, 0},
    {0x01000, 0x1000, 1},
    {0x02000, 0x1000, 2},
    {0x03000, 0x1000, 3},
    {0x04000, 0x1000, 4},
    {0x05000, 0x1000, 5},
    {0x06000, 0x1000, 6},
    {0x07000, 0x1000, 7},
    {0x08000, 0x8000, 8},
    {0x10000, 0x10000, 9},
    {0, 0, -1},
};

int blockOf(uint32_t address)
{
    for (const FlashBlock* b = flashBlockTable; b->number >= 0; ++b) {
        if (address - b->start < b->size)
            return b->number;
    }
    return -1;
}

namespace {

// waitResponse's result for the exchange, as FW has always printed it.
int waitResult(ExchangeStatus status, const Reply& reply)
{
    if (status == EXCHANGE_NO_FRAME)
        return -1;
    return reply.code == 0 ? kUnexpectedZeroReply : reply.code;
}

} // namespace

int flashErase(int block)
{
    packetBegin(FLASH_ERASE);
    packetPutByte(static_cast<uint8_t>(block));
    packetEnd();
    Reply reply;
    if (exchange(FLASH_ERASE, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
        std::printf("Error at Flash-ROM erase\n");
        return 0;
    }
    // A reply without its status byte reads 0: not erased.
    if (packetGetByte() == 0) {
        std::printf("Flash-ROM Erase Error. code = %02X\n", packetGetByte());
        return 0;
    }
    return 1;
}

int flashWrite(uint32_t source, uint32_t destination)
{
    packetBegin(FLASH_WRITE);
    packetPutLong(source);
    packetPutLong(destination);
    packetEnd();
    Reply reply;
    ExchangeStatus status = exchange(FLASH_WRITE, 0, WAIT_RESPONSE, &reply);
    if (status != EXCHANGE_OK) {
        std::printf("Error at Flash-ROM write %d\n", waitResult(status, reply));
        return 0;
    }
    if (packetGetByte() == 0) {
        std::printf("Flash-ROM Write Error. code = %02X\n", packetGetByte());
        return 0;
    }
    return 1;
}
