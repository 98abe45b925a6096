// The one serial port of the program and its byte operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/port.h"

// Receive time-out for comGetByte, in empty polls of up to 10 ms; 0 waits without limit.
extern int rxTimeout;

constexpr int kPollMs = 10;

// Opens the named port: "sim" (any case) is the in-process board, anything
// else goes to the platform backend. 1 on success, 0 on failure.
int initCom(const char* name, long baud);
void closeCom();
int comAvailable();
int comWrite(const uint8_t* bytes, int count);
int comRead(uint8_t* buffer, int count);
void comPutByte(uint8_t byte);
int comGetByte();
// As comGetByte, with its own budget of empty polls instead of rxTimeout.
int comGetByteWithin(int polls);

// One empty poll of at most kPollMs; wakes early for a port byte, or for
// console input when consoleFd is not negative.
void comIdle(int consoleFd = -1);

// Whether the board behind the port has an abort switch the debugger can
// press (the in-process board), and pressing it.
bool comHasAbortSwitch();
void comPressAbortSwitch();

// Installs a port directly (tests, benchmarks); nullptr closes the current one.
void setComPort(std::unique_ptr<Port> port);
Port* comPort();

// The name Windows opens for a port name: COM10 and above only exist in the
// device namespace, so they get its "\\.\" prefix; anything else is unchanged.
std::string windowsDeviceName(const char* name);

// Platform backends; each prints its own reason on failure and returns nullptr.
std::unique_ptr<Port> openPlatformPort(const char* name, long baud);
std::unique_ptr<Port> openSimPort();
