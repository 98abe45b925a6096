// waitResponse with the restart handshake, and the identification requests,
// checked by the exact bytes on the wire and the exact console text.
#include "link_fixture.h"

namespace {

const Bytes kGetVersion = {0x02, 0x02, 0x12, 0xEC, 0x03};
const Bytes kGetFlashArea = frame(GET_FLASH_AREA);
const Bytes kGetUserArea = frame(GET_USER_AREA);
const Bytes kBrkRead = frame(BRK_READ, {0x00});

void sendBrkRead()
{
    packetBegin(BRK_READ);
    packetPutByte(0);
    packetEnd();
    sendPacket();
}

using WaitResponse = LinkTest;

TEST_F(WaitResponse, TheExpectedCodeGivesZeroAndTheNextGetterYieldsThePayload)
{
    port_->expect(kBrkRead, frame(BRK_READ, {0x00, 0x00, 0x12, 0x34, 0x05}));
    sendBrkRead();
    EXPECT_EQ(waitResponse(BRK_READ), 0);
    EXPECT_EQ(packetGetLong(), 0x1234u);
    EXPECT_EQ(packetGetByte(), 5);
    EXPECT_TRUE(port_->finished());
}

TEST_F(WaitResponse, AnotherCodeIsReturnedAsItIs)
{
    port_->expect(kBrkRead, frame(EXEC, {9}));
    sendBrkRead();
    EXPECT_EQ(waitResponse(BRK_READ), EXEC);
}

TEST_F(WaitResponse, AnUnexpectedZeroCodeIsNotMistakenForSuccess)
{
    port_->expect(kBrkRead, frame(MEM_READ, {1, 2}));
    sendBrkRead();
    int result = waitResponse(BRK_READ);
    EXPECT_NE(result, 0);
    EXPECT_EQ(result, kUnexpectedZeroReply);
}

TEST_F(WaitResponse, NoFrameIsMinus1WithItsMessage)
{
    rxTimeout = 3;
    port_->expect(kBrkRead, {'z', 0x02, 31});
    sendBrkRead();
    std::string out = captureStdout([] { EXPECT_EQ(waitResponse(BRK_READ), -1); });
    EXPECT_EQ(out, "zError waiting packet receive.\n");
}

// The three ways the handshake after a TARGET_RESTARTED frame can end.
struct RestartRow {
    const char* name;
    Bytes answer;  // the board's reply to the host's GET_VERSION
    int budget;
    const char* message;
};

const RestartRow restartRows[] = {
    {"answered", frame(GET_VERSION, {1, 2, 3}), 0, "Tareget board ReStarted\n"},
    {"silent", {}, 10, "Error. Target restarted but no responce\n"},
    {"malformed", {0x02, 0x02, 0x12, 0xEC, 0x00}, 0, "Error. Target restarted but no responce\n"},
    {"wrong code", frame(BRK_READ, {0}), 0, "Error. Target restarted but bad responce\n"},
};

class Restart : public LinkTest, public testing::WithParamInterface<RestartRow> {};

TEST_P(Restart, IsAnsweredWithGetVersionAndFailsTheRequestWith0x50)
{
    const RestartRow& row = GetParam();
    rxTimeout = row.budget;
    port_->expect(kBrkRead, frame(TARGET_RESTARTED, {0xDE, 0xAD}));
    port_->expect(kGetVersion, row.answer);
    sendBrkRead();
    std::string out = captureStdout([] { EXPECT_EQ(waitResponse(BRK_READ), 0x50); });
    EXPECT_EQ(out, row.message);
    EXPECT_EQ(port_->sent(), kBrkRead + kGetVersion) << "the waiting request is not sent again";
    EXPECT_TRUE(port_->finished());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Restart, testing::ValuesIn(restartRows), rowName<RestartRow>);

TEST_F(WaitResponse, ARestartWhileWaitingForGetVersionStillFails)
{
    port_->expect(kGetVersion, frame(TARGET_RESTARTED));
    port_->expect(kGetVersion, frame(GET_VERSION, {4, 5, 6}));
    uint8_t major = 9, minor = 9, build = 9;
    std::string out = captureStdout([&] { EXPECT_EQ(getTargetVersion(&major, &minor, &build), 0); });
    EXPECT_EQ(out, "Tareget board ReStarted\nError at getting Version\n");
    EXPECT_EQ(major + minor + build, 0) << "the handshake's answer is not stored";
}

using Identify = LinkTest;

TEST_F(Identify, VersionIsThreeBytes)
{
    port_->expect(kGetVersion, frame(GET_VERSION, {2, 17, 255}));
    uint8_t major = 0, minor = 0, build = 0;
    EXPECT_EQ(getTargetVersion(&major, &minor, &build), 1);
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 17);
    EXPECT_EQ(build, 255);
    EXPECT_TRUE(port_->finished());
}

TEST_F(Identify, AShortVersionReplyGivesZerosForTheMissingBytes)
{
    port_->expect(kGetVersion, frame(GET_VERSION, {3}));
    uint8_t major = 0, minor = 7, build = 7;
    EXPECT_EQ(getTargetVersion(&major, &minor, &build), 1);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 0);
}

TEST_F(Identify, FlashAreaIsAddressThenSize)
{
    port_->expect(kGetFlashArea, frame(GET_FLASH_AREA, {0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x40, 0x00}));
    uint32_t address = 1, size = 1;
    EXPECT_EQ(getFlashArea(&address, &size), 1);
    EXPECT_EQ(address, 0x2000u);
    EXPECT_EQ(size, 0x4000u);
    EXPECT_TRUE(port_->finished());
}

TEST_F(Identify, AUserAreaReplyOfSixBytesGivesTheAddressAndSizeZero)
{
    port_->expect(kGetUserArea, frame(GET_USER_AREA, {0xFF, 0xFF, 0xA0, 0x00, 0x12, 0x34}));
    uint32_t address = 0, size = 99;
    EXPECT_EQ(getUserArea(&address, &size), 1);
    EXPECT_EQ(address, 0xFFFFA000u);
    EXPECT_EQ(size, 0u);
}

// Each identification request against replies it must refuse; the results
// are cleared and the request's own message follows the wait's.
struct FailureRow {
    const char* name;
    uint8_t request;
    Bytes reply;
    int budget;
    const char* output;
};

const FailureRow failureRows[] = {
    {"flash wrong code", GET_FLASH_AREA, frame(BRK_READ, {0, 0, 0, 1, 0, 0, 0, 2}), 0,
     "Error at getting Flash-ROM program area.\n"},
    {"flash zero code", GET_FLASH_AREA, frame(MEM_READ, {0, 0, 0, 1, 0, 0, 0, 2}), 0,
     "Error at getting Flash-ROM program area.\n"},
    {"flash silence", GET_FLASH_AREA, {}, 1000, "Error waiting packet receive.\nError at getting Flash-ROM program area.\n"},
    {"user wrong code", GET_USER_AREA, frame(GET_FLASH_AREA, {0, 0, 0, 1, 0, 0, 0, 2}), 0,
     "Error at getting User Data area.\n"},
    {"user zero code", GET_USER_AREA, frame(MEM_READ, {0, 0, 0, 1, 0, 0, 0, 2}), 0,
     "Error at getting User Data area.\n"},
    {"user bad ETX", GET_USER_AREA, {0x02, 0x02, 0x14, 0xEA, 0x02}, 0,
     "Error waiting packet receive.\nError at getting User Data area.\n"},
    {"version wrong code", GET_VERSION, frame(GET_USER_AREA, {1, 2, 3}), 0, "Error at getting Version\n"},
    {"version zero code", GET_VERSION, frame(MEM_READ, {1, 2, 3}), 0, "Error at getting Version\n"},
    {"version text then silence", GET_VERSION, {'b', 'o', 'o', 't', '\n'}, 1000,
     "boot\nError waiting packet receive.\nError at getting Version\n"},
};

class IdentifyFailures : public LinkTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(IdentifyFailures, ReturnZeroLeaveZerosAndSaySo)
{
    const FailureRow& row = GetParam();
    rxTimeout = row.budget;
    port_->expect(frame(row.request), row.reply);
    int result = -1;
    uint32_t a = 7, b = 7;
    uint8_t x = 7, y = 7, z = 7;
    std::string out = captureStdout([&] {
        if (row.request == GET_VERSION) {
            result = getTargetVersion(&x, &y, &z);
            a = x | y | z;
            b = 0;
        } else if (row.request == GET_FLASH_AREA) {
            result = getFlashArea(&a, &b);
        } else {
            result = getUserArea(&a, &b);
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 0u);
    EXPECT_EQ(out, row.output);
    EXPECT_TRUE(port_->finished());
}

INSTANTIATE_TEST_SUITE_P(Rows, IdentifyFailures, testing::ValuesIn(failureRows), rowName<FailureRow>);

}  // namespace
