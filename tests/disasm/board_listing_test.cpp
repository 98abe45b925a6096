// DA and R typed as command lines against the simulated board in-process,
// with code in its RAM and symbols from a map file.
#include "commands/command_line.h"
#include "disasm/listing.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"
#include "link/sim_port.h"
#include "link/transaction.h"
#include "support/map_file.h"
#include "target/memory.h"
#include "target/registers.h"

namespace {

std::string run(const char* line)
{
    ParsedLine parsed;
    parseLine(line, &parsed);
    testing::internal::CaptureStdout();
    dispatchCommand(&parsed);
    return testing::internal::GetCapturedStdout();
}

// Label lines, comments with and without a symbol, "???", and a MOV.W
// literal at offset 14 of its cache line (its second half in the next line).
const char kListing[] = "FFFFA000      _start:\n"
                        "FFFFA000 E1FF     MOV     #255,R1             \n"
                        "FFFFA002 D102     MOV.L   @(0008,PC),R1       ;[FFFFA010]:  _loop\n"
                        "FFFFA004 9103     MOV.W   @(0006,PC),R1       ;[A0107101]\n"
                        "FFFFA006 AFFB     BRA     FFFFA000            ;[FFFFA000]:  _start\n"
                        "FFFFA008 0009     NOP                         \n"
                        "FFFFA00A 0009     NOP                         \n"
                        "FFFFA00C FFFF     ???\n"
                        "FFFFA00E A010     BRA     FFFFA032            ;[FFFFA032]\n"
                        "FFFFA010      _loop:\n"
                        "FFFFA010 7101     ADD     #1,R1               \n"
                        "FFFFA012 000B     RTS                         \n"
                        "FFFFA014 0009     NOP                         \n";

TEST(BoardListing, DaAndRegisterDisplayWithSymbolsFromAMapFile)
{
    resetPacketBuffer();
    clearMemCache();
    resetListing();
    resetSymbols();
    std::unique_ptr<Port> board = quill::openBoardPort();
    ASSERT_NE(board, nullptr);
    setComPort(std::move(board));
    uint8_t major, minor, build;
    ASSERT_TRUE(getTargetVersion(&major, &minor, &build)); // meets the restart report

    const uint8_t code[] = {0xE1, 0xFF, 0xD1, 0x02, 0x91, 0x03, 0xAF, 0xFB, 0x00, 0x09, 0x00, 0x09, 0xFF, 0xFF, 0xA0,
        0x10, 0x71, 0x01, 0x00, 0x0B, 0x00, 0x09};
    writeMem(0xFFFFA000, sizeof code, code);
    loadMap("Link map of the test program\n" + nameLine("_start") + addressLine(0xFFFFA000) + nameLine("_loop") +
        addressLine(0xFFFFA010));

    EXPECT_EQ(run("da ffffa000 11"), kListing);
    // No arguments: the count of 11 stays and the listing goes on.
    EXPECT_EQ(run("DA").substr(0, 9), "FFFFA016 ");
    EXPECT_EQ(daAddress, 0xFFFFA016u + 2 * 11);

    writeReg(REG_PC, 0xFFFFA006);
    std::string out = run("R");
    EXPECT_TRUE(out.ends_with("\nFFFFA006 AFFB     BRA     FFFFA000            ;[FFFFA000]:  _start\n")) << out;
    EXPECT_EQ(daAddress, 0xFFFFA016u + 2 * 11) << "R moved the DA position";
    setComPort(nullptr);
    resetSymbols();
}

} // namespace
