// The two flash requests against a scripted monitor: the exact request bytes,
// and what each kind of reply makes of the outcome and the console text.
#include "flash/flash.h"
#include "support/target_fixture.h"

namespace {

using FlashRequest = TargetTest;

TEST_F(FlashRequest, EraseAndWriteSayDoneOnlyWhenTheBoardDoes)
{
    const Bytes erase = frame(FLASH_ERASE, {2}), write = frame(FLASH_WRITE, be32(0xFFFFBF80) + be32(0x1FF80));
    const struct {
        bool isErase;
        Bytes reply;
        int result;
        std::string printed;
    } rows[] = {{true, frame(FLASH_ERASE, {1}), 1, ""},
        {true, frame(FLASH_ERASE, {0, 0x35}), 0, "Flash-ROM Erase Error. code = 35\n"},
        {true, frame(FLASH_ERASE), 0, "Flash-ROM Erase Error. code = 00\n"}, // no status: not erased
        {true, frame(EXEC, {9}), 0, "Error at Flash-ROM erase\n"}, {false, frame(FLASH_WRITE, {1}), 1, ""},
        {false, frame(FLASH_WRITE, {0, 0x42}), 0, "Flash-ROM Write Error. code = 42\n"},
        {false, frame(FLASH_WRITE), 0, "Flash-ROM Write Error. code = 00\n"},
        {false, frame(EXEC, {9}), 0, "Error at Flash-ROM write 65\n"},
        {false, frame(MEM_READ, {1}), 0, "Error at Flash-ROM write 256\n"},
        {false, {'x', '\n'}, 0, "x\nError waiting packet receive.\nError at Flash-ROM write -1\n"}};
    for (const auto& row : rows) {
        int result = -1;
        EXPECT_EQ(exchange(row.isErase ? erase : write, row.reply,
                      [&] {
                          rxTimeout = 5;
                          result = row.isErase ? flashErase(2) : flashWrite(0xFFFFBF80, 0x1FF80);
                      }),
            row.printed)
            << hexBytes(row.reply);
        EXPECT_EQ(result, row.result) << hexBytes(row.reply);
    }
}

} // namespace
