// Target memory against a scripted monitor: the chunks on the wire, where a
// failure stops a transfer, and the line cache (memory.txt); the cache's
// replacement order below.
#include <sstream>
#include <vector>

#include "flash/flash.h"
#include "support/exchange_script.h"
#include "target/breakpoints.h"
#include "target/registers.h"

namespace {

// The numbers of a verb's arguments: decimal, or hexadecimal after 0x.
std::vector<uint32_t> numbers(const std::string& text)
{
    std::vector<uint32_t> out;
    std::istringstream in(text);
    for (std::string token; in >> token;)
        out.push_back(static_cast<uint32_t>(std::stoul(token, nullptr, 0)));
    return out;
}

// Prints bytes as hex, then passes result on.
int shown(const Bytes& bytes, int result)
{
    std::printf("%s\n", hexBytes(bytes).c_str());
    return result;
}

TEST_F(ExchangeTest, TransfersAndTheCache)
{
    static uint8_t line[16]; // one buffer for every line read, as a caller reuses it
    uint32_t value = 0;
    const ScriptVerbs verbs = {
        {"read",
            [](const std::string& a) { // a byte past the count shows whether it was stored
                Bytes b(numbers(a)[1] + 1, 0xEE);
                return shown(b, readMem(numbers(a)[0], static_cast<uint16_t>(numbers(a)[1]), b.data()));
            }},
        {"write",
            [](const std::string& a) { // count bytes counting up from the first
                return writeMem(numbers(a)[0], static_cast<uint16_t>(numbers(a)[1]),
                    pattern(static_cast<int>(numbers(a)[1]), static_cast<uint8_t>(numbers(a)[2])).data());
            }},
        {"single",
            [](const std::string& a) {
                std::printf("%08X\n", writeMemSingle(numbers(a)[0], numbers(a)[1], static_cast<int>(numbers(a)[2])));
                return 0;
            }},
        {"line",
            [](const std::string& a) {
                const int result = readMemCache(line, numbers(a)[0]);
                return shown(Bytes(line, line + 16), result);
            }},
        {"cached", [](const std::string& a) { return searchMemCache(numbers(a)[0]) != nullptr; }},
        {"clear",
            [](const std::string&) {
                clearMemCache();
                return 0;
            }},
        {"writeReg", [](const std::string& a) { return writeReg(static_cast<int>(numbers(a)[0]), numbers(a)[1]); }},
        {"readReg", [&](const std::string& a) { return readReg(static_cast<int>(numbers(a)[0]), &value); }},
        {"writeBreakpoint", [](const std::string& a) { return writeBreakpoint(1, BBR_PC, numbers(a)[0], 0); }},
        {"clearBreakpoint", [](const std::string& a) { return clearBreakpoint(static_cast<int>(numbers(a)[0])); }},
        {"flashErase", [](const std::string& a) { return flashErase(static_cast<int>(numbers(a)[0])); }},
    };
    runFile(BF_SOURCE_DIR "/tests/target/memory.txt", verbs);
}

// The cache holds 64 lines and replaces the least recently used first. Line
// n, at 0x10000 + 16 n, holds bytes counting up from n; a request goes out
// only when it is not cached.
TEST_F(TargetTest, TheLeastRecentlyUsedCacheLineIsReplaced)
{
    auto read = [&](int n, bool cached) {
        const uint32_t address = 0x10000 + 16u * static_cast<uint32_t>(n);
        if (!cached)
            port->expect(memReadRequest(address, 16), frame(MEM_READ, pattern(16, static_cast<uint8_t>(n))));
        uint8_t line[16];
        EXPECT_EQ(readMemCache(line, address), 16);
        EXPECT_EQ(line[15], static_cast<uint8_t>(n + 15));
        EXPECT_TRUE(port->finished()) << "line " << n;
    };
    EXPECT_EQ(searchMemCache(0), nullptr); // nothing is cached at first, not even address 0
    for (int n = 0; n < 64; ++n)
        read(n, false);
    read(0, true); // line 0 becomes the newest
    read(64, false); // replaces line 1, now the oldest
    read(0, true);
    read(2, true);
    read(1, false);
}

} // namespace
