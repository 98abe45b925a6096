// EXEC through the wire: the program runs in slices of the board clock, its
// SCI text reaches the host between frames, the host's bytes reach it, and
// a break, an exception for the monitor or the abort switch ends the run
// with the stop report (code 0x41, the vector) and the state kept for REG_READ.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "sim/monitor.h"
#include "sim/sci_channel.h"
#include "sim_wire.h"

namespace {

using namespace quill;

// Polls SCSSR; copies each received byte back out through SCTDR.
const std::initializer_list<uint16_t> kEcho = {
    0xD105, // 2000 MOV.L @(5,PC),R1   (the SCI at 0x2018)
    0x8418, // 2002 MOV.B @(8,R1),R0   SCSSR
    0xC840, // 2004 TST #0x40,R0       RDRF
    0x89FC, // 2006 BT 2002
    0x841A, // 2008 MOV.B @(10,R1),R0  SCRDR
    0x8016, // 200A MOV.B R0,@(6,R1)   SCTDR
    0x8418, // 200C MOV.B @(8,R1),R0
    0xC93F, // 200E AND #0x3F,R0       TDRE and RDRF cleared: send, take the next
    0x8018, // 2010 MOV.B R0,@(8,R1)
    0xAFF6, // 2012 BRA 2002
    0x0009, // 2014 NOP
    0x0009, // 2016
    0xFFFF, // 2018 0xFFFFC080
    0xC080,
};

// Prints "Hi", then runs into 2016.
const std::initializer_list<uint16_t> kHello = {
    0xD107, // 2000 MOV.L @(7,PC),R1   (0x2020)
    0xE048, // 2002 MOV #'H',R0
    0x8016, 0x8418, 0xC97F, 0x8018, // SCTDR, then TDRE cleared
    0xE069, // 200C MOV #'i',R0
    0x8016, 0x8418, 0xC97F, 0x8018,
    0x0009, // 2016 NOP
    0xAFFE, // 2018 BRA 2018
    0x0009, 0x0009, 0x0009, 0xFFFF, 0xC080, // 2020
};

Bytes stopReport(uint8_t vector)
{
    return frame(0x41, {vector});
}

class RunControlTest : public BoardTest {
protected:
    void load(std::initializer_list<uint16_t> words, uint32_t at = 0x2000)
    {
        for (uint16_t w : words) {
            board->memory().flash()[at++] = static_cast<uint8_t>(w >> 8);
            board->memory().flash()[at++] = static_cast<uint8_t>(w);
        }
    }
    // Slices until the program stops or the limit; what the board sent.
    Bytes run(int slices)
    {
        for (int i = 0; i < slices && board->busy(); ++i)
            board->advance(1);
        return send({});
    }
    uint32_t reg(uint8_t number)
    {
        Bytes reply = send(frame(0x10, {number}));
        return reply.size() == 9 ? static_cast<uint32_t>(reply[3] << 24 | reply[4] << 16 | reply[5] << 8 | reply[6])
                                 : 0xDEADBEEF;
    }
};

TEST_F(RunControlTest, ProgramTextThenTheBreakReport)
{
    load(kHello);
    board->registers().pc = 0x2000;
    uint32_t sp = board->registers().r[15];
    Bytes brk = frame(0x32, Bytes {0} + be32(0x2016) + Bytes {0x00, 0x54} + be32(0));
    ASSERT_EQ(send(brk), frame(0x32, {1}));
    EXPECT_EQ(send(frame(0x41)), Bytes {});
    EXPECT_EQ(run(10), (Bytes {0x48, 0x69} + stopReport(12)));
    EXPECT_FALSE(board->busy());
    EXPECT_EQ(reg(22), 0x2016u);
    EXPECT_EQ(reg(1), 0xFFFFC080u);
    EXPECT_EQ(reg(15), sp);
    // The execution address the monitor put on the stack, SR above it.
    EXPECT_EQ(send(frame(0x00, be32(sp - 8) + Bytes {8})), frame(0x00, be32(0x2000) + be32(0xF0)));
    // The next EXEC resumes at the break and steps over it: the channel at 2016 breaks after it.
    EXPECT_EQ(send(frame(0x41)), Bytes {});
    EXPECT_EQ(run(10), stopReport(12));
    EXPECT_EQ(reg(22), 0x2018u);
}

TEST_F(RunControlTest, KeysReachTheProgramAndTheAbortSwitchStopsIt)
{
    load(kEcho);
    board->registers().pc = 0x2000;
    send(frame(0x41));
    EXPECT_EQ(run(3), Bytes {});
    EXPECT_TRUE(board->busy());
    // A request frame while the program runs is input like any other bytes.
    Bytes keys = Bytes {0x61, 0x62} + frame(0x12);
    EXPECT_EQ(send(keys), Bytes {});
    EXPECT_EQ(run(3), keys);
    board->abortSwitch();
    EXPECT_EQ(send({}), stopReport(11));
    uint32_t pc = reg(22);
    EXPECT_TRUE(pc >= 0x2002 && pc <= 0x2014) << std::hex << pc;
    board->abortSwitch(); // the monitor has the board: nothing to stop
    EXPECT_EQ(send({}), Bytes {});
}

TEST_F(RunControlTest, ExceptionsForTheMonitorAndResets)
{
    struct Row {
        std::initializer_list<uint16_t> words;
        uint32_t sp;
        Bytes reply;
        uint32_t pc;
    };
    const Row rows[] = {
        {{0x0009, 0xC321}, 0xFFFFBF80, stopReport(33), 0x2004}, // TRAPA #33: the monitor's vector table
        {{0xFFFF}, 0xFFFFBF80, stopReport(4), 0x2000},
        {{0x0009}, 0xFFFFA004, stopReport(9), 0x2000}, // no room for the frame: nothing runs
        {{0x0009}, 0xFFFFBF82, stopReport(9), 0x2000}, // a stack off its longword boundary
    };
    // The image's own entry for vector 33 names a handler; with VBR 0 the
    // table is the monitor's all the same.
    const uint8_t entry[] = {0x00, 0x00, 0x21, 0x00};
    std::copy(entry, entry + 4, board->memory().flash() + 4 * 33);
    load({0x0009}, 0x2100);
    for (const Row& row : rows) {
        SetUp();
        board->reset();
        send({});
        load(row.words);
        board->registers().pc = 0x2000;
        board->registers().r[15] = row.sp;
        Bytes got = send(frame(0x41));
        EXPECT_EQ(got + run(5), row.reply);
        EXPECT_EQ(reg(22), row.pc) << std::hex << row.words.begin()[0];
    }
    // Asleep: not busy, yet the program holds the line until the abort switch.
    load({0x001B});
    board->registers().pc = 0x2000;
    board->registers().r[15] = 0xFFFFBF80;
    send(frame(0x41));
    EXPECT_EQ(run(5), Bytes {});
    EXPECT_FALSE(board->busy());
    board->abortSwitch();
    EXPECT_EQ(send({}), stopReport(11));
    EXPECT_EQ(reg(22), 0x2002u);
    // A reset while the program runs gives the board back with TARGET_RESTARTED.
    load(kEcho);
    board->registers().pc = 0x2000;
    board->registers().r[15] = 0xFFFFBF80;
    send(frame(0x41));
    run(2);
    board->reset();
    EXPECT_FALSE(board->busy());
    EXPECT_EQ(send({}), frame(0x50, {1}));
    EXPECT_EQ(send(frame(0x12)), frame(0x12, {1, 0, 3}));
}

// A program that prints faster than the host reads waits once the host is a
// backlog behind; a byte taken by the host makes room again.
TEST(SciTransmit, WaitsWhileTheHostIsABacklogBehind)
{
    SerialChannel line;
    SciChannel sci(line);
    auto print = [&] {
        sci.write(SCTDR, 'x');
        sci.write(SCSSR, sci.read(SCSSR) & ~kSsrTdre);
    };
    for (size_t i = 0; i < kLineBacklog; ++i)
        print();
    EXPECT_EQ(sci.read(SCSSR) & (kSsrTdre | kSsrTend), 0);
    print();
    EXPECT_EQ(line.toHost.size(), kLineBacklog);
    uint8_t taken;
    line.toHost.take(&taken, 1);
    EXPECT_EQ(sci.read(SCSSR) & kSsrTdre, kSsrTdre);
}

} // namespace
