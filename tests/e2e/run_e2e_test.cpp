// G and S through the real debugger on real code: SH-2 programs built with
// binutils in the test run, loaded into quillsim's flash, driven on a
// terminal (keys, Escape, the abort switch) or by a script.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "child_process.h"
#include "support/sh_program.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};
constexpr int kDeadlineMs = 5000;

// quillsim serving image on a pseudo-terminal of its own.
bool startBoard(Child* board, const std::string& image, std::string* device)
{
    if (!startWithScript(board, {BF_BINARY_DIR "/quillsim", "--pty", "--flash", image}, "", {}) ||
        !readUntil(board, "\n", kDeadlineMs))
        return false;
    *device = board->out.substr(0, board->out.find_first_of("\r\n"));
    return device->substr(0, 1) == "/";
}

// Types a line and waits until needle shows after it; the text from the line on.
std::string typeAndSee(Child* bf, const std::string& line, const std::string& needle)
{
    size_t from = bf->out.size();
    sendText(bf, line);
    EXPECT_TRUE(readUntil(bf, needle, kDeadlineMs, from)) << "after \"" << line << "\":\n" << bf->out.substr(from);
    return bf->out.substr(from);
}

// The demo at a terminal: a break at a symbol, steps through a delayed
// branch, its text and a key, the abort switch, Escape. The program ends its
// lines with CR LF, which the terminal shows as CR CR LF.
TEST(RunEndToEnd, DemoAtTheTerminal)
{
    const std::string image = testing::TempDir() + "run_e2e_demo.bin";
    ASSERT_TRUE(srecordToFlashImage(BF_SOURCE_DIR "/examples/demo.mot", 0x2000, image));
    Child board;
    std::string device;
    ASSERT_TRUE(startBoard(&board, image, &device)) << board.out;
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", device, "-m", BF_SOURCE_DIR "/examples/demo.map"}, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, "*\r\n>", kDeadlineMs)) << bf.out;

    // The demo's own vector pair gives PC and SP.
    typeAndSee(&bf, "r pc memL(0x2000)\r", "\r\n>");
    typeAndSee(&bf, "r sp memL(0x2004)\r", "\r\n>");
    typeAndSee(&bf, "bs 1 _show_count\r", "\r\n>");
    std::string seen = typeAndSee(&bf, "g\r", "\r\n>");
    EXPECT_NE(seen.find("Hello from the quillsim demo.\r\r\nBreak\r\nR00:"), std::string::npos) << seen;
    EXPECT_NE(seen.find("R04:00000000 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("SP: FFFFBF80\r\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("PC :0000202E "), std::string::npos) << seen;
    EXPECT_NE(seen.find("_show_count"), std::string::npos) << seen;

    // The fifth step is BSR _puts with MOV R0,R4 in its slot: one step, at _puts.
    seen = typeAndSee(&bf, "s 5\r", "\r\n>");
    size_t last = seen.rfind("R00:");
    EXPECT_NE(seen.find("R04:00002124 ", last), std::string::npos) << seen;
    EXPECT_NE(seen.find("PC :00002094 ", last), std::string::npos) << seen;

    typeAndSee(&bf, "bc 1\r", "\r\n>");
    typeAndSee(&bf, "g\r", "count = 0\r\r\nPress a key: ");
    typeAndSee(&bf, "x", "x\r\r\ncount = 1\r\r\nPress a key: ");
    size_t before = bf.out.size();
    ASSERT_EQ(kill(board.pid, SIGUSR2), 0);
    ASSERT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs, before)) << bf.out.substr(before);
    EXPECT_EQ(bf.out.substr(before, 15), "Abort by User\r\n");

    // Enter after an abort runs again; Escape gives the prompt back.
    typeAndSee(&bf, "\r", "\r\n");
    usleep(100 * 1000);
    typeAndSee(&bf, "\x1b", "Unknown packet\r\n>");
    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

// With the board in the debugger's own process, Ctrl-C while the program
// runs presses its abort switch; the debugger goes on.
TEST(RunEndToEnd, CtrlCAbortsTheInProcessBoard)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", "sim"}, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, "*\r\n>", kDeadlineMs)) << bf.out;
    typeAndSee(&bf, "ww ffffa800 affe\r", "\r\n>"); // BRA to itself
    typeAndSee(&bf, "ww ffffa802 9\r", "\r\n>");
    typeAndSee(&bf, "r pc ffffa800\r", "\r\n>");
    typeAndSee(&bf, "r sp ffffb000\r", "\r\n>");
    typeAndSee(&bf, "g\r", "g\r\n");
    usleep(200 * 1000);
    std::string seen = typeAndSee(&bf, "\x03", "\r\n>");
    EXPECT_EQ(seen.substr(0, 15), "Abort by User\r\n") << seen;
    EXPECT_NE(seen.find("PC :FFFFA80"), std::string::npos) << seen;
    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

// A script runs G to a breakpoint and on: its own TRAPA handler prints and
// returns, and a TRAPA whose vector is the monitor's stops the program.
TEST(RunEndToEnd, ScriptBreaksStepsIntoAHandlerAndStopsAtAnUnhandledTrap)
{
    const std::string image = testing::TempDir() + "run_e2e_hello_trap.bin";
    ASSERT_TRUE(assembleFlashImage(BF_SOURCE_DIR "/tests/sim/programs/hello_trap.s", image));
    Child board;
    std::string device;
    ASSERT_TRUE(startBoard(&board, image, &device)) << board.out;
    Child bf;
    ASSERT_TRUE(startWithScript(
        &bf, {kProgram, "-c", device}, "r pc 0x2000\nr sp ffffbf80\nbs 1 0x2018\ng\ns\nbc 1\ng\nq\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    const std::string& out = bf.out;
    size_t stop = out.find(">g\nHelloBreak\nR00:");
    ASSERT_NE(stop, std::string::npos) << out;
    EXPECT_NE(out.find("PC :00002018 ", stop), std::string::npos) << out;
    size_t step = out.find(">s\nR00:", stop);
    ASSERT_NE(step, std::string::npos) << out;
    EXPECT_NE(out.find("PC :0000202A ", step), std::string::npos) << out; // the handler's first instruction
    size_t trap = out.find(">g\n!Exception TRAP 1\nR00:", step);
    ASSERT_NE(trap, std::string::npos) << out;
    EXPECT_NE(out.find("R03:00000007\n", trap), std::string::npos) << out;
    EXPECT_NE(out.find("PC :0000201E ", trap), std::string::npos) << out;
}

} // namespace
