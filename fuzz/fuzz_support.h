// What the fuzzers share: a console sink that costs no system call, the
// simulated board as the far end of the line with a bounded number of
// exchanges per input, and input lines served to the commands that ask for
// more. Everything here keeps one input's cost down to the code under test:
// no file, no sleep, no write to a device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "commands/command_line.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"
#include "sim/board.h"

namespace fuzz {

// The debugger flushes stdout after every echoed target byte and every
// prompt. Into /dev/null each flush is still a write(); into this sink it is
// a function call.
inline void silenceStdout()
{
    static const cookie_io_functions_t sink {
        nullptr, [](void*, const char*, size_t size) { return static_cast<ssize_t>(size); }, nullptr, nullptr};
    std::FILE* quiet = fopencookie(nullptr, "w", sink);
    if (quiet == nullptr)
        std::abort();
    setvbuf(quiet, nullptr, _IOFBF, 1 << 16);
    stdout = quiet;
}

// The input as a stream to read from memory. fmemopen wants a non-empty
// buffer; an empty input is one NUL, which the readers take as an empty line.
inline std::FILE* openInput(const uint8_t* data, size_t size)
{
    static const uint8_t empty[1] = {0};
    std::FILE* f = fmemopen(const_cast<uint8_t*>(size > 0 ? data : empty), size > 0 ? size : 1, "r");
    if (f == nullptr)
        std::abort();
    return f;
}

// One name and its address line of a map file, in the linker's columns.
inline std::string mapPair(const std::string& name, uint32_t address, char flag = 'g')
{
    char line[80];
    std::snprintf(line, sizeof line, "%34s%08X  00000004   func ,%c\n", "", address, flag);
    return "  " + name + "\n" + line;
}

// A name as long as the table takes (63 characters), unique to address.
inline std::string longName(char first, uint32_t address)
{
    char name[80];
    std::snprintf(name, sizeof name, "%c%.54s%08X", first,
        "abcdefghijklmnopqrstuvwxyz_ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789", address);
    return name;
}

// Loads map as the symbol table; aborts unless it gives `count` symbols.
inline void loadMap(const std::string& map, int count)
{
    std::FILE* f = openInput(reinterpret_cast<const uint8_t*>(map.data()), map.size());
    loadSymbolsFrom(f);
    std::fclose(f);
    if (symbolCount != count)
        std::abort();
}

// Whether a flash request reached the board since its flash was last
// erased: only then is the 128 KB erase worth its cost for the next input.
inline bool flashTouched = true;

// The in-process board behind the host's port. Replies are ready as soon as
// a request's last byte is written. A wait for a reply that is not there
// passes the line's silence on the board and returns at once, so a time-out
// costs one poll of no time. After `budget` writes the line goes dead (the
// board hears nothing more), so a command that would loop over thousands of
// exchanges stops at its first failed one instead of holding the fuzzer.
class BoardPort : public Port {
public:
    BoardPort(quill::Board& board, int budget)
        : board_(board)
        , budget_(budget)
    {
    }

    int available() override { return static_cast<int>(board_.pendingToHost()); }
    int read(uint8_t* buffer, int count) override
    {
        return count <= 0 ? 0 : static_cast<int>(board_.takeToHost(buffer, static_cast<size_t>(count)));
    }
    int write(const uint8_t* buffer, int count) override
    {
        if (count <= 0)
            return 0;
        if (budget_ > 0) {
            --budget_;
            // The host sends each request in one write.
            if (count >= 3 && buffer[0] == STX && (buffer[2] == FLASH_ERASE || buffer[2] == FLASH_WRITE))
                flashTouched = true;
            board_.receiveFromHost(buffer, static_cast<size_t>(count));
        }
        return count;
    }
    // The budget is spent: from here on every request goes unanswered.
    bool dead() const { return budget_ == 0; }

    void waitEvent(int, int) override
    {
        // A running program gets no CPU here: a slice is far dearer than an
        // input. The abort switch hands the board back to the monitor.
        if (board_.programActive())
            board_.abortSwitch();
        else
            board_.advance(quill::kFrameSilenceMs);
    }

private:
    quill::Board& board_;
    int budget_;
};

// A freshly powered board with erased flash and nothing on the line, as each
// input must find it so that a finding replays alone.
inline void freshBoard(quill::Board& board)
{
    if (flashTouched)
        board.memory().clear();
    flashTouched = false;
    board.powerOn(); // clears RAM
    board.hostConnected();
}

// The host's side of a fresh connection to board: one poll per reply byte,
// a new packet buffer.
inline const BoardPort* connect(quill::Board& board, int budget)
{
    freshBoard(board);
    auto port = std::make_unique<BoardPort>(board, budget);
    const BoardPort* shown = port.get();
    setComPort(std::move(port));
    rxTimeout = 1;
    resetPacketBuffer();
    return shown;
}

// The rest of an input, one line per request, for the commands that read
// lines of their own (the interactive write). A line longer than the
// reader's buffer is refused (-2) as the console refuses it; a NUL inside a
// line ends it, as it ends any C string the console hands on.
inline const uint8_t* lineData = nullptr;
inline size_t lineSize = 0, linePos = 0;

inline void serveLines(const uint8_t* data, size_t size)
{
    lineData = data, lineSize = size, linePos = 0;
}

inline int readFuzzLine(char* buffer, int capacity)
{
    if (linePos >= lineSize)
        return kLineInputEnd;
    // memchr, not a loop: code in these files is instrumented for coverage too.
    const void* feed = std::memchr(lineData + linePos, '\n', lineSize - linePos);
    const size_t start = linePos,
                 end = feed ? static_cast<size_t>(static_cast<const uint8_t*>(feed) - lineData) : lineSize;
    linePos = end < lineSize ? end + 1 : end;
    if (capacity <= 0 || end - start >= static_cast<size_t>(capacity)) {
        if (capacity > 0)
            buffer[0] = '\0';
        return -2;
    }
    std::memcpy(buffer, lineData + start, end - start);
    buffer[end - start] = '\0';
    return static_cast<int>(std::strlen(buffer));
}

} // namespace fuzz
