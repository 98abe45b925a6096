// G against the board in this process with keys pressed while the program
// runs, the names of the exceptions a run can stop at, and R's listing line.
// G and S as a script runs them are in tests/sessions.
#include <string>

#include "link/sim_port.h"
#include "shell/run_console.h"
#include "support/target_fixture.h"
#include "target/registers.h"
#include "target/run_control.h"

namespace {

class RunCommands : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        port = nullptr;
        setComPort(quill::openBoardPort());
        installRunConsole();
    }
    void TearDown() override
    {
        setRunConsole(nullptr);
        TargetTest::TearDown();
    }
};

// Echoes every received byte through SCI_1 at 0xFFFFC080.
const Bytes kEcho = {0xD1, 0x05, 0x84, 0x18, 0xC8, 0x40, 0x89, 0xFC, 0x84, 0x1A, 0x80, 0x16, 0x84, 0x18, 0xC9, 0x3F,
    0x80, 0x18, 0xAF, 0xF6, 0x00, 0x09, 0x00, 0x09, 0xFF, 0xFF, 0xC0, 0x80};

TEST(VectorNames, TableRowsAndAStandInForNumbersWithoutOne)
{
    int rows = 0;
    for (const CodeName* row = vectorNameTable; row->name != nullptr; ++row)
        ++rows;
    EXPECT_EQ(rows, 90);
    const std::pair<int, const char*> cases[] = {{0, "RESET"}, {4, "Illegal Instruction"}, {6, "Slot Illegal Inst."},
        {32, "TRAP 0"}, {33, "TRAP 1"}, {63, "TRAP 31"}, {65, "IRQ 1"}, {94, "TGIF_0"}, {101, "TGIU_1"},
        {130, "TGIW_5"}, {133, "OEI3"}, {227, "TEI_2"}, {5, "Unknown vector 5"}, {228, "Unknown vector 228"}};
    for (const auto& c : cases)
        EXPECT_STREQ(vectorName(c.first).text, c.second) << c.first;
}

// Keys reach the program one byte each; its echo passes the output filter;
// an STX begins a frame, whose LEN byte ('z', too long) is not shown either.
// Escape gives the prompt back without a byte sent.
TEST_F(RunCommands, KeysGoToTheProgramAndEscapeEndsTheWait)
{
    ASSERT_EQ(writeMem(0xFFFFA800, static_cast<uint16_t>(kEcho.size()), kEcho.data()), 1);
    ASSERT_EQ(writeReg(REG_PC, 0xFFFFA800), 1);
    ASSERT_EQ(writeReg(REG_SP, 0xFFFFB000), 1);
    for (int key : {0x41, 0x0D, 0x0A, 0x7F, 0x07, 0xB1, 0x02, 0x7A, 0x79})
        keyboard->pressKey(key);
    keyboard->pressKey(KEY_ESC, 50);
    EXPECT_EQ(run("g"), -1);
    EXPECT_EQ(output(), "A\r\n\x7FyUnknown packet\n");
}

// R lists the line at the PC; DA then goes on where it left off.
TEST_F(RunCommands, RegisterDisplayLeavesTheListingPosition)
{
    ASSERT_EQ(writeReg(REG_PC, 0xFFFFA800), 1);
    EXPECT_EQ(run("da 0xFFFFA000 1"), 0);
    EXPECT_EQ(run("r"), 0);
    EXPECT_TRUE(output().ends_with("\nFFFFA800 0000     ???\n"));
    EXPECT_EQ(run("da"), 0);
    EXPECT_EQ(output().substr(0, 9), "FFFFA002 ");
}

} // namespace
