// Commands against the simulated board in this process: their console output
// after real exchanges with its monitor.
#include <string>

#include "link/sim_port.h"
#include "support/target_fixture.h"

class CommandsOnTheBoard : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        port = nullptr;
        setComPort(quill::openBoardPort());
        // A known pattern in RAM, so that a write that spills shows up.
        EXPECT_EQ(writeMem(0xFFFFA100, 32, pattern(32, 0xA0).data()), 1);
    }
};

TEST_F(CommandsOnTheBoard, WritesThenDumpLeaveTheNeighboursAlone)
{
    EXPECT_EQ(run("wb 0xFFFFA101 0x142"), 0);         // only the low byte
    EXPECT_EQ(run("wl 0xFFFFA107 0xDEADBEEF"), 0);    // aligned down to A104
    EXPECT_EQ(run("db 0xFFFFA100 9"), 0);
    EXPECT_EQ(output(),
              "FFFFA100 A0 42 A2 A3 DE AD BE EF A8                      \xA0" "B\xA2\xA3\xDE\xAD\xBE\xEF\xA8\n");
    EXPECT_EQ(run("db 0x100000 4"), 0);  // nothing is mapped there
    EXPECT_EQ(output(), "dumpMem:Error.Responce is not MEM_READ. 65\ndumpMem:Exception:code=9\n");
}

TEST_F(CommandsOnTheBoard, RegistersAndBreakpointsRoundTrip)
{
    run("r r3 0x12345678");
    run("r r3");
    EXPECT_EQ(output(), "R3 : 12345678\n");
    EXPECT_EQ(run("bs 1 0xFFFFA200"), 0);
    EXPECT_EQ(run("bs"), 0);
    EXPECT_EQ(output(), "BreakPoint 1: FFFFA200 Mode=BBR_PC\n");
    run("bc 1");
    EXPECT_EQ(run("bs"), 0);
    EXPECT_EQ(output(), "");
}
