// The map-file loader: which lines make pairs, its limits and messages, and the look-ups.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

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
    EXPECT_EQ(symbolTable[0].extra, 0x24u); // name and address: map_lines.txt
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

// The table's and the area's limits: every case of map_limits.txt. Name i is
// "s" and 1000 + i, cut or padded to its length; its address is i.
TEST_F(Symbols, Limits)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/expr/map_limits.txt")) {
        std::string map;
        std::istringstream runs(c[0]);
        uint32_t i = 0;
        for (int count, length; runs >> count && runs.ignore(1) >> length;)
            for (int k = 0; k < count; ++k, ++i) {
                std::string name = "s" + std::to_string(1000 + i);
                name.resize(static_cast<size_t>(length), '_');
                map += nameLine(name) + addressLine(i);
            }
        resetSymbols();
        EXPECT_EQ(loadMap(map), c[1]) << "map_limits.txt line " << c.line;
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
