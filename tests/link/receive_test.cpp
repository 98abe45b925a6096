// The synchronous receive: the code for each kind of line, the text echoed
// while hunting for STX, and what is left unread for the next receive.
#include "link_fixture.h"

namespace {

struct ReceiveRow {
    const char* name;
    Bytes line;
    int code;
    const char* echo;
    size_t leftOver;  // bytes still unread afterwards
    int first;        // what the first getter then yields
};

const ReceiveRow receiveRows[] = {
    {"Frame", frame(GET_VERSION, {1, 0, 7}), 5, "", 0, GET_VERSION},
    {"Len29", frame(MEM_READ, Bytes(27, 0x55)), 29, "", 0, MEM_READ},
    // The checksum is not checked here, and an ETX value does not end a frame.
    {"BadChecksumAndEtxValues", {0x02, 0x04, 0x60, 0x03, 0x03, 0x00, 0x03}, 4, "", 0, FLASH_ERASE},
    {"TextEchoedControlBytesDropped",
     Bytes{'H', 'i', ' ', 0x07, '\r', '\n', 0x00, 0x1B, 0x09, 0x1F, 0x03, 0x7F, 0xFF, '!'} + frame(GET_VERSION), 2,
     "Hi \r\n\x7F\xFF!", 0, GET_VERSION},
    {"Silence", {}, -1, "", 0, 0},
    {"OnlyText", {'o', 'k', '\n'}, -1, "ok\n", 0, 0},
    {"StxThenSilence", {0x02}, -2, "", 0, 0},
    {"Len30", {0x02, 30, 0x12, 0x00, 0x03}, -2, "", 3, 0},
    // LEN 0 and 1 have no room for CMD and CHK: their bytes are read, then refused.
    {"Len0", {0x02, 0x00, 0x03, 'A'}, -2, "", 1, 0},
    {"Len1", {0x02, 0x01, 0xFF, 0x03, 'A'}, -2, "", 1, 0},
    {"FrameCutShort", {0x02, 0x05, 0x00, 0x01}, -3, "", 0, 0},
    {"NoEtx", {0x02, 0x02, 0x12, 0xEC, 0x04}, -4, "", 0, 0},
};

class Receive : public LinkTest, public testing::WithParamInterface<ReceiveRow> {};

TEST_P(Receive, GivesItsCodeEchoesTheTextAndLeavesTheRest)
{
    const ReceiveRow& row = GetParam();
    rxTimeout = 5;
    port_->feed(row.line);
    EXPECT_EQ(captureStdout([&] { EXPECT_EQ(receivePacket(), row.code); }), row.echo);
    EXPECT_EQ(port_->pendingRx(), row.leftOver);
    EXPECT_EQ(packetGetByte(), row.first);
}

INSTANTIATE_TEST_SUITE_P(Rows, Receive, testing::ValuesIn(receiveRows), rowName);

}  // namespace
