// Frames in the one shared buffer: building and sending a request, the
// synchronous receive, the byte-at-a-time recogniser, and the field getters.
#include "link/packet.h"

#include <cstdio>
#include <cstring>

#include "link/serial.h"

PacketBuffer packetBuffer;

const CommandCodeName commandCodeTable[] = {
    {MEM_READ, "MEM_READ"},
    {MEM_WRITE, "MEM_WRITE"},
    {REG_READ, "REG_READ"},
    {REG_WRITE, "REG_WRITE"},
    {GET_VERSION, "GET_VERSION"},
    {GET_FLASH_AREA, "GET_FLASH_AREA"},
    {GET_USER_AREA, "GET_USER_AREA"},
    {BRK_READ, "BRK_READ"},
    {BRK_WRITE, "BRK_WRITE"},
    {BRK_CLEAR, "BRK_CLEAR"},
    {EXEC, "EXEC"},
    {TARGET_RESTARTED, "TARGET_RESTARTED"},
    {FLASH_ERASE, "FLASH_ERASE"},
    {FLASH_WRITE, "FLASH_WRITE"},
    {-1, nullptr},
};

namespace {

constexpr uint8_t kFirstPayload = 3;
// Payload bytes that fit between CMD and CHK, ETX.
constexpr int kMaxPayload = kMaxFrameLength - 5;

PacketBuffer& pb = packetBuffer;

// Appends `size` bytes of `value`, most significant first, or nothing at all
// when the field would run into the room kept for CHK and ETX.
void putField(uint32_t value, int size)
{
    if (pb.count + size > kMaxPayload || pb.cursor + size > kMaxFrameLength - 2)
        return;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        pb.frame[pb.cursor++] = static_cast<uint8_t>(value >> shift);
    pb.count = static_cast<uint8_t>(pb.count + size);
}

// Takes `size` bytes most significant first, or 0 and nothing consumed when
// fewer are left.
uint32_t takeField(int size)
{
    if (pb.count < size || pb.cursor + size > kMaxFrameLength)
        return 0;
    uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | pb.frame[pb.cursor++];
    pb.count = static_cast<uint8_t>(pb.count - size);
    return value;
}

bool isConsoleText(int byte)
{
    return byte >= 0x20 || byte == '\r' || byte == '\n';
}

}  // namespace

const char* commandCodeName(int code)
{
    for (const CommandCodeName* row = commandCodeTable; row->name != nullptr; ++row)
        if (row->code == code)
            return row->name;
    return nullptr;
}

void resetPacketBuffer()
{
    std::memset(&packetBuffer, 0, sizeof packetBuffer);
}

void packetBegin(uint8_t command)
{
    pb.count = 0;
    pb.frame[2] = command;
    pb.cursor = kFirstPayload;
}

void packetPutByte(uint8_t value)
{
    putField(value, 1);
}

void packetPutWord(uint16_t value)
{
    putField(value, 2);
}

void packetPutLong(uint32_t value)
{
    putField(value, 4);
}

void packetEnd()
{
    const int len = pb.count + 2;
    pb.frame[0] = STX;
    pb.frame[1] = static_cast<uint8_t>(len);
    uint8_t sum = 0;
    for (int i = 1; i <= len; ++i)
        sum = static_cast<uint8_t>(sum + pb.frame[i]);
    pb.frame[len + 1] = static_cast<uint8_t>(-sum);
    pb.frame[len + 2] = ETX;
}

// One write for the whole frame: the bytes on the wire are the same as one
// write per byte, at a fraction of the system calls (see bench/link_bench.cpp).
void sendPacket()
{
    int len = pb.frame[1] > kMaxLen ? kMaxLen : pb.frame[1];
    comWrite(pb.frame, len + 3);
}

int receivePacket()
{
    pb.count = 0;
    int byte;
    for (;;) {
        byte = comGetByte();
        if (byte < 0)
            return -1;
        if (byte == STX)
            break;
        if (isConsoleText(byte)) {
            std::putchar(byte);
            std::fflush(stdout);  // the target's text may end without a line feed
        }
    }
    pb.frame[0] = STX;

    // The wait for a reply has no end, but once its STX is in, the rest of
    // a frame follows within milliseconds at any baud rate: a longer silence
    // means a byte was lost on the line, and waiting on for it would hold
    // the debugger until the board happened to send more.
    const int gap = rxTimeout > 0 ? rxTimeout : kFrameGapPolls;
    const int len = comGetByteWithin(gap);
    if (len < 0 || len > kMaxLen)
        return -2;
    pb.frame[1] = static_cast<uint8_t>(len);

    for (int i = 0; i <= len; ++i) {
        byte = comGetByteWithin(gap);
        if (byte < 0)
            return -3;
        pb.frame[2 + i] = static_cast<uint8_t>(byte);
    }
    // A LEN of 0 or 1 has no room for CMD and CHK. Its bytes are read all the
    // same so that they are not taken for text by the next receive.
    if (len < 2)
        return -2;
    if (pb.frame[len + 2] != ETX)
        return -4;
    pb.cursor = 2;
    pb.count = static_cast<uint8_t>(len - 1);
    return len;
}

uint8_t packetGetByte()
{
    return static_cast<uint8_t>(takeField(1));
}

uint16_t packetGetWord()
{
    return static_cast<uint16_t>(takeField(2));
}

uint32_t packetGetLong()
{
    return takeField(4);
}

int scanPacketByte(uint8_t byte)
{
    switch (pb.scanState) {
    case 0:
        if (byte != STX)
            return 0;
        pb.frame[0] = STX;
        pb.count = 1;
        pb.scanState = 1;
        return 1;
    case 1:
        if (byte > kMaxLen) {
            pb.scanState = 0;
            return -1;
        }
        pb.frame[1] = byte;
        pb.count = 2;
        pb.remaining = static_cast<uint8_t>(byte + 1);
        pb.scanState = 2;
        return 2;
    default:
        break;
    }

    // Building or reading a frame in between moves count; a body that would
    // no longer fit the buffer is dropped rather than written past its end.
    if (pb.count >= kMaxFrameLength || pb.remaining == 0) {
        pb.scanState = 0;
        pb.count = 0;
        return -1;
    }
    pb.frame[pb.count++] = byte;
    if (--pb.remaining != 0)
        return 2;

    pb.scanState = 0;
    const int len = pb.frame[1];
    uint8_t sum = 0;
    for (int i = 1; i <= len + 1; ++i)
        sum = static_cast<uint8_t>(sum + pb.frame[i]);
    // LEN 0 and 1 are swallowed whole like any other frame, then refused.
    if (len < 2 || byte != ETX || sum != 0) {
        pb.count = 0;
        return -1;
    }
    pb.cursor = 2;
    pb.count = static_cast<uint8_t>(len - 1);
    return 3;
}

void DumpPacket()
{
    int last = pb.frame[1] + 2;
    if (last >= kMaxFrameLength)
        last = kMaxFrameLength - 1;
    std::printf("HOST:DumpPacket:");
    for (int i = 0; i <= last; ++i) {
        std::printf("%02X ", pb.frame[i]);
        if ((i + 1) % 16 == 0)
            std::putchar('\n');
    }
    std::putchar('\n');
}
