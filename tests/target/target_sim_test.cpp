// End to end against the simulated board in this process: the commands'
// console output after real exchanges with its monitor.
#include <cctype>
#include <string>

#include "target_fixture.h"
#include "target/breakpoints.h"
#include "target/registers.h"
#include "sim/sim_port.h"

namespace {

constexpr uint32_t kRam = 0xFFFFA000;

}  // namespace

class TargetSimTest : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        std::unique_ptr<Port> board = openSimPort();
        if (!board)
            board = quill::openBoardPort();  // the same board, reached without the port name
        ASSERT_NE(board, nullptr);
        port = nullptr;  // the scripted port is replaced
        setComPort(std::move(board));
        // A known pattern around the test area, so a write that spills shows up.
        Bytes fill = pattern(64, 0xA0);
        writeMem(kRam + 0x100, 64, fill.data());
        output();
    }
};

TEST_F(TargetSimTest, ByteWriteThenDumpLeavesNeighboursAlone)
{
    EXPECT_EQ(writeCommand(2, "0xFFFFA101", "0x41", 1), 0);
    EXPECT_EQ(writeCommand(2, "0xFFFFA102", "0x142", 1), 0);  // only the low byte
    EXPECT_EQ(dumpCommand(2, "0xFFFFA100", "4", 1), 0);
    EXPECT_EQ(output(), "FFFFA100 A0 41 42 A3                                     \xA0" "AB\xA3\n");
    EXPECT_EQ(writeAddress(), 0xFFFFA103u);
}

TEST_F(TargetSimTest, WordAndLongRoundTrips)
{
    EXPECT_EQ(writeCommand(2, "0xFFFFA111", "0x1234", 2), 0);  // aligned down to A110
    EXPECT_EQ(writeCommand(2, "0xFFFFA117", "0xDEADBEEF", 4), 0);  // aligned down to A114
    EXPECT_EQ(dumpCommand(2, "0xFFFFA10F", "0xB", 2), 0);  // from A10E, 12 bytes
    EXPECT_EQ(dumpCommand(2, "0xFFFFA112", "5", 4), 0);  // from A110, 8 bytes
    EXPECT_EQ(output(),
              "FFFFA10E AEAF 1234 B2B3 DEAD BEEF B8B9           \xAE\xAF.4\xB2\xB3\xDE\xAD\xBE\xEF\xB8\xB9\n"
              "FFFFA110 1234B2B3 DEADBEEF                   .4\xB2\xB3\xDE\xAD\xBE\xEF\n");
}

TEST_F(TargetSimTest, InteractiveWriteWithABadWord)
{
    keyboard->typeLine("11 qq 2233");
    keyboard->typeLine("");
    EXPECT_EQ(writeCommand(1, "0xFFFFA120", nullptr, 2), 0);
    EXPECT_EQ(writeAddress(), 0xFFFFA124u);
    dumpCommand(2, "0xFFFFA120", "6", 1);
    EXPECT_EQ(output(),
              "FFFFA120:>Invalid DATA QQ\nFFFFA124:>"
              "FFFFA120 00 11 22 33 C4 C5                               ..\"3\xC4\xC5\n");
}

TEST_F(TargetSimTest, UnmappedAddressAnswersWithAnException)
{
    EXPECT_EQ(dumpCommand(2, "0x100000", "4", 1), 0);
    EXPECT_EQ(output(), "dumpMem:Error.Responce is not MEM_READ. 65\ndumpMem:Exception:code=9\n");
    uint8_t buffer[4] = {1, 2, 3, 4};
    readMem(0x100000, 4, buffer);
    EXPECT_EQ(output(), "readMem:Error.Responce is not MEM_READ. 65\n");
    EXPECT_EQ(buffer[0], 1);
}

TEST_F(TargetSimTest, FlashRefusesAWriteAndTheAddressStays)
{
    EXPECT_EQ(writeCommand(2, "0x2000", "0x12", 1), 0);
    EXPECT_EQ(writeAddress(), 0x2000u);
    EXPECT_EQ(output(), "writeMemSingle():Responce of MEM_WRITE =NG\n");
}

TEST_F(TargetSimTest, RegisterSetShowAndDisplay)
{
    char r3[] = "r3";
    setReg(r3, 0x12345678);
    char sr[] = "sr";
    setReg(sr, 0x301);
    char macl[] = "MACL";
    setReg(macl, 0xCAFEF00D);
    EXPECT_EQ(output(), "");
    char show[] = "R3";
    showReg(show);
    EXPECT_EQ(output(), "R3 : 12345678\n");
    dumpReg();
    std::string text = output();
    // The layout with every hexadecimal digit masked, then the values this test set.
    auto mask = [](std::string t) {
        for (char& c : t)
            if (std::isxdigit(static_cast<unsigned char>(c)))
                c = 'h';
        return t;
    };
    EXPECT_EQ(mask(text), mask("R00:00000000 R01:00000000 R02:00000000 R03:00000000\n"
                               "R04:00000000 R05:00000000 R06:00000000 R07:00000000\n"
                               "R08:00000000 R09:00000000 R10:00000000 R11:00000000\n"
                               "R12:00000000 R13:00000000 R14:00000000 SP: 00000000\n"
                               "GBR:00000000 VBR:00000000 MAC:00000000 :00000000 PR :00000000\n"
                               "PC :00000000 SR :MQ-T[M=0]\n"));
    EXPECT_NE(text.find(" R03:12345678\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" :CAFEF00D PR :"), std::string::npos) << text;
    EXPECT_NE(text.find("SR :MQ-T[M=0]\n"), std::string::npos) << text;
}

TEST_F(TargetSimTest, BreakpointSetListClear)
{
    char one[] = "1";
    char zero[] = "0";
    char address[] = "0xFFFFA200";
    char odd[] = "0x1001";
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(output(), "");
    EXPECT_EQ(breakSetCommand(2, one, address), 0);
    EXPECT_EQ(breakSetCommand(2, zero, odd), -1);
    EXPECT_EQ(output(), "Invalid Break Address 00001001\n");
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(breakSetCommand(1, one, nullptr), 0);
    EXPECT_EQ(output(), "BreakPoint 1: FFFFA200 Mode=BBR_PC\nBreakPoint 1: FFFFA200 Mode=BBR_PC\n");
    breakClearCommand(one);
    EXPECT_EQ(breakSetCommand(0, nullptr, nullptr), 0);
    EXPECT_EQ(output(), "");
}
