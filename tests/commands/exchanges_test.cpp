// The command cases kept as text in this folder, run against a scripted
// monitor; the format is in support/exchange_script.h.
#include "support/exchange_script.h"

namespace {

const std::string kDir = BF_SOURCE_DIR "/tests/commands/";

TEST_F(ExchangeTest, Breakpoints) { runFile(kDir + "breakpoints.txt"); }
TEST_F(ExchangeTest, Flash) { runFile(kDir + "flash.txt"); }
TEST_F(ExchangeTest, Memory) { runFile(kDir + "memory.txt"); }
TEST_F(ExchangeTest, Registers) { runFile(kDir + "registers.txt"); }

} // namespace
