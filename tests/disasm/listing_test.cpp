// Listing lines and the DA command against a port that checks every request
// byte: which reads each line costs (listing.txt), the DA arguments and the
// bounds. A request the script does not expect fails the test.
#include <algorithm>
#include <string>

#include "disasm/listing.h"
#include "expr/symbols.h"
#include "support/exchange_script.h"

namespace {

Bytes words(std::initializer_list<uint16_t> list, size_t size = 0)
{
    Bytes b;
    for (uint16_t w : list)
        b = b + Bytes {static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)};
    b.resize(std::max(size, b.size()));
    return b;
}

class Listing : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        resetSymbols();
    }
    void TearDown() override
    {
        EXPECT_TRUE(port->finished());
        TargetTest::TearDown();
    }

    // The host asks for data.size() bytes at address and gets data, or the stop report.
    void serve(uint32_t address, const Bytes& data, bool fail = false)
    {
        port->expect(memReadRequest(address, static_cast<uint8_t>(data.size())),
            fail ? frame(EXEC, {0x05}) : frame(MEM_READ, data));
    }

    // DA typed with its two arguments; the command's outcome.
    int da(const std::string& first, const std::string& second) { return run("da " + first + " " + second); }
};

TEST_F(ExchangeTest, ListingReads)
{
    runFile(BF_SOURCE_DIR "/tests/disasm/listing.txt");
}

TEST_F(Listing, LongwordAtTheTopOfMemoryWrapsToZero)
{
    serve(0xFFFFFFF0, words({0, 0, 0, 0, 0, 0, 0, 0x1234}));
    serve(0x00000000, words({0x5678}, 16));
    EXPECT_EQ(fetchLong(0xFFFFFFFE), 0x12345678u);
}

TEST_F(Listing, OverlongSymbolNameIsCutInsideTheTextBuffer)
{
    serve(0x5000, words({0xA000}, 16)); // BRA to 0x5004
    static const std::string longName(200, 'n');
    symbolTable[0] = {0x5004, 0, longName.c_str()};
    symbolCount = 1;
    char text[kInstructionTextSize + 80];
    EXPECT_EQ(disasm(0x5000, text), 0x5002u);
    EXPECT_EQ(std::string(text),
        "BRA     00005004            ;[00005004]:  " + longName.substr(0, kInstructionTextSize - 1 - 42));
}

// The largest count allowed is listed in full.
TEST_F(Listing, DaCountBoundIsListedInFull)
{
    for (uint32_t a = 0x8000; a < 0x8000 + 2 * kMaxDaCount; a += 2) {
        serve(a, words({0x0009}));
        if (a % 16 == 0)
            serve(a, words({9, 9, 9, 9, 9, 9, 9, 9}));
    }
    EXPECT_EQ(da("0x8000", "10000"), 0);
    std::string out = output();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10000);
    EXPECT_TRUE(out.ends_with("\n0000CE1E 0009     NOP                         \n"));
}

} // namespace
