// The terminal backend on a real pseudo-terminal standing in for the user's
// keyboard: a key seen without consuming it, and the terminal handed back as found.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "shell/console_backend.h"

namespace {

tcflag_t localFlags()
{
    termios now{};
    tcgetattr(STDIN_FILENO, &now);
    return now.c_lflag;
}

TEST(TerminalConsole, SingleKeyIsSeenWithoutConsumingItAndTheTerminalIsRestored)
{
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int savedStdin = dup(STDIN_FILENO);
    ASSERT_EQ(dup2(slave, STDIN_FILENO), STDIN_FILENO);
    const tcflag_t found = localFlags();
    {
        std::unique_ptr<Console> terminal = makePlatformConsole();
        EXPECT_FALSE(terminal->scripted());
        EXPECT_FALSE(terminal->keyWaiting());
        // Waiting for keys: no line discipline and no echo of the terminal's own.
        EXPECT_EQ(localFlags() & (ICANON | ECHO), 0u);
        ASSERT_EQ(write(master, "x", 1), 1);
        bool seen = false;
        for (int ms = 0; ms < 500 && !seen; ++ms, usleep(1000))
            seen = terminal->keyWaiting();
        EXPECT_TRUE(seen);
        EXPECT_TRUE(terminal->keyWaiting());  // still there
        EXPECT_EQ(terminal->readKey(), 'x');
        EXPECT_FALSE(terminal->keyWaiting());
        terminal->restore();
        EXPECT_EQ(localFlags(), found);
        terminal->keyWaiting();
    }  // going away also puts it back
    EXPECT_EQ(localFlags(), found);
    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    close(slave);
    close(master);
}

}  // namespace
