// DB/DW/DL and WB/WW/WL against a scripted monitor: the exact dump lines, the
// alignment and size adjustments, the remembered positions and the writes.
#include <string>

#include "target_fixture.h"

using MemoryCommandsTest = TargetTest;

// Address, whole items, blank fill to sixteen bytes, then every byte as a character.
// DW and DL align the address down and round the size up to whole items, and
// the next dump goes on after the bytes shown.
TEST_F(MemoryCommandsTest, DumpLineLayoutAndAlignment)
{
    struct Case {
        int itemSize;
        const char *address, *size;
        uint8_t count;
        const char* line;
    };
    const Bytes data{0x41, 0x42, 0x0D, 0x7F, 0x00, 0x20, 0x80, 0xFF, 0x30, 0x31, 0x32, 0x33, 0x1F, 0x7E, 0x61, 0x5A};
    const Case cases[] = {
        {1, "0x1000", "16", 16, "001000 41 42 0D 7F 00 20 80 FF 30 31 32 33 1F 7E 61 5A AB.\x7F. \x80\xFF" "0123.~aZ\n"},
        {2, "0x1001", "3", 4, "001000 4142 0D7F                               AB.\x7F\n"},
        {4, "0x1003", "5", 8, "001000 41420D7F 002080FF                   AB.\x7F. \x80\xFF\n"},
        {4, "0x1002", "0", 4, "001000 41420D7F                            AB.\x7F\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exchange(memReadRequest(0x1000, c.count), frame(MEM_READ, Bytes(data.begin(), data.begin() + c.count)),
                           [&] { EXPECT_EQ(dumpCommand(2, c.address, c.size, c.itemSize), 0); }),
                  c.line);
        EXPECT_EQ(dumpAddress(), 0x1000u + c.count);
    }
    // Only a direct caller can ask for a part item: it is shown as characters alone.
    EXPECT_EQ(exchange(memReadRequest(0x1001, 7), frame(MEM_READ, pattern(7, 0x61)), [] { dumpMem(0x1001, 7, 4); }),
              "001001 61626364                            abcdefg\n");
}

// A 0x41 reply is a stop report: its code is shown and the dump ends there.
TEST_F(MemoryCommandsTest, DumpStopsAtAnExceptionReply)
{
    port->expect(memReadRequest(0x1000, 16), frame(MEM_READ, pattern(16, 0x41)));
    port->expect(memReadRequest(0x1010, 16), frame(0x41, {9}));
    EXPECT_EQ(dumpCommand(2, "0x1000", "0x30", 1), 0);
    EXPECT_EQ(output(),
              "001000 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
              "dumpMem:Error.Responce is not MEM_READ. 65\n"
              "dumpMem:Exception:code=9\n");
    EXPECT_EQ(dumpAddress(), 0x1030u);
    EXPECT_TRUE(port->finished());
}

TEST_F(MemoryCommandsTest, InvalidArgumentsAreShownAsTyped)
{
    EXPECT_EQ(dumpCommand(2, "0x40", "9+", 2), -1);
    EXPECT_TRUE(output().ends_with("Invalid size 9+\n"));
    EXPECT_EQ(dumpCommand(1, "(1", nullptr, 1), -1);
    EXPECT_TRUE(output().ends_with("Invalid Address (1\n"));
    EXPECT_EQ(writeCommand(2, "0x1000", "5+", 4), -2);
    EXPECT_TRUE(output().ends_with("Invalid DATA 5+\n"));
    EXPECT_EQ(dumpAddress(), 0x40u);  // kept from the command whose size was refused
    EXPECT_TRUE(port->sent().empty());
}

// The write address is aligned down, advances past a done write, stays on a refused one.
TEST_F(MemoryCommandsTest, WriteAlignsTruncatesAndAdvances)
{
    port->expect(memWriteRequest(0x1000, {0x56, 0x78}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(writeCommand(2, "0x1001", "0x12345678", 2), 0);
    EXPECT_EQ(writeAddress(), 0x1002u);
    port->expect(memWriteRequest(0x1004, {0x00, 0x00, 0x00, 0x01}), frame(MEM_WRITE, {0}));
    EXPECT_EQ(writeCommand(2, "0x1006", "1", 4), 0);
    EXPECT_EQ(writeAddress(), 0x1004u);
    EXPECT_EQ(output(), "writeMemSingle():Responce of MEM_WRITE =NG\n");
    EXPECT_TRUE(port->finished());
}

// Each hexadecimal word is written in turn; a word that is no number is
// refused and the next takes its address; an empty line ends.
TEST_F(MemoryCommandsTest, InteractiveWriteSkipsABadWord)
{
    keyboard->typeLine("11 zz 0x -5 0X2a,1g\t22");
    keyboard->typeLine("");
    port->expect(memWriteRequest(0x4000, {0x11}), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0x4001, {0x2A}), frame(MEM_WRITE, {1}));
    port->expect(memWriteRequest(0x4002, {0x22}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(writeCommand(1, "0x4000", nullptr, 1), 0);
    EXPECT_EQ(writeAddress(), 0x4003u);
    EXPECT_EQ(output(), "004000:>Invalid DATA ZZ\nInvalid DATA 0X\nInvalid DATA -5\nInvalid DATA 1G\n004003:>");
    EXPECT_TRUE(port->finished());
}
