#include <string>

#include "shell/command_loop.h"
#include "shell/help.h"
#include "shell_fixture.h"

namespace {

struct ParseCase {
    const char* line;
    int command;
    int argc;
    const char* first;
    const char* second;
};

const ParseCase kParseCases[] = {
    {"", kNoCommand, 0, "", ""},
    {"   ", kNoCommand, 0, "", ""},
    {" ,\t,\n", kNoCommand, 0, "", ""},
    {"db 1000", 0, 1, "1000", ""},
    {"DB,1000,10", 0, 2, "1000", "10"},
    {"dw\t\t2000  ,, 4", 1, 2, "2000", "4"},
    {"  wl 1 2", 5, 2, "1", "2"},
    {"da 1 2 3", 6, 3, "1", "2"},
    {"da 1 2 3 4 5 6", 6, 4, "1", "2"},
    {"r pc", 7, 1, "pc", ""},
    {"R r1 Sym+4", 7, 2, "r1", "Sym+4"},
    {"bs 1 , Main\n", 10, 2, "1", "Main"},
    {"h", 17, 0, "", ""},
    {"Help", 17, 0, "", ""},
    {"HELPME", kNoCommand, 0, "", ""},
    {"usr", 16, 0, "", ""},
    {"q now please", kQuitCommand, 2, "now", "please"},
    {"xyz 1 2", kNoCommand, 2, "1", "2"},
    {"lo /tmp/App.mot", 14, 1, "/tmp/App.mot", ""},
};

TEST(CommandLine, SplitsAtSpaceCommaTabAndLineFeed)
{
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(std::string("line \"") + c.line + "\"");
        ParsedLine p;
        parseLine(c.line, &p);
        EXPECT_EQ(p.command, c.command);
        EXPECT_EQ(p.argc, c.argc);
        EXPECT_STREQ(p.first, c.first);
        EXPECT_STREQ(p.second, c.second);
    }
}

TEST(CommandLine, LongestLineIsKeptWhole)
{
    std::string line = "db " + std::string(122, '1') + " 2";
    ASSERT_EQ(line.size(), 127u);
    ParsedLine p;
    parseLine(line.c_str(), &p);
    EXPECT_EQ(std::string(p.first), std::string(122, '1'));
    EXPECT_STREQ(p.second, "2");
}

TEST(CommandTable, LookupIsExactAndEndsWithSentinel)
{
    EXPECT_EQ(lookupCommand("DB"), 0);
    EXPECT_EQ(lookupCommand("WL"), 5);
    EXPECT_EQ(lookupCommand("Q"), 15);
    EXPECT_EQ(lookupCommand("USR"), 16);
    EXPECT_EQ(lookupCommand("HELP"), 17);
    EXPECT_EQ(lookupCommand("H"), 17);
    EXPECT_EQ(lookupCommand("db"), kNoCommand);
    EXPECT_EQ(lookupCommand("D"), kNoCommand);
    EXPECT_EQ(lookupCommand(""), kNoCommand);
    EXPECT_EQ(lookupCommand(nullptr), kNoCommand);
    int rows = 0;
    while (commandTable[rows].name != nullptr)
        ++rows;
    EXPECT_EQ(rows, 19);
    EXPECT_EQ(commandTable[rows].index, 18);
}

struct RepeatCase {
    int command;
    int outcome;
    const char* text;  // nullptr: repeatLine unchanged
};

const RepeatCase kRepeatCases[] = {
    {0, 0, "DB"},  {1, 0, "DW"},  {2, 0, "DL"},  {3, 0, "WB"},   {4, 0, "WW"},  {5, 0, "WL"},
    {6, 0, "DA"},  {0, -1, ""},   {3, 1, ""},    {6, -2, ""},    {7, 0, "r"},   {7, -1, "r"},
    {8, 11, "g"},  {8, 12, "s"},  {8, 9, ""},    {8, 0, ""},     {9, 0, "s"},   {9, -1, ""},
    {10, 0, "bs"}, {10, -1, nullptr}, {11, 0, nullptr}, {12, 0, ""}, {12, kNotSent, nullptr},
    {13, 0, ""},   {13, kNotSent, nullptr}, {14, 0, nullptr}, {15, 0, nullptr}, {16, 0, nullptr},
    {17, 0, nullptr}, {kNoCommand, 0, nullptr},
};

TEST(RepeatLine, EachCommandLeavesItsRepeatText)
{
    for (const RepeatCase& c : kRepeatCases) {
        SCOPED_TRACE("command " + std::to_string(c.command) + " outcome " + std::to_string(c.outcome));
        const char* text = repeatTextFor(c.command, c.outcome);
        if (c.text == nullptr)
            EXPECT_EQ(text, nullptr) << text;
        else
            EXPECT_STREQ(text, c.text);
    }
}

class Loop : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        setHelpEncoding(HelpEncoding::ShiftJis);
    }
    void TearDown() override
    {
        setHelpEncoding(HelpEncoding::Unset);
        ShellTest::TearDown();
    }
    static std::string help()
    {
        testing::internal::CaptureStdout();
        showHelp();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Loop, EmptyFirstLineAndBlankLinesAreUnknown)
{
    keyboard->typeLine("");
    keyboard->typeLine("   ");
    keyboard->typeLine("HELPME");
    keyboard->typeLine("q");
    commandLoop();
    EXPECT_EQ(output(), ">Unknown Command\n>Unknown Command\n>Unknown Command\n>");
}

TEST_F(Loop, EnterRepeatsThePreviousLineWhenNoRepeatTextWasLeft)
{
    keyboard->typeLine("h");
    keyboard->typeLine("");
    keyboard->typeLine("H");
    keyboard->typeLine("q");
    commandLoop();
    std::string out = output();
    std::string h = help();
    EXPECT_EQ(out, ">" + h + ">" + h + ">" + h + ">");
}

TEST_F(Loop, ArgumentGatesPrintTheirMessagesAndSendNothing)
{
    for (const char* line : {"bc", "BC 1 2", "fe", "FE 1 2", "fw", "fw 1", "FW 1 2 3"})
        keyboard->typeLine(line);
    keyboard->typeLine("q");
    commandLoop();
    EXPECT_EQ(output(),
              ">Invalid parameters\n>Invalid parameters\n"
              ">No effective parameter(s)\n>No effective parameter(s)\n"
              ">Error FlashROM address missing\n>Error FlashROM address missing\n"
              ">Error FlashROM address missing\n>");
    EXPECT_TRUE(port->sent().empty()) << hexBytes(port->sent());
}

TEST_F(Loop, RefusedFlashCommandKeepsRepeatText)
{
    // HELP leaves nothing to repeat, so Enter runs the previous line again:
    // after the refused FE that is FE itself, refused again with its message.
    keyboard->typeLine("fe");
    keyboard->typeLine("");
    keyboard->typeLine("q");
    commandLoop();
    EXPECT_EQ(output(), ">No effective parameter(s)\n>No effective parameter(s)\n>");
}

TEST_F(Loop, QuitWithArgumentsStopsReadingSilently)
{
    keyboard->typeLine("q now");
    keyboard->typeLine("h");
    commandLoop();
    EXPECT_EQ(output(), ">");
    EXPECT_EQ(keyboard->pending(), 1u);
}

TEST_F(Loop, OverlongLineRunsNothingAndLeavesRepeatAlone)
{
    keyboard->typeLine("fe");
    keyboard->typeLine("h " + std::string(126, 'x'));
    keyboard->typeLine("");
    keyboard->typeLine("q");
    commandLoop();
    EXPECT_EQ(output(),
              ">No effective parameter(s)\n"
              ">Input line too long (at most 127 characters).\n"
              ">No effective parameter(s)\n>");
}

TEST_F(Loop, EndOfInputQuitsLikeQ)
{
    keyboard->typeLine("xyz");
    keyboard->endInput();
    commandLoop();
    EXPECT_EQ(output(), ">Unknown Command\n>\n");
    EXPECT_EQ(keyboard->pending(), 0u);
}

TEST_F(Loop, LoadReportsWithTheArgumentText)
{
    keyboard->typeLine("lo /nonexistent/App.mot");
    keyboard->typeLine("lo");
    keyboard->typeLine("q");
    commandLoop();
    std::string out = output();
    EXPECT_NE(out.find("Error loading /nonexistent/App.mot\n>"), std::string::npos) << out;
    EXPECT_NE(out.find("Error loading \n>"), std::string::npos) << out;
    EXPECT_TRUE(port->sent().empty());
}

}  // namespace

namespace {

using Dispatch = ShellTest;

TEST_F(Dispatch, RegisterWriteEvaluatesSecondArgumentAndSkipsWriteOnError)
{
    // Digits only are decimal: 1000 is 0x3E8.
    port->expect(frame(REG_WRITE, {22, 0x00, 0x00, 0x03, 0xE8}), frame(REG_WRITE, {1}));
    port->expect(frame(REG_READ, {22}), frame(REG_READ, {0x00, 0x00, 0x03, 0xE8}));
    keyboard->typeLine("R pc 1000 extra");
    keyboard->typeLine("r (");  // one argument: shown, whatever it is
    keyboard->typeLine("r pc");
    keyboard->typeLine("r pc )(");
    keyboard->typeLine("q");
    commandLoop();
    std::string out = output();
    EXPECT_TRUE(port->finished()) << out;
    EXPECT_NE(out.find("000003E8"), std::string::npos) << out;
}

TEST_F(Dispatch, SentFlashEraseIsRepeatedByEnter)
{
    Bytes erase3 = {0x02, 0x03, 0x60, 0x03, 0x9A, 0x03};
    port->expect(erase3, frame(FLASH_ERASE, {1}));
    port->expect(erase3, frame(FLASH_ERASE, {1}));
    keyboard->typeLine("fe 3");
    keyboard->typeLine("");
    keyboard->typeLine("q");
    commandLoop();
    std::string out = output();
    EXPECT_TRUE(port->finished()) << out;
}

}  // namespace
