// Every case of the single-step instruction data: the folder named by
// SH2_SINGLE_STEP_DIR, else the shared sample. Each case loads the state,
// runs four instructions over a flat memory that serves fetches by the
// data's instruction window and data reads from the recorded values, then
// compares the registers (SR under 0x3F3) and the data accesses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/sh2_cpu.h"

namespace {

using namespace quill;

// Just enough JSON for the data: objects, arrays, strings without escapes
// that matter, unsigned integers.
struct Json {
    std::string text; // strings
    uint64_t number = 0;
    std::vector<Json> items; // arrays
    std::map<std::string, Json> fields; // objects

    const Json& operator[](const char* key) const
    {
        static const Json none;
        auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
    uint32_t u32() const { return static_cast<uint32_t>(number); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& s)
        : s_(s)
    {
    }

    bool parse(Json& out)
    {
        skip();
        if (pos_ >= s_.size())
            return false;
        char c = s_[pos_];
        if (c == '{')
            return container(out, '}', true);
        if (c == '[')
            return container(out, ']', false);
        if (c == '"')
            return string(out.text);
        if (c < '0' || c > '9')
            return false;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9')
            out.number = out.number * 10 + static_cast<uint64_t>(s_[pos_++] - '0');
        return true;
    }

private:
    void skip()
    {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool string(std::string& out)
    {
        size_t end = s_.find('"', pos_ + 1);
        if (end == std::string::npos)
            return false;
        out = s_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        return true;
    }
    bool container(Json& out, char close, bool object)
    {
        ++pos_;
        for (;;) {
            skip();
            if (pos_ < s_.size() && s_[pos_] == close) {
                ++pos_;
                return true;
            }
            std::string key;
            if (object) {
                if (pos_ >= s_.size() || s_[pos_] != '"' || !string(key))
                    return false;
                skip();
                if (pos_ >= s_.size() || s_[pos_++] != ':')
                    return false;
            }
            Json value;
            if (!parse(value))
                return false;
            if (object)
                out.fields[key] = std::move(value);
            else
                out.items.push_back(std::move(value));
            skip();
            if (pos_ < s_.size() && s_[pos_] == ',')
                ++pos_;
        }
    }

    const std::string& s_;
    size_t pos_ = 0;
};

struct DataAccess {
    uint32_t address;
    uint32_t value;
    bool write;
    bool operator==(const DataAccess&) const = default;
};

// Fetches by the window rule; data reads answer the recorded value and are
// logged with writes, so the test can compare both lists.
class WindowBus : public Bus {
public:
    WindowBus(uint32_t pc, const Json& opcodes, uint32_t readValue)
        : pc_(pc)
        , readValue_(readValue)
    {
        for (int i = 0; i < 5; ++i)
            words_[i] = static_cast<uint16_t>(opcodes.items[static_cast<size_t>(i)].number);
    }
    mutable std::vector<DataAccess> log;

    Access fetch16(uint32_t address, uint16_t& value) const override
    {
        uint32_t d = address - pc_;
        value = d <= 6 && (d & 1) == 0 ? words_[d / 2] : words_[4];
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
        value = static_cast<T>(readValue_);
        log.push_back({address, static_cast<uint32_t>(value), false});
        return Access::Ok;
    }
    Access write(uint32_t address, uint32_t value)
    {
        log.push_back({address, value, true});
        return Access::Ok;
    }

    uint32_t pc_;
    uint32_t readValue_;
    uint16_t words_[5];
};

void load(Sh2Registers& r, const Json& s)
{
    for (int i = 0; i < 16; ++i)
        r.r[i] = s["R"].items[static_cast<size_t>(i)].u32();
    r.pc = s["PC"].u32();
    r.gbr = s["GBR"].u32();
    r.sr = s["SR"].u32() & kSrWritableBits;
    r.vbr = s["VBR"].u32();
    r.mach = s["MACH"].u32();
    r.macl = s["MACL"].u32();
    r.pr = s["PR"].u32();
}

bool sameState(const Sh2Registers& a, const Sh2Registers& b)
{
    for (int i = 0; i < 16; ++i) {
        if (a.r[i] != b.r[i])
            return false;
    }
    return a.pc == b.pc && a.gbr == b.gbr && a.sr == b.sr && a.vbr == b.vbr && a.mach == b.mach && a.macl == b.macl &&
        a.pr == b.pr;
}

// Empty when the case passes, else why it failed.
std::string runCase(const Json& t)
{
    std::vector<DataAccess> expected;
    uint32_t readValue = 0;
    for (const Json& c : t["cycles"].items) {
        uint64_t actions = c["actions"].number;
        if (actions & 1) {
            expected.push_back({c["read_addr"].u32(), c["read_val"].u32(), false});
            readValue = c["read_val"].u32();
        }
        if (actions & 2)
            expected.push_back({c["write_addr"].u32(), c["write_val"].u32(), true});
    }
    WindowBus bus(t["initial"]["PC"].u32(), t["opcodes"], readValue);
    Sh2Cpu cpu(bus);
    load(cpu.regs, t["initial"]);
    StopReason why = cpu.run(4, nullptr, false);
    Sh2Registers want {};
    load(want, t["final"]);
    if (why != StopReason::Budget)
        return "stopped early, vector " + std::to_string(cpu.vector());
    if (!sameState(cpu.regs, want))
        return "registers differ";
    // Read-modify-write instructions log the read before the write, as the data lists them.
    if (bus.log != expected)
        return "data accesses differ";
    return "";
}

std::string dataDir()
{
    const char* dir = getenv("SH2_SINGLE_STEP_DIR");
    return dir != nullptr && *dir != 0 ? dir : BF_SHARED_DIR "/sh2-single-step";
}

TEST(SingleStep, EveryCaseOfTheData)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dataDir(), ec)) {
        if (e.path().extension() == ".jsonl")
            files.push_back(e.path());
    }
    ASSERT_FALSE(files.empty()) << "no .jsonl files in " << dataDir();
    std::sort(files.begin(), files.end());
    int passed = 0, failed = 0;
    for (const auto& path : files) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty())
                continue;
            Json t;
            std::string why = JsonReader(line).parse(t) ? runCase(t) : "unreadable line";
            if (why.empty()) {
                ++passed;
            } else {
                ++failed;
                printf("FAIL %s: %s (%s)\n", t["name"].text.c_str(), why.c_str(), path.filename().c_str());
            }
        }
    }
    printf("%d passed, %d failed\n", passed, failed);
    EXPECT_EQ(failed, 0);
    EXPECT_GT(passed, 0);
}

} // namespace
