// Real code on the board: an SH-2 program assembled with binutils in the
// test run (a missing tool fails the test), loaded as a flash image, run
// through EXEC. It installs its own vector table; its TRAPA handler runs and
// returns; a vector whose handler is the monitor's stops the run.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "sim_wire.h"
#include "support/sh_program.h"

namespace {

using namespace quill;

using ProgramTest = BoardTest;

TEST_F(ProgramTest, OwnTrapHandlerReturnsThenAMonitorVectorStops)
{
    std::string image = testing::TempDir() + "hello_trap.bin";
    ASSERT_TRUE(assembleFlashImage(BF_SOURCE_DIR "/tests/sim/programs/hello_trap.s", image));
    std::ifstream in(image, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(board->loadFlashImage(bytes.data(), bytes.size()));
    EXPECT_EQ(send({}), frame(0x50, {1}));
    EXPECT_EQ(board->registers().pc, 0x2000u);
    EXPECT_EQ(send(frame(0x41)), Bytes {});
    for (int i = 0; i < 10 && board->busy(); ++i)
        board->advance(1);
    Bytes text {'H', 'e', 'l', 'l', 'o', '!'};
    EXPECT_EQ(send({}), text + frame(0x41, {33}));
    EXPECT_EQ(board->registers().pc, 0x201Eu); // after TRAPA #33
    EXPECT_EQ(board->registers().r[3], 7u);
    EXPECT_EQ(board->registers().r[15], 0xFFFFBF80u);
    EXPECT_EQ(board->registers().vbr, 0x3000u);
}

} // namespace
