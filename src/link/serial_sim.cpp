// The port "sim": the simulated board in this process, with no serial device
// in between. The adapter lives with the other ports, so the board library
// knows nothing of the debugger.
#include "link/serial.h"
#include "link/sim_port.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

namespace quill {

namespace {

// Lives until the program ends and is never freed, like the port that uses
// it: nothing that runs at exit can find it gone.
Board* theBoard = nullptr;

// Sleeps for ms at most, waking early when the console has input.
void waitForConsole(int ms, int consoleFd)
{
#ifdef _WIN32
    (void)consoleFd;
    Sleep(static_cast<DWORD>(ms));
#else
    struct pollfd pfd{consoleFd, POLLIN, 0};
    // A negative descriptor is skipped by poll(), which then simply sleeps.
    poll(&pfd, 1, ms);
#endif
}

class SimPort : public Port {
public:
    explicit SimPort(Board& board) : board_(board) {}

    int available() override { return static_cast<int>(board_.pendingToHost()); }

    int read(uint8_t* buffer, int count) override
    {
        if (count <= 0)
            return 0;
        return static_cast<int>(board_.takeToHost(buffer, static_cast<size_t>(count)));
    }

    int write(const uint8_t* buffer, int count) override
    {
        if (count <= 0)
            return 0;
        board_.receiveFromHost(buffer, static_cast<size_t>(count));
        return count;
    }

    void waitEvent(int maxMs, int consoleFd) override
    {
        if (maxMs < 0)
            maxMs = 0;
        if (board_.pendingToHost() > 0)
            return;
        board_.advance(maxMs);
        if (board_.pendingToHost() > 0 || board_.busy())
            return;
        waitForConsole(maxMs, consoleFd);
    }

    bool hasAbortSwitch() override { return true; }
    void pressAbortSwitch() override { board_.abortSwitch(); }

private:
    Board& board_;
};

}  // namespace

std::unique_ptr<Port> openBoardPort()
{
    if (theBoard == nullptr)
        theBoard = new Board;
    theBoard->memory().clear();
    theBoard->powerOn();
    theBoard->hostConnected();
    return std::make_unique<SimPort>(*theBoard);
}

Board* simBoard()
{
    return theBoard;
}

}  // namespace quill

std::unique_ptr<Port> openSimPort()
{
    return quill::openBoardPort();
}
