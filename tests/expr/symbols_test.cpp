// The map-file line tests, the loader's limits and messages, and the look-ups.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "expr/symbols.h"
#include "map_file.h"

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

// A distinct identifier of exactly `length` characters for index i.
std::string nameOfLength(int i, int length)
{
    char head[16];
    std::snprintf(head, sizeof head, "s%04d", i);
    std::string name = head;
    name.resize(static_cast<size_t>(length), '_');
    return name;
}

struct LineCase {
    std::string line;
    int expected;
};

TEST(MapLines, NameLines)
{
    const LineCase cases[] = {
        {"  _main\n", 1},
        {"  _main", 1},
        {"  a\n", 1},
        {"  _\n", 1},
        {"  x9_Z\r\n", 1},
        {"   \t, _main\n", 1},  // separators after the two spaces are skipped
        {"  _main  anything $.@ goes\n", 1},
        {"  a,b\n", 1},
        {" _main\n", 0},
        {"\t_main\n", 0},
        {" \t_main\n", 0},
        {"  x$y\n", 0},
        {"  x.y\n", 0},
        {"  x@y\n", 0},
        {"  1abc\n", 0},
        {"  \n", 0},
        {"  ", 0},
        {" a", 0},
        {"", 0},
        {"  \xC0x\n", 0},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(isNameLine(c.line.c_str()), c.expected) << "\"" << c.line << "\"";
}

TEST(MapLines, HexNumbers)
{
    const LineCase cases[] = {
        {"1000", 1},   {"0x1F", 1},   {"0X1f", 1},   {"H'1F", 1},   {"h'ff", 1},  {"  ,1F  zz", 1},
        {"deadBEEF\n", 1}, {"", 1},   {"0x", 1},     {"H'", 1},     {" \n", 1},   {"12,zz", 1},
        {"1G", 0},     {"x1", 0},     {"0x1G", 0},   {"H1", 0},     {"1.0", 0},   {"0xx1", 0},
        {"H'H'1", 0},  {"'1", 0},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(isHexNumber(c.line.c_str()), c.expected) << "\"" << c.line << "\"";
}

TEST(MapLines, AddressLines)
{
    const std::string good = addressLine(0x1000);
    ASSERT_EQ(good.size(), 63u);
    ASSERT_EQ(good[61], 'g');

    std::string tabbed = good;
    tabbed[10] = '\t';
    std::string lastSpace = good;
    lastSpace[33] = 'x';
    std::string badAddress = good;
    badAddress[36] = 'z';
    std::string badExtra = good;
    badExtra[50] = 'q';
    std::string prefixed = std::string(34, ' ') + "0x1000  " + good.substr(42);
    std::string hPrefix = std::string(34, ' ') + "H'1000  " + good.substr(42);

    const LineCase cases[] = {
        {good, 1},
        {addressLine(0x1000, 0x24, 'l'), 1},
        {good.substr(0, 62), 1},
        {good.substr(0, 61), 0},
        {addressLine(0x1000, 0x24, 'L'), 0},
        {addressLine(0x1000, 0x24, 'G'), 0},
        {addressLine(0x1000, 0x24, 'x'), 0},
        {tabbed, 0},
        {lastSpace, 0},
        {badAddress, 0},
        {badExtra, 0},
        {prefixed, 1},
        {hPrefix, 1},
        {nameLine("_main"), 0},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(isAddressLine(c.line.c_str()), c.expected) << "\"" << c.line << "\"";
}

TEST(MapLines, IdentifiersAndWords)
{
    EXPECT_EQ(isIdentifier("_a1 rest"), 1);
    EXPECT_EQ(isIdentifier("a-b"), 0);
    EXPECT_EQ(isIdentifier("9a"), 0);
    EXPECT_EQ(isIdentifier(""), 0);

    char word[8];
    EXPECT_EQ(copyWord(" \t,abc def", word, sizeof word), 3);
    EXPECT_STREQ(word, "abc");
    EXPECT_EQ(copyWord("1234567\n", word, sizeof word), 7);  // exactly fills with its zero
    EXPECT_STREQ(word, "1234567");
    EXPECT_EQ(copyWord("12345678", word, sizeof word), -1);
    EXPECT_STREQ(word, "");
    EXPECT_EQ(copyWord(" ,\r\n", word, sizeof word), 0);
    EXPECT_STREQ(word, "");
}

TEST_F(Symbols, TheExamplePair)
{
    EXPECT_EQ(loadMap(nameLine("_main") + addressLine(0x1000, 0x24)), loadMessage(1, 6));
    ASSERT_EQ(symbolCount, 1);
    EXPECT_STREQ(symbolTable[0].name, "_main");
    EXPECT_EQ(symbolTable[0].address, 0x1000u);
    EXPECT_EQ(symbolTable[0].extra, 0x24u);
    EXPECT_EQ(symbolAreaUsed, 6);
    EXPECT_EQ(symbolFree, symbolArea + 6);
}

TEST_F(Symbols, MissingFileLeavesAnEmptyTable)
{
    loadMap(nameLine("_main") + addressLine(0x1000));
    ASSERT_EQ(symbolCount, 1);

    const std::string path = mapPath("does_not_exist");
    testing::internal::CaptureStdout();
    loadSymbols(path.c_str());
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Not valid symbol file " + path + "\n");
    EXPECT_EQ(symbolCount, 0);
    EXPECT_EQ(symbolAreaUsed, 0);
    EXPECT_EQ(symbolExists("_main"), 0);
    EXPECT_EQ(symbolValue("_main"), 0xFFFFFFFFu);
    EXPECT_EQ(nearestSymbol(0x2000), nullptr);
}

struct LoadCase {
    const char* what;
    std::string contents;
    std::string names;  // the loaded names with their addresses, "name@hex " each
};

std::string loadedNames()
{
    std::string out;
    char text[32];
    for (int i = 0; i < symbolCount; ++i) {
        std::snprintf(text, sizeof text, "@%X ", symbolTable[i].address);
        out += symbolTable[i].name;
        out += text;
    }
    return out;
}

TEST_F(Symbols, WhichLinesMakePairs)
{
    const std::string a1 = addressLine(0x100);
    const std::string a2 = addressLine(0x200);
    std::string tabbed = a1;
    tabbed[0] = '\t';
    std::string noNumber = std::string(34, ' ') + "H'1000  " + a1.substr(42);
    std::string commaField = std::string(34, ' ') + ",1000   " + a1.substr(42);
    std::string prefixed = std::string(34, ' ') + "0x1000  " + a1.substr(42);
    const std::string name63 = std::string(63, 'n');
    const std::string name64 = std::string(64, 'm');

    const LoadCase cases[] = {
        {"empty", "", ""},
        {"names only", nameLine("a") + nameLine("b"), ""},
        {"addresses only", a1 + a2, ""},
        {"crlf", "  _main\r\n" + a1.substr(0, 62) + "\r\n", "_main@100 "},
        {"no final newline", nameLine("x") + a1.substr(0, 62), "x@100 "},
        {"lines between", nameLine("x") + "junk\n\n  $bad\n" + a1, "x@100 "},
        {"later name wins", nameLine("x") + nameLine("y") + a1, "y@100 "},
        {"address before name", a1 + nameLine("x") + a2, "x@200 "},
        {"one name, two addresses", nameLine("x") + a1 + a2, "x@100 "},
        {"case differs", nameLine("_main") + a1 + nameLine("_Main") + a2, "_main@100 _Main@200 "},
        {"one leading space", " x\n" + a1, ""},
        {"leading tab", "\tx\n" + a1, ""},
        {"tab among the 34 spaces", nameLine("x") + tabbed + a2, "x@200 "},
        {"upper-case L", nameLine("x") + addressLine(0x100, 0x24, 'L') + a2, "x@200 "},
        {"upper-case G", nameLine("x") + addressLine(0x100, 0x24, 'G') + a2, "x@200 "},
        {"local flag", nameLine("x") + addressLine(0x100, 0x24, 'l'), "x@100 "},
        {"61 characters", nameLine("x") + a1.substr(0, 61) + "\n" + a2, "x@200 "},
        {"0x prefix", nameLine("x") + prefixed, "x@1000 "},
        // A field that passes the line test but holds no number drops the pair.
        {"H' field", nameLine("x") + noNumber + a2 + nameLine("y") + a1, "y@100 "},
        {"comma field", nameLine("x") + commaField + a2, ""},
        // A name too long for the buffer is skipped, never cut.
        {"63-character name", nameLine(name63) + a1, name63 + "@100 "},
        {"64-character name", nameLine(name64) + a1, ""},
        {"long name keeps the pending one", nameLine("x") + nameLine(name64) + a1, "x@100 "},
        {"197-character name", nameLine(std::string(197, 'q')) + a1, ""},
        // Lines come in pieces of 199 characters, each tested on its own.
        {"name in a second piece", std::string(199, 'z') + "  piece\n" + a1, "piece@100 "},
        {"address in a second piece", nameLine("x") + std::string(199, 'z') + a1, "x@100 "},
        {"name cut by the piece", std::string(197, 'z') + "  piece\n" + a1, ""},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        resetSymbols();
        std::string printed = loadMap(c.contents);
        EXPECT_EQ(loadedNames(), c.names);
        EXPECT_EQ(printed, loadMessage(symbolCount, symbolAreaUsed));
    }
}

TEST_F(Symbols, RecordLimit)
{
    std::string map;
    for (int i = 0; i < 513; ++i)
        map += nameLine(nameOfLength(i, 5)) + addressLine(static_cast<uint32_t>(i));

    // 512 pairs fill the table; the 513th is never read.
    EXPECT_EQ(loadMap(map), "Symbol List Full\n" + loadMessage(512, 512 * 6));
    EXPECT_EQ(symbolCount, 512);
    EXPECT_EQ(symbolValue("s0511"), 511u);
    EXPECT_EQ(symbolExists("s0512"), 0);

    // One pair less is no limit.
    resetSymbols();
    std::string fewer;
    for (int i = 0; i < 511; ++i)
        fewer += nameLine(nameOfLength(i, 5)) + addressLine(static_cast<uint32_t>(i));
    EXPECT_EQ(loadMap(fewer), loadMessage(511, 511 * 6));
}

TEST_F(Symbols, NameAreaLimit)
{
    // 256 names of 63 characters use exactly 16,384 bytes.
    std::string map;
    for (int i = 0; i < 300; ++i)
        map += nameLine(nameOfLength(i, 63)) + addressLine(static_cast<uint32_t>(i));
    EXPECT_EQ(loadMap(map), "Symbol Area Full\n" + loadMessage(256, 16384));
    EXPECT_EQ(symbolExists(nameOfLength(255, 63).c_str()), 1);
    EXPECT_EQ(symbolExists(nameOfLength(256, 63).c_str()), 0);
}

TEST_F(Symbols, TheLastNameMayRunIntoTheSpareBytes)
{
    std::string map;
    for (int i = 0; i < 254; ++i)
        map += nameLine(nameOfLength(i, 63)) + addressLine(static_cast<uint32_t>(i));
    map += nameLine(nameOfLength(254, 62)) + addressLine(254);  // 16,319
    map += nameLine(nameOfLength(255, 63)) + addressLine(255);  // 16,383
    map += nameLine(nameOfLength(256, 63)) + addressLine(256);  // 16,447
    map += nameLine(nameOfLength(257, 5)) + addressLine(257);
    EXPECT_EQ(loadMap(map), "Symbol Area Full\n" + loadMessage(257, 16447));
    const std::string last = nameOfLength(256, 63);
    EXPECT_STREQ(symbolTable[256].name, last.c_str());
    EXPECT_EQ(symbolValue(last.c_str()), 256u);
    EXPECT_EQ(symbolFree, symbolArea + 16447);
}

TEST_F(Symbols, RecordLimitIsTestedBeforeTheAreaLimit)
{
    // 512 names of 31 characters reach both limits on the same line.
    std::string map;
    for (int i = 0; i < 512; ++i)
        map += nameLine(nameOfLength(i, 31)) + addressLine(static_cast<uint32_t>(i));
    EXPECT_EQ(loadMap(map), "Symbol List Full\n" + loadMessage(512, 16384));
}

TEST_F(Symbols, LookUps)
{
    loadMap(nameLine("x") + addressLine(0x100) + nameLine("x") + addressLine(0x200) +
            nameLine("a") + addressLine(0x300) + nameLine("b") + addressLine(0x300) +
            nameLine("top") + addressLine(0xFFFFFFFF));
    ASSERT_EQ(symbolCount, 5);

    EXPECT_EQ(symbolExists("x"), 1);
    EXPECT_EQ(symbolExists("X"), 0);
    EXPECT_EQ(symbolExists(""), 0);
    EXPECT_EQ(symbolValue("x"), 0x100u);  // the first record
    EXPECT_EQ(symbolValue("nope"), 0xFFFFFFFFu);

    struct AtCase {
        uint32_t value;
        const char* exact;
        const char* nearest;
    };
    const AtCase cases[] = {
        {0x0FF, nullptr, nullptr},
        {0x100, "x", "x"},
        {0x1FF, nullptr, "x"},
        {0x200, "x", "x"},
        {0x300, "a", "b"},  // exact: first loaded; nearest: last loaded
        {0x350, nullptr, "b"},
        {0xFFFFFFFE, nullptr, "b"},
        {0xFFFFFFFF, "top", "top"},
    };
    for (const AtCase& c : cases) {
        SCOPED_TRACE(c.value);
        const char* exact = symbolAtAddress(c.value);
        const char* nearest = nearestSymbol(c.value);
        EXPECT_STREQ(exact ? exact : "(none)", c.exact ? c.exact : "(none)");
        EXPECT_STREQ(nearest ? nearest : "(none)", c.nearest ? c.nearest : "(none)");
    }
    // The second x is the nearest record at 0x250, though its name's value is 0x100.
    EXPECT_EQ(nearestSymbol(0x250), symbolTable[1].name);
}

TEST_F(Symbols, ARecordAtZeroIsNearestToEverything)
{
    loadMap(nameLine("zero") + addressLine(0));
    EXPECT_STREQ(nearestSymbol(0), "zero");
    EXPECT_STREQ(nearestSymbol(0xFFFFFFFF), "zero");
    EXPECT_STREQ(symbolAtAddress(0), "zero");
}

TEST_F(Symbols, ResetEmptiesTheTable)
{
    loadMap(nameLine("x") + addressLine(0x100));
    ASSERT_EQ(symbolCount, 1);
    resetSymbols();
    EXPECT_EQ(symbolCount, 0);
    EXPECT_EQ(symbolAreaUsed, 0);
    EXPECT_EQ(symbolExists("x"), 0);
    EXPECT_EQ(symbolAtAddress(0x100), nullptr);
    EXPECT_EQ(nearestSymbol(0x100), nullptr);
}

}  // namespace
