// The identification at start-up: the cases of startup.txt.
#include "shell/startup.h"
#include "support/exchange_script.h"

namespace {

TEST_F(ExchangeTest, StartupIdentification)
{
    runFile(BF_SOURCE_DIR "/tests/shell/startup.txt", {{"identify", [](const std::string&) {
                                                            identifyTarget();
                                                            return 0;
                                                        }}});
}

} // namespace
