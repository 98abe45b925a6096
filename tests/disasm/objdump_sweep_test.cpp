// Every one of the 65,536 instruction words decoded here and by the GNU
// binutils SH disassembler (SH-2 mode), compared after putting both into one
// syntax: lower case, r15 for SP, absolute addresses for branches and
// PC-relative data, TRAP's field unscaled, MOV #imm signed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "disasm/operands.h"

namespace {

const std::string kObjdump = "sh4-linux-gnu-objdump";

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

// Our decode of word at address, in the common syntax; ".word" when undecodable.
std::string ours(uint16_t word, uint32_t address)
{
    const DisasmEntry* e = findEntry(word);
    if (!e)
        return ".word";
    char text[kOperandTextSize];
    uint32_t ref;
    formatOperands(address, word, ref, e->operands, text);
    std::string mnemonic = e->mnemonic, ops = text, tmpl = e->operands;
    if (tmpl.find("%T") != std::string::npos)  // "@(disp,PC)" names the datum; the other tool prints its address
        ops = ops.substr(0, ops.find("@(")) + hex(ref) + ops.substr(ops.find(",PC)") + 4);
    else if (tmpl.find("%P") != std::string::npos)
        ops = hex(ref);
    std::replace(mnemonic.begin(), mnemonic.end(), '/', mnemonic[0] == 'B' ? '.' : '/');  // BT/S is bt.s
    if (mnemonic == "TRAP")
        mnemonic = "TRAPA", ops = "#" + std::to_string(ref / 4);
    if (mnemonic == "MOV" && ops[0] == '#')
        ops = "#" + std::to_string(static_cast<int8_t>(ref)) + ops.substr(ops.find(','));
    ops.erase(std::remove(ops.begin(), ops.end(), ' '), ops.end());
    std::string out = ops.empty() ? mnemonic : mnemonic + " " + ops;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return std::regex_replace(out, std::regex("sp"), "r15");
}

TEST(DisasmSweep, EveryWordAgreesWithBinutils)
{
    if (std::system(("command -v " + kObjdump + " >/dev/null 2>&1").c_str()) != 0) {
        if (std::getenv("CI"))
            FAIL() << kObjdump << " is missing (Debian package binutils-sh4-linux-gnu)";
        GTEST_SKIP() << kObjdump << " not installed";
    }
    const std::string path = std::string(BF_BINARY_DIR) + "/disasm_sweep.bin";
    {
        std::ofstream bin(path, std::ios::binary);
        for (uint32_t w = 0; w < 65536; ++w)
            bin.put(static_cast<char>(w >> 8)).put(static_cast<char>(w));
        ASSERT_TRUE(bin.good());
    }
    FILE* pipe = popen((kObjdump + " -D -b binary -m sh2 -EB " + path + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    // "   1a204:\td1 02       \tmov.l\t0x1a210,r1\t! d108d109": the address, then the instruction.
    std::vector<std::string> theirs(65536);
    size_t lines = 0;
    char line[512];
    unsigned address = 0;
    int at = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        if (std::sscanf(line, " %x:\t%*[0-9a-f ]\t%n", &address, &at) != 1 || at == 0 || address / 2 >= 65536)
            continue;
        std::string insn = line + at;
        insn = insn.substr(0, std::min(insn.find("\t!"), insn.find_last_not_of(" \t\n") + 1));
        std::replace(insn.begin(), insn.end(), '\t', ' ');
        theirs[address / 2] = insn.starts_with(".word") ? ".word" : insn;
        ++lines, at = 0;
    }
    ASSERT_EQ(pclose(pipe), 0);
    std::remove(path.c_str());
    ASSERT_EQ(lines, 65536u) << "unexpected tool output";

    int mismatches = 0;
    for (uint32_t w = 0; w < 65536; ++w) {
        std::string got = ours(static_cast<uint16_t>(w), w * 2);
        if (got != theirs[w] && ++mismatches <= 25)
            ADD_FAILURE() << "word " << hex(w) << ": ours \"" << got << "\", binutils \"" << theirs[w] << "\"";
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(std::count(theirs.begin(), theirs.end(), ".word"), 11784);
}

}  // namespace
