// The README's walkthrough with the demo, step by step as a user types it:
// on the in-process board up to the flag, then the flag's reset on quillsim,
// the board with a reset switch.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "child_process.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::string kDemoMot = BF_SOURCE_DIR "/examples/demo.mot";
const std::string kDemoMap = BF_SOURCE_DIR "/examples/demo.map";
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};
constexpr int kDeadlineMs = 5000;
// The terminal turns the program's own CR LF into CR CR LF: match the text.
const std::string kGreeting = "Hello from the quillsim demo.";

// Types a line, waits for the next prompt; what the command printed.
std::string type(Child* bf, const std::string& line)
{
    size_t from = bf->out.size();
    sendText(bf, line + "\r");
    EXPECT_TRUE(readUntil(bf, "\r\n>", kDeadlineMs, from)) << "after \"" << line << "\":\n" << bf->out.substr(from);
    return bf->out.substr(from);
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(Walkthrough, LoadListBreakRunStepAndFlagOnTheInProcessBoard)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", "sim", "-m", kDemoMap}, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs)) << bf.out;

    std::string out = type(&bf, "LO " + kDemoMot);
    EXPECT_TRUE(has(out, "Block 2-2 erased\r\n")) << out;
    EXPECT_TRUE(has(out, "\r\nFinished to load " + kDemoMot + "\r\n")) << out;

    out = type(&bf, "DA _show_count 3");
    EXPECT_TRUE(has(out, "0000202E      _show_count:\r\n0000202E 4F22     STS.L   PR,@-SP")) << out;

    out = type(&bf, "BS 0 _show_count");
    EXPECT_TRUE(has(out, "BS 0 _show_count\r\n>")) << out; // nothing to say when set
    EXPECT_TRUE(has(type(&bf, "BS"), "BreakPoint 0: 0000202E Mode=")) << bf.out;

    // The program's own vector pair: PC at 0x2000, SP at 0x2004.
    type(&bf, "R PC memL(0x2000)");
    type(&bf, "R SP memL(0x2004)");
    out = type(&bf, "G");
    EXPECT_TRUE(has(out, kGreeting)) << out;
    EXPECT_TRUE(has(out, "Break")) << out;
    EXPECT_TRUE(has(out, "PC :0000202E")) << out;
    out = type(&bf, "S");
    EXPECT_TRUE(has(out, "00002030 2F96")) << out;

    out = type(&bf, "USR");
    EXPECT_TRUE(has(out, "Precede user program execution. Write flag.\r\nSucceed.\r\n")) << out;
    EXPECT_TRUE(has(type(&bf, "DB 0x1FFFF 1"), "01FFFF 00 ")) << bf.out;
    sendText(&bf, "Q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

// With the flag set, the reset switch starts the demo instead of the
// monitor: its greeting reaches the debugger's console unasked.
TEST(Walkthrough, ResetStartsTheFlaggedDemoByItself)
{
    Child board;
    ASSERT_TRUE(startWithScript(&board, {BF_BINARY_DIR "/quillsim", "--pty"}, "", {}));
    ASSERT_TRUE(readUntil(&board, "\n", kDeadlineMs)) << board.out;
    std::string device = board.out.substr(0, board.out.find_first_of("\r\n"));
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", device, "-m", kDemoMap}, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs)) << bf.out;
    EXPECT_TRUE(has(type(&bf, "LO " + kDemoMot), "Finished to load")) << bf.out;
    EXPECT_TRUE(has(type(&bf, "USR"), "Succeed.")) << bf.out;

    size_t before = bf.out.size();
    ASSERT_EQ(kill(board.pid, SIGUSR1), 0);
    EXPECT_TRUE(readUntil(&bf, kGreeting, kDeadlineMs, before)) << bf.out.substr(before);
    sendText(&bf, "Q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

} // namespace
