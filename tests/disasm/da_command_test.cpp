// The DA command: its arguments, the address and count it carries from one
// DA to the next, and the bound on the count.
#include <string>
#include <vector>

#include "listing_fixture.h"

namespace {

using DaCommand = ListingFixture;

// The addresses of the instruction lines in a listing, in order.
std::vector<uint32_t> lineAddresses(const std::string& out) {
    std::vector<uint32_t> addresses;
    size_t pos = 0;
    while (pos < out.size()) {
        size_t end = out.find('\n', pos);
        std::string line = out.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 14 && line.compare(8, 6, "      ") != 0) {
            addresses.push_back(static_cast<uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16)));
        }
    }
    return addresses;
}

std::vector<uint32_t> range(uint32_t first, int lines) {
    std::vector<uint32_t> r;
    for (int i = 0; i < lines; ++i) r.push_back(first + 2 * static_cast<uint32_t>(i));
    return r;
}

TEST_F(DaCommand, FirstDaWithoutArgumentsListsTenLinesFromZero) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(0, nullptr, nullptr), 0); });
    EXPECT_EQ(lineAddresses(out), range(0, 10));
    EXPECT_EQ(out.substr(0, 22), "00000000 0000     ???\n");
    EXPECT_EQ(daAddress, 0x14u);
}

TEST_F(DaCommand, OddAddressListsFromTheEvenOne) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(2, "0x1001", "3"), 0); });
    EXPECT_EQ(lineAddresses(out), range(0x1000, 3));
    EXPECT_EQ(daAddress, 0x1006u);
}

TEST_F(DaCommand, CountStaysInForceAndTheListingContinues) {
    std::string first = output([] { EXPECT_EQ(disasmCommand(2, "0x2000", "5"), 0); });
    std::string next = output([] { EXPECT_EQ(disasmCommand(0, nullptr, nullptr), 0); });
    EXPECT_EQ(lineAddresses(first), range(0x2000, 5));
    EXPECT_EQ(lineAddresses(next), range(0x200A, 5));
    // A new address alone keeps the count too.
    std::string moved = output([] { EXPECT_EQ(disasmCommand(1, "0x3000", nullptr), 0); });
    EXPECT_EQ(lineAddresses(moved), range(0x3000, 5));
}

TEST_F(DaCommand, DigitsOnlyCountIsDecimal) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(2, "0x1000", "16"), 0); });
    EXPECT_EQ(lineAddresses(out).size(), 16u);
    out = output([] { EXPECT_EQ(disasmCommand(2, "1000", "1"), 0); });
    EXPECT_EQ(lineAddresses(out), range(0x3E8, 1));
}

TEST_F(DaCommand, CountZeroListsNothingAndKeepsTheAddress) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(2, "0x4000", "0"), 0); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(daAddress, 0x4000u);
    EXPECT_TRUE(mem->reads().empty());
}

struct BadArgs {
    const char* name;
    int argc;
    const char* first;
    const char* second;
    const char* message;
    uint32_t addressAfter;  // where the next plain DA starts
    uint32_t countAfter;
};

const BadArgs kBadArgs[] = {
    {"bad address", 2, "zz", "3", "Invalid Address zz\n", 0x100, 10},
    {"bad address, one argument", 1, "1+", nullptr, "Invalid Address 1+\n", 0x100, 10},
    {"bad count keeps the new address", 2, "0x2000", "(", "Invalid size (\n", 0x2000, 10},
    {"count above the bound", 2, "0x2000", "10001", "Invalid size 10001 (at most 10000 lines)\n",
     0x2000, 10},
    {"count that wrapped negative", 2, "0x2000", "0xFFFFFFFF",
     "Invalid size 0xFFFFFFFF (at most 10000 lines)\n", 0x2000, 10},
};

TEST_F(DaCommand, ArgumentErrorsListNothing) {
    for (const BadArgs& c : kBadArgs) {
        SCOPED_TRACE(c.name);
        resetListing();
        daAddress = 0x100;
        mem->clearLog();
        std::string out = output([&] { EXPECT_EQ(disasmCommand(c.argc, c.first, c.second), -1); });
        EXPECT_EQ(out, c.message);
        EXPECT_TRUE(mem->reads().empty());
        EXPECT_EQ(daAddress, c.addressAfter);
        EXPECT_EQ(daCount, c.countAfter);
    }
}

TEST_F(DaCommand, LargestCountIsListedInFull) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(2, "0x8000", "10000"), 0); });
    std::vector<uint32_t> lines = lineAddresses(out);
    ASSERT_EQ(lines.size(), 10000u);
    EXPECT_EQ(lines.back(), 0x8000u + 2 * 9999);
    EXPECT_EQ(daAddress, 0x8000u + 2 * 10000);
    // One direct read per line and one read per 16-byte line of code.
    EXPECT_EQ(mem->reads().size(), 10000u + 20000u / 16);
}

TEST_F(DaCommand, ArgumentsAfterTheSecondAreIgnored) {
    std::string out = output([] { EXPECT_EQ(disasmCommand(4, "0x6000", "2"), 0); });
    EXPECT_EQ(lineAddresses(out), range(0x6000, 2));
}

}  // namespace
