// The synchronous receive: its error codes, the STX hunt with its text echo,
// and line noise between frames.
#include "link_fixture.h"

namespace {

using Receive = LinkTest;

TEST_F(Receive, AWellFormedFrameGivesItsLenAndTheGettersStartAtCmd)
{
    port_->feed(frame(GET_FLASH_AREA, {0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x40, 0x00}));
    EXPECT_EQ(receivePacket(), 10);
    EXPECT_EQ(packetGetByte(), GET_FLASH_AREA);
    EXPECT_EQ(packetGetLong(), 0x2000u);
    EXPECT_EQ(packetGetLong(), 0x4000u);
    EXPECT_EQ(packetGetByte(), 0);
    EXPECT_TRUE(port_->finished());
}

TEST_F(Receive, AWrongChecksumIsNotCheckedHere)
{
    port_->feed({0x02, 0x03, 0x60, 0x01, 0x00, 0x03});
    EXPECT_EQ(receivePacket(), 3);
    EXPECT_EQ(packetGetByte(), FLASH_ERASE);
    EXPECT_EQ(packetGetByte(), 0x01);
}

TEST_F(Receive, AnEtxValueInThePayloadDoesNotEndTheFrame)
{
    port_->feed(frame(MEM_READ, {0x03, 0x03, 0x02}));
    EXPECT_EQ(receivePacket(), 5);
    EXPECT_EQ(packetGetByte(), MEM_READ);
    EXPECT_EQ(packetGetByte(), 0x03);
    EXPECT_EQ(packetGetWord(), 0x0302);
}

// Each row: what the line carries, with a time-out budget so that silence ends
// the receive, and the code that comes back.
struct ErrorRow {
    const char* name;
    Bytes line;
    int code;
    size_t leftOver;  // bytes still unread afterwards
};

const ErrorRow errorRows[] = {
    {"silence", {}, -1, 0},
    {"only text", {'o', 'k', '\r', '\n'}, -1, 0},
    {"STX then silence", {0x02}, -2, 0},
    {"LEN 30", {0x02, 30, 0x12, 0x00, 0x03}, -2, 3},
    {"LEN 0xFF", {0x02, 0xFF}, -2, 0},
    {"LEN 0 is refused once read", {0x02, 0x00, 0x03, 0x02, 0x02, 0x12, 0xEC, 0x03}, -2, 5},
    {"LEN 1 is refused once read", {0x02, 0x01, 0xFF, 0x03}, -2, 0},
    {"frame cut short", {0x02, 0x05, 0x00, 0x01}, -3, 0},
    {"CHK never comes", {0x02, 0x02, 0x12}, -3, 0},
    {"wrong byte in the ETX place", {0x02, 0x02, 0x12, 0xEC, 0x04}, -4, 0},
};

class ReceiveErrors : public LinkTest, public testing::WithParamInterface<ErrorRow> {};

TEST_P(ReceiveErrors, GiveTheirCode)
{
    const ErrorRow& row = GetParam();
    rxTimeout = 5;
    port_->feed(row.line);
    std::string out = captureStdout([&] { EXPECT_EQ(receivePacket(), row.code); });
    EXPECT_EQ(port_->pendingRx(), row.leftOver);
    EXPECT_EQ(packetGetByte(), 0) << "a failed receive leaves nothing to take";
    (void)out;
}

INSTANTIATE_TEST_SUITE_P(Rows, ReceiveErrors, testing::ValuesIn(errorRows), rowName<ErrorRow>);

TEST_F(Receive, AfterALen0FrameTheNextReceiveFindsTheFollowingFrame)
{
    port_->feed(Bytes{0x02, 0x00, 0x03} + frame(GET_VERSION, {1, 2, 3}));
    std::string out = captureStdout([] {
        EXPECT_EQ(receivePacket(), -2);
        EXPECT_EQ(receivePacket(), 5);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(packetGetByte(), GET_VERSION);
    EXPECT_EQ(packetGetByte(), 1);
}

TEST_F(Receive, TextBeforeTheFrameIsEchoedAndOtherControlBytesDropped)
{
    Bytes noise = {'H', 'i', 0x07, '\r', '\n', 0x00, 0x1B, 0x7F, 0x80, 0xFF, 0x09, 0x03, '!'};
    port_->feed(noise + frame(GET_VERSION, {1, 0, 7}));
    std::string out = captureStdout([] { EXPECT_EQ(receivePacket(), 5); });
    EXPECT_EQ(out, "Hi\r\n\x7F\x80\xFF!");
    EXPECT_EQ(packetGetByte(), GET_VERSION);
    EXPECT_EQ(packetGetByte(), 1);
}

TEST_F(Receive, ALoneBellIsNotEchoed)
{
    port_->feed(Bytes{0x07} + frame(GET_VERSION));
    EXPECT_EQ(captureStdout([] { EXPECT_EQ(receivePacket(), 2); }), "");
}

TEST_F(Receive, GarbageBetweenFramesOnlyCostsItsText)
{
    port_->feed(frame(BRK_READ, {0}) + Bytes{'x', 0x01, 0x03} + frame(BRK_CLEAR, {1}));
    std::string out = captureStdout([] {
        EXPECT_EQ(receivePacket(), 3);
        EXPECT_EQ(packetGetByte(), BRK_READ);
        EXPECT_EQ(receivePacket(), 3);
        EXPECT_EQ(packetGetByte(), BRK_CLEAR);
        EXPECT_EQ(packetGetByte(), 1);
    });
    EXPECT_EQ(out, "x");
    EXPECT_TRUE(port_->finished());
}

TEST_F(Receive, ASpuriousStxInTheNoiseMakesTheNextBytesAFrame)
{
    // The line has no byte stuffing: a stray STX followed by a bad LEN loses
    // the receive, and the real frame after it is found by the next one.
    rxTimeout = 3;
    port_->feed(Bytes{0x02, 0x40} + frame(GET_VERSION, {9, 9, 9}));
    EXPECT_EQ(receivePacket(), -2);
    EXPECT_EQ(receivePacket(), 5);
    EXPECT_EQ(packetGetByte(), GET_VERSION);
}

TEST_F(Receive, BytesThatTrickleInOnePollApartStillMakeAFrame)
{
    rxTimeout = 2;
    Bytes f = frame(REG_READ, {0x12, 0x34, 0x56, 0x78});
    for (uint8_t b : f)
        port_->feed({b}, 2);  // each byte after two empty polls: within the budget
    EXPECT_EQ(receivePacket(), 6);
    EXPECT_EQ(packetGetByte(), REG_READ);
    EXPECT_EQ(packetGetLong(), 0x12345678u);
}

TEST_F(Receive, ASilenceLongerThanTheBudgetInsideTheFrameIsMinus3)
{
    rxTimeout = 2;
    Bytes f = frame(REG_READ, {0x12, 0x34, 0x56, 0x78});
    port_->feed(Bytes(f.begin(), f.begin() + 4));
    port_->feed(Bytes(f.begin() + 4, f.end()), 3);
    EXPECT_EQ(receivePacket(), -3);
}

}  // namespace
