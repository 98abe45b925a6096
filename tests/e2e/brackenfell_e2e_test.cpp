#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "child_process.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::string kBoard = BF_BINARY_DIR "/quillsim";
const std::string kStars(68, '*');
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};
constexpr int kDeadlineMs = 5000;

// The terminal turns each line feed into CR LF.
const std::string kPrompt = kStars + "\r\n>";
const std::string kHelpLast = " HELP/H                    : ";

// Waits for the start-up to finish and the first prompt to show.
void expectStartedOnTerminal(Child* bf, const std::string& portShown)
{
    ASSERT_TRUE(readUntil(bf, kPrompt, kDeadlineMs)) << bf->out;
    const std::string& out = bf->out;
    EXPECT_EQ(out.find("usage:"), std::string::npos);
    EXPECT_EQ(out.substr(0, 72), kStars + "\r\n\r\n");
    EXPECT_NE(out.find("\r\nTarnwick SH7125 Brackenfell Ver 0.1(build 1)\r\n"), std::string::npos);
    EXPECT_NE(out.find("\r\nUse port " + portShown + " speed  19200\r\n\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nTarget Board(SH7125) quillmon Ver "), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nFlash-program/data address = "), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nUser data address =          "), std::string::npos) << out;
    EXPECT_NE(out.find("\r\nTotal User RAM Area =        "), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n\r\nEnter 'HELP' for usage.\r\n\r\n" + kPrompt), std::string::npos) << out;
    EXPECT_EQ(out.find("No responce"), std::string::npos) << out;
}

// Types a line and waits until needle shows after it.
void typeAndSee(Child* bf, const std::string& line, const std::string& needle)
{
    size_t from = bf->out.size();
    sendText(bf, line + "\r");
    EXPECT_TRUE(readUntil(bf, needle, kDeadlineMs, from)) << "after \"" << line << "\":\n" << bf->out.substr(from);
}

// The board either in-process ("-c sim") or as the separate quillsim program
// on a pseudo-terminal of its own ("-c <device>").
class Board : public testing::Test {
protected:
    void startBoardProgram()
    {
        ASSERT_TRUE(startWithScript(&board, {kBoard, "--pty"}, "", {}));
        ASSERT_TRUE(readUntil(&board, "\n", kDeadlineMs)) << "quillsim printed no device path: " << board.out;
        device = board.out.substr(0, board.out.find('\n'));
        if (!device.empty() && device.back() == '\r')
            device.pop_back();
        ASSERT_EQ(device.substr(0, 1), "/") << board.out;
    }
    void TearDown() override
    {
        if (board.pid > 0 && board.status < 0) {
            kill(board.pid, SIGTERM);
            waitExit(&board, kDeadlineMs);
        }
    }
    Child board;
    std::string device;
};

class EitherBoard : public Board, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        if (GetParam()) {
            startBoardProgram();
            port = device;
            shown = device;
        }
    }
    std::string port = "sim";
    std::string shown = "sim ";
};

class BoardProcess : public Board {
protected:
    void SetUp() override { startBoardProgram(); }
};

TEST_P(EitherBoard, SessionAtTheTerminal)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", port}, kPlainEnv));
    expectStartedOnTerminal(&bf, shown);

    size_t helpStart = bf.out.size();
    typeAndSee(&bf, "h", kHelpLast);
    typeAndSee(&bf, "", kHelpLast);  // HELP leaves nothing to repeat: Enter runs h again
    readUntil(&bf, kStars + "\r\n>", kDeadlineMs, bf.out.rfind(kHelpLast));
    EXPECT_EQ(countOf(bf.out.substr(helpStart), kHelpLast), 2);
    // Shift-JIS in the "C" locale: the title line's bytes.
    EXPECT_NE(bf.out.find(" \x83R\x83}\x83\x93\x83h\x88\xEA\x97\x97 \r\n"), std::string::npos);

    typeAndSee(&bf, "nosuch 1 2", "Unknown Command\r\n>");
    typeAndSee(&bf, "fe", "No effective parameter(s)\r\n>");
    size_t before = bf.out.size();
    typeAndSee(&bf, "", "No effective parameter(s)\r\n>");
    EXPECT_EQ(countOf(bf.out.substr(before), "No effective parameter(s)"), 1);

    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

TEST_P(EitherBoard, HelpIsUtf8InAUtf8Locale)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", port}, {"LC_ALL=C.UTF-8", "TERM=dumb"}));
    expectStartedOnTerminal(&bf, shown);
    typeAndSee(&bf, "HELP", kHelpLast);
    EXPECT_NE(bf.out.find(" コマンド一覧 \r\n"), std::string::npos) << bf.out;
    sendText(&bf, "Q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0);
}

TEST_P(EitherBoard, EndOfInputAtTheTerminalQuits)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", port}, kPlainEnv));
    expectStartedOnTerminal(&bf, shown);
    sendText(&bf, "\x04");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

TEST_P(EitherBoard, ScriptRunsLinesInOrderAndEndsWithStatusZero)
{
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", port}, "nosuch\nfe\n\nh\nbc\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    const std::string& out = bf.out;
    size_t at = out.find(kStars + "\n>nosuch\nUnknown Command\n");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_NE(out.find(">fe\nNo effective parameter(s)\n>\nNo effective parameter(s)\n>h\n" + kStars, at),
              std::string::npos)
        << out;
    const std::string tail = ">bc\nInvalid parameters\n>\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
}

TEST_P(EitherBoard, EnterContinuesADumpFromWhereItEnded)
{
    Child bf;
    // 20 is decimal: 0x14 bytes, so the repeat starts at FFFFA014.
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", port}, "db ffffa000 20\n\nr\n\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    const std::string& out = bf.out;
    size_t first = out.find(">db ffffa000 20\nFFFFA000 ");
    ASSERT_NE(first, std::string::npos) << out;
    size_t again = out.find("\n>\nFFFFA014 ", first);
    EXPECT_NE(again, std::string::npos) << out;
    // After R in any form, Enter shows all registers again.
    size_t r = out.find(">r\n", first);
    ASSERT_NE(r, std::string::npos) << out;
    EXPECT_EQ(countOf(out.substr(r), "PC :"), 2) << out.substr(r);
}

TEST_P(EitherBoard, ScriptLineTooLongRunsNothing)
{
    Child bf;
    std::string script = "h " + std::string(200, 'x') + "\nnosuch\n";
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", port}, script, kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    EXPECT_NE(bf.out.find("Input line too long (at most 127 characters).\n>nosuch\nUnknown Command\n"),
              std::string::npos)
        << bf.out;
    EXPECT_EQ(bf.out.find(kHelpLast), std::string::npos);
}

TEST(EndToEnd, MissingDeviceIsReportedAndEndsWithStatusZero)
{
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", "/nonexistent/ttyS9"}, "h\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    const std::string& out = bf.out;
    size_t banner = out.find("Use port /nonexistent/ttyS9 speed  19200\n\n");
    ASSERT_NE(banner, std::string::npos) << out;
    std::string after = out.substr(banner + 42);
    // The port layer says why, then the start-up gives up without reading a line.
    EXPECT_NE(after.find("/nonexistent/ttyS9"), std::string::npos) << out;
    const std::string last = "initCom() returns with error.\n";
    ASSERT_GE(after.size(), last.size());
    EXPECT_EQ(after.substr(after.size() - last.size()), last);
    EXPECT_EQ(out.find(kHelpLast), std::string::npos);
}

TEST(EndToEnd, UnsupportedBaudIsRefusedByTheDevice)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", name, "-s", "12345"}, "", kPlainEnv));
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    close(master);
    close(slave);
    EXPECT_NE(bf.out.find("Use port " + std::string(name) + " speed  12345\n"), std::string::npos) << bf.out;
    EXPECT_NE(bf.out.find("12345"), bf.out.rfind("12345")) << "the refusal names the rate: " << bf.out;
    EXPECT_NE(bf.out.find("initCom() returns with error.\n"), std::string::npos) << bf.out;
}

TEST(EndToEnd, NonNumericBaudKeepsTheDefault)
{
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-s", "fast", "-c", "SiM"}, "", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    EXPECT_NE(bf.out.find("Use port sim  speed  19200\n"), std::string::npos) << bf.out;
    EXPECT_EQ(bf.out.find("usage:"), std::string::npos);
}

// However the program ends, the terminal is handed back with its line
// discipline and echo: the shell's own stty, run after it, shows them.
TEST(EndToEnd, TerminalIsRestoredHoweverTheProgramEnds)
{
    struct Way {
        const char* what;
        const char* keys;
        const char* status;
    } ways[] = {
        {"quit", "q\r", "rc=0\r\n"},
        {"end of input", "\x04", "rc=0\r\n"},
        {"interrupt", "\x03", "rc=130\r\n"},
        {"interrupt while typing", "db 10\x03", "rc=130\r\n"},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        Child sh;
        // The shell survives the interrupt (its trap) and reports how the program ended.
        std::string command = "trap : INT; " + kProgram + " -c sim; echo rc=$?; stty -a";
        ASSERT_TRUE(startOnTerminal(&sh, {"/bin/sh", "-c", command}, kPlainEnv));
        ASSERT_TRUE(readUntil(&sh, kPrompt, kDeadlineMs)) << sh.out;
        sendText(&sh, way.keys);
        ASSERT_EQ(waitExit(&sh, kDeadlineMs), 0) << sh.out;
        size_t rc = sh.out.find("rc=", sh.out.find(kPrompt));
        ASSERT_NE(rc, std::string::npos) << sh.out;
        std::string after = sh.out.substr(rc);
        EXPECT_EQ(after.substr(0, std::strlen(way.status)), way.status);
        EXPECT_NE(after.find(" icanon"), std::string::npos) << after;
        EXPECT_EQ(after.find("-icanon"), std::string::npos) << after;
        EXPECT_NE(after.find(" echo "), std::string::npos) << after;
    }
}

TEST_F(BoardProcess, DeviceAtTheTerminalAndRestartWhileThePromptWaits)
{
    Child bf;
    ASSERT_TRUE(startOnTerminal(&bf, {kProgram, "-c", device, "-s", "115200"}, kPlainEnv));
    ASSERT_TRUE(readUntil(&bf, kPrompt, kDeadlineMs)) << bf.out;
    EXPECT_NE(bf.out.find("Use port " + device + " speed 115200\r\n"), std::string::npos) << bf.out;
    EXPECT_NE(bf.out.find("\r\nTarget Board(SH7125) quillmon Ver "), std::string::npos) << bf.out;

    typeAndSee(&bf, "h", kHelpLast);
    ASSERT_TRUE(readUntil(&bf, kStars + "\r\n>", kDeadlineMs, bf.out.rfind(kHelpLast)));

    // The board restarts on its own: its announcement is shown raw and answered,
    // and a fresh prompt stands on a new line.
    size_t before = bf.out.size();
    ASSERT_EQ(kill(board.pid, SIGUSR1), 0);
    EXPECT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs, before)) << bf.out.substr(before);
    EXPECT_NE(bf.out.find("\x02", before), std::string::npos) << "the frame is echoed";

    typeAndSee(&bf, "nosuch", "Unknown Command\r\n>");
    sendText(&bf, "q\r");
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
}

TEST_F(BoardProcess, ScriptAgainstTheDevice)
{
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, {kProgram, "-c", device}, "nosuch\nq\nh\n", kPlainEnv));
    ASSERT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    EXPECT_NE(bf.out.find("Target Board(SH7125) quillmon Ver "), std::string::npos) << bf.out;
    EXPECT_NE(bf.out.find(">nosuch\nUnknown Command\n>q\n"), std::string::npos) << bf.out;
    // Q ends the program: the line after it is never run.
    EXPECT_EQ(bf.out.find(kHelpLast), std::string::npos) << bf.out;
}

INSTANTIATE_TEST_SUITE_P(InProcessAndDevice, EitherBoard, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) {
                             return param.param ? std::string("QuillsimDevice") : std::string("InProcessSim");
                         });

}  // namespace
