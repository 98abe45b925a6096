#include "sim/monitor.h"

#include "sim/board.h"

namespace quill {

namespace {

// A reply under construction; put* past the frame's room are dropped, and
// no handler comes near it (the largest reply is MEM_READ's 17 bytes).
struct Reply {
    uint8_t command;
    int length = 0;
    uint8_t payload[kPayloadMax];
    bool deferred = false;  // answered later: EXEC, when the program stops

    void put8(uint8_t v)
    {
        if (length < kPayloadMax)
            payload[length++] = v;
    }
    void put16(uint16_t v)
    {
        put8(static_cast<uint8_t>(v >> 8));
        put8(static_cast<uint8_t>(v));
    }
    void put32(uint32_t v)
    {
        put16(static_cast<uint16_t>(v >> 16));
        put16(static_cast<uint16_t>(v));
    }
    void refuse(MonitorError error)
    {
        command |= kRefusedBit;
        length = 0;
        put8(error);
    }
    void fail(MonitorError error)
    {
        length = 0;
        put8(0);
        put8(error);
        put8(error);
    }
    void fault(uint8_t vector)
    {
        command = code::EXEC;
        length = 0;
        put8(vector);
    }
};

uint32_t get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint16_t get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

void getVersion(Board&, const Frame&, Reply& r)
{
    r.put8(kMonitorVersion.major);
    r.put8(kMonitorVersion.minor);
    r.put8(kMonitorVersion.build);
}

void getFlashArea(Board&, const Frame&, Reply& r)
{
    r.put32(kFlashAreaAddress);
    r.put32(kFlashAreaSize);
}

void getUserArea(Board&, const Frame&, Reply& r)
{
    r.put32(kUserAreaAddress);
    r.put32(kUserAreaSize);
}

void memRead(Board& board, const Frame& f, Reply& r)
{
    uint32_t address = get32(f.payload);
    int count = f.payload[4];
    if (count < 1 || count > kMemTransferMax)
        return r.refuse(kErrorArgument);
    if (board.memory().checkRange(address, static_cast<uint32_t>(count), false) != Access::Ok)
        return r.fault(kVectorAddressError);
    for (int i = 0; i < count; ++i) {
        uint8_t b = 0;
        board.memory().read8(address + static_cast<uint32_t>(i), b);
        r.put8(b);
    }
}

void memWrite(Board& board, const Frame& f, Reply& r)
{
    if (f.length < 5)
        return r.fail(kErrorPayloadSize);
    uint32_t address = get32(f.payload);
    int count = f.payload[4];
    if (count < 1 || count > kMemTransferMax)
        return r.fail(kErrorArgument);
    if (f.length != 5 + count)
        return r.fail(kErrorPayloadSize);
    // Checked before the first byte is stored, so a refused write changes nothing.
    Access a = board.memory().checkRange(address, static_cast<uint32_t>(count), true);
    if (a == Access::Unmapped)
        return r.fail(kErrorUnmapped);
    if (a != Access::Ok)
        return r.fail(kErrorReadOnly);
    for (int i = 0; i < count; ++i)
        board.memory().write8(address + static_cast<uint32_t>(i), f.payload[5 + i]);
    r.put8(1);
}

void regRead(Board& board, const Frame& f, Reply& r)
{
    uint32_t value = 0;
    if (!readRegister(board.registers(), f.payload[0], value))
        return r.refuse(kErrorArgument);
    r.put32(value);
}

void regWrite(Board& board, const Frame& f, Reply& r)
{
    if (f.length != 5)
        return r.fail(kErrorPayloadSize);
    if (!writeRegister(board.registers(), f.payload[0], get32(f.payload + 1)))
        return r.fail(kErrorArgument);
    r.put8(1);
}

void brkRead(Board& board, const Frame& f, Reply& r)
{
    BreakChannel c{};
    if (!board.breaks().read(f.payload[0], c))
        return r.refuse(kErrorArgument);
    r.put8(f.payload[0]);
    r.put32(c.address);
    r.put16(c.mode);
    r.put32(c.data);
}

void brkWrite(Board& board, const Frame& f, Reply& r)
{
    BreakChannel c{get32(f.payload + 1), get16(f.payload + 5), get32(f.payload + 7)};
    if (!board.breaks().write(f.payload[0], c))
        return r.refuse(kErrorArgument);
    r.put8(1);
}

void brkClear(Board& board, const Frame& f, Reply& r)
{
    if (!board.breaks().clear(f.payload[0]))
        return r.refuse(kErrorArgument);
    r.put8(1);
}

void exec(Board& board, const Frame&, Reply& r)
{
    r.deferred = true;
    board.startProgram();
}

void flashErase(Board& board, const Frame& f, Reply& r)
{
    uint8_t error = board.flash().erase(f.payload[0]);
    if (error != kErrorNone)
        return r.fail(static_cast<MonitorError>(error));
    r.put8(1);
}

void flashWrite(Board& board, const Frame& f, Reply& r)
{
    uint8_t error = board.flash().program(get32(f.payload), get32(f.payload + 4));
    if (error != kErrorNone)
        return r.fail(static_cast<MonitorError>(error));
    r.put8(1);
}

using Handler = void (*)(Board&, const Frame&, Reply&);

struct MonitorCommand {
    int code;            // -1 ends the table
    int payloadLength;   // -1: the handler checks it
    bool statusReply;    // a wrong size is answered with status 0, not refused
    Handler handler;
};

const MonitorCommand monitorCommands[] = {
    {code::MEM_READ, 5, false, memRead},
    {code::MEM_WRITE, -1, true, memWrite},
    {code::REG_READ, 1, false, regRead},
    {code::REG_WRITE, -1, true, regWrite},
    {code::GET_VERSION, 0, false, getVersion},
    {code::GET_FLASH_AREA, 0, false, getFlashArea},
    {code::GET_USER_AREA, 0, false, getUserArea},
    {code::BRK_READ, 1, false, brkRead},
    {code::BRK_WRITE, 11, false, brkWrite},
    {code::BRK_CLEAR, 1, false, brkClear},
    {code::EXEC, 0, false, exec},
    {code::FLASH_ERASE, 1, true, flashErase},
    {code::FLASH_WRITE, 8, true, flashWrite},
    {-1, 0, false, nullptr},
};

const MonitorCommand* findCommand(uint8_t c)
{
    const MonitorCommand* m = monitorCommands;
    while (m->code >= 0 && m->code != c)
        ++m;
    return m;
}

}  // namespace

void Monitor::receive(uint8_t byte)
{
    if (!parser_.push(byte))
        return;
    Frame f;
    // After EXEC the line belongs to the program.
    while (!board_.programActive() && parser_.next(f))
        handle(f);
}

void Monitor::lineIdle()
{
    // Everything held arrived before the silence, so no frame begun in it
    // will be finished; whole frames found among it are still requests.
    Frame f;
    while (parser_.held() > 0) {
        parser_.abandonPartial();
        while (parser_.next(f))
            handle(f);
    }
}

void Monitor::handle(const Frame& request)
{
    Reply r{request.command};
    const MonitorCommand* m = findCommand(request.command);
    if (m->handler == nullptr) {
        r.refuse(kErrorUnknown);
    } else if (m->payloadLength >= 0 && request.length != m->payloadLength) {
        if (m->statusReply)
            r.fail(kErrorPayloadSize);
        else
            r.refuse(kErrorPayloadSize);
    } else {
        m->handler(board_, request, r);
    }
    if (!r.deferred)
        send(r.command, r.payload, r.length);
}

void Monitor::send(uint8_t command, const uint8_t* payload, int length)
{
    uint8_t out[kFrameMax];
    int n = buildFrame(command, payload, length, out);
    board_.line().toHost.push(out, static_cast<size_t>(n));
}

void Monitor::reportStop(uint8_t vector)
{
    send(code::EXEC, &vector, 1);
}

void Monitor::announceRestart(ResetCause cause)
{
    uint8_t payload = static_cast<uint8_t>(cause);
    send(code::TARGET_RESTARTED, &payload, 1);
}

}  // namespace quill
