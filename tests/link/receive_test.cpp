// The receivers against every case of frames.txt: the recogniser byte by
// byte, the synchronous receive, and the wait for a reply with the restart
// handshake, by the exact bytes on the wire and the exact console text.
#include <sstream>

#include "support/target_fixture.h"
#include "support/case_file.h"

namespace {

const Bytes kGetVersion = frame(GET_VERSION);
const Bytes kBrkRead = frame(BRK_READ, {0x00});

TEST_F(TargetTest, EveryCaseOfTheFile)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/link/frames.txt")) {
        SCOPED_TRACE(testing::Message() << "frames.txt line " << c.line);
        restart();
        const Bytes line = hexToBytes(c[1]);
        if (c[0] == "scan") {
            std::ostringstream results;
            for (uint8_t b : line)
                results << scanPacketByte(b) << ' ';
            EXPECT_EQ(results.str(), c[2] + ' ');
            if (c[2].ends_with('3')) {
                EXPECT_EQ(packetGetByte(), number(c[3]));
            }
        } else if (c[0] == "receive") {
            rxTimeout = 5;
            port->feed(line);
            EXPECT_EQ(receivePacket(), number(c[2]));
            EXPECT_EQ(output(), c[3]);
            EXPECT_EQ(port->pendingRx(), static_cast<size_t>(number(c[4])));
            EXPECT_EQ(packetGetByte(), number(c[5]));
        } else {
            // The greeting goes out once, and the waiting request is not sent again.
            const bool restarted = number(c[3]) == TARGET_RESTARTED;
            rxTimeout = 10;
            port->expect(kBrkRead, line);
            if (restarted)
                port->expect(kGetVersion, hexToBytes(c[2]));
            port->write(kBrkRead.data(), static_cast<int>(kBrkRead.size()));
            EXPECT_EQ(waitResponse(BRK_READ), number(c[3]));
            EXPECT_EQ(output(), c[4]);
            EXPECT_EQ(port->sent(), restarted ? kBrkRead + kGetVersion : kBrkRead);
            EXPECT_TRUE(port->finished());
        }
    }
}

} // namespace
