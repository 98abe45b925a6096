// Every one of the 65,536 instruction words decoded here and by the GNU
// binutils SH disassembler (SH-2 mode), compared after putting both into one
// syntax: lower case, r15 for SP, absolute addresses for branches and
// PC-relative data, TRAP's field unscaled, MOV #imm signed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "disasm/operands.h"

namespace {

const char* kObjdump = "sh4-linux-gnu-objdump";

bool toolPresent()
{
    std::string probe = std::string("command -v ") + kObjdump + " >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

// Our decode of word at address, in the common syntax; "" when undecodable.
std::string ours(uint16_t word, uint32_t address)
{
    const DisasmEntry* e = findEntry(word);
    if (!e)
        return "";
    char text[kOperandTextSize];
    uint32_t ref;
    formatOperands(address, word, ref, e->operands, text);
    std::string mnemonic = lower(e->mnemonic);
    std::string ops = text;
    std::string tmpl = e->operands;

    if (tmpl.find("%T") != std::string::npos) {
        // "@(disp,PC)" names the datum; the other tool prints its address.
        size_t open = ops.find("@(");
        size_t close = ops.find(",PC)");
        ops = ops.substr(0, open) + hex(ref) + ops.substr(close + 4);
    } else if (tmpl.find("%P") != std::string::npos) {
        ops = hex(ref);
    }
    if (mnemonic == "bt/s")
        mnemonic = "bt.s";
    if (mnemonic == "bf/s")
        mnemonic = "bf.s";
    if (mnemonic == "trap") {
        mnemonic = "trapa";
        ops = "#" + std::to_string(ref / 4);
    }
    if (mnemonic == "mov" && !ops.empty() && ops[0] == '#') {
        size_t comma = ops.find(',');
        ops = "#" + std::to_string(static_cast<int8_t>(ref)) + ops.substr(comma);
    }
    std::string out;
    for (char c : ops) {
        if (c != ' ')
            out += c;
    }
    out = lower(out);
    for (size_t at = out.find("sp"); at != std::string::npos; at = out.find("sp", at)) {
        out.replace(at, 2, "r15");
    }
    return out.empty() ? mnemonic : mnemonic + " " + out;
}

// objdump's decode by address: "" for its .word lines.
std::map<uint32_t, std::string> theirs(const std::string& listing)
{
    std::map<uint32_t, std::string> result;
    size_t pos = 0;
    while (pos < listing.size()) {
        size_t end = listing.find('\n', pos);
        if (end == std::string::npos)
            end = listing.size();
        std::string line = listing.substr(pos, end - pos);
        pos = end + 1;
        // "   1a204:\td1 02       \tmov.l\t0x1a210,r1\t! d108d109"
        size_t colon = line.find(":\t");
        if (colon == std::string::npos)
            continue;
        char* stop = nullptr;
        uint32_t address = static_cast<uint32_t>(std::strtoul(line.c_str(), &stop, 16));
        if (stop != line.c_str() + colon)
            continue;
        size_t insn = line.find('\t', colon + 2);
        if (insn == std::string::npos)
            continue;
        std::string rest = line.substr(insn + 1);
        size_t bang = rest.find("\t!");
        if (bang != std::string::npos)
            rest.resize(bang);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
            rest.pop_back();
        if (rest.rfind(".word", 0) == 0) {
            result[address] = "";
            continue;
        }
        size_t tab = rest.find('\t');
        if (tab != std::string::npos)
            rest[tab] = ' ';
        result[address] = rest;
    }
    return result;
}

TEST(DisasmSweep, EveryWordAgreesWithBinutils)
{
    if (!toolPresent()) {
        if (std::getenv("CI"))
            FAIL() << kObjdump << " is missing (Debian package binutils-sh4-linux-gnu)";
        GTEST_SKIP() << kObjdump << " not installed";
    }
    std::string path = std::string(BF_BINARY_DIR) + "/disasm_sweep.bin";
    {
        std::ofstream bin(path, std::ios::binary);
        for (uint32_t w = 0; w < 65536; ++w) {
            char be[2] = {static_cast<char>(w >> 8), static_cast<char>(w & 0xFF)};
            bin.write(be, 2);
        }
        ASSERT_TRUE(bin.good());
    }
    std::string command = std::string(kObjdump) + " -D -b binary -m sh2 -EB " + path + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        listing.append(buf, n);
    ASSERT_EQ(pclose(pipe), 0) << listing.substr(0, 400);
    std::remove(path.c_str());

    std::map<uint32_t, std::string> reference = theirs(listing);
    ASSERT_EQ(reference.size(), 65536u) << "unexpected tool output:\n" << listing.substr(0, 400);

    int theirUndecodable = 0;
    int mismatches = 0;
    for (uint32_t w = 0; w < 65536; ++w) {
        uint32_t address = w * 2;
        const std::string& want = reference[address];
        if (want.empty())
            ++theirUndecodable;
        std::string got = ours(static_cast<uint16_t>(w), address);
        if (got != want && ++mismatches <= 25) {
            ADD_FAILURE() << "word " << hex(w) << ": ours \"" << (got.empty() ? "???" : got) << "\", binutils \""
                          << (want.empty() ? ".word" : want) << "\"";
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(theirUndecodable, 11784);
}

} // namespace
