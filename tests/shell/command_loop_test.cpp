#include <string>
#include <vector>

#include "commands/command_line.h"
#include "shell/command_loop.h"
#include "support/target_fixture.h"

namespace {

TEST(CommandLine, SplitsAtSpaceCommaTabAndLineFeed)
{
    const std::string longest = "db " + std::string(122, '1') + " 2";  // 127 characters, kept whole
    struct Case {
        std::string line;
        const char* command;  // nullptr: no such command
        int argc;
        std::string first, second;
    } cases[] = {
        {" ,\t,\n", nullptr, 0, "", ""},
        {"dw\t\t2000  ,, 4", "DW", 2, "2000", "4"},
        {"da 1 2 3", "DA", 3, "1", "2"},     {"da 1,2,3,4,5,6", "DA", 4, "1", "2"},
        {"R r1 Sym+4\n", "R", 2, "r1", "Sym+4"},
        {"Help", "HELP", 0, "", ""},         {"h", "H", 0, "", ""},
        {"HELPME", nullptr, 0, "", ""}, {"xyz 1", nullptr, 1, "1", ""},
        {longest, "DB", 2, std::string(122, '1'), "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("line \"" + c.line + "\"");
        ParsedLine p;
        parseLine(c.line.c_str(), &p);
        EXPECT_EQ(p.command ? p.command->name : "(none)", std::string(c.command ? c.command : "(none)"));
        EXPECT_EQ(p.args.argc, c.argc);
        EXPECT_EQ(p.args.first, c.first);
        EXPECT_EQ(p.args.second, c.second);
    }
}

using Loop = TargetTest;

// Sessions that send nothing to the target: typed lines and the exact console text.
TEST_F(Loop, SessionsWithoutTheTarget)
{
    const std::string tooLong = "h " + std::string(126, 'x');
    struct Case {
        std::vector<std::string> lines;  // then the end of input
        std::string printed;
    } cases[] = {
        {{"", "   ", "HELPME", "q"}, ">Unknown Command\n>Unknown Command\n>Unknown Command\n>"},
        {{"bc", "BC 1 2", "fe", "FE 1 2", "fw", "FW 1 2 3", "q"},
         ">Invalid parameters\n>Invalid parameters\n>No effective parameter(s)\n>No effective parameter(s)\n"
         ">Error FlashROM address missing\n>Error FlashROM address missing\n>"},
        // A refused FE leaves no repeat text, so Enter runs it again; a refused
        // over-long line runs nothing and leaves the repeat alone.
        {{"fe", tooLong, "", "q"},
         ">No effective parameter(s)\n>Input line too long (at most 127 characters).\n>No effective parameter(s)\n>"},
        {{"q now", "h"}, ">"},
        {{"r pc (", "q"}, ">Invalid value (\n>"},  // nothing is written
        {{"xyz " + std::string(123, 'x')}, ">Unknown Command\n>\n"},  // 127 characters fit; end of input quits
    };
    std::string all;
    for (const Case& c : cases) {
        for (const std::string& line : c.lines)
            keyboard->typeLine(line);
        keyboard->endInput();
        commandLoop();
        all += c.printed;
        setConsole(std::unique_ptr<Console>(keyboard = new FakeConsole));
    }
    EXPECT_EQ(output(), all);
    EXPECT_TRUE(port->sent().empty()) << hexBytes(port->sent());
}

using Repeat = TargetTest;

// What an empty line runs after each kind of outcome, seen on the wire: the
// next dump after a dump, the same breakpoint listing after BS, the same line
// again after a refused command, nothing after FE was sent.
TEST_F(Repeat, EnterContinuesOrRepeatsAsTheCommandLeftIt)
{
    const Bytes erase3 = frame(FLASH_ERASE, {3}), emptySlot = frame(BRK_READ, Bytes(11, 0));
    port->expect(frame(MEM_READ, {0, 0, 0x10, 0, 4}), frame(MEM_READ, {0x41, 0x42, 0x43, 0x44}));
    port->expect(frame(MEM_READ, {0, 0, 0x10, 4, 4}), frame(MEM_READ, {0x45, 0x46, 0x47, 0x48}));
    port->expect(frame(BRK_READ, {1}), emptySlot);
    port->expect(frame(BRK_READ, {0}), emptySlot);  // Enter after a refused BS: both slots
    port->expect(frame(BRK_READ, {1}), emptySlot);
    port->expect(erase3, frame(FLASH_ERASE, {1}));
    port->expect(erase3, frame(FLASH_ERASE, {1}));  // no repeat text: the same line again
    for (const char* line : {"db 0x1000 4", "", "bs 1", "bs 0 0x1001", "", "fe 3", "", "fe 99", "", "q"})
        keyboard->typeLine(line);
    commandLoop();
    std::string out = output();
    EXPECT_TRUE(port->finished()) << out;
    const std::string fill(36, ' ');
    EXPECT_EQ(out, ">001000 41 42 43 44 " + fill + "ABCD\n>001004 45 46 47 48 " + fill +
                       "EFGH\n>>Invalid Break Address 00001001\n>>>>Invalid block number 99\n"
                       ">Invalid block number 99\n>");
}

// R always leaves "r": Enter after any R form shows every register.
TEST_F(Repeat, EnterAfterRShowsTheRegisters)
{
    for (uint8_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 16, 22})
        port->expect(frame(REG_READ, {n}), frame(REG_READ, {0, 0, 0, 0}));
    port->expect(frame(MEM_READ, {0, 0, 0, 0, 2}), frame(MEM_READ, {0, 9}));
    port->expect(frame(MEM_READ, {0, 0, 0, 0, 16}), frame(MEM_READ, Bytes{0, 9} + Bytes(14, 0)));
    for (const char* line : {"r xx", "", "q"})
        keyboard->typeLine(line);
    commandLoop();
    std::string out = output();
    EXPECT_TRUE(port->finished()) << out;
    EXPECT_TRUE(out.starts_with(">  Invalid register name XX\n>R00:00000000 ")) << out;
}

}  // namespace
