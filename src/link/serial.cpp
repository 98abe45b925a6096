// The one port of the program, and the polled byte operations on top of it.
// Everything above this file reaches the device only through these calls.
#include "link/serial.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int rxTimeout = 0;

namespace {

std::unique_ptr<Port> gPort;

bool isSimName(const char* name)
{
    const char* sim = "sim";
    for (int i = 0; i < 3; ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != sim[i])
            return false;
    }
    return name[3] == '\0';
}

// A vanished device never comes back on its own, and every caller above waits
// for bytes in a loop; leaving through exit() lets the shell's atexit handler
// put the terminal back.
[[noreturn]] void portGone()
{
    std::fputs("Serial port closed: the device has gone away.\n", stdout);
    std::fflush(stdout);
    std::exit(0);
}

}  // namespace

std::string windowsDeviceName(const char* name)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M')
        return name;
    const char* digits = name + 3;
    int count = 0;
    while (digits[count] >= '0' && digits[count] <= '9')
        ++count;
    // COM1 to COM9 need no prefix; a leading zero or a trailing letter makes
    // some other name, left as it is for the system to find or refuse.
    if (count < 2 || digits[count] != '\0' || digits[0] == '0')
        return name;
    return std::string("\\\\.\\") + name;
}

int initCom(const char* name, long baud)
{
    if (name == nullptr)
        return 0;
    std::unique_ptr<Port> port = isSimName(name) ? openSimPort() : openPlatformPort(name, baud);
    if (!port)
        return 0;
    gPort = std::move(port);
    return 1;
}

void closeCom()
{
    gPort.reset();
}

int comAvailable()
{
    if (!gPort)
        return 0;
    int n = gPort->available();
    if (n < 0)
        portGone();
    return n;
}

int comWrite(const uint8_t* bytes, int count)
{
    return gPort ? gPort->write(bytes, count) : 0;
}

int comRead(uint8_t* buffer, int count)
{
    return gPort ? gPort->read(buffer, count) : 0;
}

void comPutByte(uint8_t byte)
{
    comWrite(&byte, 1);
}

// The budget counts empty polls and starts afresh for every byte, so it bounds
// the silence before one byte, not the time for a frame. After the last empty
// poll the queue is looked at once more: a byte that came during that poll is
// returned, not lost. A budget of 0 (or a nonsensical negative one) waits
// without limit.
int comGetByte()
{
    return comGetByteWithin(rxTimeout);
}

int comGetByteWithin(int budget)
{
    if (!gPort)
        return -1;  // nothing will ever arrive
    for (int waited = 0;; ++waited) {
        if (comAvailable() > 0) {
            uint8_t byte = 0;
            if (comRead(&byte, 1) == 1)
                return byte;
        }
        if (budget > 0 && waited >= budget)
            return -1;
        comIdle(-1);
    }
}

void comIdle(int consoleFd)
{
    if (gPort)
        gPort->waitEvent(kPollMs, consoleFd);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
}

bool comHasAbortSwitch()
{
    return gPort && gPort->hasAbortSwitch();
}

void comPressAbortSwitch()
{
    if (gPort)
        gPort->pressAbortSwitch();
}

void setComPort(std::unique_ptr<Port> port)
{
    gPort = std::move(port);
}

Port* comPort()
{
    return gPort.get();
}
