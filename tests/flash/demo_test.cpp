// The committed demo: its S-records and its map agree, it lies in the user
// area with the vector pair the board starts it from, and both files load
// with the debugger's own readers.
#include <gtest/gtest.h>

#include <string>

#include "expr/symbols.h"
#include "flash/load_image.h"
#include "flash/srecord.h"

namespace {

TEST(Demo, SRecordsAndMapAgree)
{
    const char* mot = BF_SOURCE_DIR "/examples/demo.mot";
    uint32_t lowest = 0, highest = 0;
    ASSERT_EQ(readMOTRange(mot, 0, 0xFFFFFFFF, &lowest, &highest), 1);
    EXPECT_EQ(lowest, kFlashLoadStart);
    EXPECT_LT(highest, kUserFlagAddress & ~(kFlashPiece - 1)); // clear of the flag's piece
    static uint8_t image[kImageBufferSize];
    ASSERT_EQ(readMOTData(mot, image, lowest, highest), 1);
    auto longAt = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
    };

    testing::internal::CaptureStdout();
    loadSymbols(BF_SOURCE_DIR "/examples/demo.map");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(longAt(image), symbolValue("_start"));
    EXPECT_EQ(longAt(image + 4), 0xFFFFBF80u);
    for (const char* name : {"_start", "_show_count", "_put_decimal", "_puts", "_putc", "_getkey"}) {
        uint32_t address = symbolValue(name);
        EXPECT_TRUE(address >= lowest + 8 && address < highest && address % 2 == 0) << name;
    }
    resetSymbols();
}

} // namespace
