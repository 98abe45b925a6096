// The map-file loader: which lines make pairs, its limits and messages, and the look-ups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/symbols.h"
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

TEST_F(Symbols, WhichLinesMakePairs)
{
    const std::string a1 = addressLine(0x100), a2 = addressLine(0x200);
    std::string tabbed = a1;
    tabbed[0] = '\t';
    std::string lastBlankTaken = a1;  // the last of the 34 blank columns
    lastBlankTaken[33] = '0';
    const std::string name63(63, 'n'), name64(64, 'm');
    struct Case {
        std::string contents;
        std::string loaded;  // "name@hex " for each record
    };
    const Case cases[] = {
        {"  _main\r\n" + a1.substr(0, 62) + "\r\n", "_main@100 "},
        {nameLine("x") + a1.substr(0, 62), "x@100 "},  // no final newline
        {nameLine("x") + nameLine("y") + a1, "y@100 "},
        {a1 + nameLine("x") + a2 + a1, "x@200 "},
        {nameLine("x") + addressLine(0x100, 'l'), "x@100 "},
        // Rejected: one leading space or a tab, tabs, upper-case flags, short lines.
        {" x\n" + a1 + "\tx\n" + a1, ""},
        {nameLine("x") + tabbed + a2, "x@200 "},
        {nameLine("x") + lastBlankTaken + a2, "x@200 "},
        {nameLine("x") + addressLine(0x100, 'L') + addressLine(0x200, 'G') + a2, "x@200 "},
        {nameLine("x") + a1.substr(0, 61) + "\n" + a2, "x@200 "},
        // A field that passes the line test but holds no number drops the pair.
        {nameLine("x") + std::string(34, ' ') + "H'1000  " + a1.substr(42) + a2, ""},
        // A name too long for the buffer is never cut, and its address is
        // never given to the name that stood before it.
        {nameLine(name63) + a1, name63 + "@100 "},
        {nameLine("x") + nameLine(name64) + a1 + nameLine("y") + a2, "y@200 "},
        // Lines are read in pieces of 199 characters, each tested on its own.
        {std::string(199, 'z') + "  piece\n" + a1, "piece@100 "},
        {nameLine("x") + std::string(199, 'z') + a1, "x@100 "},
        {std::string(197, 'z') + "  piece\n" + a1, ""},
    };
    for (const Case& c : cases) {
        resetSymbols();
        const std::string printed = loadMap(c.contents);
        std::string loaded;
        for (int i = 0; i < symbolCount; ++i) {
            char address[16];
            std::snprintf(address, sizeof address, "@%X ", symbolTable[i].address);
            loaded += symbolTable[i].name + std::string(address);
        }
        EXPECT_EQ(loaded, c.loaded) << c.contents;
        EXPECT_EQ(printed, loadMessage(symbolCount, symbolAreaUsed));
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
