// Board flash through the monitor's FLASH_ERASE and FLASH_WRITE: erase sets
// the block to 0xFF, programming needs an erased piece, a RAM source and a
// flash destination above the monitor's blocks, and every refusal leaves
// flash untouched. Flash outlives resets; a set user flag with a usable
// vector pair starts the user program at reset.
#include <gtest/gtest.h>

#include <cstring>

#include "sim_wire.h"

namespace {

using namespace quill;

Bytes ng(uint8_t code, uint8_t error)
{
    return frame(code, {0, error, error});
}

Bytes flashWrite(uint32_t source, uint32_t destination)
{
    return frame(0x61, be32(source) + be32(destination));
}

class FlashTest : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        // Flash and RAM hold patterns, so a byte changed or missed shows.
        for (uint32_t i = 0; i < kFlashSize; ++i)
            board->memory().flash()[i] = static_cast<uint8_t>(i * 13 + 5);
        for (uint32_t i = 0; i < kRamSize; ++i)
            board->memory().ram()[i] = static_cast<uint8_t>(i * 7 + 1);
        board->flash().onChange([this] { ++changes; });
    }
    Bytes flashBytes(uint32_t address, uint32_t count)
    {
        return Bytes(board->memory().flash() + address, board->memory().flash() + address + count);
    }
    Bytes ramBytes(uint32_t address, uint32_t count)
    {
        return Bytes(
            board->memory().ram() + (address - kRamBase), board->memory().ram() + (address - kRamBase) + count);
    }
    int changes = 0;
};

TEST_F(FlashTest, EraseSetsExactlyTheBlockToErased)
{
    const std::tuple<uint8_t, uint32_t, uint32_t> rows[] = {
        {2, 0x2000, 0x1000}, {8, 0x8000, 0x8000}, {9, 0x10000, 0x10000}};
    for (const auto& [block, start, size] : rows) {
        Bytes before = flashBytes(start - 1, 1) + flashBytes(start + size, start + size < kFlashSize ? 1 : 0);
        EXPECT_EQ(send(frame(0x60, {block})), frame(0x60, {1})) << +block;
        EXPECT_EQ(flashBytes(start, size), Bytes(size, 0xFF)) << +block;
        EXPECT_EQ(flashBytes(start - 1, 1) + flashBytes(start + size, start + size < kFlashSize ? 1 : 0), before);
    }
    EXPECT_EQ(changes, 3);
}

TEST_F(FlashTest, RefusedErasesChangeNothing)
{
    Bytes before = flashBytes(0, kFlashSize);
    const std::pair<uint8_t, uint8_t> rows[] = {
        {0, kErrorMonitorBlock}, {1, kErrorMonitorBlock}, {10, kErrorArgument}, {0xFF, kErrorArgument}};
    for (const auto& [block, error] : rows)
        EXPECT_EQ(send(frame(0x60, {block})), ng(0x60, error)) << +block;
    EXPECT_EQ(flashBytes(0, kFlashSize), before);
    EXPECT_EQ(changes, 0);
}

TEST_F(FlashTest, ProgrammingNeedsAnErasedPieceAndTheRightAddresses)
{
    send(frame(0x60, {2}));
    send(frame(0x60, {9}));
    Bytes before = flashBytes(0, kFlashSize);
    const std::tuple<uint32_t, uint32_t, uint8_t> refused[] = {
        {0xFFFFBF81, 0x2000, kErrorSource}, // runs one byte past the end of RAM
        {0xFFFF9FFF, 0x2000, kErrorSource}, // starts below RAM
        {0x00003000, 0x2000, kErrorSource}, // flash is no source
        {0xFFFFFF80, 0x2000, kErrorSource}, {0xFFFFA000, 0x2040, kErrorDestination}, // not a whole piece
        {0xFFFFA000, 0x20000, kErrorDestination}, {0xFFFFA000, 0xFFFFFF80, kErrorDestination},
        {0xFFFFA000, 0x1F80, kErrorMonitorBlock}, {0xFFFFA000, 0x0000, kErrorMonitorBlock},
        {0xFFFFA000, 0x3000, kErrorNotErased}, // block 3 holds the pattern
    };
    for (const auto& [source, destination, error] : refused)
        EXPECT_EQ(send(flashWrite(source, destination)), ng(0x61, error)) << std::hex << source << " " << destination;
    EXPECT_EQ(flashBytes(0, kFlashSize), before);
    EXPECT_EQ(changes, 2);

    // The last piece of RAM into the first piece of the user area; the flag piece.
    EXPECT_EQ(send(flashWrite(0xFFFFBF80, 0x2000)), frame(0x61, {1}));
    EXPECT_EQ(flashBytes(0x2000, 128), ramBytes(0xFFFFBF80, 128));
    EXPECT_EQ(flashBytes(0x2080, 1), Bytes {0xFF});
    EXPECT_EQ(send(flashWrite(0xFFFFA000, 0x1FF80)), frame(0x61, {1}));
    EXPECT_EQ(flashBytes(0x1FF80, 128), ramBytes(0xFFFFA000, 128));
    // Programmed once: a second time is refused, even with bits it could only clear.
    std::memset(board->memory().ram(), 0, 128);
    EXPECT_EQ(send(flashWrite(0xFFFFA000, 0x2000)), ng(0x61, kErrorNotErased));
    EXPECT_EQ(flashBytes(0x2000, 128), ramBytes(0xFFFFBF80, 128));
    // Only the first byte programmed is enough to refuse the piece.
    std::memset(board->memory().ram(), 0xFF, 128);
    board->memory().ram()[0] = 0x00;
    EXPECT_EQ(send(flashWrite(0xFFFFA000, 0x2100)), frame(0x61, {1}));
    EXPECT_EQ(send(flashWrite(0xFFFFA000, 0x2100)), ng(0x61, kErrorNotErased));
    EXPECT_EQ(changes, 5);
}

TEST_F(FlashTest, FlashOutlivesResetAndPowerCycle)
{
    send(frame(0x60, {2}));
    EXPECT_EQ(send(flashWrite(0xFFFFA000, 0x2000)), frame(0x61, {1}));
    Bytes programmed = flashBytes(0, kFlashSize);
    board->reset();
    board->powerOn();
    EXPECT_EQ(flashBytes(0, kFlashSize), programmed);
}

TEST(UserProgramFirst, TheFlagAndTheVectorPairDecide)
{
    const Bytes announce = frame(0x50, {1});
    const struct {
        uint8_t flag;
        uint32_t pc, sp;
        bool starts;
    } rows[] = {
        {0xFF, 0x2008, 0xFFFFBF80, false}, // flag clear
        {0x00, 0x2008, 0xFFFFBF80, true},
        {0x7F, 0xFFFFA000, 0xFFFFC000, true}, // any value but 0xFF; a RAM entry; the top of the stack window
        {0x00, 0xFFFFFFFF, 0xFFFFFFFF, false}, // erased pair
        {0x00, 0x2009, 0xFFFFBF80, false}, // odd entry
        {0x00, 0x1000, 0xFFFFBF80, false}, // the monitor's block
        {0x00, 0x20000, 0xFFFFBF80, false}, // past flash
        {0x00, 0x2008, 0xFFFFA004, false}, // below the stack window
        {0x00, 0x2008, 0xFFFFBF82, false}, // SP not a multiple of 4
    };
    for (const auto& row : rows) {
        Board board;
        uint8_t* flash = board.memory().flash();
        flash[0x1FFFF] = row.flag;
        Bytes pair = be32(row.pc) + be32(row.sp);
        std::copy(pair.begin(), pair.end(), flash + 0x2000);
        Bytes drained(board.pendingToHost());
        board.takeToHost(drained.data(), drained.size());
        board.reset();
        EXPECT_EQ(board.userProgramStarted(), row.starts) << std::hex << row.pc << " " << row.sp;
        EXPECT_EQ(board.pendingToHost(), row.starts ? 0u : announce.size());
        if (row.starts) {
            EXPECT_EQ(board.registers().pc, row.pc);
            EXPECT_EQ(board.registers().r[15], row.sp);
        } else {
            EXPECT_NE(board.registers().pc, row.pc);
        }
    }
}

} // namespace
