// The S-record reader: both passes over the records of srecords.txt, with the
// exact messages and guard bytes around the data pass's buffer.
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

} // namespace
