// Bulk and single-item transfers of target memory over MEM_READ and MEM_WRITE.
// Every exchange carries at most kMemChunk data bytes; larger transfers are
// split, and the first failing chunk ends the transfer.
#include "target/memory.h"

#include <cstdio>

#include "link/packet.h"

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

// One MEM_WRITE exchange; 1 when the monitor reported the write done.
int writeMemChunk(uint32_t address, int count, const uint8_t* source)
{
    packetBegin(MEM_WRITE);
    packetPutLong(address);
    packetPutByte(static_cast<uint8_t>(count));
    for (int i = 0; i < count; ++i)
        packetPutByte(source[i]);
    packetEnd();
    sendPacket();

    int len = receivePacket();
    if (len <= 0) {
        std::printf("writeMem:Error receivePacket()=%d\n", len);
        return 0;
    }
    uint8_t code = packetGetByte();
    if (code != MEM_WRITE) {
        std::printf("writeMem:Error.Responce is not MEM_WRITE. %d\n", code);
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
    sendPacket();

    int len = receivePacket();
    if (len <= 0) {
        std::printf("%s:Error receivePacket()=%d\n", who, len);
        return 0;
    }
    uint8_t code = packetGetByte();
    if (code != MEM_READ) {
        std::printf("%s:Error.Responce is not MEM_READ. %d\n", who, code);
        if (exceptionReply && code == kExceptionReply)
            std::printf("%s:Exception:code=%d\n", who, packetGetByte());
        return 0;
    }
    // The getters would pad a short reply with zeros; those are not target
    // memory, so a reply without every byte asked for is refused whole.
    if (packetBuffer.count < count) {
        std::printf("%s:Error.Responce is short. %d\n", who, packetBuffer.count);
        return 0;
    }
    for (int i = 0; i < count; ++i)
        destination[i] = packetGetByte();
    return 1;
}

int readMemChecked(uint32_t address, uint16_t count, uint8_t* destination)
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

void readMem(uint32_t address, uint16_t count, uint8_t* destination)
{
    readMemChecked(address, count, destination);
}

void writeMem(uint32_t address, uint16_t count, const uint8_t* source)
{
    clearMemCache();
    uint16_t remaining = count;
    while (remaining != 0) {
        int chunk = nextChunk(&remaining);
        if (!writeMemChunk(address, chunk, source))
            return;
        address += static_cast<uint32_t>(chunk);
        source += chunk;
    }
}

uint32_t writeMemSingle(uint32_t address, uint32_t value, int size)
{
    if (size != 1 && size != 2 && size != 4)
        return address;
    if ((address & static_cast<uint32_t>(size - 1)) != 0)
        return address;
    clearMemCache();

    packetBegin(MEM_WRITE);
    packetPutLong(address);
    packetPutByte(static_cast<uint8_t>(size));
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        packetPutByte(static_cast<uint8_t>(value >> shift));
    packetEnd();
    sendPacket();

    int len = receivePacket();
    if (len <= 0) {
        std::printf("writeMemSingle():PacketError %d\n", len);
        return address;
    }
    uint8_t code = packetGetByte();
    if (code != MEM_WRITE) {
        std::printf("writeMemSingle():ProtocolError %d\n", code);
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
