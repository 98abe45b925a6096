// Faults on the line between the debugger and quillsim, one command family
// after another: the debugger prints the failure (never a success), waits
// without spinning where the line went quiet, and works normally once the
// fault is gone. Where a lost byte leaves it waiting for a reply that will
// never come, the board's reset switch ends the wait, as it would at a bench.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "support/srecords.h"

namespace {

constexpr int kQuietMs = 2500; // longer than the debugger's wait inside a frame

// User and system CPU time of a process so far, in clock ticks.
long cpuTicks(pid_t pid)
{
    long utime = -1, stime = -1;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string skip;
    // Fields 14 and 15; the name in field 2 holds no blanks here.
    for (int field = 1; field < 14; ++field)
        stat >> skip;
    stat >> utime >> stime;
    return stat ? utime + stime : -1;
}

// A line typed with a fault on the line: the failure it must print and the
// success it must not.
struct FaultRow {
    const char* fault;
    std::string line;
    std::string printed;
    const char* success = "\x01 nothing";
    bool loop = false; // G and S: the program that runs until stopped is set up first
    const char* armAfter = nullptr; // the fault comes once this shows, else before the line
    bool pressAbort = false; // then the abort switch stops the running program
};

class LineFaults : public TerminalSession {
protected:
    void SetUp() override
    {
        fifo_ = "/tmp/bf-faults-" + std::to_string(getpid());
        unlink(fifo_.c_str());
        startBoard({"--fault-fifo", fifo_});
        startDebugger();
    }
    void TearDown() override { unlink(fifo_.c_str()); }

    void setFault(const std::string& fault)
    {
        int fd = open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        const std::string line = fault + "\n";
        EXPECT_EQ(write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        close(fd);
        usleep(50000); // taken before the next request reaches the board
    }

    // The board lets go of the line (before the line is typed, or while it
    // runs): the debugger stops waiting, says why and ends, without a word of
    // success.
    void expectHangUp(const std::string& line, bool whileRunning)
    {
        if (!whileRunning)
            setFault("hangup");
        sendText(&bf, line + "\r");
        if (whileRunning) {
            usleep(100000);
            setFault("hangup");
        }
        EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
        EXPECT_NE(bf.out.find("Serial port closed: the device has gone away.\r\n"), std::string::npos) << bf.out;
        EXPECT_EQ(bf.out.find("Abort by User"), std::string::npos) << bf.out;
        EXPECT_EQ(waitExit(&board, kDeadlineMs), 0) << board.out;
    }

    // Each row's line under its fault. A debugger left waiting must be idle;
    // the fault is then taken away and the board reset, which ends the wait.
    // Afterwards a dump of RAM shows its line and nothing else.
    void checkRows(const std::vector<FaultRow>& rows)
    {
        for (const FaultRow& row : rows) {
            if (row.loop)
                setUpLoop();
            SCOPED_TRACE(row.line + " under " + row.fault);
            if (row.armAfter == nullptr)
                setFault(row.fault);
            const size_t from = bf.out.size();
            if (row.armAfter != nullptr) {
                type(row.line + "\r", row.armAfter);
                if (row.pressAbort)
                    usleep(100000); // the program is running
                setFault(row.fault);
                if (row.pressAbort)
                    kill(board.pid, SIGUSR2);
            } else {
                sendText(&bf, row.line + "\r");
            }
            if (!readUntil(&bf, kPrompt, kQuietMs, from + 1)) {
                const long before = cpuTicks(bf.pid);
                usleep(500000);
                EXPECT_GE(before, 0);
                EXPECT_LE(cpuTicks(bf.pid) - before, 5) << "the waiting debugger spins";
                setFault("off");
                press(SIGUSR1, kPrompt);
            }
            setFault("off");
            usleep(100000); // what the fault left on the line has come in
            readUntil(&bf, "\x01never", 100);
            const std::string printed = bf.out.substr(from);
            EXPECT_NE(printed.find(row.printed), std::string::npos) << printed;
            EXPECT_EQ(printed.find(row.success), std::string::npos) << printed;
            const size_t dump = bf.out.size();
            type("db ffffa000 4\r", "\r\nFFFFA000 ");
            ASSERT_TRUE(readUntil(&bf, kPrompt, kDeadlineMs, dump + 1));
            EXPECT_EQ(bf.out.find("Error", dump), std::string::npos) << bf.out.substr(dump);
        }
    }

    std::string fifo_;
};

TEST_F(LineFaults, EveryFamilyFailsVisiblyAndRecovers)
{
    checkRows({
        // memory
        {"bad-checksum", "db ffffa000 4", "dumpMem:Error receivePacket()=-5"},
        {"restart-reply", "db ffffa000 4", "dumpMem:Error receivePacket()=-"}, // a frame mixed with the restart's
        {"restart-request", "wb ffffa000 5", "writeMemSingle():ProtocolError 80"},
        {"garble 0.05 7", "db ffffa000 100", "dumpMem:Error"},
        {"silent", "wl ffffa000 5", "writeMemSingle():ProtocolError 80"},
        // registers
        {"bad-checksum", "r r1 5", "Packet error at writeReg()"},
        {"restart-request", "r pc", "Error not valid packet at readReg()"},
        {"drop 0.3 5", "r r2 7", "writeReg()"},
        // breakpoints
        {"bad-checksum", "bs 0 2000", "Error at write-Breakpoint"},
        {"restart-reply", "bc 0", "Error at clear-Breakpoint"},
        {"silent", "bs 1 2000", "Tareget board ReStarted\r\nError at write-Breakpoint"},
        // flash
        {"bad-checksum", "fe 2", "Error waiting packet receive.\r\nError at Flash-ROM erase"},
        {"restart-request", "fw ffffa000 0x3000", "Tareget board ReStarted\r\nError at Flash-ROM write 80"},
        {"restart-reply", "fe 3", "Error at Flash-ROM erase"},
        {"drop 1", "fw ffffa000 0x3080", "Tareget board ReStarted\r\nError at Flash-ROM write 80"},
    });
}

// The stop report after G meets the fault and is lost: the wait goes on
// until the board's reset ends it. G's program runs until the abort switch
// stops it, with the fault already on the line. S whose PC read fails
// starts nothing: the prompt is back at once.
TEST_F(LineFaults, RunControlFailsVisiblyAndRecovers)
{
    checkRows({
        {"bad-checksum", "g", "Reset!\r\n", "Abort by User", true, "g\r\n", true},
        {"garble 1 3", "g", "Reset!\r\n", "Abort by User", true, "g\r\n", true},
        {"restart-reply", "g", "Reset!\r\n", "Abort by User", true, "g\r\n", true},
        {"silent", "g", "Reset!\r\n", "Abort by User", true, "g\r\n", true},
        {"bad-checksum", "s", "Packet error at readReg()\r\n>", "Return with", true},
    });
}

// LO refused at its first erase, cut short at its first piece and in the
// middle (where a restart cuts a staging or a programming); USR cut short.
TEST_F(LineFaults, FlashLoadFailsVisiblyAndRecovers)
{
    const std::string image = "/tmp/bf-faults-" + std::to_string(getpid()) + ".mot";
    std::ofstream(image, std::ios::binary) << srecImage(0x2000, 0x1E000); // blocks 2 to 9, 960 pieces
    const std::string lo = "lo " + image;
    const std::string failed = "\r\nError loading " + image;
    const char* done = "Finished to load";
    checkRows({
        {"bad-checksum", lo, "loadMOT:Error(Abnormal termination) at Flash-ROM Erase phase(block 2)" + failed, done},
        {"restart-reply", lo, failed, done, false, "Target Address=00010000"},
        {"drop 0.01 9", lo, failed, done, false, "FlashWrite:"},
        {"bad-checksum", "usr",
            "writeUserFlag:Error(Buffer write fail) at Flash-ROM Write phase(0001FF80)\r\nFail to write flag.",
            "Succeed."},
        {"restart-reply", "usr", "\r\nFail to write flag.", "Succeed."},
    });
    unlink(image.c_str());
}

TEST_F(LineFaults, HangUpWhileRunningEndsTheDebugger)
{
    setUpLoop();
    expectHangUp("g", true);
}

TEST_F(LineFaults, HangUpInAnEraseEndsTheDebugger)
{
    expectHangUp("fe 2", false);
}

} // namespace
