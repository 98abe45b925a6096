// tools/nm2map: GNU nm output in, a map file out that the loader takes
// pair by pair; symbols the debugger cannot use are left out, not mangled.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "expr/symbols.h"
#include "support/map_file.h"

namespace {

// Runs the converter on text; its output, or "" when it could not run.
std::string convert(const std::string& nmText)
{
    const std::string input = testing::TempDir() + "nm2map_" + std::to_string(getpid()) + ".txt";
    std::ofstream(input, std::ios::binary) << nmText;
    std::FILE* pipe = popen(("sh " BF_SOURCE_DIR "/tools/nm2map " + input).c_str(), "r");
    std::string out;
    char buf[512];
    size_t n;
    while (pipe != nullptr && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    if (pipe != nullptr)
        pclose(pipe);
    std::remove(input.c_str());
    return out;
}

TEST(Nm2Map, UsableSymbolsLoadWithTheirAddresses)
{
    const std::string longName(64, 'n');
    std::string map = convert("00002008 00000010 T _start\n"
                              "00002012 t main_loop\n" // no size
                              "         U _undefined\n"
                              "ffffc080 a SCI1_BASE\n" // absolute: not an address of the program
                              "000020d4 t .L_literal\n" // not a name the evaluator reads
                              "00002100 d cache$0\n"
                              "000000000000fffc 0000000000000004 B _counter\n" // a 64-bit host's nm
                              "0000000100000000 D _too_high\n" +
        std::string("00003000 T ") + longName + "\n" + "0000201e W _weak\n");
    resetSymbols();
    EXPECT_EQ(loadMap(map), "Load 4 symbols ( use 32 bytes for symbol area )\n");
    const std::pair<const char*, uint32_t> expected[] = {
        {"_start", 0x2008}, {"main_loop", 0x2012}, {"_counter", 0xFFFC}, {"_weak", 0x201E}};
    ASSERT_EQ(symbolCount, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(symbolTable[i].name, expected[i].first);
        EXPECT_EQ(symbolTable[i].address, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(symbolTable[0].extra, 0x10u);
    // Global and local as the linker marks them, in column 62.
    EXPECT_EQ(map.substr(map.find("00002008") - 34, 63), std::string(34, ' ') + "00002008  00000010   func ,g\n");
    EXPECT_NE(map.find("00002012  00000000   func ,l\n"), std::string::npos);
    resetSymbols();
}

} // namespace
