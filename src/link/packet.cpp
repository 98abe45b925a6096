// PLACEHOLDER: replaced by the link layer.
#include "link/packet.h"
PacketBuffer packetBuffer;
const CommandCodeName commandCodeTable[] = {{-1, nullptr}};
void resetPacketBuffer() {}
void packetBegin(uint8_t) {}
void packetPutByte(uint8_t) {}
void packetPutWord(uint16_t) {}
void packetPutLong(uint32_t) {}
void packetEnd() {}
void sendPacket() {}
int receivePacket() { return -1; }
uint8_t packetGetByte() { return 0; }
uint16_t packetGetWord() { return 0; }
uint32_t packetGetLong() { return 0; }
int scanPacketByte(uint8_t) { return 0; }
void DumpPacket() {}
