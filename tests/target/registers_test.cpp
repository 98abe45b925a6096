// Registers: name lookup, the exchanges and their failures.
#include <string>

#include "support/target_fixture.h"
#include "target/registers.h"

using RegistersTest = TargetTest;

TEST_F(RegistersTest, LookupTakesSPButNotR15)
{
    const std::pair<const char*, int> cases[] = {{"r0", 0},   {"sp", 15},  {"Sr", 16},  {"macl", 20},
                                                 {"pc", 22},  {"r15", -1}, {"mac", -1}, {"pc ", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(lookupReg(std::string(c.first).data()), c.second) << c.first;
}

// A failed read says so and gives all ones, never a plausible 0; an
// unconfirmed write is reported and says so.
TEST_F(RegistersTest, ExchangesReportTheirOutcome)
{
    uint32_t value = 0;
    auto readFails = [&] { EXPECT_EQ(readReg(REG_PC, &value), 0); EXPECT_EQ(value, 0xFFFFFFFFu); };
    auto writeFails = [] { EXPECT_EQ(writeReg(1, 2), 0); };
    const Bytes rd = frame(REG_READ, {22}), wr = frame(REG_WRITE, Bytes{1} + be32(2));
    Bytes badEtx = frame(REG_READ, be32(5));
    badEtx.back() = 0;
    EXPECT_EQ(exchange(rd, frame(REG_WRITE, be32(5)), readFails), "Error not valid packet at readReg()\n");
    EXPECT_EQ(exchange(rd, frame(REG_READ, {0x12, 0x34, 0x56}), readFails), "Error not valid packet at readReg()\n");
    EXPECT_EQ(exchange(rd, badEtx, readFails), "Packet error at readReg()\n");
    EXPECT_EQ(exchange(wr, frame(REG_WRITE), writeFails), "Error at write register\n");
    EXPECT_EQ(exchange(wr, frame(REG_READ, {1}), writeFails), "Error not valid packet at writeReg()\n");
    EXPECT_EQ(exchange(wr, Bytes{0x02, 30}, writeFails), "Packet error at writeReg()\n");
    EXPECT_EQ(exchange(rd, frame(REG_READ, be32(0)), [&] { EXPECT_EQ(readReg(REG_PC, &value), 1); }), "");
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(exchange(wr, frame(REG_WRITE, {1}), [] { EXPECT_EQ(writeReg(1, 2), 1); }), "");
}
