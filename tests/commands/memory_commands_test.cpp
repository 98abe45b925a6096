// DB/DW/DL and WB/WW/WL as typed: the exact dump lines, the alignment and
// size adjustments, the remembered positions and the writes.
#include <string>

#include "commands/help_text.h"
#include "support/target_fixture.h"

using MemoryCommands = TargetTest;

// Address, whole items, blank fill to sixteen bytes, then every byte as a character.
// DW and DL align the address down and round the size up to whole items; the
// next dump (an empty line, here "db") goes on after the bytes shown.
TEST_F(MemoryCommands, DumpLineLayoutAlignmentAndContinuation)
{
    struct Case {
        const char* line;
        uint8_t count;
        const char* printed;
    };
    const Bytes data {0x41, 0x42, 0x0D, 0x7F, 0x00, 0x20, 0x80, 0xFF, 0x30, 0x31, 0x32, 0x33, 0x1F, 0x7E, 0x61, 0x5A};
    const Case cases[] = {
        {"db 0x1000 16", 16,
            "001000 41 42 0D 7F 00 20 80 FF 30 31 32 33 1F 7E 61 5A AB.\x7F. \x80\xFF"
            "0123.~aZ\n"},
        {"dw 0x1001 3", 4, "001000 4142 0D7F                               AB.\x7F\n"},
        {"dl 0x1003 5", 8, "001000 41420D7F 002080FF                   AB.\x7F. \x80\xFF\n"},
        {"DL 0x1002 0", 4, "001000 41420D7F                            AB.\x7F\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exchange(memReadRequest(0x1000, c.count),
                      frame(MEM_READ, Bytes(data.begin(), data.begin() + c.count)), [&] { EXPECT_EQ(run(c.line), 0); }),
            c.printed)
            << c.line;
        port->expect(memReadRequest(0x1000u + c.count, c.count), frame(MEM_READ, Bytes(c.count, 0x2E)));
        EXPECT_EQ(run("db"), 0);
        EXPECT_TRUE(port->finished()) << c.line;
    }
    // Only a direct caller can ask for a part item: it is shown as characters alone.
    EXPECT_EQ(exchange(memReadRequest(0x1001, 7), frame(MEM_READ, pattern(7, 0x61)), [] { dumpMem(0x1001, 7, 4); }),
        "001001 61626364                            abcdefg\n");
}

// Under a UTF-8 console a lone byte of 0x80 or more would be invalid text and
// shift the column: it shows as "."; any other console gets the raw byte.
TEST_F(MemoryCommands, HighBytesInTheCharacterColumnFollowTheConsole)
{
    const std::pair<HelpEncoding, const char*> cases[] = {
        {HelpEncoding::Utf8, "001000 41 7F 80 C3 A9 FF                               A\x7F....\n"},
        {HelpEncoding::ShiftJis, "001000 41 7F 80 C3 A9 FF                               A\x7F\x80\xC3\xA9\xFF\n"},
    };
    for (const auto& c : cases) {
        setHelpEncoding(c.first);
        EXPECT_EQ(exchange(memReadRequest(0x1000, 6), frame(MEM_READ, {0x41, 0x7F, 0x80, 0xC3, 0xA9, 0xFF}),
                      [this] { EXPECT_EQ(run("db 0x1000 6"), 0); }),
            c.second);
    }
    setHelpEncoding(HelpEncoding::Unset);
}

// A 0x41 reply is a stop report: its code is shown and the dump ends there,
// though the next dump still starts after the whole range asked for.
TEST_F(MemoryCommands, DumpStopsAtAnExceptionReply)
{
    port->expect(memReadRequest(0x1000, 16), frame(MEM_READ, pattern(16, 0x41)));
    port->expect(memReadRequest(0x1010, 16), frame(0x41, {9}));
    port->expect(memReadRequest(0x1030, 16), frame(0x41, {9}));
    EXPECT_EQ(run("db 0x1000 0x30"), 0);
    EXPECT_EQ(output(),
        "001000 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
        "dumpMem:Error.Responce is not MEM_READ. 65\n"
        "dumpMem:Exception:code=9\n");
    EXPECT_EQ(run("db"), 0);
    EXPECT_TRUE(port->finished());
}

// A refused argument is shown as typed, sends nothing and moves nothing.
TEST_F(MemoryCommands, InvalidArgumentsAreShownAsTyped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"dw 0x40 9+", "Invalid size 9+\n"},
        {"db (1", "Invalid Address (1\n"},
        {"wl 0x1000 5+", "Invalid DATA 5+\n"},
        {"ww ) 5", "Invalid Address )\n"},
    };
    for (const auto& c : cases) {
        EXPECT_LT(run(c.first), 0) << c.first;
        EXPECT_TRUE(output().ends_with(c.second)) << c.first;
    }
    EXPECT_EQ(dumpAddress(), 0x40u); // kept from the command whose size was refused
    EXPECT_TRUE(port->sent().empty());
}

// The write address is aligned down, advances past a done write, stays on a refused one.
TEST_F(MemoryCommands, WriteAlignsTruncatesAndAdvances)
{
    port->expect(memWriteRequest(0x1000, {0x56, 0x78}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(run("ww 0x1001 0x12345678"), 0);
    EXPECT_EQ(writeAddress(), 0x1002u);
    port->expect(memWriteRequest(0x1001, {0x42}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(run("wb 0x1001 0x142"), 0);
    EXPECT_EQ(writeAddress(), 0x1002u);
    port->expect(memWriteRequest(0x1004, {0x00, 0x00, 0x00, 0x01}), frame(MEM_WRITE, {0}));
    EXPECT_EQ(run("wl 0x1007 1"), 0);
    EXPECT_EQ(writeAddress(), 0x1004u);
    EXPECT_EQ(output(), "writeMemSingle():Responce of MEM_WRITE =NG\n");
    EXPECT_TRUE(port->finished());
}

// Each hexadecimal word is written in turn; a word that is no number is
// refused and the next takes its address; an empty line ends.
TEST_F(MemoryCommands, InteractiveWriteSkipsABadWord)
{
    keyboard->typeLine("11 zz 0x -5 0X2a,1g\t22");
    keyboard->typeLine("");
    port->expect(memWriteRequest(0x4000, {0x11}), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0x4001, {0x2A}), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0x4002, {0x22}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(run("wb 0x4000"), 0);
    EXPECT_EQ(writeAddress(), 0x4003u);
    EXPECT_EQ(output(), "004000:>Invalid DATA ZZ\nInvalid DATA 0X\nInvalid DATA -5\nInvalid DATA 1G\n004003:>");
    EXPECT_TRUE(port->finished());
}

// Word items at the remembered address; a refused over-long line asks again;
// the end of input ends the mode too.
TEST_F(MemoryCommands, InteractiveWordsUntilInputEnds)
{
    keyboard->typeLine(std::string(300, '1'));
    keyboard->typeLine("1234 ABCDEF");
    keyboard->endInput();
    port->expect(memWriteRequest(0x4000, {0x12, 0x34}), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0x4002, {0xCD, 0xEF}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(run("ww 0x4001"), 0);
    EXPECT_EQ(output(), "004000:>Input line too long (at most 255 characters).\n004000:>004004:>");
    EXPECT_TRUE(port->finished());
}
