// The map-file loader: which lines make pairs, its limits and messages, and the look-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/symbols.h"
#include "support/case_file.h"
#include "support/map_file.h"

namespace {

class Symbols : public testing::Test {
protected:
    void SetUp() override { resetSymbols(); }
    void TearDown() override { resetSymbols(); }
};

std::string loadMessage(int count, long used)
{
    return "Load " + std::to_string(count) + " symbols ( use " + std::to_string(used) +
           " bytes for symbol area )\n";
}

// The example pair, then a file that is not there: the table is emptied.
TEST_F(Symbols, TheExamplePairThenAMissingFile)
{
    EXPECT_EQ(loadMap("  _main\n"
                      "                                  00001000        24   func ,g\n"),
              loadMessage(1, 6));
    ASSERT_EQ(symbolCount, 1);
    EXPECT_STREQ(symbolTable[0].name, "_main");
    EXPECT_EQ(symbolTable[0].address, 0x1000u);
    EXPECT_EQ(symbolTable[0].extra, 0x24u);
    testing::internal::CaptureStdout();
    loadSymbols(mapPath().c_str());
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Not valid symbol file " + mapPath() + "\n");
    EXPECT_EQ(symbolCount, 0);
    EXPECT_EQ(symbolValue("_main"), 0xFFFFFFFFu);
}

// Which lines make pairs: every case of map_lines.txt.
TEST_F(Symbols, WhichLinesMakePairs)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/expr/map_lines.txt")) {
        resetSymbols();
        const std::string printed = loadMap(c[0]);
        std::string loaded;
        for (int i = 0; i < symbolCount; ++i) {
            char address[16];
            std::snprintf(address, sizeof address, "@%X", symbolTable[i].address);
            loaded += (i > 0 ? " " : "") + std::string(symbolTable[i].name) + address;
        }
        EXPECT_EQ(loaded, c[1]) << "map_lines.txt line " << c.line;
        EXPECT_EQ(printed, loadMessage(symbolCount, symbolAreaUsed)) << "map_lines.txt line " << c.line;
    }
}

// Loading stops after the line that fills the table or reaches the area limit;
// the last name may run past the limit. The table is tested first.
TEST_F(Symbols, Limits)
{
    struct Case {
        std::vector<int> lengths;  // one pair per name length
        std::string printed;
    };
    std::vector<int> crossing(254, 63);
    crossing.insert(crossing.end(), {62, 63, 63, 5});  // 16,319, 16,383, then 16,447 bytes
    const Case cases[] = {
        {std::vector<int>(511, 5), loadMessage(511, 511 * 6)},
        {std::vector<int>(512, 5), "Symbol List Full\n" + loadMessage(512, 512 * 6)},
        {std::vector<int>(513, 5), "Symbol List Full\n" + loadMessage(512, 512 * 6)},
        {std::vector<int>(300, 63), "Symbol Area Full\n" + loadMessage(256, 16384)},
        {crossing, "Symbol Area Full\n" + loadMessage(257, 16447)},
        {std::vector<int>(512, 31), "Symbol List Full\n" + loadMessage(512, 16384)},
    };
    for (const Case& c : cases) {
        std::string map;
        for (size_t i = 0; i < c.lengths.size(); ++i) {
            std::string name = std::to_string(1000 + i);
            name.insert(name.begin(), 's');
            name.resize(static_cast<size_t>(c.lengths[i]), '_');
            map += nameLine(name) + addressLine(static_cast<uint32_t>(i));
        }
        resetSymbols();
        EXPECT_EQ(loadMap(map), c.printed);
        EXPECT_EQ(symbolValue(symbolTable[symbolCount - 1].name), static_cast<uint32_t>(symbolCount - 1));
    }
}

TEST_F(Symbols, DuplicatesFirstForValueLastForNearest)
{
    loadMap(nameLine("x") + addressLine(0x100) + nameLine("x") + addressLine(0x200) + nameLine("a") +
            addressLine(0x300) + nameLine("b") + addressLine(0x300));
    EXPECT_EQ(symbolValue("x"), 0x100u);
    EXPECT_EQ(nearestSymbol(0x250), symbolTable[1].name);
    EXPECT_STREQ(symbolAtAddress(0x300), "a");
    EXPECT_STREQ(nearestSymbol(0x300), "b");
}

}  // namespace
