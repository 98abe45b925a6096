// tools/nm2map: GNU nm output in, a map file out that the loader takes
// pair by pair.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "expr/symbols.h"
#include "support/case_file.h"
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

// The converter's output for every line of nm2map.txt at once, and the loader taking it.
TEST(Nm2Map, UsableSymbolsLoadWithTheirAddresses)
{
    std::string nm, expected;
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/expr/nm2map.txt")) {
        nm += c[0] + "\n";
        expected += c[1];
    }
    const std::string map = convert(nm);
    EXPECT_EQ(map, expected);
    resetSymbols();
    EXPECT_EQ(loadMap(map), "Load 4 symbols ( use 32 bytes for symbol area )\n");
    resetSymbols();
}

} // namespace
