// Every case of the single-step instruction data: the folder named by
// SH2_SINGLE_STEP_DIR, else the shared sample. Each case loads the state,
// runs four instructions over a bus that serves fetches by the data's
// instruction window and data reads from the recorded value, then compares
// the registers (SR under 0x3F3) and the data accesses, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/sh2_cpu.h"

namespace {

using namespace quill;

// The numbers of a line after its name, in the order the data writes them:
// the five instruction words, the initial and the final state (R0-R15, PC,
// GBR, SR, VBR, MACH, MACL, PR), then the four cycles (actions, fetch
// address and value, write address and value, read address and value).
constexpr size_t kStateNumbers = 23, kCaseNumbers = 5 + 2 * kStateNumbers + 4 * 7;

std::vector<uint32_t> numbersOf(const std::string& text)
{
    std::vector<uint32_t> n;
    const size_t opcodes = text.find("\"opcodes\"");
    for (const char* p = text.c_str() + (opcodes == std::string::npos ? text.size() : opcodes);
         *(p += strcspn(p, "0123456789")) != 0;)
        n.push_back(static_cast<uint32_t>(strtoull(p, const_cast<char**>(&p), 10)));
    return n;
}

Sh2Registers stateAt(const uint32_t* n)
{
    Sh2Registers r {};
    std::copy(n, n + 16, r.r);
    r.pc = n[16], r.gbr = n[17], r.sr = n[18] & kSrWritableBits, r.vbr = n[19];
    r.mach = n[20], r.macl = n[21], r.pr = n[22];
    return r;
}

// Fetches by the window rule; data reads answer the recorded value and are
// logged with the writes: address, value, 1 for a write.
class WindowBus : public Bus {
public:
    uint32_t pc = 0;
    uint32_t words[5] = {};
    uint32_t readValue = 0;
    mutable std::vector<uint32_t> log;

    Access fetch16(uint32_t address, uint16_t& value) const override
    {
        uint32_t d = address - pc;
        value = static_cast<uint16_t>(d <= 6 && (d & 1) == 0 ? words[d / 2] : words[4]);
        return Access::Ok;
    }
    Access read8(uint32_t a, uint8_t& v) const override { return read(a, v); }
    Access read16(uint32_t a, uint16_t& v) const override { return read(a, v); }
    Access read32(uint32_t a, uint32_t& v) const override { return read(a, v); }
    Access write8(uint32_t a, uint8_t v) override { return write(a, v); }
    Access write16(uint32_t a, uint16_t v) override { return write(a, v); }
    Access write32(uint32_t a, uint32_t v) override { return write(a, v); }

private:
    template<typename T> Access read(uint32_t address, T& value) const
    {
        value = static_cast<T>(readValue);
        log.insert(log.end(), {address, static_cast<uint32_t>(value), 0});
        return Access::Ok;
    }
    Access write(uint32_t address, uint32_t value)
    {
        log.insert(log.end(), {address, value, 1});
        return Access::Ok;
    }
};

// Empty when the case passes, else why it failed.
std::string runCase(const std::string& text)
{
    const std::vector<uint32_t> n = numbersOf(text);
    if (n.size() != kCaseNumbers)
        return "unreadable line";
    WindowBus bus;
    Sh2Cpu cpu(bus);
    std::copy(n.begin(), n.begin() + 5, bus.words);
    cpu.regs = stateAt(&n[5]);
    const Sh2Registers want = stateAt(&n[5 + kStateNumbers]);
    bus.pc = cpu.regs.pc;
    std::vector<uint32_t> expected;
    for (const uint32_t* c = &n[5 + 2 * kStateNumbers]; c < n.data() + n.size(); c += 7) {
        // A read-modify-write instruction reads before it writes.
        if (c[0] & 1)
            expected.insert(expected.end(), {c[5], bus.readValue = c[6], 0});
        if (c[0] & 2)
            expected.insert(expected.end(), {c[3], c[4], 1});
    }
    if (StopReason why = cpu.run(4, nullptr, false); why != StopReason::Budget)
        return "stopped early, vector " + std::to_string(cpu.vector());
    if (memcmp(&cpu.regs, &want, sizeof want) != 0)
        return "registers differ";
    return bus.log == expected ? "" : "data accesses differ";
}

TEST(SingleStep, EveryCaseOfTheData)
{
    const char* dir = getenv("SH2_SINGLE_STEP_DIR");
    std::string folder = dir != nullptr && *dir != 0 ? dir : BF_SHARED_DIR "/sh2-single-step";
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        if (e.path().extension() == ".jsonl")
            files.push_back(e.path());
    }
    ASSERT_FALSE(files.empty()) << "no .jsonl files in " << folder;
    std::sort(files.begin(), files.end());
    int passed = 0;
    for (const auto& path : files) {
        std::ifstream in(path);
        for (std::string text; std::getline(in, text);) {
            if (text.empty())
                continue;
            std::string why = runCase(text);
            passed += why.empty();
            EXPECT_EQ(why, "") << text.substr(0, text.find("\",")) << " (" << path.filename().string() << ")";
        }
    }
    EXPECT_GT(passed, 2000);
}

} // namespace
