// The S-record reader: both passes over the records of srecords.txt, with the
// exact messages and guard bytes around the data pass's buffer; then lines
// longer than the line buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "flash/srecord.h"
#include "support/case_file.h"

namespace {

const std::string kPath = testing::TempDir() + "srecord_" + std::to_string(getpid()) + ".mot";

// Writes text as the file and runs pass on it; what the pass printed.
template<typename F> std::string onFile(const std::string& text, F pass)
{
    std::ofstream(kPath, std::ios::binary) << text;
    testing::internal::CaptureStdout();
    pass(kPath.c_str());
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::string range(const std::string& text, int* result, uint32_t* lowest, uint32_t* highest)
{
    return onFile(text, [&](const char* path) { *result = readMOTRange(path, 0, 0xFFFFFFFF, lowest, highest); });
}

TEST(SRecord, EveryCaseOfTheFile)
{
    constexpr size_t kGuard = 64;
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/flash/srecords.txt")) {
        SCOPED_TRACE(testing::Message() << "srecords.txt line " << c.line);
        const std::string printed = c.fields.size() > 7 ? c[7] : "";
        const uint32_t first = static_cast<uint32_t>(number(c[2])), second = static_cast<uint32_t>(number(c[3]));
        int result = -1;
        if (c[0] == "range") {
            uint32_t lowest = 0x5A5A5A5A, highest = 0x5A5A5A5A;
            EXPECT_EQ(
                onFile(c[1], [&](const char* path) { result = readMOTRange(path, first, second, &lowest, &highest); }),
                printed);
            EXPECT_EQ(result, number(c[4]));
            EXPECT_EQ(lowest, number(c[5]));
            EXPECT_EQ(highest, number(c[6]));
            continue;
        }
        std::vector<uint8_t> bytes(second + 2 * kGuard, 0xA5); // guard, buffer, guard
        std::fill(bytes.begin() + kGuard, bytes.end() - kGuard, 0xFF);
        EXPECT_EQ(
            onFile(c[1],
                [&](const char* path) { result = readMOTData(path, bytes.data() + kGuard, first, first + second); }),
            printed);
        EXPECT_EQ(result, number(c[4]));
        const Bytes want = hexToBytes(c[6]);
        const auto at = bytes.begin() + kGuard + number(c[5]);
        EXPECT_EQ(hexBytes(Bytes(at, at + static_cast<long>(want.size()))), hexBytes(want));
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + kGuard), Bytes(kGuard, 0xA5));
        EXPECT_EQ(Bytes(bytes.end() - kGuard, bytes.end()), Bytes(kGuard, 0xA5));
    }
}

TEST(SRecord, LongLinesArriveInPiecesOfTheLineBuffer)
{
    // A record, then padding to exactly the buffer; the next piece is a record of its own.
    int result = 0;
    uint32_t lowest = 0, highest = 0;
    std::string first = "S1071000000000000F";
    first += std::string(kMotLineMax - first.size(), 'x');
    EXPECT_EQ(range(first + "S1074000000000000F\n", &result, &lowest, &highest), "");
    EXPECT_EQ(std::vector<uint32_t>({1, lowest, highest}), std::vector<uint32_t>({1, 0x1000, 0x4004}));
    // A count asking for a line far longer than the buffer: invalid within its first piece.
    std::string huge = "S1FF1000" + std::string(4000, '0') + "\n";
    EXPECT_EQ(range(huge, &result, &lowest, &highest),
        "readMOT():Error not valid S record [" + huge.substr(0, kMotLineMax) + "](size=255,strlen(s)=255)\n");
    EXPECT_EQ(result, 0);
}

} // namespace
