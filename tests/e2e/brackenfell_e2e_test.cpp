#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "child_process.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::string kStars(68, '*');
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};
constexpr int kDeadlineMs = 5000;
const std::string kHelpLast = " HELP/H                    : ";

// Types a line and waits until needle shows after it.
void typeAndSee(Child* bf, const std::string& line, const std::string& needle)
{
    size_t from = bf->out.size();
    sendText(bf, line + "\r");
    EXPECT_TRUE(readUntil(bf, needle, kDeadlineMs, from)) << "after \"" << line << "\":\n" << bf->out.substr(from);
}

// The board in-process ("-c sim") or the separate quillsim program on a
// pseudo-terminal of its own ("-c <device>").
class EitherBoard : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!GetParam())
            return;
        ASSERT_TRUE(startWithScript(&board, {BF_BINARY_DIR "/quillsim", "--pty"}, "", {}));
        ASSERT_TRUE(readUntil(&board, "\n", kDeadlineMs)) << "quillsim printed no device path: " << board.out;
        port = shown = board.out.substr(0, board.out.find_first_of("\r\n"));
        ASSERT_EQ(port.substr(0, 1), "/") << board.out;
    }
    Child board;  // killed when the test ends
    std::string port = "sim";
    std::string shown = "sim ";
};

TEST_P(EitherBoard, SessionAtTheTerminal)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", port}, kPlainEnv));
    // The terminal turns each line feed into CR LF.
    ASSERT_TRUE(readUntil(&bf, kStars + "\r\n>", kDeadlineMs)) << bf.out;
    const std::string& out = bf.out;
    EXPECT_EQ(out.substr(0, 72), kStars + "\r\n\r\n");
    EXPECT_NE(out.find("\r\nTarnwick SH7125 Brackenfell Ver 0.1(build 1)\r\n"), std::string::npos);
    EXPECT_NE(out.find("\r\nUse port " + shown + " speed  19200\r\n\r\nTarget Board(SH7125) quillmon Ver "),
              std::string::npos) << out;
    size_t flash = out.find("\r\nFlash-program/data address = ");
    size_t user = out.find("\r\nUser data address =          ", flash);
    size_t total = out.find("\r\nTotal User RAM Area =        ", user);
    EXPECT_NE(out.find("\r\n\r\nEnter 'HELP' for usage.\r\n\r\n" + kStars + "\r\n>", total), std::string::npos) << out;
    EXPECT_EQ(out.find("No responce"), std::string::npos) << out;

    // Shift-JIS help in the "C" locale: its title line's bytes.
    typeAndSee(&bf, "h", " \x83R\x83}\x83\x93\x83h\x88\xEA\x97\x97 \r\n");
    typeAndSee(&bf, "", kHelpLast);  // HELP leaves nothing to repeat: Enter runs h again
    typeAndSee(&bf, "nosuch 1 2", "Unknown Command\r\n>");
    // 20 is decimal: 0x14 bytes, so Enter continues the dump at FFFFA014.
    typeAndSee(&bf, "db ffffa000 20", "\r\nFFFFA000 ");
    typeAndSee(&bf, "", "\r\nFFFFA014 ");
    if (GetParam()) {
        // The board restarts on its own: its announcement is shown raw and
        // answered, and a fresh prompt stands on a new line.
        ASSERT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs, out.rfind("FFFFA014 ")));
        size_t before = out.size();
        ASSERT_EQ(kill(board.pid, SIGUSR1), 0);
        EXPECT_TRUE(readUntil(&bf, "\x02", kDeadlineMs, before)) << "the frame is echoed";
        EXPECT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs, out.find('\x02', before))) << out.substr(before);
        typeAndSee(&bf, "nosuch", "Unknown Command\r\n>");
    }
    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << out;
}

TEST_P(EitherBoard, ScriptRunsLinesInOrderUntilQAndEndsWithStatusZero)
{
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", port}, "nosuch\nfe\n\nq\nh\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    const std::string tail = kStars + "\n>nosuch\nUnknown Command\n"
                                      ">fe\nNo effective parameter(s)\n>\nNo effective parameter(s)\n>q\n";
    ASSERT_GE(bf.out.size(), tail.size()) << bf.out;
    EXPECT_EQ(bf.out.substr(bf.out.size() - tail.size()), tail);  // nothing runs after Q
}

INSTANTIATE_TEST_SUITE_P(InProcessAndDevice, EitherBoard, testing::Bool(), [](const auto& param) {
    return param.param ? std::string("QuillsimDevice") : std::string("InProcessSim");
});

// Start-up failures: the port layer says why, then the start-up gives up with
// status 0 before reading a line.
TEST(EndToEnd, MissingDeviceAndRefusedBaudRate)
{
    int master = -1, slave = -1;
    char pty[128];
    ASSERT_EQ(openpty(&master, &slave, pty, nullptr, nullptr), 0);
    struct Case {
        std::vector<std::string> args;
        std::string banner, reason;
    } cases[] = {
        {{"-c", "/nonexistent/ttyS9"}, "Use port /nonexistent/ttyS9 speed  19200\n\n", "/nonexistent/ttyS9"},
        {{"-c", pty, "-s", "12345"}, "Use port " + std::string(pty) + " speed  12345\n\n", "12345"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        Child bf;
        c.args.insert(c.args.begin(), kProgram);
        ASSERT_TRUE(startWithScript(&bf, c.args, "h\n", kPlainEnv));
        ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
        size_t banner = bf.out.find(c.banner);
        ASSERT_NE(banner, std::string::npos) << bf.out;
        const std::string after = bf.out.substr(banner + c.banner.size());
        EXPECT_NE(after.find(c.reason), std::string::npos) << "the reason names it: " << bf.out;
        const std::string last = "initCom() returns with error.\n";
        ASSERT_GE(after.size(), last.size());
        EXPECT_EQ(after.substr(after.size() - last.size()), last);
    }
    close(master);
    close(slave);
}

// However the program ends, the terminal is handed back with its line
// discipline and echo: the shell's own stty, run after it, shows them.
TEST(EndToEnd, TerminalIsRestoredAfterQuitAndInterrupt)
{
    for (const char* keys : {"q\r", "db 10\x03"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(keys)));
        Child sh;
        // The shell survives the interrupt (its trap) and reports how the program ended.
        std::string command = "trap : INT; " + kProgram + " -c sim; echo rc=$?; stty -a";
        ASSERT_TRUE(startOnTerminal(&sh, {"/bin/sh", "-c", command}, kPlainEnv));
        ASSERT_TRUE(readUntil(&sh, kStars + "\r\n>", kDeadlineMs)) << sh.out;
        sendText(&sh, keys);
        ASSERT_EQ(waitExit(&sh, kDeadlineMs), 0) << sh.out;
        const std::string after = sh.out.substr(sh.out.find("rc=", sh.out.find(kStars + "\r\n>")));
        EXPECT_EQ(after.substr(0, after.find('\r')), keys[0] == 'q' ? "rc=0" : "rc=130");
        EXPECT_NE(after.find(" icanon"), std::string::npos) << after;
        EXPECT_EQ(after.find("-icanon"), std::string::npos) << after;
        EXPECT_NE(after.find(" echo "), std::string::npos) << after;
    }
}

}  // namespace
