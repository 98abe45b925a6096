// G and S against the board in this process, running real instructions from
// RAM: the stack check, the stop texts, the output filter, keys, Escape, and
// slot 0 borrowed per step.
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
    // Code into RAM from 0xFFFFA800 (clear of the frame EXEC puts below the
    // lowest SP); PC there, SP at sp.
    void load(const Bytes& code, uint32_t sp = 0xFFFFB000)
    {
        ASSERT_EQ(writeMem(0xFFFFA800, static_cast<uint16_t>(code.size()), code.data()), 1);
        ASSERT_EQ(writeReg(REG_PC, 0xFFFFA800), 1);
        ASSERT_EQ(writeReg(REG_SP, sp), 1);
        output();
    }
};

// 0xA800 MOV #1,R1; BRA 0xA808 with ADD #1,R1 in its slot; NOP; TRAPA #33.
const Bytes kBranchThenTrap = {0xE1, 0x01, 0xA0, 0x01, 0x71, 0x01, 0x00, 0x09, 0xC3, 0x21};

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

// The stack window's ends run; one past either end is refused with nothing sent.
TEST_F(RunCommands, GoChecksTheStackPointerThenNamesTheException)
{
    const struct {
        uint32_t sp;
        int outcome;
        const char* first;
    } cases[] = {
        {0xFFFFA007, -2, "Not valid stack(FFFFA007). Can't set execution-address on Stack\n"},
        {0xFFFFC004, -2, "Not valid stack(FFFFC004). Can't set execution-address on Stack\n"},
        {0xFFFFA008, 33, "Exception TRAP 1\nR00:"},
        {0xFFFFC000, 33, "Exception TRAP 1\nR00:"},
    };
    for (const auto& c : cases) {
        load({0xC3, 0x21}, c.sp);
        EXPECT_EQ(run("g"), c.outcome);
        const std::string text = output();
        EXPECT_EQ(text.substr(0, std::string(c.first).size()), c.first) << text;
        if (c.outcome > 0) {
            EXPECT_NE(text.find("PC :FFFFA802 "), std::string::npos) << text;
        }
    }
    EXPECT_STREQ(repeatTextFor(lookupCommand("G"), 33), "");
    EXPECT_STREQ(repeatTextFor(lookupCommand("G"), kStopAbort), "g");
    EXPECT_STREQ(repeatTextFor(lookupCommand("G"), kStopBreak), "s");
}

// Keys reach the program one byte each; its echo passes the output filter;
// an STX begins a frame, whose LEN byte ('z', too long) is not shown either.
// Escape gives the prompt back without a byte sent.
TEST_F(RunCommands, KeysGoToTheProgramAndEscapeEndsTheWait)
{
    load(kEcho);
    for (int key : {0x41, 0x0D, 0x0A, 0x7F, 0x07, 0xB1, 0x02, 0x7A, 0x79})
        keyboard->pressKey(key);
    keyboard->pressKey(KEY_ESC, 50);
    EXPECT_EQ(run("g"), -1);
    EXPECT_EQ(output(), "A\r\n\x7FyUnknown packet\n");
}

TEST_F(RunCommands, StepsThroughADelaySlotAndStopsAtAnException)
{
    load(kBranchThenTrap);
    EXPECT_EQ(run("s 0"), 0);
    EXPECT_EQ(output(), "");
    EXPECT_EQ(run("s ("), -1);
    EXPECT_EQ(output(), "Invalid steps (\n");
    EXPECT_EQ(run("s 2"), 0);
    std::string text = output();
    // Two displays; the branch and its slot are one step.
    EXPECT_NE(text.find("PC :FFFFA802 "), std::string::npos) << text;
    EXPECT_NE(text.find("R01:00000002"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.find("PC :", text.find("PC :") + 1), 13), "PC :FFFFA808 ") << text;
    EXPECT_EQ(run("s"), -2);
    EXPECT_EQ(output(), "Return with Exception. code=33\n");
    // Slot 0 keeps the step's break after an exception.
    EXPECT_EQ(run("bs 0"), 0);
    EXPECT_EQ(output(), "BreakPoint 0: FFFFA808 Mode=BBR_PC\n");
}

} // namespace
