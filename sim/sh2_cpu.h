// The SH-2 core: an interpreter over the register file, decoding every word
// through the shared instruction table (isa/sh2_table.h), so the CPU and the
// disassembler never disagree about what a word is.
//
// Memory: up to two fast regions (the board's flash and RAM) are read and
// written through direct pointers; everything else goes through the Bus,
// which also serves instruction fetches outside the fast regions. A test
// gives no fast regions and sees every access on its Bus.
//
// Exceptions: the CPU enters the program's own handler (push SR, push PC on
// R15, PC from VBR + 4 x vector) unless the handler is the monitor's (see
// isMonitorVector); then run() stops and reports the vector, with the
// register file as the program left it and PC where it would resume.
#pragma once

#include <cstdint>

#include "sim/bus.h"
#include "sim/sh2_registers.h"

namespace quill {

constexpr uint8_t kVectorSlotIllegal = 6;

// SR bits.
constexpr uint32_t kSrT = 0x001;
constexpr uint32_t kSrS = 0x002;
constexpr uint32_t kSrQ = 0x100;
constexpr uint32_t kSrM = 0x200;

// Below this address the vector table entries and the handlers are the
// monitor's: it owns flash blocks 0 and 1, whatever a flash image holds there.
constexpr uint32_t kMonitorCodeEnd = 0x2000;

enum class StopReason : uint8_t {
    Budget, // the slice is used up; the program goes on
    Exception, // an exception the monitor handles; vector() names it
    Break, // a user break channel hit
    Sleep, // SLEEP: nothing wakes the CPU but the abort switch or reset
};

class BreakController;
class Sh2Cpu;
using Sh2Handler = void (*)(Sh2Cpu& cpu, uint16_t op);

class Sh2Cpu {
public:
    explicit Sh2Cpu(Bus& bus);

    Sh2Registers regs {};

    // A region read (and, when writable, written) by pointer: bytes big-endian.
    void mapFast(int slot, uint32_t base, uint32_t size, uint8_t* bytes, bool writable);

    // Runs at most budget instructions (a taken delayed branch and its slot
    // count as two). With breaks set, each instruction is checked against
    // them; the instruction at which the program resumes always executes,
    // and a BBR_PC channel at its address breaks right after it (the
    // monitor's single step).
    StopReason run(uint64_t budget, const BreakController* breaks, bool resuming);

    uint8_t vector() const { return vector_; }
    uint64_t executed() const { return executed_; }

    // --- used by the instruction handlers ---
    // False when the access faulted: the exception has been raised and the
    // handler must return at once, changing nothing more.
    bool read8(uint32_t address, uint32_t& value) { return readSized<1>(address, value); }
    bool read16(uint32_t address, uint32_t& value) { return readSized<2>(address, value); }
    bool read32(uint32_t address, uint32_t& value) { return readSized<4>(address, value); }
    bool write8(uint32_t address, uint32_t value) { return writeSized<1>(address, value); }
    bool write16(uint32_t address, uint32_t value) { return writeSized<2>(address, value); }
    bool write32(uint32_t address, uint32_t value) { return writeSized<4>(address, value); }

    // Executes the slot after a delayed branch whose destination is target;
    // PC is the slot's address on entry and target afterwards.
    void delaySlot(uint32_t target);
    // Raises an exception; resumePc is the PC the frame keeps.
    void raise(uint8_t vector, uint32_t resumePc);
    // The instruction that faults now: illegal, or slot illegal in a slot.
    void illegal();
    void sleep();
    bool inSlot() const { return slotTarget_ != kNoSlot; }
    uint32_t slotTarget() const { return slotTarget_; }

    bool t() const { return (regs.sr & kSrT) != 0; }
    void setT(bool t) { regs.sr = (regs.sr & ~kSrT) | (t ? kSrT : 0); }

private:
    struct Region {
        uint32_t base = 0;
        uint32_t size = 0;
        uint8_t* bytes = nullptr;
        bool writable = false;
    };
    static constexpr uint32_t kNoSlot = 1; // odd: never a branch destination taken

    template<int Size> bool readSized(uint32_t address, uint32_t& value);
    template<int Size> bool writeSized(uint32_t address, uint32_t value);
    bool fetch(uint32_t address, uint16_t& op);
    bool storeRaw(uint32_t address, uint32_t value);
    uint32_t faultPc() const { return inSlot() ? slotTarget_ : regs.pc; }
    bool readSlow(uint32_t address, int size, uint32_t& value);
    bool writeSlow(uint32_t address, int size, uint32_t value);
    bool watchedAccess(uint32_t address, int size, bool write, uint32_t value);
    void stop(StopReason reason, uint8_t vector);
    void execute(uint16_t op);
    StopReason runFast(uint64_t budget);
    StopReason runChecked(uint64_t budget, const BreakController& breaks, bool resuming);

    Bus& bus_;
    Region regions_[2];
    Region data_[2]; // the regions data accesses may take directly; empty while a data break is set
    const BreakController* watch_ = nullptr;
    bool dataHit_ = false;
    bool raised_ = false; // the current instruction raised an exception
    uint64_t left_ = 0;
    uint64_t executed_ = 0;
    uint32_t slotTarget_ = kNoSlot;
    StopReason reason_ = StopReason::Budget;
    uint8_t vector_ = 0;
};

// Whether the exception goes to the monitor: its entry lies in blocks 0-1,
// or the entry cannot be read, or it names a handler in blocks 0-1, or one
// that cannot be fetched (odd, or outside flash and RAM).
// --- the fast paths, inline so the handlers take them without a call ---

inline uint32_t loadBig(const uint8_t* p, int size)
{
    if (size == 1)
        return p[0];
    if (size == 2)
        return static_cast<uint32_t>(p[0] << 8 | p[1]);
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
        p[3];
}

inline void storeBig(uint8_t* p, int size, uint32_t v)
{
    for (int i = size - 1; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(v);
        v >>= 8;
    }
}

template<int Size> inline bool Sh2Cpu::readSized(uint32_t address, uint32_t& value)
{
    for (const Region& r : data_) {
        if (address - r.base < r.size && (address & (Size - 1)) == 0) {
            value = loadBig(r.bytes + (address - r.base), Size);
            return true;
        }
    }
    return readSlow(address, Size, value);
}

template<int Size> inline bool Sh2Cpu::writeSized(uint32_t address, uint32_t value)
{
    for (const Region& r : data_) {
        if (address - r.base < r.size && r.writable && (address & (Size - 1)) == 0) {
            storeBig(r.bytes + (address - r.base), Size, value);
            return true;
        }
    }
    return writeSlow(address, Size, value);
}

bool isMonitorVector(Bus& bus, uint32_t vbr, uint8_t vector, uint32_t& handler);

// The handler for every 16-bit word; illegal words get the illegal handler.
// Built once from the instruction table; checks that every row has a handler.
const Sh2Handler* sh2Dispatch();
// Per word: 1 when it is a delayed branch (always taken), 2 when taken on
// T = 1, 3 when taken on T = 0; 0 otherwise. 4 marks words illegal in a slot.
const uint8_t* sh2SlotInfo();

} // namespace quill
