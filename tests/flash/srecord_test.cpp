// The S-record reader: both passes over GNU objcopy output and over records
// that break the rules, with the exact messages and the buffer's edges.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "flash/srecord.h"

namespace {

// objcopy -I binary -O srec output of "0123456789ABCDEFGHIJ" at three addresses.
const std::string kObjcopyS1 = "S009000062312E6D6F74E5\r\nS1132000303132333435363738394142434445462A\r\n"
                               "S10720104748494AA6\r\nS9032000DC\r\n";
const std::string kObjcopyS2 = "S009000062322E6D6F74E4\nS21401234030313233343536373839414243444546E5\n"
                               "S2080123504748494A61\nS80401234097\n";
const std::string kObjcopyS3 = "S315FFFFA00030313233343536373839414243444546AA\nS309FFFFA0104748494A26\n"
                               "S705FFFFA0005C\n";

std::string motPath()
{
    return testing::TempDir() + "srecord_" + std::to_string(getpid()) + ".mot";
}

struct Range {
    int result;
    uint32_t lowest, highest;
    std::string printed;
};

Range scanRange(const std::string& text, uint32_t low = 0, uint32_t high = 0xFFFFFFFF)
{
    std::ofstream(motPath(), std::ios::binary) << text;
    Range r {0, 0x5A5A5A5A, 0x5A5A5A5A, ""};
    testing::internal::CaptureStdout();
    r.result = readMOTRange(motPath().c_str(), low, high, &r.lowest, &r.highest);
    std::fflush(stdout);
    r.printed = testing::internal::GetCapturedStdout();
    return r;
}

// The data pass into a buffer for [base, base + size), with guard bytes of
// 0xA5 on both sides that no record may reach.
constexpr size_t kGuard = 64;
struct Data {
    int result;
    std::vector<uint8_t> bytes; // guard, buffer, guard
    std::string printed;
    uint8_t at(size_t i) const { return bytes[kGuard + i]; }
    bool guardsIntact() const
    {
        for (size_t i = 0; i < kGuard; ++i) {
            if (bytes[i] != 0xA5 || bytes[bytes.size() - 1 - i] != 0xA5)
                return false;
        }
        return true;
    }
};

Data loadData(const std::string& text, uint32_t base, uint32_t size)
{
    std::ofstream(motPath(), std::ios::binary) << text;
    Data d {0, std::vector<uint8_t>(size + 2 * kGuard, 0xA5), ""};
    std::fill(d.bytes.begin() + kGuard, d.bytes.end() - kGuard, 0xFF);
    testing::internal::CaptureStdout();
    d.result = readMOTData(motPath().c_str(), d.bytes.data() + kGuard, base, base + size);
    std::fflush(stdout);
    d.printed = testing::internal::GetCapturedStdout();
    return d;
}

TEST(SRecordRange, RecordRules)
{
    const std::string tooLong = "S1FF2000303132333435363738394142";
    const struct {
        std::string text;
        uint32_t low, high;
        Range want;
    } rows[] = {
        {kObjcopyS1, 0, 0xFFFFFFFF, {1, 0x2000, 0x2014, ""}},
        {kObjcopyS2, 0, 0xFFFFFFFF, {1, 0x12340, 0x12354, ""}},
        {kObjcopyS3, 0, 0xFFFFFFFF, {1, 0xFFFFA000, 0xFFFFA014, ""}},
        // Any order; the range is the lowest start and the highest end.
        {"S107300000000000C8\nS1071000000000000F\n", 0, 0xFFFFFFFF, {1, 0x1000, 0x3004, ""}},
        {"S0030000FC\nS5030001FB\n", 0, 0xFFFFFFFF, {1, 0xFFFFFFFF, 0, ""}},
        // An S9 of 12 characters or more stops reading; S7 and S8 do not.
        {"S90500000000FA\nS1071000000000000F\n", 0, 0xFFFFFFFF, {1, 0xFFFFFFFF, 0, ""}},
        {"S705000000000FA\nS80400000000FB\nS1071000000000000F\n", 0, 0xFFFFFFFF, {1, 0x1000, 0x1004, ""}},
        // Lower-case hex counts; a lower-case s is no record; short lines are skipped.
        {"s1071000000000000F\nS1 short\nS1071a0000000000ff\n", 0, 0xFFFFFFFF, {1, 0x1A00, 0x1A04, ""}},
        // A record takes part when it reaches into [low, high].
        {"S1071000000000000F\nS107200000000000FF\n", 0x1005, 0x1FFF, {1, 0xFFFFFFFF, 0, ""}},
        {"S1071000000000000F\nS107200000000000FF\n", 0x1004, 0x2000, {1, 0x1000, 0x2004, ""}},
        // A count too small for the address carries no data: its end lies below its address.
        {"S1011000000000000F\n", 0, 0xFFFFFFFF, {1, 0x1000, 0x0FFE, ""}},
        // A count the line cannot hold stops the pass; what came before stands.
        {"S107100000000000\n", 0, 0xFFFFFFFF,
            {0, 0xFFFFFFFF, 0, "readMOT():Error not valid S record [S107100000000000](size=7,strlen(s)=16)\n"}},
        {"S107300000000000C8\n" + tooLong + "\r\nS1071000000000000F\n", 0, 0xFFFFFFFF,
            {0, 0x3000, 0x3004, "readMOT():Error not valid S record [" + tooLong + "](size=255,strlen(s)=32)\n"}},
    };
    for (const auto& row : rows) {
        Range got = scanRange(row.text, row.low, row.high);
        EXPECT_EQ(got.result, row.want.result) << row.text;
        EXPECT_EQ(got.lowest, row.want.lowest) << row.text;
        EXPECT_EQ(got.highest, row.want.highest) << row.text;
        EXPECT_EQ(got.printed, row.want.printed) << row.text;
    }
}

TEST(SRecordRange, LongLinesArriveInPiecesOfTheLineBuffer)
{
    // A record, then padding to exactly 255 characters; the next piece is a record of its own.
    std::string first = "S1071000000000000F";
    first += std::string(kMotLineMax - first.size(), 'x');
    Range r = scanRange(first + "S1074000000000000F\n");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.lowest, 0x1000u);
    EXPECT_EQ(r.highest, 0x4004u);
    // A line far longer than the buffer, whose count asks for all of it: it
    // is invalid within its first piece and nothing runs past the buffer.
    std::string huge = "S1FF1000" + std::string(4000, '0') + "\n";
    r = scanRange(huge);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.printed,
        "readMOT():Error not valid S record [" + huge.substr(0, kMotLineMax) + "](size=255,strlen(s)=255)\n");
}

TEST(SRecordData, StoresWhereTheAddressSaysAndNowhereElse)
{
    Data d = loadData(kObjcopyS1, 0x2000, 0x40);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(std::string(d.bytes.begin() + kGuard, d.bytes.begin() + kGuard + 20), "0123456789ABCDEFGHIJ");
    EXPECT_EQ(d.at(20), 0xFF);
    EXPECT_TRUE(d.guardsIntact());
    d = loadData(kObjcopyS3, 0xFFFFA000, 0x14); // ends exactly at the limit
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.at(0x13), 'J');
    EXPECT_TRUE(d.guardsIntact());
}

TEST(SRecordData, RecordsOutsideTheBoundsAreLeftOutEvenWhenTheirEndWraps)
{
    const struct {
        std::string text;
        int result;
        size_t offset; // a byte that must hold value afterwards
        uint8_t value;
    } rows[] = {
        // Runs one byte past the limit: left out, the later record still stored.
        {"S1071FFE11223344E8\nS107100055667788FF\n", 0, 0, 0x55},
        // Starts below the base.
        {"S1070FFE11223344E8\n", 0, 0, 0xFF},
        // 0xFFFFFFF8 + 16 wraps to 8, which is below the limit: still outside.
        {"S315FFFFFFF800112233445566778899AABBCCDDEEFF00\n", 0, 0, 0xFF},
        {"S30DFFFFFFFC0011223344556677AA\n", 0, 0, 0xFF},
        {"S306FFFFFFFF11EE\n", 0, 0, 0xFF}, // one byte at the top: its end wraps to 0
        // A later record overwrites an earlier one.
        {"S1071000111111110F\nS10510022222FF\n", 1, 2, 0x22},
        // The count says less than the line holds: only the counted bytes are data.
        {"S1051000AABBCCDDEE\n", 1, 2, 0xFF},
        // The count says more than the line holds: invalid, earlier data kept.
        {"S10510007777FF\nS1201000AABB\n", 0, 0, 0x77},
        // No data in a record whose count is below its address bytes.
        {"S1011000AABBCCDD\n", 1, 0, 0xFF},
    };
    for (const auto& row : rows) {
        Data d = loadData(row.text, 0x1000, 0x1000);
        EXPECT_EQ(d.result, row.result) << row.text;
        EXPECT_EQ(d.at(row.offset), row.value) << row.text;
        EXPECT_TRUE(d.guardsIntact()) << row.text;
    }
    Data d = loadData("S1201000AABB\r\n", 0x1000, 0x1000);
    EXPECT_EQ(d.printed, "readMOT():Error not valid S record [S1201000AABB]\n");
}

TEST(SRecordFile, AFileThatCannotBeOpenedIsNamed)
{
    uint32_t lowest = 7, highest = 7;
    uint8_t buffer[1];
    testing::internal::CaptureStdout();
    EXPECT_EQ(readMOTRange("", 0, 0xFFFFFFFF, &lowest, &highest), 0);
    EXPECT_EQ(readMOTData("/nonexistent/x.mot", buffer, 0, 1), 0);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file \nCan't open file /nonexistent/x.mot\n");
    EXPECT_EQ(lowest + highest, 14u);
}

TEST(SRecordFields, DigitsFieldsAndLineEnds)
{
    EXPECT_EQ(hexField("S1130AbF", 4, 4), 0x0ABFu);
    EXPECT_EQ(hexField("S1130AbF", 5, 4), 0u); // one digit short
    EXPECT_EQ(hexField("S1FFFFFFFFFF", 2, 8), 0xFFFFFFFFu);
    EXPECT_EQ(hexField("S1g9", 2, 2), 0x09u); // not a digit: 0
    const std::string digits = "09AFafGg/:@`";
    const int values[] = {0, 9, 10, 15, 10, 15, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(hexDigit(digits[i]), values[i]) << digits[i];
    for (const char* text : {"S1 ab\r\n", "S1 ab\n", "S1 ab\rcd\n", "S1 ab"}) {
        char line[16];
        std::snprintf(line, sizeof line, "%s", text);
        cutLineEnd(line);
        EXPECT_STREQ(line, "S1 ab");
    }
}

} // namespace
