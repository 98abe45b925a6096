// LO and USR as a user meets them: the debugger on a terminal, quillsim on a
// pseudo-terminal of its own, flash looked at with DB after each load.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>

#include "child_process.h"
#include "support/srecords.h"

namespace {

const std::string kProgram = BF_BINARY_DIR "/brackenfell";
const std::string kBoard = BF_BINARY_DIR "/quillsim";
const std::vector<std::string> kPlainEnv = {"LC_ALL=C", "TERM=dumb"};
constexpr int kDeadlineMs = 5000;

std::string tempPath(const std::string& name)
{
    return testing::TempDir() + "lo_" + std::to_string(getpid()) + "_" + name;
}

std::string writeFile(const std::string& name, const std::string& text)
{
    std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

class Load : public testing::Test {
protected:
    // quillsim with extra options, then the debugger on its device.
    void start(const std::vector<std::string>& boardOptions = {})
    {
        std::vector<std::string> argv = {kBoard, "--pty"};
        argv.insert(argv.end(), boardOptions.begin(), boardOptions.end());
        ASSERT_TRUE(startWithScript(board, argv, "", {}));
        ASSERT_TRUE(readUntil(board, "\n", kDeadlineMs)) << "quillsim printed no device path: " << board->out;
        std::string device = board->out.substr(0, board->out.find_first_of("\r\n"));
        ASSERT_TRUE(startOnTerminal(bf, {kProgram, "-c", device}, kPlainEnv));
        ASSERT_TRUE(readUntil(bf, "\r\n>", kDeadlineMs)) << bf->out;
    }

    // Types a line and waits for needle after it; what was printed meanwhile.
    std::string type(const std::string& line, const std::string& needle, int deadlineMs = kDeadlineMs)
    {
        size_t from = bf->out.size();
        sendText(bf, line + "\r");
        EXPECT_TRUE(readUntil(bf, needle, deadlineMs, from)) << "after \"" << line << "\":\n" << bf->out.substr(from);
        EXPECT_TRUE(readUntil(bf, "\r\n>", deadlineMs, from)) << "no prompt after \"" << line << "\"";
        return bf->out.substr(from);
    }

    void quit()
    {
        sendText(bf, "q\r");
        EXPECT_EQ(waitExit(bf, kDeadlineMs), 0) << bf->out;
    }

    // A fresh pair for a restart; the old pair is killed if still running.
    void renew()
    {
        boardOwner = std::make_unique<Child>();
        bfOwner = std::make_unique<Child>();
        board = boardOwner.get();
        bf = bfOwner.get();
    }

    std::unique_ptr<Child> boardOwner = std::make_unique<Child>();
    std::unique_ptr<Child> bfOwner = std::make_unique<Child>();
    Child* board = boardOwner.get();
    Child* bf = bfOwner.get();
};

// 0x2000: 07 0E 15 1C ... as srecImage makes them.
const std::string kImageDump = "002000 00 07 0E 15 1C 23 2A 31";

TEST_F(Load, IntoFlashAndIntoRam)
{
    start();
    std::string flash = writeFile("flash.mot", "S0030000FC\r\n" + srecImage(0x2000, 0x1100) + "S804002000DB\r\n");
    std::string out = type("lo " + flash, "Finished to load " + flash);
    EXPECT_NE(out.find("Block 2-3 erased\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Target Address=00003080\r"), std::string::npos) << out;
    type("db 0x2000 8", kImageDump);
    type("db 0x30f8 8", "0030F8 C8 CF D6 DD E4 EB F2 F9"); // the last bytes, 0x10F8 * 7 on
    type("db 0x3100 1", "003100 FF ");

    // Up to the last byte of RAM: the top of RAM is inside.
    std::string ram = writeFile("ram.mot", srec(3, 0xFFFFBFFC, {0xDE, 0xAD, 0xBE, 0xEF}) + "S70500000000FA\n");
    out = type("lo " + ram, "Finished to load " + ram);
    EXPECT_NE(out.find(ram + " : FFFFBFFC - FFFFC000\r\n"), std::string::npos) << out;
    type("db 0xffffbffc 4", "FFFFBFFC DE AD BE EF");

    // objcopy -I binary -O srec --change-addresses 0xFFFFA100 output, its CR LF made LF.
    std::string objcopy = writeFile("objcopy.mot",
        "S00A000072616D2E6D6F7437\nS315FFFFA10048656C6C6F2C2052414D20696D61676508\n"
        "S307FFFFA110210A1E\nS705FFFFA1005B\n");
    out = type("lo " + objcopy, "Finished to load " + objcopy);
    EXPECT_NE(out.find(objcopy + " : FFFFA100 - FFFFA112\r\n"), std::string::npos) << out;
    type("db 0xffffa10e 4", "FFFFA10E 67 65 21 0A");
    quit();
}

// Refused files leave flash as it was; a file reaching past flash loads the part inside it.
TEST_F(Load, FilesBeyondTheUserAreaAndPastFlash)
{
    start();
    std::string good = writeFile("good.mot", srecImage(0x2000, 0x80));
    type("lo " + good, "Finished to load " + good);

    std::string low = writeFile("low.mot", srecImage(0x1F80, 0x100, 0x55));
    std::string out = type("lo " + low, "Error loading " + low);
    EXPECT_NE(out.find("Invalid address\r\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("erased"), std::string::npos) << out;
    type("db 0x2000 8", kImageDump); // block 2 was not erased

    std::string crossing = writeFile("crossing.mot", srecImage(0x1FFF0, 0x20));
    out = type("lo " + crossing, "Error loading " + crossing);
    EXPECT_NE(out.find("This file contains out-of-flash block.\r\nCheck highest address of flash-rom block.\r\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("Invalid address\r\n"), std::string::npos) << out;

    std::string past = writeFile("past.mot", srecImage(0x1FF00, 0x80) + srecImage(0x20100, 0x40));
    out = type("lo " + past, "Finished to load " + past);
    EXPECT_NE(out.find(past +
                  " : 0001FF00 - 00020140\r\nThis file contains out-of-flash block.\r\n"
                  "Check highest address of flash-rom block.\r\n" +
                  past + " : 0001FF00 - 0001FF80\r\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("Block 9-9 erased\r\n"), std::string::npos) << out;
    type("db 0x1ff00 4", "01FF00 00 07 0E 15");
    type("db 0x2000 8", kImageDump); // block 2 untouched by a load confined to block 9
    quit();
}

// USR sets the flag; programming it again fails on the board (the piece is not
// erased); the next load erases block 9 with the flag.
TEST_F(Load, UserFlagAndItsBlock)
{
    start();
    type("usr", "Precede user program execution. Write flag.\r\nSucceed.\r\n");
    type("db 0x1ffff 1", "01FFFF 00 ");
    std::string out = type("usr", "Fail to write flag.\r\n");
    EXPECT_NE(out.find("writeUserFlag:Error(Write fail) at Flash-ROM Write phase(adrs=0001FF80, code=E8E8)\r\n"),
        std::string::npos)
        << out;

    std::string file = writeFile("block2.mot", srecImage(0x2000, 0x80));
    out = type("lo " + file, "Finished to load " + file);
    EXPECT_NE(out.find("Block 2-2 erased\r\nBlock 9(USER-Flag) erased\r\n"), std::string::npos) << out;
    type("db 0x1ffff 1", "01FFFF FF ");
    quit();
}

// The reset switch pressed while pieces are being programmed over a paced
// line: the load stops with its message, and the next one completes.
TEST_F(Load, ResetInTheMiddleOfALoad)
{
    start({"--baud", "115200"});
    std::string file = writeFile("big.mot", srecImage(0x2000, 0x4000));
    size_t from = bf->out.size();
    sendText(bf, "lo " + file + "\r");
    ASSERT_TRUE(readUntil(bf, "Target Address=00002800\r", 10000, from)) << bf->out.substr(from);
    ASSERT_EQ(kill(board->pid, SIGUSR1), 0);
    ASSERT_TRUE(readUntil(bf, "Error loading " + file, kDeadlineMs, from)) << bf->out.substr(from);
    EXPECT_EQ(bf->out.find("Finished to load", from), std::string::npos);
    ASSERT_TRUE(readUntil(bf, "\r\n>", kDeadlineMs, bf->out.find("Error loading", from)));
    // The reset cut a request short; the board may take the next request's
    // first bytes for the rest of it, and that load then fails as well. A
    // load after that completes.
    bool finished = false;
    for (int attempt = 0; attempt < 3 && !finished; ++attempt) {
        from = bf->out.size();
        sendText(bf, "lo " + file + "\r");
        const std::string done = "Finished to load " + file + "\r\n";
        const std::string failed = "Error loading " + file + "\r\n";
        // Whichever comes first, within 30 s: a stray frame may redraw the prompt meanwhile.
        for (int waited = 0; waited < 30000 && !finished; waited += 100) {
            finished = readUntil(bf, done, 100, from);
            if (!finished && bf->out.find(failed, from) != std::string::npos)
                break;
        }
        ASSERT_TRUE(finished || bf->out.find(failed, from) != std::string::npos) << bf->out.substr(from);
    }
    EXPECT_TRUE(finished) << bf->out;
    type("db 0x2000 8", kImageDump);
    quit();
}

// Flash survives quillsim's own restart when it is kept in a file.
TEST_F(Load, FlashFileKeepsALoadAcrossARestart)
{
    std::string flashFile = tempPath("board->flash");
    std::remove(flashFile.c_str());
    start({"--flash-file", flashFile});
    std::string file = writeFile("kept.mot", srecImage(0x2000, 0x80));
    type("lo " + file, "Finished to load " + file);
    quit();
    ASSERT_EQ(kill(board->pid, SIGTERM), 0);
    waitExit(board, kDeadlineMs);

    renew();
    start({"--flash-file", flashFile});
    type("db 0x2000 8", kImageDump);
    quit();
    std::remove(flashFile.c_str());
}

} // namespace
