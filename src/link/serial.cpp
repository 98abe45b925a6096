// PLACEHOLDER: replaced by the link layer.
#include "link/serial.h"
int rxTimeout = 0;
static std::unique_ptr<Port> gPort;
int initCom(const char*, long) { return 0; }
void closeCom() { gPort.reset(); }
int comAvailable() { return gPort ? gPort->available() : 0; }
int comWrite(const uint8_t* b, int n) { return gPort ? gPort->write(b, n) : 0; }
int comRead(uint8_t* b, int n) { return gPort ? gPort->read(b, n) : 0; }
void comPutByte(uint8_t b) { comWrite(&b, 1); }
int comGetByte() { uint8_t b; return comRead(&b, 1) == 1 ? b : -1; }
void comIdle(int) {}
void setComPort(std::unique_ptr<Port> p) { gPort = std::move(p); }
Port* comPort() { return gPort.get(); }
std::unique_ptr<Port> openPlatformPort(const char*, long) { return nullptr; }
std::unique_ptr<Port> openSimPort() { return nullptr; }
