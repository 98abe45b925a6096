// The debugger at a terminal, where a script cannot stand in for the user:
// the terminal's line ends, Tab, keys for a running program, Ctrl-C, and
// quillsim's reset and abort switches pressed at any moment.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "child_process.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::string kDemoMot = BF_SOURCE_DIR "/examples/demo.mot";
const std::string kDemoMap = BF_SOURCE_DIR "/examples/demo.map";
const std::string kStars(68, '*');

using Bench = TerminalSession;

// The terminal turns each line feed into CR LF; the board's restart is shown
// raw and answered, with a fresh prompt on a new line.
TEST_F(Bench, BannerPromptsAndARestartOnQuillsim)
{
    startBoard();
    startDebugger();
    const std::string banner = kStars + "\r\n\r\nTarnwick SH7125 Brackenfell Ver 0.1(build 1)\r\n";
    EXPECT_EQ(bf.out.substr(0, banner.size()), banner);
    EXPECT_NE(bf.out.find("\r\nUse port " + port + " speed  19200\r\n\r\nTarget Board(SH7125) quillmon Ver 1.0"),
        std::string::npos)
        << bf.out;
    EXPECT_EQ(type("db ffffa000 20\r", "\r\n>"),
        "\r>db ffffa000 20\r\nFFFFA000 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ................\r\n"
        "FFFFA010 00 00 00 00                                     ....\r\n>");
    EXPECT_EQ(type("\r"),
        "\r>\r\nFFFFA014 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ................\r\n"
        "FFFFA024 00 00 00 00                                     ....\r\n>");
    const std::string restart = press(SIGUSR1, "\r\n>");
    EXPECT_NE(restart.find('\x02'), std::string::npos) << "the frame is echoed";
    EXPECT_EQ(type("nosuch\r"), "\r>nosuch\r\nUnknown Command\r\n>");
    quit();
}

// Tab completes command names and map symbols; where nothing completes it
// stays as a word separator. Erased flash reads FF.
TEST_F(Bench, TabCompletesCommandsAndSymbols)
{
    startDebugger({"-m", kDemoMap});
    const std::pair<const char*, const char*> rows[] = {
        {"Db\t0x1000,,4\r", "\n001000 FF FF FF FF    "}, // the command, then a blank
        {"db\t0x1000\t2\r", "\n001000 FF FF    "}, // nothing to complete: a separator
        {"da _sh\t\r", "\n0000202E      _show_count:"}, // a unique symbol
        {"db _sta\t+2,,1\r", "\n00200A FF    "}, // no blank after it: the expression goes on
        {"db _start\t2\r", "\n002008 FF FF    "}, // a whole symbol: the Tab separates
        {"db _p\t\t", "_put_decimal  _puts  _putc\r\n"}, // the common start, then the list
        {"c\r", "\n0020AC FF FF    "}, // _putc, with the size of the dump before
        {"d\t", "DB  DW  DL  DA\r\n"},
    };
    for (const auto& [keys, shown] : rows)
        type(keys, shown);
    sendText(&bf, "\x15"); // Ctrl+U drops the "D" left by the last row
    quit();
    EXPECT_EQ(bf.out.find('\a'), std::string::npos) << "no bell";
}

// However the program ends, the terminal is handed back with its line
// discipline and echo: the shell's own stty, run after it, shows them.
TEST_F(Bench, TerminalIsRestoredAfterQuitAndInterrupt)
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

// The demo on quillsim: a key reaches it, the abort switch stops it, Enter
// runs it again and Escape gives the prompt back. With the user flag set,
// the reset switch starts it anew without G. The program ends its lines with
// CR LF, which the terminal shows as CR CR LF.
TEST_F(Bench, DemoTakesKeysStopsAtTheSwitchesAndStartsByItselfWithTheFlag)
{
    startBoard();
    startDebugger();
    type("lo " + kDemoMot + "\r", "Finished to load " + kDemoMot + "\r\n>");
    EXPECT_EQ(type("usr\r"), "\r>usr\r\nPrecede user program execution. Write flag.\r\nSucceed.\r\n>");
    type("r pc memL(0x2000)\r");
    type("r sp memL(0x2004)\r");
    type("g\r", "count = 0\r\r\nPress a key: ");
    type("x", "x\r\r\ncount = 1\r\r\nPress a key: ");
    usleep(100 * 1000);
    const std::string stop = press(SIGUSR2, "\r\n>");
    EXPECT_EQ(stop.substr(0, 15), "Abort by User\r\n") << stop;
    type("\r", "\r\n");
    usleep(100 * 1000);
    EXPECT_EQ(type("\x1b"), "Unknown packet\r\n>");
    press(SIGUSR1, "Hello from the quillsim demo.\r\r\ncount = 0\r\r\nPress a key: ");
    // The greeting stands where the prompt was, so the line is read with
    // relative moves: kill-line, word-erase, a cursor key ignored, and an
    // erase that takes a whole UTF-8 character.
    const std::string edited = type("zz\x15"
                                    "fe 7 \x17\x1b[A1\xC3\xA9\x7F"
                                    "0\r");
    EXPECT_NE(edited.find("\r\nInvalid block number 10\r\n>"), std::string::npos) << edited;
    quit();
}

// With the board in the debugger's own process, Ctrl-C while the program
// runs presses its abort switch; the debugger goes on.
TEST_F(Bench, CtrlCAbortsTheInProcessBoard)
{
    startDebugger();
    setUpLoop();
    type("g\r", "g\r\n");
    usleep(200 * 1000);
    const std::string seen = type("\x03");
    EXPECT_EQ(seen.substr(0, 15), "Abort by User\r\n") << seen;
    EXPECT_NE(seen.find("PC :FFFFA80"), std::string::npos) << seen;
    quit();
}

} // namespace
