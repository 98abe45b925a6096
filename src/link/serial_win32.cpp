// The serial port on Windows: a COM device opened for synchronous I/O, 8N1 at
// the chosen rate, polled for its input-queue count.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "link/serial.h"

namespace {

// Each transfer carries its own record with an event of its own. The events
// are never waited on: the transfers are synchronous.
struct IoRecords {
    OVERLAPPED write;
    OVERLAPPED read;
};

void closeEvents(IoRecords* io)
{
    for (HANDLE event : {io->write.hEvent, io->read.hEvent})
        if (event != nullptr)
            CloseHandle(event);
    io->write.hEvent = io->read.hEvent = nullptr;
}

void printOsError(const char* what, const char* name)
{
    char text[256] = "";
    DWORD code = GetLastError();
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' '))
        text[--n] = '\0';
    if (n == 0)
        std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(code));
    std::printf("%s %s: %s\n", what, name, text);
}

class Win32Port : public Port {
public:
    Win32Port(HANDLE handle, const IoRecords& records) : handle_(handle), io_(records) {}
    ~Win32Port() override
    {
        CloseHandle(handle_);
        closeEvents(&io_);
    }

    int available() override
    {
        if (gone_)
            return -1;
        DWORD errors = 0;
        COMSTAT status{};
        // Line errors (framing, parity, overrun) are cleared here and not reported.
        if (!ClearCommError(handle_, &errors, &status)) {
            gone_ = true;  // the adapter was unplugged
            return -1;
        }
        return static_cast<int>(status.cbInQue);
    }

    int read(uint8_t* buffer, int count) override
    {
        DWORD got = 0;
        if (gone_ || count <= 0)
            return 0;
        if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, &io_.read)) {
            gone_ = true;
            return 0;
        }
        return static_cast<int>(got);
    }

    int write(const uint8_t* buffer, int count) override
    {
        DWORD put = 0;
        if (gone_ || count <= 0)
            return 0;
        if (!WriteFile(handle_, buffer, static_cast<DWORD>(count), &put, &io_.write)) {
            gone_ = true;
            return 0;
        }
        return static_cast<int>(put);
    }

    // The console is polled by the caller; there is nothing here to wake on.
    void waitEvent(int maxMs, int) override { Sleep(static_cast<DWORD>(maxMs)); }

private:
    HANDLE handle_;
    IoRecords io_;
    bool gone_ = false;
};

}  // namespace

// Messages name the port as the user typed it, without the device prefix.
std::unique_ptr<Port> openPlatformPort(const char* name, long baud)
{
    const std::string device = windowsDeviceName(name);
    HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        printOsError("Can't open", name);
        return nullptr;
    }

    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // A rate the driver refuses would leave the line at its old speed and
    // every exchange garbled; say so instead.
    if (!SetCommState(handle, &dcb)) {
        char what[64];
        std::snprintf(what, sizeof what, "Can't set %ld baud on", baud);
        printOsError(what, name);
        CloseHandle(handle);
        return nullptr;
    }
    // The events are made only for a port that opened, so no failure leaves one behind.
    IoRecords io;
    std::memset(&io, 0, sizeof io);
    io.write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    io.read.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return std::make_unique<Win32Port>(handle, io);
}
