#include "sim/user_start.h"

#include "sim/flash_sequencer.h"

namespace quill {

namespace {

constexpr uint32_t kStackLowest = 0xFFFFA008;
constexpr uint32_t kStackHighest = 0xFFFFC000;

bool entryPlausible(uint32_t pc)
{
    bool inUserFlash = pc >= kUserProgramBase && pc - kFlashBase < kFlashSize;
    bool inRam = pc - kRamBase < kRamSize;
    return (pc & 1) == 0 && (inUserFlash || inRam);
}

bool stackPlausible(uint32_t sp)
{
    return (sp & 3) == 0 && sp >= kStackLowest && sp <= kStackHighest;
}

} // namespace

bool userProgramFirst(const MemoryMap& memory, UserEntry& entry)
{
    uint8_t flag = kErasedByte;
    if (memory.read8(kUserFlagAddress, flag) != Access::Ok || flag == kErasedByte)
        return false;
    UserEntry e {};
    if (memory.read32(kUserProgramBase, e.pc) != Access::Ok || memory.read32(kUserProgramBase + 4, e.sp) != Access::Ok)
        return false;
    if (!entryPlausible(e.pc) || !stackPlausible(e.sp))
        return false;
    entry = e;
    return true;
}

} // namespace quill
