// Listing lines and the DA command against a port that checks every request
// byte: which reads each line costs and the DA arguments (listing.txt), and
// the bounds. A request the script does not expect fails the test.
#include <algorithm>
#include <string>

#include "disasm/listing.h"
#include "expr/symbols.h"
#include "support/exchange_script.h"

namespace {

TEST_F(ExchangeTest, ListingReads)
{
    auto fetch = [](const std::string& address) {
        std::printf("%08X\n", fetchLong(std::stoul(address, nullptr, 0)));
        return 0;
    };
    runFile(BF_SOURCE_DIR "/tests/disasm/listing.txt", {{"fetchLong", fetch}});
}

TEST_F(TargetTest, OverlongSymbolNameIsCutInsideTheTextBuffer)
{
    port->expect(memReadRequest(0x5000, 16), frame(MEM_READ, Bytes {0xA0, 0x00} + Bytes(14, 0))); // BRA to 0x5004
    static const std::string longName(200, 'n');
    resetSymbols();
    symbolTable[0] = {0x5004, 0, longName.c_str()};
    symbolCount = 1;
    char text[kInstructionTextSize + 80];
    EXPECT_EQ(disasm(0x5000, text), 0x5002u);
    EXPECT_EQ(std::string(text),
        "BRA     00005004            ;[00005004]:  " + longName.substr(0, kInstructionTextSize - 1 - 42));
    EXPECT_TRUE(port->finished());
    resetSymbols();
}

// The largest count allowed is listed in full.
TEST_F(TargetTest, DaCountBoundIsListedInFull)
{
    const Bytes nops = {0, 9, 0, 9, 0, 9, 0, 9, 0, 9, 0, 9, 0, 9, 0, 9};
    for (uint32_t a = 0x8000; a < 0x8000 + 2 * kMaxDaCount; a += 2) {
        port->expect(memReadRequest(a, 2), frame(MEM_READ, {0x00, 0x09}));
        if (a % 16 == 0)
            port->expect(memReadRequest(a, 16), frame(MEM_READ, nops));
    }
    EXPECT_EQ(run("da 0x8000 10000"), 0);
    std::string out = output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10000);
    EXPECT_TRUE(out.ends_with("\n0000CE1E 0009     NOP                         \n"));
    EXPECT_TRUE(port->finished());
}

} // namespace
