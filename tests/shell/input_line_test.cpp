#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/console_backend.h"
#include "shell_fixture.h"

namespace {

std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

Bytes bytes(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

using InputLine = ShellTest;

TEST_F(InputLine, TargetTextIsEchoedUntilAKeyIsPressed)
{
    port->feed(bytes("Hello\r\nworld\x07\xFF"));
    keyboard->typeLine("db 1000", 20);
    char line[128];
    EXPECT_EQ(inputLine(line, sizeof line), 7);
    EXPECT_STREQ(line, "db 1000");
    EXPECT_EQ(output(), "Hello\r\nworld\x07\xFF");
    EXPECT_TRUE(port->finished());
}

TEST_F(InputLine, EachEmptyPollWaitsOnThePort)
{
    keyboard->typeLine("x", 50);
    char line[128];
    inputLine(line, sizeof line);
    EXPECT_EQ(port->polls(), 50);
    EXPECT_EQ(output(), "");
}

TEST_F(InputLine, RestartFrameIsEchoedAndAnsweredWithVersionRequest)
{
    Bytes restarted = frame(TARGET_RESTARTED);
    port->feed(restarted);
    port->expect(frame(GET_VERSION), frame(GET_VERSION, {2, 5, 9}), 3);
    keyboard->typeLine("r", 40);
    char line[128];
    EXPECT_EQ(inputLine(line, sizeof line), 1);
    EXPECT_EQ(output(), text(restarted) + "\n>");
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(targetInfo.versionMajor, 2);
    EXPECT_EQ(targetInfo.versionMinor, 5);
    EXPECT_EQ(targetInfo.versionBuild, 9);
}

TEST_F(InputLine, FailedVersionExchangeLeavesZerosAndStillShowsPrompt)
{
    targetInfo.versionMajor = 7;
    Bytes restarted = frame(TARGET_RESTARTED, {0xAA});
    port->feed(restarted);
    port->expect(frame(GET_VERSION), frame(BRK_READ));
    keyboard->typeLine("r", 40);
    char line[128];
    inputLine(line, sizeof line);
    EXPECT_EQ(output(), text(restarted) + "Error at getting Version\n\n>");
    EXPECT_EQ(targetInfo.versionMajor, 0);
}

TEST_F(InputLine, MalformedFrameIsOnlyEchoed)
{
    Bytes bad = frame(TARGET_RESTARTED);
    bad[3] ^= 1;  // checksum
    port->feed(bad);
    keyboard->typeLine("r", 40);
    char line[128];
    inputLine(line, sizeof line);
    EXPECT_EQ(output(), text(bad));
    EXPECT_TRUE(port->finished());  // nothing was sent
}

TEST_F(InputLine, FrameSplitAcrossTwoPromptsIsStillRecognised)
{
    Bytes restarted = frame(TARGET_RESTARTED);
    port->feed(Bytes(restarted.begin(), restarted.begin() + 2));
    keyboard->typeLine("a", 2);
    char line[128];
    inputLine(line, sizeof line);
    EXPECT_TRUE(port->sent().empty());
    port->feed(Bytes(restarted.begin() + 2, restarted.end()));
    port->expect(frame(GET_VERSION), frame(GET_VERSION, {1, 1, 1}));
    keyboard->typeLine("b", 30);
    inputLine(line, sizeof line);
    EXPECT_EQ(output(), text(restarted) + "\n>");
    EXPECT_TRUE(port->finished());
}

TEST_F(InputLine, BytesArrivingWhileTheUserTypesWaitForTheNextPrompt)
{
    keyboard->typeLine("dl");
    port->feed(bytes("late"), 0);
    char line[128];
    // The key was already waiting: the port is not read before the line.
    inputLine(line, sizeof line);
    EXPECT_EQ(port->pendingRx(), 4u);
    keyboard->typeLine("dw", 10);
    inputLine(line, sizeof line);
    EXPECT_EQ(output(), "late");
}

TEST_F(InputLine, LineMustFitTheCallersBuffer)
{
    struct Case {
        int capacity;
        size_t length;
        int result;
        const char* message;
    };
    const Case cases[] = {
        {128, 127, 127, ""},
        {128, 128, INPUT_TOO_LONG, "Input line too long (at most 127 characters).\n"},
        {256, 255, 255, ""},
        {256, 400, INPUT_TOO_LONG, "Input line too long (at most 255 characters).\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.capacity) + "/" + std::to_string(c.length));
        char buffer[512];
        std::memset(buffer, '#', sizeof buffer);
        keyboard->typeLine(std::string(c.length, 'x'));
        testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        EXPECT_EQ(inputLine(buffer, c.capacity), c.result);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        testing::internal::CaptureStdout();
        EXPECT_EQ(std::strlen(buffer), c.result < 0 ? 0 : c.length);
        EXPECT_EQ(buffer[c.capacity], '#');  // nothing written past the buffer
    }
}

TEST_F(InputLine, EndOfInputGivesEmptyBuffer)
{
    keyboard->endInput();
    char line[128] = "previous";
    EXPECT_EQ(inputLine(line, sizeof line), INPUT_END);
    EXPECT_STREQ(line, "");
}

class ScriptedKeyboard : public FakeConsole {
public:
    bool keyWaiting() override { return false; }
    bool scripted() override { return true; }
};

TEST_F(InputLine, ScriptReadsLineAfterWhatTheTargetAlreadySentWithoutWaiting)
{
    auto script = std::make_unique<ScriptedKeyboard>();
    ScriptedKeyboard* lines = script.get();
    setConsole(std::move(script));
    port->feed(bytes("ready\n"));
    port->feed(bytes("later"), 5);
    lines->typeLine("g");
    char line[128];
    EXPECT_EQ(inputLine(line, sizeof line), 1);
    EXPECT_EQ(output(), "ready\n");
    EXPECT_EQ(port->polls(), 0);
    EXPECT_FALSE(keyWaiting());
    // Drain the late bytes so the port's script is complete.
    for (int i = 0; i < 5; ++i)
        port->waitEvent(10, -1);
    uint8_t rest[8];
    EXPECT_EQ(port->read(rest, sizeof rest), 5);
}

class PromptRecorder : public FakeConsole {
public:
    void setPrompt(const char* text) override { prompts.push_back(text ? text : "(unknown)"); }
    std::vector<std::string> prompts;
};

TEST_F(InputLine, LineEditorIsToldWhatStandsBeforeTheCursor)
{
    auto recorder = std::make_unique<PromptRecorder>();
    PromptRecorder* keys = recorder.get();
    setConsole(std::move(recorder));
    char line[128];
    struct Step {
        bool viaShowPrompt;
        Bytes target;
        const char* expected;
    } steps[] = {
        {true, {}, ">"},
        {false, {}, "(unknown)"},                 // a prompt printed by someone else
        {true, bytes("boot ok\r\n"), ""},        // target output ended the line
        {true, bytes("partial"), "(unknown)"},    // target output left on the line
        {true, frame(TARGET_RESTARTED), ">"},    // the fresh prompt after a restart
    };
    for (const Step& step : steps) {
        if (step.viaShowPrompt)
            showPrompt(">");
        else
            std::printf("FFFFA000:>");
        if (step.target == frame(TARGET_RESTARTED))
            port->expect(frame(GET_VERSION), frame(GET_VERSION, {1, 0, 0}));
        port->feed(step.target);
        keys->typeLine("x", 30);
        inputLine(line, sizeof line);
    }
    ASSERT_EQ(keys->prompts.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(keys->prompts[i], steps[i].expected) << "step " << i;
    EXPECT_TRUE(port->finished());
}

TEST(StreamLine, LinesEndingsOverlongLinesAndEnd)
{
    const char script[] = "db 1000\r\n\nh\n" "0123456789ABC\nlast";
    std::FILE* f = fmemopen(const_cast<char*>(script), sizeof script - 1, "r");
    ASSERT_NE(f, nullptr);
    char b[12];
    EXPECT_EQ(readStreamLine(f, b, sizeof b), 7);
    EXPECT_STREQ(b, "db 1000");
    EXPECT_EQ(readStreamLine(f, b, sizeof b), 0);
    EXPECT_STREQ(b, "");
    EXPECT_EQ(readStreamLine(f, b, sizeof b), 1);
    EXPECT_EQ(readStreamLine(f, b, sizeof b), INPUT_TOO_LONG);
    EXPECT_STREQ(b, "");
    EXPECT_EQ(readStreamLine(f, b, sizeof b), 4);  // the rest of the long line was consumed
    EXPECT_STREQ(b, "last");
    EXPECT_EQ(readStreamLine(f, b, sizeof b), INPUT_END);
    std::fclose(f);
}

}  // namespace
