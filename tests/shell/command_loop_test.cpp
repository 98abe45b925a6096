#include <string>
#include <vector>

#include "shell/command_loop.h"
#include "shell_fixture.h"

namespace {

TEST(CommandLine, SplitsAtSpaceCommaTabAndLineFeed)
{
    const std::string longest = "db " + std::string(122, '1') + " 2";  // 127 characters, kept whole
    struct Case {
        std::string line;
        int command, argc;
        std::string first, second;
    } cases[] = {
        {" ,\t,\n", kNoCommand, 0, "", ""},
        {"dw\t\t2000  ,, 4", 1, 2, "2000", "4"},
        {"da 1 2 3", 6, 3, "1", "2"},     {"da 1,2,3,4,5,6", 6, 4, "1", "2"},
        {"R r1 Sym+4\n", 7, 2, "r1", "Sym+4"},
        {"Help", 17, 0, "", ""},         {"h", 17, 0, "", ""},
        {"HELPME", kNoCommand, 0, "", ""}, {"xyz 1", kNoCommand, 1, "1", ""},
        {longest, 0, 2, std::string(122, '1'), "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("line \"" + c.line + "\"");
        ParsedLine p;
        parseLine(c.line.c_str(), &p);
        EXPECT_EQ(p.command, c.command);
        EXPECT_EQ(p.argc, c.argc);
        EXPECT_EQ(p.first, c.first);
        EXPECT_EQ(p.second, c.second);
    }
}

TEST(RepeatLine, EachCommandLeavesItsRepeatText)
{
    struct Case {
        int command, outcome;
        const char* text;  // nullptr: the repeat text is left as it was
    } cases[] = {
        {0, 0, "DB"}, {2, 0, "DL"}, {5, 0, "WL"}, {6, 0, "DA"}, {0, -1, ""}, {6, -2, ""}, {7, -1, "r"},
        {8, 11, "g"}, {8, 12, "s"}, {8, 9, ""}, {9, 0, "s"}, {9, -1, ""}, {10, 0, "bs"}, {10, -1, nullptr},
        {11, 0, nullptr}, {12, 0, ""}, {12, kNotSent, nullptr}, {13, 0, ""}, {13, kNotSent, nullptr},
        {14, 0, nullptr}, {17, 0, nullptr}, {kNoCommand, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("command " + std::to_string(c.command) + " outcome " + std::to_string(c.outcome));
        const char* text = repeatTextFor(c.command, c.outcome);
        EXPECT_EQ(text ? std::string(text) : "(unchanged)", c.text ? c.text : "(unchanged)");
    }
}

using Loop = ShellTest;

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

using Dispatch = ShellTest;

TEST_F(Dispatch, SentFlashEraseIsRepeatedByEnter)
{
    Bytes erase3 = {0x02, 0x03, 0x60, 0x03, 0x9A, 0x03};
    port->expect(erase3, frame(FLASH_ERASE, {1}));
    port->expect(erase3, frame(FLASH_ERASE, {1}));
    for (const char* line : {"fe 3", "", "q"})
        keyboard->typeLine(line);
    commandLoop();
    std::string out = output();
    EXPECT_TRUE(port->finished()) << out;
    EXPECT_EQ(out, ">>>");
}

}  // namespace
