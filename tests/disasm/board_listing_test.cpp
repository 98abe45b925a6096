// DA and R typed as command lines against the simulated board in-process,
// with code in its RAM and symbols from a map file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "disasm/listing.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "listing_fixture.h"
#include "shell/command_loop.h"
#include "sim/sim_port.h"
#include "target/memory.h"
#include "target/registers.h"

namespace {

class BoardListing : public testing::Test {
protected:
    void SetUp() override {
        resetPacketBuffer();
        clearMemCache();
        resetListing();
        resetSymbols();
        testing::internal::CaptureStdout();
        std::unique_ptr<Port> port = openSimPort();
        if (!port) port = quill::openBoardPort();  // the same board, reached without the port name
        bool opened = port != nullptr;
        if (opened) setComPort(std::move(port));
        uint8_t major, minor, build;
        // The first request meets the board's restart report.
        bool answered = opened && getTargetVersion(&major, &minor, &build);
        std::fflush(stdout);
        std::string log = testing::internal::GetCapturedStdout();
        if (!opened) GTEST_SKIP() << "no simulated board: " << log;
        ASSERT_TRUE(answered) << log;

        const uint8_t code[] = {
            0xE1, 0xFF,  // FFFFA000 MOV #255,R1
            0xD1, 0x02,  // FFFFA002 MOV.L @(8,PC),R1   literal at FFFFA00C
            0x91, 0x03,  // FFFFA004 MOV.W @(6,PC),R1   literal at FFFFA00E, offset 14
            0xAF, 0xFB,  // FFFFA006 BRA FFFFA000
            0x00, 0x09,  // FFFFA008 NOP
            0x00, 0x09,  // FFFFA00A NOP
            0xFF, 0xFF,  // FFFFA00C literal FFFFA010
            0xA0, 0x10,
            0x71, 0x01,  // FFFFA010 ADD #1,R1
            0x00, 0x0B,  // FFFFA012 RTS
            0x00, 0x09,  // FFFFA014 NOP
        };
        writeMem(0xFFFFA000, sizeof code, code);

        std::string path = std::string(BF_BINARY_DIR) + "/disasm_board_test.map";
        std::ofstream(path) << "Link map of the test program\n"
                            << mapPair("_start", 0xFFFFA000) << mapPair("_loop", 0xFFFFA010);
        testing::internal::CaptureStdout();
        loadSymbols(path.c_str());
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Load 2 symbols ( use 13 bytes for symbol area )\n");
        std::remove(path.c_str());
    }
    void TearDown() override {
        setComPort(nullptr);
        resetSymbols();
    }

    static std::string run(const char* line) {
        ParsedLine parsed;
        parseLine(line, &parsed);
        testing::internal::CaptureStdout();
        dispatchCommand(&parsed);
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

const char kListing[] =
    "FFFFA000      _start:\n"
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

TEST_F(BoardListing, DaListsTheProgramWithLabelsAndComments) {
    EXPECT_EQ(run("da ffffa000 11"), kListing);
    // An empty count keeps 11; the listing goes on after FFFFA014.
    std::string more = run("DA");
    EXPECT_EQ(more.substr(0, 9), "FFFFA016 ");
    EXPECT_EQ(daAddress, 0xFFFFA016u + 2 * 11);
}

TEST_F(BoardListing, DaWithSymbolArguments) {
    std::string out = run("DA _loop 2");
    EXPECT_EQ(out,
              "FFFFA010      _loop:\n"
              "FFFFA010 7101     ADD     #1,R1               \n"
              "FFFFA012 000B     RTS                         \n");
}

TEST_F(BoardListing, RegisterDisplayEndsWithTheLineAtPc) {
    writeReg(REG_PC, 0xFFFFA006);
    std::string out = run("R");
    size_t last = out.rfind("FFFFA006 ");
    ASSERT_NE(last, std::string::npos) << out;
    EXPECT_EQ(out.substr(last), "FFFFA006 AFFB     BRA     FFFFA000            ;[FFFFA000]:  _start\n");
    EXPECT_NE(out.find("PC :FFFFA006 "), std::string::npos) << out;
    // R leaves the DA position alone.
    EXPECT_EQ(daAddress, 0u);
    EXPECT_EQ(daCount, 10u);
}

}  // namespace
