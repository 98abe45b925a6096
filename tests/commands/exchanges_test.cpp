// The command cases kept as text in this folder, run against a scripted
// monitor; the format is in support/exchange_script.h.
#include <fstream>

#include "support/case_file.h"
#include "support/exchange_script.h"

namespace {

const std::string kDir = BF_SOURCE_DIR "/tests/commands/";

TEST_F(ExchangeTest, Breakpoints) { runFile(kDir + "breakpoints.txt"); }
TEST_F(ExchangeTest, Flash) { runFile(kDir + "flash.txt"); }
TEST_F(ExchangeTest, Memory) { runFile(kDir + "memory.txt"); }
TEST_F(ExchangeTest, Registers) { runFile(kDir + "registers.txt"); }

TEST_F(ExchangeTest, LoadAndUserFlag)
{
    const std::string file = testing::TempDir() + "load.mot";
    runFile(kDir + "load.txt", {{"file", [&](const std::string& text) {
                                     std::ofstream(file, std::ios::binary) << unescape(text);
                                     return 0;
                                 }},
                                   {"flashArea", [](const std::string& address) {
                                        targetInfo.flashAreaAddress = static_cast<uint32_t>(number(address));
                                        return 0;
                                    }}});
    std::remove(file.c_str());
}

} // namespace
