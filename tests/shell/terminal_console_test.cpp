// The terminal backend on a real pseudo-terminal standing in for the user's
// keyboard: key detection without consuming, raw keys, line editing, and the
// terminal always handed back as it was found.
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "shell/console_backend.h"

namespace {

class TerminalConsoleTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        savedStdin = dup(STDIN_FILENO);
        ASSERT_EQ(dup2(slave, STDIN_FILENO), STDIN_FILENO);
        ASSERT_EQ(tcgetattr(STDIN_FILENO, &found), 0);
        terminal = makePlatformConsole();
        ASSERT_FALSE(terminal->scripted());
    }
    void TearDown() override
    {
        terminal.reset();
        dup2(savedStdin, STDIN_FILENO);
        close(savedStdin);
        close(slave);
        close(master);
    }
    void type(const std::string& keys) { ASSERT_EQ(write(master, keys.data(), keys.size()), (ssize_t)keys.size()); }
    tcflag_t localFlags()
    {
        termios now;
        tcgetattr(STDIN_FILENO, &now);
        return now.c_lflag;
    }
    // Gives the terminal a moment to pass typed keys to the reading side.
    bool keyWithin(int ms)
    {
        for (int i = 0; i < ms; ++i) {
            if (terminal->keyWaiting())
                return true;
            usleep(1000);
        }
        return false;
    }

    int master = -1, slave = -1, savedStdin = -1;
    termios found{};
    std::unique_ptr<Console> terminal;
};

TEST_F(TerminalConsoleTest, SingleKeyIsSeenBeforeEnterAndNotConsumed)
{
    EXPECT_FALSE(terminal->keyWaiting());
    EXPECT_EQ(terminal->waitFd(), STDIN_FILENO);
    type("x");
    ASSERT_TRUE(keyWithin(500));
    EXPECT_TRUE(terminal->keyWaiting());  // still there
    // Waiting for keys: no line discipline and no echo of the terminal's own.
    EXPECT_EQ(localFlags() & (ICANON | ECHO), 0u);
    EXPECT_EQ(terminal->readKey(), 'x');
    EXPECT_FALSE(terminal->keyWaiting());
}

TEST_F(TerminalConsoleTest, KeysAsTheRunControlSeesThem)
{
    struct Case {
        const char* typed;
        int key;
    } cases[] = {
        {"\x1b", KEY_ESC},
        {"\x1b[A", 0xE0},     // cursor up: not the abort key
        {"\x1b[15~", 0xE0},   // F5
        {"\x1bOP", 0xE0},     // F1
        {"\r", '\r'},          // Enter
        {"\x03", -1},          // Ctrl+C is left to the terminal (not read here)
    };
    for (const Case& c : cases) {
        if (c.key < 0)
            continue;
        SCOPED_TRACE(testing::PrintToString(std::string(c.typed)));
        type(c.typed);
        ASSERT_TRUE(keyWithin(500));
        EXPECT_EQ(terminal->readKey(), c.key);
        EXPECT_FALSE(keyWithin(30)) << "the rest of the key's sequence was left behind";
    }
}

TEST_F(TerminalConsoleTest, LineIsRead)
{
    type("db 1000\r");
    ASSERT_TRUE(keyWithin(500));
    char line[128];
    testing::internal::CaptureStdout();
    int length = terminal->readLine(line, sizeof line);
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(length, 7);
    EXPECT_STREQ(line, "db 1000");
}

TEST_F(TerminalConsoleTest, PlainEditingWhenThePromptIsNotKnown)
{
    struct Case {
        const char* typed;
        const char* line;
    } cases[] = {
        {"dbx\x7f 1\r", "db 1"},                 // erase
        {"abc\x15h\r", "h"},                      // kill the line
        {"db 10 20\x17\x17" "30\r", "db 30"},        // word erase: a word, then blanks and a word
        {"h\x1b[A\x1b[D\r", "h"},                 // cursor keys do not edit
        {"\xC3\xA4\x7f\x7fr\r", "r"},             // one erase takes a whole UTF-8 character
        {"\x7f\x7f\r", ""},                        // erase on an empty line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.typed)));
        type(c.typed);
        ASSERT_TRUE(keyWithin(500));
        usleep(10000);
        terminal->setPrompt(nullptr);
        char line[128];
        EXPECT_EQ(terminal->readLine(line, sizeof line), static_cast<int>(std::strlen(c.line)));
        EXPECT_STREQ(line, c.line);
    }
}

TEST_F(TerminalConsoleTest, OverlongLineIsRefusedAndNextLineReadCleanly)
{
    type(std::string(200, 'x') + "\r" + "h\r");
    ASSERT_TRUE(keyWithin(500));
    char line[128];
    testing::internal::CaptureStdout();
    int first = terminal->readLine(line, sizeof line);
    int second = terminal->readLine(line, sizeof line);
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, INPUT_TOO_LONG);
    EXPECT_EQ(second, 1);
    EXPECT_STREQ(line, "h");
}

TEST_F(TerminalConsoleTest, EndOfInputOnAnEmptyLine)
{
    // Pressed while the prompt waits, and typed ahead while a command ran.
    for (bool promptWaiting : {true, false}) {
        SCOPED_TRACE(promptWaiting ? "at the prompt" : "typed ahead");
        if (promptWaiting) {
            EXPECT_FALSE(terminal->keyWaiting());
        }
        type("\x04");
        ASSERT_TRUE(keyWithin(500));
        char line[128] = "old";
        EXPECT_EQ(terminal->readLine(line, sizeof line), INPUT_END);
        EXPECT_STREQ(line, "");
    }
}

TEST_F(TerminalConsoleTest, KeysTypedAheadOfTheLineAreNotLost)
{
    type("d");
    ASSERT_TRUE(keyWithin(500));
    type("b 10\r");
    usleep(20000);
    char line[128];
    EXPECT_EQ(terminal->readLine(line, sizeof line), 5);
    EXPECT_STREQ(line, "db 10");
    // Back to watching keys as soon as the line is in.
    EXPECT_EQ(localFlags() & (ICANON | ECHO), 0u);
}

TEST_F(TerminalConsoleTest, RestoreHandsBackTheModeFound)
{
    ASSERT_NE(localFlags() & ICANON, found.c_lflag & ICANON);
    terminal->restore();
    EXPECT_EQ(localFlags(), found.c_lflag);
    terminal->keyWaiting();
    terminal.reset();  // going away also puts it back
    EXPECT_EQ(localFlags(), found.c_lflag);
}

}  // namespace
