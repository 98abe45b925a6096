#include <cstdio>
#include <string>

#include "shell/console_backend.h"

#include "support/target_fixture.h"

namespace {

using InputLine = TargetTest;

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

// Script lines: a CR LF end never counts against the buffer; anything longer is refused whole.
TEST(ReadStreamLine, LineEndsAndLimits)
{
    std::string text = std::string(7, 'a') + "\r\n" + std::string(8, 'b') + "\nx\ry\n\r";
    std::FILE* stream = fmemopen(text.data(), text.size(), "r");
    char line[8];
    EXPECT_EQ(readStreamLine(stream, line, sizeof line), 7);
    EXPECT_EQ(readStreamLine(stream, line, sizeof line), INPUT_TOO_LONG);
    EXPECT_EQ(readStreamLine(stream, line, sizeof line), 3);
    EXPECT_STREQ(line, "x\ry");
    EXPECT_EQ(readStreamLine(stream, line, sizeof line), 0);
    EXPECT_EQ(readStreamLine(stream, line, sizeof line), INPUT_END);
    std::fclose(stream);
}

}  // namespace
