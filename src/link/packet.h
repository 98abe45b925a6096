// The frame that every exchange with the monitor travels in, the one shared
// frame buffer, and the command codes.
//
//   STX LEN CMD payload... CHK ETX      LEN = payload + 2, CHK makes LEN..CHK sum to 0
#pragma once

#include <cstdint>

constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr int kMaxFrameLength = 32;
constexpr int kMaxLen = 29;  // largest LEN a receiver accepts

enum CommandCode : uint8_t {
    MEM_READ = 0x00,
    MEM_WRITE = 0x01,
    REG_READ = 0x10,
    REG_WRITE = 0x11,
    GET_VERSION = 0x12,
    GET_FLASH_AREA = 0x13,
    GET_USER_AREA = 0x14,
    BRK_READ = 0x31,
    BRK_WRITE = 0x32,
    BRK_CLEAR = 0x33,
    EXEC = 0x41,
    TARGET_RESTARTED = 0x50,
    FLASH_ERASE = 0x60,
    FLASH_WRITE = 0x61,
};

struct CommandCodeName {
    int code;  // -1 ends the table
    const char* name;
};
extern const CommandCodeName commandCodeTable[];
// The name of a code, or nullptr for a code not in the table.
const char* commandCodeName(int code);

struct PacketBuffer {
    uint8_t frame[kMaxFrameLength];
    uint8_t count;      // building: payload bytes; reading: bytes left; scanning: bytes stored
    uint8_t cursor;     // next byte to write or take
    uint8_t remaining;  // bytes scanPacketByte still expects after LEN
    uint8_t scanState;  // 0 idle, 1 after STX, 2 in the frame body
};
extern PacketBuffer packetBuffer;

void resetPacketBuffer();

// Builders. A field that would not fit the 27 payload bytes is dropped whole,
// so the frame never runs past the buffer.
void packetBegin(uint8_t command);
void packetPutByte(uint8_t value);
void packetPutWord(uint16_t value);
void packetPutLong(uint32_t value);
void packetEnd();
// Sends frame[0] through frame[LEN + 2] in a single port write.
void sendPacket();

// Silence inside a frame, once its STX came, that ends the receive with -2 or
// -3 even while rxTimeout is 0 (a whole frame takes under 300 ms at 1200 baud).
constexpr int kFrameGapPolls = 100;

// LEN of the frame received, or -1 (no STX), -2 (no or bad LEN), -3 (short
// frame), -4 (no ETX). Text bytes (0x20 and above, CR, LF) seen while hunting
// for STX are echoed to stdout; other control bytes are dropped. The checksum
// is not checked here. A LEN of 0 or 1 (no room for CMD and CHK) gives -2
// after its LEN + 1 bytes have been read, so none of them is echoed later.
int receivePacket();

// Getters: the next field, most significant byte first; 0 and nothing taken
// when fewer bytes than the field are left.
uint8_t packetGetByte();
uint16_t packetGetWord();
uint32_t packetGetLong();

// Recogniser fed one byte at a time: 0 not in a frame, 1 STX, 2 frame byte,
// 3 a whole well-formed frame is ready for the getters, -1 frame rejected
// (LEN above 29, LEN 0 or 1 once its bytes are in, no ETX, bad checksum).
int scanPacketByte(uint8_t byte);

// Prints the frame in hex; a diagnostic aid.
void DumpPacket();
