// Bulk and single-item transfers of target memory over MEM_READ and MEM_WRITE.
// Every exchange carries at most kMemChunk data bytes; larger transfers are
// split, and the first failing chunk ends the transfer.
#include "target/memory.h"

#include <cstdio>

#include "link/packet.h"
#include "link/transaction.h"

namespace {

constexpr uint8_t kExceptionReply = 0x41;  // a stop report sent in place of the data
constexpr uint8_t kWriteDone = 1;

// Chunk sizes: full chunks while more than one chunk remains, then the rest.
int nextChunk(uint16_t* remaining)
{
    int chunk = *remaining > kMemChunk ? kMemChunk : *remaining;
    *remaining = static_cast<uint16_t>(*remaining - chunk);
    return chunk;
}

void buildWrite(uint32_t address, int count, const uint8_t* source)
{
    packetBegin(MEM_WRITE);
    packetPutLong(address);
    packetPutByte(static_cast<uint8_t>(count));
    for (int i = 0; i < count; ++i)
        packetPutByte(source[i]);
    packetEnd();
}

// One MEM_WRITE exchange; 1 when the monitor reported the write done.
int writeMemChunk(uint32_t address, int count, const uint8_t* source)
{
    buildWrite(address, count, source);
    Reply reply;
    ExchangeStatus status = exchange(MEM_WRITE, 0, PLAIN_RECEIVE, &reply);
    if (status == EXCHANGE_NO_FRAME) {
        std::printf("writeMem:Error receivePacket()=%d\n", reply.received);
        return 0;
    }
    if (status != EXCHANGE_OK) {
        std::printf("writeMem:Error.Responce is not MEM_WRITE. %d\n", reply.code);
        return 0;
    }
    // A reply without its status byte yields 0 here, which is a refusal.
    if (packetGetByte() != kWriteDone) {
        std::printf("writeMem:Error.Responce of MEM_WRITE =NG\n");
        return 0;
    }
    return 1;
}

}  // namespace

int readMemChunk(const char* who, uint32_t address, int count, uint8_t* destination, bool exceptionReply)
{
    packetBegin(MEM_READ);
    packetPutLong(address);
    packetPutByte(static_cast<uint8_t>(count));
    packetEnd();

    // The getters would pad a short reply with zeros; those are not target
    // memory, so a reply without every byte asked for is refused whole.
    Reply reply;
    switch (exchange(MEM_READ, count, PLAIN_RECEIVE, &reply)) {
    case EXCHANGE_OK:
        break;
    case EXCHANGE_SHORT:
        std::printf("%s:Error.Responce is short. %d\n", who, reply.payload);
        return 0;
    case EXCHANGE_NO_FRAME:
        std::printf("%s:Error receivePacket()=%d\n", who, reply.received);
        return 0;
    default:
        std::printf("%s:Error.Responce is not MEM_READ. %d\n", who, reply.code);
        if (exceptionReply && reply.code == kExceptionReply)
            std::printf("%s:Exception:code=%d\n", who, packetGetByte());
        return 0;
    }
    for (int i = 0; i < count; ++i)
        destination[i] = packetGetByte();
    return 1;
}

int readMem(uint32_t address, uint16_t count, uint8_t* destination)
{
    uint16_t remaining = count;
    while (remaining != 0) {
        int chunk = nextChunk(&remaining);
        if (!readMemChunk("readMem", address, chunk, destination, false))
            return 0;
        address += static_cast<uint32_t>(chunk);
        destination += chunk;
    }
    return 1;
}

int writeMem(uint32_t address, uint16_t count, const uint8_t* source)
{
    clearMemCache();
    uint16_t remaining = count;
    while (remaining != 0) {
        int chunk = nextChunk(&remaining);
        if (!writeMemChunk(address, chunk, source))
            return 0;
        address += static_cast<uint32_t>(chunk);
        source += chunk;
    }
    return 1;
}

uint32_t writeMemSingle(uint32_t address, uint32_t value, int size)
{
    if (size != 1 && size != 2 && size != 4)
        return address;
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return address;
    clearMemCache();

    uint8_t bytes[4];
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(value >> ((size - 1 - i) * 8));
    buildWrite(address, size, bytes);
    Reply reply;
    ExchangeStatus status = exchange(MEM_WRITE, 0, PLAIN_RECEIVE, &reply);
    if (status == EXCHANGE_NO_FRAME) {
        std::printf("writeMemSingle():PacketError %d\n", reply.received);
        return address;
    }
    if (status != EXCHANGE_OK) {
        std::printf("writeMemSingle():ProtocolError %d\n", reply.code);
        return address;
    }
    // A refused write must not look like a done one: the commands would move
    // on as if the item held the new value.
    if (packetGetByte() != kWriteDone) {
        std::printf("writeMemSingle():Responce of MEM_WRITE =NG\n");
        return address;
    }
    return address + static_cast<uint32_t>(size);
}
