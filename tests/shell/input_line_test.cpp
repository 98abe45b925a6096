#include <string>

#include "shell_fixture.h"

namespace {

using InputLine = ShellTest;

// While no key is pressed, target bytes are shown as they come; a frame the
// target sends unasked (its restart) is answered with the version request
// and a fresh prompt.
TEST_F(InputLine, TargetTextIsEchoedAndARestartIsAnswered)
{
    const std::string text = "Hello\r\nworld\x07\xFF";
    const Bytes restarted = frame(TARGET_RESTARTED);
    port->feed(Bytes(text.begin(), text.end()) + restarted);
    port->expect(frame(GET_VERSION), frame(GET_VERSION, {2, 5, 9}), 3);
    keyboard->typeLine("db 1000", 40);
    char line[128];
    EXPECT_EQ(inputLine(line, sizeof line), 7);
    EXPECT_STREQ(line, "db 1000");
    EXPECT_EQ(output(), text + std::string(restarted.begin(), restarted.end()) + "\n>");
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(targetInfo.versionMinor, 5);
}

}  // namespace
