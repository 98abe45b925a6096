// Registers: name lookup, the REG_READ/REG_WRITE exchanges and their failures,
// the six-line display and the SR text.
#include <string>

#include "target_fixture.h"
#include "target/registers.h"

namespace {

Bytes regRead(uint8_t number)
{
    return frame(REG_READ, {number});
}

Bytes regValue(uint32_t value)
{
    return frame(REG_READ, be32(value));
}

}  // namespace

using RegistersTest = TargetTest;

TEST_F(RegistersTest, LookupIsCaseInsensitiveAndUpperCasesInPlace)
{
    struct Case {
        const char* typed;
        int number;
        const char* after;
    };
    const Case cases[] = {
        {"r0", 0, "R0"},     {"R14", 14, "R14"},   {"sp", 15, "SP"},     {"Sr", 16, "SR"},
        {"gbr", 17, "GBR"},  {"vbr", 18, "VBR"},   {"mach", 19, "MACH"}, {"macl", 20, "MACL"},
        {"pr", 21, "PR"},    {"pc", 22, "PC"},     {"r15", -1, "R15"},   {"mac", -1, "MAC"},
        {"r1x", -1, "R1X"},  {"", -1, ""},         {"pc ", -1, "PC "},   {"r00", -1, "R00"},
    };
    for (const Case& c : cases) {
        char name[16];
        std::snprintf(name, sizeof name, "%s", c.typed);
        EXPECT_EQ(lookupReg(name), c.number) << c.typed;
        EXPECT_STREQ(name, c.after);
    }
}

TEST_F(RegistersTest, FormatSR)
{
    struct Case {
        uint32_t sr;
        const char* text;
    };
    const Case cases[] = {
        {0x000000F0, "----[M=15]"}, {0x00000301, "MQ-T[M=0]"}, {0x00000000, "----[M=0]"},
        {0x00000002, "--S-[M=0]"},  {0x000003F3, "MQST[M=15]"}, {0xFFFFFC0C, "----[M=0]"},
        {0x00000070, "----[M=7]"},  {0xFFFFFFFF, "MQST[M=15]"},
    };
    for (const Case& c : cases) {
        char text[kSRTextSize];
        formatSR(c.sr, text);
        EXPECT_STREQ(text, c.text) << std::hex << c.sr;
    }
}

TEST_F(RegistersTest, ReadRegFailuresGiveAllOnes)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"wrong code", frame(REG_WRITE, be32(5)), "Error not valid packet at readReg()\n"},
        {"short value", frame(REG_READ, {0x12, 0x34, 0x56}), "Error not valid packet at readReg()\n"},
        {"bad ETX", Bytes{0x02, 0x06, 0x10, 0, 0, 0, 5, 0xE5, 0x13}, "Packet error at readReg()\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        port->expect(regRead(22), c.reply);
        EXPECT_EQ(readReg(REG_PC), 0xFFFFFFFFu);
        EXPECT_EQ(output(), c.message);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(RegistersTest, WriteRegSendsNumberAndValue)
{
    port->expect(frame(REG_WRITE, Bytes{16} + be32(0x301)), frame(REG_WRITE, {1}));
    writeReg(REG_SR, 0x301);
    EXPECT_EQ(output(), "");
    EXPECT_TRUE(port->finished());
}

TEST_F(RegistersTest, WriteRegFailures)
{
    struct Case {
        const char* name;
        Bytes reply;
        const char* message;
    };
    const Case cases[] = {
        {"status 0", frame(REG_WRITE, {0}), "Error at write register\n"},
        {"no status", frame(REG_WRITE), "Error at write register\n"},
        {"wrong code", frame(REG_READ, {1}), "Error not valid packet at writeReg()\n"},
        {"LEN 30", Bytes{0x02, 30}, "Packet error at writeReg()\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        port->expect(frame(REG_WRITE, Bytes{1} + be32(2)), c.reply);
        writeReg(1, 2);
        EXPECT_EQ(output(), c.message);
        EXPECT_TRUE(port->finished());
    }
}

TEST_F(RegistersTest, DumpReadsInDisplayOrderAndLaysOutSixLines)
{
    const uint8_t order[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 16};
    for (uint8_t n : order) {
        uint32_t value = n == REG_SR ? 0x301u : 0x11111111u * (n % 16) + n;
        port->expect(regRead(n), regValue(value));
    }
    dumpReg();
    EXPECT_TRUE(port->finished());
    EXPECT_EQ(output(),
              "R00:00000000 R01:11111112 R02:22222224 R03:33333336\n"
              "R04:44444448 R05:5555555A R06:6666666C R07:7777777E\n"
              "R08:88888890 R09:999999A2 R10:AAAAAAB4 R11:BBBBBBC6\n"
              "R12:CCCCCCD8 R13:DDDDDDEA R14:EEEEEEFC SP: 0000000E\n"
              "GBR:11111122 VBR:22222234 MAC:33333346 :44444458 PR :5555556A\n"
              "PC :6666667C SR :MQ-T[M=0]\n");
}

TEST_F(RegistersTest, DumpShowsAFailedReadAsAllOnesAfterItsMessage)
{
    for (uint8_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 16})
        port->expect(regRead(n), n == 1 ? frame(0x41, {9}) : regValue(0));
    dumpReg();
    EXPECT_TRUE(port->finished());
    std::string text = output();
    std::string expected = "R00:00000000 Error not valid packet at readReg()\nR01:FFFFFFFF R02:00000000 ";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
}

TEST_F(RegistersTest, ShowRegPrintsTheUpperCaseName)
{
    port->expect(regRead(22), regValue(0x1234));
    char pc[] = "pc";
    showReg(pc);
    port->expect(regRead(15), regValue(0xFFFFBFFC));
    char sp[] = "Sp";
    showReg(sp);
    EXPECT_EQ(output(), "PC : 00001234\nSP : FFFFBFFC\n");
    EXPECT_TRUE(port->finished());
}

TEST_F(RegistersTest, InvalidNamesSendNothing)
{
    char r15[] = "r15";
    showReg(r15);
    char bogus[] = "foo";
    setReg(bogus, 5);
    EXPECT_EQ(output(), "  Invalid register name R15\n  Invalid register name FOO\n");
    EXPECT_TRUE(port->sent().empty());
}

TEST_F(RegistersTest, SetRegWritesAndPrintsNothing)
{
    port->expect(frame(REG_WRITE, Bytes{22} + be32(0xFFFF0000)), frame(REG_WRITE, {1}));
    char pc[] = "pc";
    setReg(pc, 0xFFFF0000);
    EXPECT_EQ(output(), "");
    EXPECT_TRUE(port->finished());
}
