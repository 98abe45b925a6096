#include "sim/sh2_cpu.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "isa/sh2_table.h"
#include "sim/break_controller.h"
#include "sim/sh2_ops.h"

namespace quill {

namespace {

// General illegal instruction, or slot illegal when it sits in a slot.
void illegalWord(Sh2Cpu& cpu, uint16_t)
{
    cpu.illegal();
}

struct DecodeTables {
    Sh2Handler handler[65536];
    uint8_t slotInfo[65536];
};

const Sh2Binding* findBinding(uint16_t mask, uint16_t code)
{
    for (const Sh2Binding* table : {sh2DataOps, sh2AluOps, sh2BranchOps}) {
        for (const Sh2Binding* b = table; b->mask != 0; ++b) {
            if (b->mask == mask && b->code == code)
                return b;
        }
    }
    return nullptr;
}

int bindingCount()
{
    int n = 0;
    for (const Sh2Binding* table : {sh2DataOps, sh2AluOps, sh2BranchOps}) {
        for (const Sh2Binding* b = table; b->mask != 0; ++b)
            ++n;
    }
    return n;
}

// Every row of the shared table gets exactly one handler and every handler
// one row; a mismatch is a build fault, so it stops the program at once.
DecodeTables* buildTables()
{
    const Sh2Binding* byRow[kDisasmForms];
    for (int row = 0; row < kDisasmForms; ++row) {
        byRow[row] = findBinding(disasmTable[row].mask, disasmTable[row].code);
        if (byRow[row] == nullptr) {
            fprintf(stderr, "sh2: no handler for %s %s\n", disasmTable[row].mnemonic, disasmTable[row].operands);
            abort();
        }
    }
    if (bindingCount() != kDisasmForms) {
        fprintf(stderr, "sh2: handlers without an instruction form\n");
        abort();
    }
    auto* t = new DecodeTables;
    for (uint32_t w = 0; w < 65536; ++w) {
        int row = formIndex(static_cast<uint16_t>(w));
        t->handler[w] = row < 0 ? illegalWord : byRow[row]->handler;
        t->slotInfo[w] = row < 0 ? 0 : byRow[row]->slotInfo;
    }
    return t;
}

const DecodeTables& tables()
{
    // Built once and kept for the program's life, like the table it mirrors.
    static const DecodeTables* t = buildTables();
    return *t;
}

bool takenDelayed(uint8_t info, bool t)
{
    switch (info & 3) {
    case kDelayed:
        return true;
    case kDelayedIfT:
        return t;
    case kDelayedIfNotT:
        return !t;
    default:
        return false;
    }
}

} // namespace

const Sh2Handler* sh2Dispatch()
{
    return tables().handler;
}

const uint8_t* sh2SlotInfo()
{
    return tables().slotInfo;
}

bool isMonitorVector(Bus& bus, uint32_t vbr, uint8_t vector, uint32_t& handler)
{
    uint32_t entry = vbr + 4u * vector;
    if (entry < kMonitorCodeEnd || entry < vbr)
        return true;
    if (bus.read32(entry, handler) != Access::Ok || handler < kMonitorCodeEnd)
        return true;
    uint16_t word = 0;
    return (handler & 1) != 0 || bus.fetch16(handler, word) != Access::Ok;
}

Sh2Cpu::Sh2Cpu(Bus& bus)
    : bus_(bus)
{
    tables();
}

void Sh2Cpu::mapFast(int slot, uint32_t base, uint32_t size, uint8_t* bytes, bool writable)
{
    regions_[slot] = Region {base, size, bytes, writable};
    data_[slot] = regions_[slot];
}

bool Sh2Cpu::fetch(uint32_t address, uint16_t& op)
{
    if ((address & 1) == 0) {
        for (const Region& r : regions_) {
            if (address - r.base < r.size) {
                op = static_cast<uint16_t>(loadBig(r.bytes + (address - r.base), 2));
                return true;
            }
        }
        if (bus_.fetch16(address, op) == Access::Ok)
            return true;
    }
    // The instruction was never fetched: the frame resumes at it.
    slotTarget_ = kNoSlot;
    raise(kVectorAddressError, address);
    return false;
}

bool Sh2Cpu::readSlow(uint32_t address, int size, uint32_t& value)
{
    Access a = Access::Misaligned;
    if ((address & static_cast<uint32_t>(size - 1)) == 0) {
        if (size == 1) {
            uint8_t v = 0;
            a = bus_.read8(address, v);
            value = v;
        } else if (size == 2) {
            uint16_t v = 0;
            a = bus_.read16(address, v);
            value = v;
        } else {
            a = bus_.read32(address, value);
        }
    }
    if (a != Access::Ok) {
        raise(kVectorAddressError, faultPc());
        return false;
    }
    if (watch_ != nullptr && watch_->dataHit(address, size, false, value))
        dataHit_ = true;
    return true;
}

bool Sh2Cpu::writeSlow(uint32_t address, int size, uint32_t value)
{
    Access a = Access::Misaligned;
    if ((address & static_cast<uint32_t>(size - 1)) == 0) {
        if (size == 1)
            a = bus_.write8(address, static_cast<uint8_t>(value));
        else if (size == 2)
            a = bus_.write16(address, static_cast<uint16_t>(value));
        else
            a = bus_.write32(address, value);
    }
    // The flash ignores the CPU's writes outside its programming sequence.
    if (a != Access::Ok && a != Access::ReadOnly) {
        raise(kVectorAddressError, faultPc());
        return false;
    }
    if (watch_ != nullptr && watch_->dataHit(address, size, true, value))
        dataHit_ = true;
    return true;
}

bool Sh2Cpu::storeRaw(uint32_t address, uint32_t value)
{
    for (const Region& r : regions_) {
        if (address - r.base < r.size && r.writable && (address & 3) == 0) {
            storeBig(r.bytes + (address - r.base), 4, value);
            return true;
        }
    }
    return (address & 3) == 0 && bus_.write32(address, value) == Access::Ok;
}

void Sh2Cpu::stop(StopReason reason, uint8_t vector)
{
    reason_ = reason;
    vector_ = vector;
    executed_ -= left_;
    left_ = 0;
}

void Sh2Cpu::raise(uint8_t vector, uint32_t resumePc)
{
    raised_ = true;
    uint32_t handler = 0;
    if (isMonitorVector(bus_, regs.vbr, vector, handler)) {
        regs.pc = resumePc;
        stop(StopReason::Exception, vector);
        return;
    }
    uint32_t sp = regs.r[REG_SP];
    if (!storeRaw(sp - 4, regs.sr) || !storeRaw(sp - 8, resumePc)) {
        // No stack to take the frame: the monitor takes over instead.
        regs.pc = resumePc;
        stop(StopReason::Exception, kVectorAddressError);
        return;
    }
    regs.r[REG_SP] = sp - 8;
    regs.pc = handler;
}

void Sh2Cpu::illegal()
{
    if (inSlot())
        raise(kVectorSlotIllegal, slotTarget_);
    else
        raise(kVectorIllegalInstruction, regs.pc - 2);
}

void Sh2Cpu::sleep()
{
    stop(StopReason::Sleep, 0);
}

void Sh2Cpu::delaySlot(uint32_t target)
{
    if (left_ > 0)
        --left_;
    else
        ++executed_;
    uint32_t slotPc = regs.pc;
    uint16_t op = 0;
    if (!fetch(slotPc, op))
        return;
    slotTarget_ = target;
    regs.pc = slotPc + 2;
    raised_ = false;
    if (sh2SlotInfo()[op] & kSlotIllegal)
        illegal();
    else
        sh2Dispatch()[op](*this, op);
    slotTarget_ = kNoSlot;
    if (!raised_)
        regs.pc = target;
}

StopReason Sh2Cpu::run(uint64_t budget, const BreakController* breaks, bool resuming)
{
    reason_ = StopReason::Budget;
    executed_ += budget;
    if (breaks != nullptr && breaks->any())
        return runChecked(budget, *breaks, resuming);
    return runFast(budget);
}

StopReason Sh2Cpu::runFast(uint64_t budget)
{
    const Sh2Handler* handlers = sh2Dispatch();
    // The regions cannot change while the program runs: kept in registers.
    const uint8_t* bytes0 = regions_[0].bytes;
    const uint8_t* bytes1 = regions_[1].bytes;
    const uint32_t base0 = regions_[0].base, size0 = regions_[0].size;
    const uint32_t base1 = regions_[1].base, size1 = regions_[1].size;
    left_ = budget;
    while (left_ > 0) {
        --left_;
        uint32_t pc = regs.pc;
        uint16_t op;
        if (pc - base0 < size0 && (pc & 1) == 0) {
            op = static_cast<uint16_t>(bytes0[pc - base0] << 8 | bytes0[pc - base0 + 1]);
        } else if (pc - base1 < size1 && (pc & 1) == 0) {
            op = static_cast<uint16_t>(bytes1[pc - base1] << 8 | bytes1[pc - base1 + 1]);
        } else if (!fetch(pc, op)) {
            continue;
        }
        regs.pc = pc + 2;
        handlers[op](*this, op);
    }
    return reason_;
}

StopReason Sh2Cpu::runChecked(uint64_t budget, const BreakController& breaks, bool resuming)
{
    const Sh2Handler* handlers = sh2Dispatch();
    const uint8_t* slotInfo = sh2SlotInfo();
    // Data breaks are seen on the slow path only, so it takes every access while one is set.
    bool watchData = breaks.watchesData();
    for (int i = 0; i < 2; ++i)
        data_[i] = watchData ? Region {} : regions_[i];
    watch_ = watchData ? &breaks : nullptr;
    uint32_t startPc = regs.pc;
    bool first = resuming;
    left_ = budget;
    while (left_ > 0) {
        uint32_t pc = regs.pc;
        uint16_t op = 0;
        if (!fetch(pc, op)) {
            // Raised: the monitor's stop ended the budget, or the next pass
            // starts the program's handler.
            if (left_ > 0)
                --left_;
            continue;
        }
        if (!first) {
            // A break on a slot is taken before its branch.
            bool slotHit = takenDelayed(slotInfo[op], t()) && breaks.fetchHit(pc + 2) >= 0;
            if (breaks.fetchHit(pc) >= 0 || slotHit) {
                stop(StopReason::Break, kVectorUserBreak);
                break;
            }
        }
        --left_;
        dataHit_ = false;
        regs.pc = pc + 2;
        handlers[op](*this, op);
        // A step over SLEEP ends as a step: the CPU is not left asleep.
        if (reason_ == StopReason::Sleep && first && breaks.fetchHit(startPc) >= 0)
            reason_ = StopReason::Budget;
        if (reason_ != StopReason::Budget)
            break;
        if (dataHit_ || (first && breaks.fetchHit(startPc) >= 0)) {
            stop(StopReason::Break, kVectorUserBreak);
            break;
        }
        first = false;
    }
    for (int i = 0; i < 2; ++i)
        data_[i] = regions_[i];
    watch_ = nullptr;
    return reason_;
}

} // namespace quill
