#include <string>
#include <vector>

#include "shell/options.h"
#include "shell/startup.h"
#include "shell_fixture.h"

namespace {

const std::string kStars(68, '*');
const char* const kClosing = "\nEnter 'HELP' for usage.\n\n";

Bytes longs(uint32_t a, uint32_t b)
{
    return {static_cast<uint8_t>(a >> 24), static_cast<uint8_t>(a >> 16), static_cast<uint8_t>(a >> 8),
            static_cast<uint8_t>(a), static_cast<uint8_t>(b >> 24), static_cast<uint8_t>(b >> 16),
            static_cast<uint8_t>(b >> 8), static_cast<uint8_t>(b)};
}

using Startup = ShellTest;

TEST_F(Startup, BannerShowsPortPaddedAndSpeedRightAligned)
{
    StartupSettings s;
    defaultSettings(&s);
    printBanner(s);
    std::string out = output();
    EXPECT_EQ(out.substr(0, 70), kStars + "\n\n");
    EXPECT_NE(out.find("\nTarnwick SH7125 Brackenfell Ver 0.1(build 1)\n"), std::string::npos);
    size_t portLine = out.find("Use port com1 speed  19200\n\n");
    ASSERT_NE(portLine, std::string::npos) << out;
    EXPECT_EQ(portLine + 28, out.size());
    // The fixed second line sits between the version line and the port line.
    size_t second = out.find("(build 1)\n") + 10;
    EXPECT_GT(portLine, second + 1);
    EXPECT_EQ(out.find('\n', second), portLine - 1);
}

TEST_F(Startup, BannerPortColumnGrowsForLongNames)
{
    StartupSettings s;
    defaultSettings(&s);
    std::snprintf(s.portName, sizeof s.portName, "/dev/pts/12");
    s.baudRate = 1234567;
    printBanner(s);
    EXPECT_NE(output().find("Use port /dev/pts/12 speed 1234567\n"), std::string::npos);
}

TEST_F(Startup, AnsweringTargetIsAskedForVersionTwiceThenBothAreas)
{
    port->expect(request(GET_VERSION), frame(GET_VERSION, {9, 9, 9}));
    port->expect(request(GET_VERSION), frame(GET_VERSION, {1, 2, 3}));
    port->expect(request(GET_FLASH_AREA), frame(GET_FLASH_AREA, longs(0x2000, 0x4000)));
    port->expect(request(GET_USER_AREA), frame(GET_USER_AREA, longs(0xFFFF8000, 0x1000)));
    identifyTarget();
    EXPECT_EQ(output(),
              "Target Board(SH7125) quillmon Ver 1.2(build 3)\n"
              "Flash-program/data address = 00002000 - 00005FFF (size = 00004000)\n"
              "User data address =          FFFF8000 - FFFF8FFF (size = 00001000)\n"
              "Total User RAM Area =        00002000 - FFFF8FFF (size = 00005000)\n" +
                  std::string(kClosing) + kStars + "\n");
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(targetInfo.versionMajor, 1);
    EXPECT_EQ(targetInfo.versionBuild, 3);
    EXPECT_EQ(targetInfo.flashAreaAddress, 0x2000u);
    EXPECT_EQ(targetInfo.userAreaSize, 0x1000u);
    EXPECT_EQ(rxTimeout, 0);
}

TEST_F(Startup, SilentTargetTimesOutOnceThenSecondRequestWaitsWithoutLimit)
{
    constexpr int kLateReply = 4321;  // far beyond the first request's budget
    port->expect(request(GET_VERSION), {});
    port->expect(request(GET_VERSION), frame(GET_VERSION, {0, 7, 1}), kLateReply);
    port->expect(request(GET_FLASH_AREA), frame(GET_FLASH_AREA, longs(0, 0x10000)));
    port->expect(request(GET_USER_AREA), frame(GET_USER_AREA, longs(0xFFFFA000, 0x6000)));
    identifyTarget();
    std::string out = output();
    EXPECT_EQ(out.substr(0, out.find("Flash-program")),
              "Error waiting packet receive.\n"
              "Error at getting Version\n"
              "No responce from target. Push RESET or ABORT Switch.\n"
              "Target Board(SH7125) quillmon Ver 0.7(build 1)\n");
    EXPECT_TRUE(port->finished());
    // 1000 empty polls for the first request, then the whole delay for the second.
    EXPECT_GE(port->polls(), 1000 + kLateReply);
    EXPECT_LE(port->polls(), 1001 + kLateReply);
    EXPECT_EQ(rxTimeout, 0);
}

TEST_F(Startup, AreaEndsAndTotalWrapAt32Bits)
{
    port->expect(request(GET_VERSION), frame(GET_VERSION, {1, 0, 0}));
    port->expect(request(GET_VERSION), frame(GET_VERSION, {1, 0, 0}));
    port->expect(request(GET_FLASH_AREA), frame(GET_FLASH_AREA, longs(0xFFFFF000, 0xFFFFFF00)));
    port->expect(request(GET_USER_AREA), frame(GET_USER_AREA, longs(0xFFFFFF00, 0x200)));
    identifyTarget();
    std::string out = output();
    EXPECT_NE(out.find("Flash-program/data address = FFFFF000 - FFFFEEFF (size = FFFFFF00)\n"), std::string::npos);
    EXPECT_NE(out.find("User data address =          FFFFFF00 - 000000FF (size = 00000200)\n"), std::string::npos);
    EXPECT_NE(out.find("Total User RAM Area =        FFFFF000 - 000000FF (size = 00000100)\n"), std::string::npos);
}

TEST_F(Startup, FailedAreaQueriesContributeZero)
{
    port->expect(request(GET_VERSION), frame(GET_VERSION, {1, 0, 0}));
    port->expect(request(GET_VERSION), frame(GET_VERSION, {1, 0, 0}));
    port->expect(request(GET_FLASH_AREA), frame(BRK_READ, longs(0x1234, 0x5678)));
    port->expect(request(GET_USER_AREA), frame(BRK_READ, longs(0x1234, 0x5678)));
    identifyTarget();
    EXPECT_EQ(output(),
              "Target Board(SH7125) quillmon Ver 1.0(build 0)\n"
              "Error at getting Flash-ROM program area.\n"
              "Can't read Target Board Flash-ROM programming area\n"
              "Error at getting User Data area.\n"
              "Can't read Target Board User RAM area\n"
              "Total User RAM Area =        00000000 - FFFFFFFF (size = 00000000)\n" +
                  std::string(kClosing) + kStars + "\n");
    EXPECT_EQ(targetInfo.flashAreaAddress, 0u);
    EXPECT_EQ(targetInfo.userAreaSize, 0u);
}

TEST_F(Startup, UnopenablePortEndsWithStatusZeroBeforeAnyRequest)
{
    std::string program = "brackenfell", c = "-c", dev = "/nonexistent/ttyCOM9";
    std::vector<char*> argv = {program.data(), c.data(), dev.data(), nullptr};
    int status = runBrackenfell(3, argv.data());
    std::string out = output();
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("Use port /nonexistent/ttyCOM9 speed  19200\n\n"), std::string::npos);
    const std::string last = "initCom() returns with error.\n";
    ASSERT_GE(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
    EXPECT_EQ(out.find("usage:"), std::string::npos);
    EXPECT_EQ(out.find("Target Board"), std::string::npos);
}

}  // namespace

namespace {

int runWith(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return runBrackenfell(static_cast<int>(args.size()), argv.data());
}

using WholeStartup = ShellTest;

TEST_F(WholeStartup, StartsOnTheInProcessBoardRunsTheLoopAndClosesThePort)
{
    keyboard->typeLine("nosuch");
    keyboard->typeLine("q");
    EXPECT_EQ(runWith({"brackenfell", "-m", "x", "-c", "sim"}), 0);
    std::string out = output();
    // A one-character map name loads nothing and says nothing.
    size_t banner = out.find("Use port sim  speed  19200\n\nTarget Board(SH7125) quillmon Ver ");
    ASSERT_NE(banner, std::string::npos) << out;
    size_t flash = out.find("\nFlash-program/data address = ", banner);
    size_t user = out.find("\nUser data address =          ", banner);
    size_t total = out.find("\nTotal User RAM Area =        ", banner);
    EXPECT_LT(flash, user);
    EXPECT_LT(user, total);
    EXPECT_NE(total, std::string::npos);
    std::string tail = out.substr(out.find("\n\nEnter 'HELP' for usage.\n\n"));
    EXPECT_EQ(tail, "\n\nEnter 'HELP' for usage.\n\n" + kStars + "\n>Unknown Command\n>");
    EXPECT_EQ(out.find("No responce"), std::string::npos) << out;
    EXPECT_EQ(comPort(), nullptr);
    EXPECT_EQ(keyboard->pending(), 0u);
}

TEST_F(WholeStartup, EndOfConsoleInputAlsoClosesThePort)
{
    keyboard->endInput();
    EXPECT_EQ(runWith({"brackenfell", "-c", "SIM"}), 0);
    std::string out = output();
    EXPECT_EQ(out.substr(out.size() - 71), kStars + "\n>\n");
    EXPECT_EQ(comPort(), nullptr);
}

}  // namespace
