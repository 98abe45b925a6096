// LO and USR against a scripted monitor: the exact requests of a small load
// and each reply the simulated board never gives. LO as typed, with the
// board's own replies, is in tests/sessions.
#include <unistd.h>

#include <fstream>
#include <vector>

#include "support/srecords.h"
#include "support/target_fixture.h"

namespace {

const std::string kPath = testing::TempDir() + "load_" + std::to_string(getpid()) + ".mot";

struct Step {
    Bytes request, reply;
};

Bytes ok(uint8_t code)
{
    return frame(code, {1});
}

// The eight MEM_WRITEs that stage one piece in the write buffer.
std::vector<Step> staging(const Bytes& piece)
{
    std::vector<Step> steps;
    for (int i = 0; i < 8; ++i) {
        Bytes chunk(piece.begin() + 16 * i, piece.begin() + 16 * i + 16);
        steps.push_back({memWriteRequest(0xFFFFBF80 + 16 * i, chunk), ok(MEM_WRITE)});
    }
    return steps;
}

Bytes flashWriteRequest(uint32_t destination)
{
    return frame(FLASH_WRITE, be32(0xFFFFBF80) + be32(destination));
}

Bytes pieceOf(const Bytes& head)
{
    Bytes piece(128, 0xFF);
    std::copy(head.begin(), head.end(), piece.begin());
    return piece;
}

} // namespace

class LoadCommand : public TargetTest {
protected:
    void SetUp() override
    {
        TargetTest::SetUp();
        targetInfo.flashAreaAddress = 0xFFFFA000;
    }
    void TearDown() override
    {
        std::remove(kPath.c_str());
        TargetTest::TearDown();
    }
    std::string load(const std::string& text, const std::vector<Step>& steps, int expected)
    {
        std::ofstream(kPath, std::ios::binary) << text;
        for (const Step& s : steps)
            port->expect(s.request, s.reply);
        EXPECT_EQ(run("lo " + kPath), expected);
        EXPECT_TRUE(port->finished());
        return output();
    }
};

// One record at 0x2000 (a second one wraps past 2^32 and must store nothing):
// erase block 2, read the flag, stage the piece, program it.
TEST_F(LoadCommand, FlashLoadSendsEraseFlagReadStagingAndProgram)
{
    std::vector<Step> steps {
        {frame(FLASH_ERASE, {2}), ok(FLASH_ERASE)}, {memReadRequest(0x1FFFF, 1), frame(MEM_READ, {0xFF})}};
    for (const Step& s : staging(pieceOf(pattern(16))))
        steps.push_back(s);
    steps.push_back({flashWriteRequest(0x2000), ok(FLASH_WRITE)});
    std::string text = "S00600004844521B\r\n" + srec(1, 0x2000, pattern(16)) + srec(3, 0xFFFFFFF8, pattern(16, 0x40)) +
        "S9032000DC\r\n";
    EXPECT_TRUE(load(text, steps, 0).ends_with("Target Address=00002000\r\nFinished to load " + kPath + "\n"));
}

// Each way a load into block 2 stops after its erase: the requests up to the
// failure and the lines it ends with. Nothing after the failure is sent.
TEST_F(LoadCommand, EveryFailureStopsTheLoadAndIsReported)
{
    const std::string file = srec(1, 0x2000, pattern(16)) + srec(1, 0x2080, pattern(16));
    const Step erase2 {frame(FLASH_ERASE, {2}), ok(FLASH_ERASE)};
    const Step flagClear {memReadRequest(0x1FFFF, 1), frame(MEM_READ, {0xFF})};
    std::vector<Step> stage1 = staging(pieceOf(pattern(16)));
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::string tail;
    };
    auto with = [](std::vector<Step> a, const std::vector<Step>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<Step> firstChunkRefused = {{memWriteRequest(0xFFFFBF80, pattern(16)), frame(MEM_WRITE, {0})}};
    const Case cases[] = {
        {"erase refused", {{frame(FLASH_ERASE, {2}), frame(FLASH_ERASE, {0, 0xE7})}},
            "loadMOT:Error(Erase fail) at Flash-ROM Erase phase(block 2)\n"},
        {"erase answered wrongly", {{frame(FLASH_ERASE, {2}), frame(FLASH_WRITE, {1})}},
            "loadMOT:Error(Abnormal termination) at Flash-ROM Erase phase(block 2)\n"},
        {"flag unreadable: block 9 is not erased on a guess",
            {erase2, {memReadRequest(0x1FFFF, 1), frame(MEM_WRITE, {1})}},
            "Block 2-2 erased\nreadMem:Error.Responce is not MEM_READ. 1\n"
            "loadMOT:Error(User-Flag read fail) at Flash-ROM Erase phase(adrs=0001FFFF)\n"},
        {"flag block erase refused",
            {erase2, {memReadRequest(0x1FFFF, 1), frame(MEM_READ, {0})},
                {frame(FLASH_ERASE, {9}), frame(FLASH_ERASE, {0})}},
            "Block 2-2 erased\nloadMOT:Error(Erase fail) at Flash-ROM Erase phase(block 9)\n"},
        {"staging refused: the piece is not programmed", with({erase2, flagClear}, firstChunkRefused),
            "Block 2-2 erased\nFlashWrite:Source Address = FFFFBF80 : Target Address=00002000\r"
            "writeMem:Error.Responce of MEM_WRITE =NG\n"
            "loadMOT:Error(Buffer write fail) at Flash-ROM Write phase(00002000)\n"},
        {"programming refused",
            with(with({erase2, flagClear}, stage1), {{flashWriteRequest(0x2000), frame(FLASH_WRITE, {0, 0x00, 0xE8})}}),
            "Block 2-2 erased\nFlashWrite:Source Address = FFFFBF80 : Target Address=00002000\r"
            "loadMOT:Error(Write fail) at Flash-ROM Write phase(adrs=00002000, code=00E8)\n"},
        {"programming answered wrongly",
            with(with({erase2, flagClear}, stage1), {{flashWriteRequest(0x2000), frame(FLASH_ERASE, {1})}}),
            "Block 2-2 erased\nFlashWrite:Source Address = FFFFBF80 : Target Address=00002000\r"
            "loadMOT:Error(Abnormal termination) at Flash-ROM Write phase(00002000)\n"},
    };
    for (const Case& c : cases) {
        const std::string printed = load(file, c.steps, -1);
        EXPECT_TRUE(printed.ends_with(c.tail + "Error loading " + kPath + "\n")) << c.what << ":\n" << printed;
        restart();
        targetInfo.flashAreaAddress = 0xFFFFA000;
    }
}

// A board without a flash area takes every file as a RAM image; refused
// before any request.
TEST_F(LoadCommand, WithoutAFlashAreaFilesAreRamImages)
{
    const std::pair<std::string, std::string> cases[] = {
        {srec(1, 0x2000, pattern(16)),
            "loadMOT:Error(Out of RAM) 00002000 - 00002010 lies outside target RAM FFFFA000 - FFFFC000\n"},
        {srec(1, 0x2000, pattern(16)) + srec(2, 0x12000, pattern(1)),
            "loadMOT:Error(RAM image too large) 00002000 - 00012001 is 65537 bytes, more than 65535\n"},
    };
    targetInfo.flashAreaAddress = 0;
    for (const auto& [file, tail] : cases)
        EXPECT_TRUE(load(file, {}, -1).ends_with(tail + "Error loading " + kPath + "\n")) << tail;
}

TEST_F(LoadCommand, UserFlagProgramsTheFlagPieceAndReportsEachOutcome)
{
    Bytes flagPiece(128, 0xFF);
    flagPiece[127] = 0x00;
    const std::pair<Bytes, std::string> outcomes[] = {
        {ok(FLASH_WRITE), "Succeed.\n"},
        {frame(FLASH_WRITE, {0, 0x00, 0xE8}),
            "writeUserFlag:Error(Write fail) at Flash-ROM Write phase(adrs=0001FF80, code=00E8)\nFail to write "
            "flag.\n"},
        {frame(MEM_WRITE, {1}),
            "writeUserFlag:Error(Abnormal termination) at Flash-ROM Write phase(0001FF80)\nFail to write flag.\n"},
    };
    for (const auto& [reply, text] : outcomes) {
        for (const Step& s : staging(flagPiece))
            port->expect(s.request, s.reply);
        port->expect(flashWriteRequest(0x1FF80), reply);
        run("usr");
        EXPECT_TRUE(port->finished());
        EXPECT_EQ(output(), "Precede user program execution. Write flag.\n" + text);
    }
}
