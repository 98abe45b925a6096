// End to end against the simulated board in this process: the commands'
// console output after real exchanges with its monitor.
#include <string>

#include "sim/sim_port.h"
#include "target/breakpoints.h"
#include "target/registers.h"
#include "target_fixture.h"

class TargetSimTest : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        port = nullptr;
        setComPort(quill::openBoardPort());
        // A known pattern in RAM, so that a write that spills shows up.
        writeMem(0xFFFFA100, 32, pattern(32, 0xA0).data());
    }
};

TEST_F(TargetSimTest, WritesThenDumpLeaveTheNeighboursAlone)
{
    EXPECT_EQ(writeCommand(2, "0xFFFFA101", "0x142", 1), 0);  // only the low byte
    EXPECT_EQ(writeCommand(2, "0xFFFFA107", "0xDEADBEEF", 4), 0);  // aligned down to A104
    EXPECT_EQ(dumpCommand(2, "0xFFFFA100", "9", 1), 0);
    EXPECT_EQ(output(),
              "FFFFA100 A0 42 A2 A3 DE AD BE EF A8                      \xA0" "B\xA2\xA3\xDE\xAD\xBE\xEF\xA8\n");
    EXPECT_EQ(dumpCommand(2, "0x100000", "4", 1), 0);  // nothing is mapped there
    EXPECT_EQ(output(), "dumpMem:Error.Responce is not MEM_READ. 65\ndumpMem:Exception:code=9\n");
}

TEST_F(TargetSimTest, RegistersAndBreakpointsRoundTrip)
{
    std::string r3 = "r3", one = "1", address = "0xFFFFA200";
    setReg(r3.data(), 0x12345678);
    showReg(r3.data());
    EXPECT_EQ(output(), "R3 : 12345678\n");
    EXPECT_EQ(breakSetCommand(2, one.data(), address.data()), 0);
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(output(), "BreakPoint 1: FFFFA200 Mode=BBR_PC\n");
    breakClearCommand(one.data());
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(output(), "");
}
