// Registers: name lookup, the exchanges and their failures, the display and the SR text.
#include <string>

#include "target/registers.h"
#include "target_fixture.h"

using RegistersTest = TargetTest;

TEST_F(RegistersTest, LookupTakesSPButNotR15)
{
    const std::pair<const char*, int> cases[] = {{"r0", 0},   {"sp", 15},  {"Sr", 16},  {"macl", 20},
                                                 {"pc", 22},  {"r15", -1}, {"mac", -1}, {"pc ", -1}};
    for (const auto& [typed, number] : cases)
        EXPECT_EQ(lookupReg(std::string(typed).data()), number) << typed;
}

TEST_F(RegistersTest, FormatSR)
{
    const std::pair<uint32_t, const char*> cases[] = {{0x000000F0, "----[M=15]"}, {0x00000301, "MQ-T[M=0]"},
                                                      {0x00000002, "--S-[M=0]"},  {0xFFFFFC0C, "----[M=0]"},
                                                      {0xFFFFFFFF, "MQST[M=15]"}};
    for (const auto& [sr, expected] : cases) {
        char text[kSRTextSize];
        formatSR(sr, text);
        EXPECT_STREQ(text, expected) << std::hex << sr;
    }
}

// A failed read gives all ones, never a plausible 0; an unconfirmed write is reported.
TEST_F(RegistersTest, FailedExchangesAreReported)
{
    auto read = [] { EXPECT_EQ(readReg(REG_PC), 0xFFFFFFFFu); };
    auto write = [] { writeReg(1, 2); };
    const Bytes rd = frame(REG_READ, {22}), wr = frame(REG_WRITE, Bytes{1} + be32(2));
    Bytes badEtx = frame(REG_READ, be32(5));
    badEtx.back() = 0;
    EXPECT_EQ(exchange(rd, frame(REG_WRITE, be32(5)), read), "Error not valid packet at readReg()\n");
    EXPECT_EQ(exchange(rd, frame(REG_READ, {0x12, 0x34, 0x56}), read), "Error not valid packet at readReg()\n");
    EXPECT_EQ(exchange(rd, badEtx, read), "Packet error at readReg()\n");
    EXPECT_EQ(exchange(wr, frame(REG_WRITE), write), "Error at write register\n");
    EXPECT_EQ(exchange(wr, frame(REG_READ, {1}), write), "Error not valid packet at writeReg()\n");
    EXPECT_EQ(exchange(wr, Bytes{0x02, 30}, write), "Packet error at writeReg()\n");
}

TEST_F(RegistersTest, DisplayReadsInPrintOrderAndLaysOutSixLines)
{
    for (uint8_t n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 16})
        port->expect(frame(REG_READ, {n}), frame(REG_READ, be32(n == REG_SR ? 0x301u : 0x11111111u * (n % 16) + n)));
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

// The name is shown upper-cased; a bad name sends nothing.
TEST_F(RegistersTest, ShowAndSetByName)
{
    port->expect(frame(REG_READ, {15}), frame(REG_READ, be32(0xFFFFBFFC)));
    std::string sp = "Sp", r15 = "r15";
    showReg(sp.data());
    showReg(r15.data());
    setReg(r15.data(), 5);
    EXPECT_EQ(output(), "SP : FFFFBFFC\n  Invalid register name R15\n  Invalid register name R15\n");
    EXPECT_TRUE(port->finished());
}
