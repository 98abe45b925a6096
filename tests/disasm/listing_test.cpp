// Listing lines and the fetches through the cache, against a monitor that
// answers from an in-test memory image.
#include <cstring>
#include <string>

#include "listing_fixture.h"

namespace {

using Listing = ListingFixture;

TEST_F(Listing, GoldenLinesWithLabelsCommentsAndSymbols) {
    pokeProgram();
    loadMap(mapPair("_start", 0x1000) + mapPair("_loop", 0x100A) + mapPair("_table", 0x12345678));
    std::string out = output([] { EXPECT_EQ(disasmCommand(2, "0x1000", "17"), 0); });
    EXPECT_EQ(out,
              "00001000      _start:\n"
              "00001000 E1FF     MOV     #255,R1             \n"
              "00001002 D102     MOV.L   @(0008,PC),R1       ;[12345678]:  _table\n"
              "00001004 9105     MOV.W   @(000A,PC),R1       ;[4F227FFF]\n"
              "00001006 A000     BRA     0000100A            ;[0000100A]:  _loop\n"
              "00001008 FFFF     ???\n"
              "0000100A      _loop:\n"
              "0000100A 0009     NOP                         \n"
              "0000100C 1234     MOV.L   R3 ,@(16,R2 )       \n"
              "0000100E 5678     MOV.L   @(32,R7 ),R6        \n"
              "00001010 000B     RTS                         \n"
              "00001012 4F22     STS.L   PR,@-SP             \n"
              "00001014 7FFF     ADD     #-1,SP              \n"
              "00001016 8B80     BF      00000F1A            ;[00000F1A]\n"
              "00001018 C720     MOVA    @(0080,PC),R0       ;[DEADBEEF]\n"
              "0000101A C320     TRAP    #128                \n"
              "0000101C 8012     MOV.B   R0,@(2,R1 )         \n"
              "0000101E 0F04     MOV.B   R0 ,@(R0,SP )       \n"
              "00001020 9205     MOV.W   @(000A,PC),R2       ;[ABCDEF01]\n");
    EXPECT_EQ(daAddress, 0x1022u);
    EXPECT_EQ(mem->strayFrames(), 0);
}

TEST_F(Listing, ColumnsOfAnInstructionLine) {
    pokeProgram();
    std::string line = output([] { listLine(0x1002); });
    EXPECT_EQ(line.find("D102"), 9u);
    EXPECT_EQ(line.find("MOV.L"), 18u);
    EXPECT_EQ(line.find("@(0008"), 26u);
    EXPECT_EQ(line.find(";["), 46u);
}

TEST_F(Listing, RequestPatternDirectReadThenLinesOnce) {
    pokeProgram();
    output([] { listLine(0x1020); });
    // Direct word, the instruction's line, then the literal's second line.
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x1020, 2}, {0x1020, 16}, {0x1030, 16}}));
    mem->clearLog();
    output([] { listLine(0x1022); });
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x1022, 2}}));
    mem->clearLog();
    // A MOV.L literal is longword aligned and never crosses a line.
    output([] { listLine(0x1002); });
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x1002, 2}, {0x1000, 16}}));
}

TEST_F(Listing, FetchesThroughTheCache) {
    mem->poke(0x2000, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                       0xDD, 0xEE, 0xF0, 0xF1, 0xF2, 0xF3});
    mem->poke(0xFFFFFFFE, {0x12, 0x34});
    mem->poke(0x00000000, {0x56, 0x78});
    struct Case {
        uint32_t address;
        uint16_t word;
        uint32_t longword;
    };
    const Case cases[] = {
        {0x2000, 0x1122, 0x11223344},
        {0x2001, 0x1122, 0x11223344},  // bit 0 ignored
        {0x2002, 0x3344, 0x33445566},  // longword need not be aligned
        {0x200C, 0xDDEE, 0xDDEEF0F1},
        {0x200E, 0xF0F1, 0xF0F1F2F3},  // straddles into the line at 0x2010
        {0x200F, 0xF0F1, 0xF0F1F2F3},
        {0xFFFFFFFE, 0x1234, 0x12345678},  // the next line wraps to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.address);
        EXPECT_EQ(fetchWord(c.address), c.word);
        EXPECT_EQ(fetchLong(c.address), c.longword);
    }
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x2000, 16}, {0x2010, 16}, {0xFFFFFFF0, 16},
                                                  {0x00000000, 16}}));
}

TEST_F(Listing, FailedDirectReadShowsTheCachedWord) {
    pokeProgram();
    mem->failRead(0x1000, 2);
    std::string uncached = output([] { listLine(0x1000); });
    EXPECT_EQ(uncached,
              "readMem:Error.Responce is not MEM_READ. 65\n"
              "00001000 E1FF     MOV     #255,R1             \n");
    // No extra request to make up the word.
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x1000, 2}, {0x1000, 16}}));

    mem->failRead(0x1004, 2);
    std::string cached = output([] { listLine(0x1004); });
    EXPECT_EQ(cached,
              "readMem:Error.Responce is not MEM_READ. 65\n"
              "00001004 9105     MOV.W   @(000A,PC),R1       ;[4F227FFF]\n");
}

TEST_F(Listing, DirectReadWinsOverAStaleCachedLine) {
    mem->pokeWords(0x3000, {0x0009});
    output([] { listLine(0x3000); });
    // Memory changes behind the cache's back (as after a flash write).
    mem->pokeWords(0x3000, {0x0000});
    std::string out = output([] { listLine(0x3000); });
    EXPECT_EQ(out, "00003000 0000     NOP                         \n");
}

TEST_F(Listing, WordZeroIsShownAsRead) {
    std::string out = output([] { listLine(0x4000); });
    EXPECT_EQ(out, "00004000 0000     ???\n");
    EXPECT_EQ(mem->reads(), (std::vector<MemRead>{{0x4000, 2}, {0x4000, 16}}));
}

TEST_F(Listing, OverlongSymbolNameIsCutInsideTheTextBuffer) {
    mem->pokeWords(0x5000, {0xA000});  // BRA to 0x5004
    static const std::string longName(200, 'n');
    symbolTable[0] = {0x5004, 0, longName.c_str()};
    symbolCount = 1;
    char text[kInstructionTextSize + 8];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(disasm(0x5000, text), 0x5002u);
    std::string expected = "BRA     00005004            ;[00005004]:  " +
                           longName.substr(0, kInstructionTextSize - 1 - 42);
    EXPECT_EQ(std::string(text), expected);
    EXPECT_EQ(text[kInstructionTextSize], '#') << "wrote past the instruction buffer";
}

}  // namespace
