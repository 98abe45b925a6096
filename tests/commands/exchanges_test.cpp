// The command cases kept as text in this folder, run against a scripted
// monitor; the format is in support/exchange_script.h.
#include <fstream>

#include "support/case_file.h"
#include "support/exchange_script.h"

namespace {

TEST_F(ExchangeTest, EachFileOfCommands)
{
    const std::string mot = testing::TempDir() + "load.mot";
    const ScriptVerbs verbs = {{"file",
                                   [&](const std::string& text) {
                                       std::ofstream(mot, std::ios::binary) << unescape(text);
                                       return 0;
                                   }},
        {"flashArea", [](const std::string& address) {
             targetInfo.flashAreaAddress = static_cast<uint32_t>(number(address));
             return 0;
         }}};
    for (const char* name : {"breakpoints.txt", "flash.txt", "load.txt", "memory.txt", "registers.txt"}) {
        runFile(BF_SOURCE_DIR "/tests/commands/" + std::string(name), verbs);
        restart();
    }
    std::remove(mot.c_str());
}

} // namespace
