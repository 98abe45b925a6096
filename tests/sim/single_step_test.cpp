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

// The numbers of one line in the order the data writes them: each read
// looks for its key after the previous one, so "PC" is the initial state's
// until the final state's has been passed.
struct Line {
    const std::string& text;
    size_t pos = 0;
    bool ok = true;

    void numbers(const char* key, uint32_t* out, int count = 1)
    {
        pos = text.find("\"" + std::string(key) + "\":", pos);
        ok = ok && pos != std::string::npos;
        const char* p = ok ? text.c_str() + pos + strlen(key) + 3 : "";
        for (int i = 0; i < count; ++i) {
            p += strcspn(p, "0123456789"); // past "[", "," and the next key
            char* end = nullptr;
            out[i] = static_cast<uint32_t>(strtoull(p, &end, 10));
            ok = ok && end != p;
            p = end;
        }
        pos = ok ? static_cast<size_t>(p - text.c_str()) : text.size();
    }
    void state(Sh2Registers& r)
    {
        static const std::pair<const char*, uint32_t Sh2Registers::*> named[] = {{"PC", &Sh2Registers::pc},
            {"GBR", &Sh2Registers::gbr}, {"SR", &Sh2Registers::sr}, {"VBR", &Sh2Registers::vbr},
            {"MACH", &Sh2Registers::mach}, {"MACL", &Sh2Registers::macl}, {"PR", &Sh2Registers::pr}};
        numbers("R", r.r, 16);
        for (const auto& [key, member] : named)
            numbers(key, &(r.*member));
        r.sr &= kSrWritableBits;
    }
};

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
    Line line {text};
    WindowBus bus;
    Sh2Cpu cpu(bus);
    Sh2Registers want {};
    line.numbers("opcodes", bus.words, 5);
    line.state(cpu.regs);
    line.state(want);
    bus.pc = cpu.regs.pc;
    std::vector<uint32_t> expected;
    for (int i = 0; i < 4; ++i) {
        uint32_t c[7]; // actions, fetch_addr, fetch_val, write_addr, write_val, read_addr, read_val
        line.numbers("actions", c, 7);
        // A read-modify-write instruction reads before it writes.
        if (c[0] & 1)
            expected.insert(expected.end(), {c[5], bus.readValue = c[6], 0});
        if (c[0] & 2)
            expected.insert(expected.end(), {c[3], c[4], 1});
    }
    if (!line.ok)
        return "unreadable line";
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
