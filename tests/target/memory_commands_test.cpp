// DB/DW/DL and WB/WW/WL against a scripted monitor: the remembered positions,
// the alignment and size adjustments, the exact dump lines, and the writes.
#include <string>

#include "target_fixture.h"

using DumpTest = TargetTest;
using WriteTest = TargetTest;

TEST_F(DumpTest, LineLayoutForBytesWordsAndLongwords)
{
    struct Case {
        int itemSize;
        uint8_t count;
        const char* line;
    };
    const Bytes data{0x41, 0x42, 0x0D, 0x7F, 0x00, 0x20, 0x80, 0xFF, 0x30, 0x31, 0x32, 0x33, 0x1F, 0x7E, 0x61, 0x5A};
    const Case cases[] = {
        {1, 4, "001000 41 42 0D 7F                                     AB.\x7F\n"},
        {1, 16, "001000 41 42 0D 7F 00 20 80 FF 30 31 32 33 1F 7E 61 5A AB.\x7F. \x80\xFF" "0123.~aZ\n"},
        {2, 4, "001000 4142 0D7F                               AB.\x7F\n"},
        {2, 16, "001000 4142 0D7F 0020 80FF 3031 3233 1F7E 615A AB.\x7F. \x80\xFF" "0123.~aZ\n"},
        {4, 4, "001000 41420D7F                            AB.\x7F\n"},
        {4, 8, "001000 41420D7F 002080FF                   AB.\x7F. \x80\xFF\n"},
        {4, 16, "001000 41420D7F 002080FF 30313233 1F7E615A AB.\x7F. \x80\xFF" "0123.~aZ\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.itemSize << " count " << int(c.count));
        restart();
        port->expect(memReadRequest(0x1000, c.count), memReadReply(Bytes(data.begin(), data.begin() + c.count)));
        dumpMem(0x1000, c.count, c.itemSize);
        EXPECT_EQ(output(), c.line);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(DumpTest, ATrailingPartItemIsShownOnlyAsCharacters)
{
    // Only dumpMem's own callers can ask for a count that is not whole items;
    // the last byte must not be read from beyond the chunk.
    port->expect(memReadRequest(0x1000, 3), memReadReply({0x41, 0x42, 0x43}));
    dumpMem(0x1000, 3, 2);
    port->expect(memReadRequest(0x2000, 7), memReadReply(pattern(7, 0x61)));
    dumpMem(0x2000, 7, 4);
    EXPECT_EQ(output(),
              "001000 4142                                    ABC\n"
              "002000 61626364                            abcdefg\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, FirstDumpsStartAtZeroAndContinue)
{
    port->expect(memReadRequest(0, 16), memReadReply(pattern(16, 0x40)));
    EXPECT_EQ(dumpCommand(0, nullptr, nullptr, 1), 0);
    port->expect(memReadRequest(0x10, 16), memReadReply(pattern(16, 0x50)));
    EXPECT_EQ(dumpCommand(0, nullptr, nullptr, 1), 0);
    EXPECT_EQ(output(),
              "000000 40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F @ABCDEFGHIJKLMNO\n"
              "000010 50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F PQRSTUVWXYZ[\\]^_\n");
    EXPECT_EQ(dumpAddress(), 0x20u);
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, LinesStartAtTheDumpAddressNotAtMultiplesOfSixteen)
{
    port->expect(memReadRequest(0x1003, 16), memReadReply(pattern(16, 0x61)));
    port->expect(memReadRequest(0x1013, 16), memReadReply(pattern(16, 0x30)));
    EXPECT_EQ(dumpCommand(2, "0x1003", "0x20", 1), 0);
    std::string text = output();
    EXPECT_EQ(text.substr(0, 7), "001003 ");
    EXPECT_EQ(text.substr(text.find('\n') + 1, 7), "001013 ");
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, AlignmentAndSizeAdjustments)
{
    struct Case {
        int itemSize;
        const char* address;
        const char* size;
        uint32_t readAt;
        uint8_t readCount;
        uint32_t storedSize;
    };
    const Case cases[] = {
        {1, "0x1001", "0", 0x1001, 1, 1},
        {2, "0x1001", "3", 0x1000, 4, 4},
        {2, "0x1000", "0", 0x1000, 2, 2},
        {4, "0x1003", "5", 0x1000, 8, 8},
        {4, "0x1002", "0", 0x1000, 4, 4},
        {4, "0x1000", "7", 0x1000, 8, 8},
        {1, "0x1001", "3", 0x1001, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.itemSize << " at " << c.address << " by " << c.size);
        restart();
        port->expect(memReadRequest(c.readAt, c.readCount), memReadReply(pattern(c.readCount)));
        EXPECT_EQ(dumpCommand(2, c.address, c.size, c.itemSize), 0);
        EXPECT_EQ(dumpSize(), c.storedSize);
        EXPECT_EQ(dumpAddress(), c.readAt + c.storedSize);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(DumpTest, SharedPositionIsRoundedByTheNextCommand)
{
    port->expect(memReadRequest(0x2001, 3), memReadReply(pattern(3)));
    dumpCommand(2, "0x2001", "3", 1);
    // DL continues at 0x2004 with the size 3 rounded up to 4.
    port->expect(memReadRequest(0x2004, 4), memReadReply(pattern(4)));
    dumpCommand(0, nullptr, nullptr, 4);
    EXPECT_EQ(dumpAddress(), 0x2008u);
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, HighAddressesShowAllDigits)
{
    port->expect(memReadRequest(0xFFFFA000, 2), memReadReply({0xAB, 0xCD}));
    dumpCommand(2, "0xFFFFA000", "2", 2);
    EXPECT_EQ(output(), "FFFFA000 ABCD                                    \xAB\xCD\n");
}

TEST_F(DumpTest, SizeBeyondSixteenBitsDumpsItsLowBitsButAdvancesFully)
{
    EXPECT_EQ(dumpCommand(2, "0x1000", "0x10000", 1), 0);
    EXPECT_TRUE(port->sent().empty());
    EXPECT_EQ(dumpAddress(), 0x11000u);
    port->expect(memReadRequest(0x11000, 2), memReadReply(pattern(2)));
    EXPECT_EQ(dumpCommand(2, "0x11000", "0x10002", 1), 0);
    EXPECT_EQ(dumpAddress(), 0x21002u);
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, ExceptionReplyOnTheSecondChunk)
{
    port->expect(memReadRequest(0x1000, 16), memReadReply(pattern(16, 0x41)));
    port->expect(memReadRequest(0x1010, 16), frame(0x41, {9}));
    EXPECT_EQ(dumpCommand(2, "0x1000", "0x30", 1), 0);
    EXPECT_EQ(output(),
              "001000 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
              "dumpMem:Error.Responce is not MEM_READ. 65\n"
              "dumpMem:Exception:code=9\n");
    EXPECT_EQ(dumpAddress(), 0x1030u);
    EXPECT_TRUE(port->finished());
}

TEST_F(DumpTest, ReplyFailures)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"other code", frame(REG_READ, be32(0)), "dumpMem:Error.Responce is not MEM_READ. 16\n"},
        {"short", memReadReply(pattern(7)), "dumpMem:Error.Responce is short. 7\n"},
        {"bad ETX", Bytes{0x02, 0x03, 0x00, 0x11, 0xEC, 0x02}, "dumpMem:Error receivePacket()=-4\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        port->expect(memReadRequest(0x1000, 8), c.reply);
        EXPECT_EQ(dumpCommand(2, "0x1000", "8", 1), 0);
        EXPECT_EQ(output(), c.message);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(DumpTest, InvalidArgumentsPrintTheTextAsTyped)
{
    EXPECT_EQ(dumpCommand(1, "(1", nullptr, 1), -1);
    EXPECT_EQ(lastLine(output()), "Invalid Address (1\n");
    EXPECT_EQ(dumpAddress(), 0u);
    EXPECT_EQ(dumpCommand(2, "0x40", "9+", 2), -1);
    EXPECT_EQ(lastLine(output()), "Invalid size 9+\n");
    EXPECT_EQ(dumpAddress(), 0x40u);  // the address stays stored
    EXPECT_EQ(dumpSize(), 16u);
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(WriteTest, WordAtAnOddAddressIsAlignedAndThePromptFollows)
{
    port->expect(memWriteRequest(0x1000, {0x12, 0x34}), memWriteReply());
    EXPECT_EQ(writeCommand(2, "0x1001", "0x1234", 2), 0);
    EXPECT_EQ(writeAddress(), 0x1002u);
    keyboard->typeLine("");
    EXPECT_EQ(writeCommand(0, nullptr, nullptr, 2), 0);
    EXPECT_EQ(output(), "001002:>");
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, DataIsTruncatedToTheItemSize)
{
    port->expect(memWriteRequest(0x20, {0x78}), memWriteReply());
    writeCommand(2, "0x20", "0x12345678", 1);
    port->expect(memWriteRequest(0x22, {0x56, 0x78}), memWriteReply());
    writeCommand(2, "0x22", "0x12345678", 2);
    port->expect(memWriteRequest(0x24, {0x00, 0x00, 0x03, 0xE8}), memWriteReply());
    writeCommand(2, "0x24", "1000", 4);  // digits alone are decimal
    EXPECT_EQ(writeAddress(), 0x28u);
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, FailedWriteKeepsTheAddress)
{
    port->expect(memWriteRequest(0x1000, {0, 0, 0, 1}), memWriteReply(0));
    EXPECT_EQ(writeCommand(2, "0x1000", "1", 4), 0);
    EXPECT_EQ(writeAddress(), 0x1000u);
    EXPECT_EQ(output(), "writeMemSingle():Responce of MEM_WRITE =NG\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InvalidArguments)
{
    port->expect(memWriteRequest(0x300, {5}), memWriteReply());
    writeCommand(2, "0x300", "5", 1);
    output();
    EXPECT_EQ(writeCommand(2, "(", "5", 1), -1);
    EXPECT_EQ(lastLine(output()), "Invalid Address (\n");
    EXPECT_EQ(writeAddress(), 0x301u);
    EXPECT_EQ(writeCommand(2, "0x1000", "5+", 4), -2);
    EXPECT_EQ(lastLine(output()), "Invalid DATA 5+\n");
    EXPECT_EQ(writeAddress(), 0x1000u);
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InteractiveWritesEachWordAndResumes)
{
    keyboard->typeLine("12 34,56");
    keyboard->typeLine(" ,\t");
    port->expect(memWriteRequest(0x4000, {0x12}), memWriteReply());
    port->expect(memWriteRequest(0x4001, {0x34}), memWriteReply());
    port->expect(memWriteRequest(0x4002, {0x56}), memWriteReply());
    EXPECT_EQ(writeCommand(1, "0x4000", nullptr, 1), 0);
    EXPECT_EQ(writeAddress(), 0x4003u);
    keyboard->typeLine("");
    writeCommand(0, nullptr, nullptr, 1);
    EXPECT_EQ(output(), "004000:>004003:>004003:>");
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InteractiveWordsAreHexWithOptionalPrefix)
{
    keyboard->typeLine("0xbeef cafe 0X1 10");
    keyboard->typeLine("");
    port->expect(memWriteRequest(0x100, {0xBE, 0xEF}), memWriteReply());
    port->expect(memWriteRequest(0x102, {0xCA, 0xFE}), memWriteReply());
    port->expect(memWriteRequest(0x104, {0x00, 0x01}), memWriteReply());
    port->expect(memWriteRequest(0x106, {0x00, 0x10}), memWriteReply());
    EXPECT_EQ(writeInteractive(0x100, 2), 0x108u);
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InteractiveBadWordIsRejectedAndTheOthersWritten)
{
    keyboard->typeLine("11 zz 0x -5 1g 22");
    keyboard->typeLine("");
    port->expect(memWriteRequest(0x4000, {0x11}), memWriteReply());
    port->expect(memWriteRequest(0x4001, {0x22}), memWriteReply());
    EXPECT_EQ(writeInteractive(0x4000, 1), 0x4002u);
    EXPECT_EQ(output(),
              "004000:>Invalid DATA ZZ\nInvalid DATA 0X\nInvalid DATA -5\nInvalid DATA 1G\n004002:>");
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InteractiveFailedWriteStillAdvances)
{
    keyboard->typeLine("1 2");
    keyboard->typeLine("");
    port->expect(memWriteRequest(0x10, {1}), memWriteReply(0));
    port->expect(memWriteRequest(0x11, {2}), memWriteReply());
    EXPECT_EQ(writeInteractive(0x10, 1), 0x12u);
    EXPECT_TRUE(port->finished());
}

TEST_F(WriteTest, InteractiveEndsAtEndOfInputAndSkipsLongLines)
{
    keyboard->typeLine(std::string(300, '1'));
    keyboard->typeLine("7");
    keyboard->endInput();
    port->expect(memWriteRequest(0x10, {7}), memWriteReply());
    EXPECT_EQ(writeInteractive(0x10, 1), 0x11u);
    std::string text = output();
    EXPECT_EQ(text.substr(0, 8), "000010:>");
    EXPECT_EQ(text.substr(text.size() - 16), "000010:>000011:>");
    EXPECT_TRUE(port->finished());
}
