// The SH-2 instruction forms and the word-to-form lookup.
#include "isa/sh2_table.h"

// Rows follow the SH-2 encodings; no word matches two rows.
const DisasmEntry disasmTable[] = {
    {0xF0FF, 0x0002, 0, 0, 0, "STC", "SR,%R0L"},
    {0xF0FF, 0x0003, 0, 0, 0, "BSRF", "%R0L"},
    {0xF00F, 0x0004, 0, 0, 0, "MOV.B", "%R1H,@(R0,%R0L)"},
    {0xF00F, 0x0005, 0, 0, 0, "MOV.W", "%R1H,@(R0,%R0L)"},
    {0xF00F, 0x0006, 0, 0, 0, "MOV.L", "%R1H,@(R0,%R0L)"},
    {0xF00F, 0x0007, 0, 0, 0, "MUL.L", "%R1H,%R0L"},
    {0xFFFF, 0x0008, 0, 0, 0, "CLRT", ""},
    {0xFFFF, 0x0009, 0, 0, 0, "NOP", ""},
    {0xF0FF, 0x000A, 0, 0, 0, "STS", "MACH,%R0L"},
    {0xFFFF, 0x000B, 0, 0, 0, "RTS", ""},
    {0xF00F, 0x000C, 0, 0, 0, "MOV.B", "@(R0,%R1H),%R0L"},
    {0xF00F, 0x000D, 0, 0, 0, "MOV.W", "@(R0,%R1H),%R0L"},
    {0xF00F, 0x000E, 0, 0, 0, "MOV.L", "@(R0,%R1H),%R0L"},
    {0xF00F, 0x000F, 0, 0, 0, "MAC.L", "@%R1H+,@%R0L+"},
    {0xF0FF, 0x0012, 0, 0, 0, "STC", "GBR,%R0L"},
    {0xFFFF, 0x0018, 0, 0, 0, "SETT", ""},
    {0xFFFF, 0x0019, 0, 0, 0, "DIV0U", ""},
    {0xF0FF, 0x001A, 0, 0, 0, "STS", "MACL,%R0L"},
    {0xFFFF, 0x001B, 0, 0, 0, "SLEEP", ""},
    {0xF0FF, 0x0022, 0, 0, 0, "STC", "VBR,%R0L"},
    {0xF0FF, 0x0023, 0, 0, 0, "BRAF", "%R0L"},
    {0xFFFF, 0x0028, 0, 0, 0, "CLRMAC", ""},
    {0xF0FF, 0x0029, 0, 0, 0, "MOVT", "%R0L"},
    {0xF0FF, 0x002A, 0, 0, 0, "STS", "PR,%R0L"},
    {0xFFFF, 0x002B, 0, 0, 0, "RTE", ""},
    {0xF000, 0x1000, 4, 0, 0, "MOV.L", "%R1H,@(%I424LU,%R0L)"},
    {0xF00F, 0x2000, 0, 0, 0, "MOV.B", "%R1H,@%R0L"},
    {0xF00F, 0x2001, 0, 0, 0, "MOV.W", "%R1H,@%R0L"},
    {0xF00F, 0x2002, 0, 0, 0, "MOV.L", "%R1H,@%R0L"},
    {0xF00F, 0x2004, 0, 0, 0, "MOV.B", "%R1H,@-%R0L"},
    {0xF00F, 0x2005, 0, 0, 0, "MOV.W", "%R1H,@-%R0L"},
    {0xF00F, 0x2006, 0, 0, 0, "MOV.L", "%R1H,@-%R0L"},
    {0xF00F, 0x2007, 0, 0, 0, "DIV0S", "%R1H,%R0L"},
    {0xF00F, 0x2008, 0, 0, 0, "TST", "%R1H,%R0L"},
    {0xF00F, 0x2009, 0, 0, 0, "AND", "%R1H,%R0L"},
    {0xF00F, 0x200A, 0, 0, 0, "XOR", "%R1H,%R0L"},
    {0xF00F, 0x200B, 0, 0, 0, "OR", "%R1H,%R0L"},
    {0xF00F, 0x200C, 0, 0, 0, "CMP/STR", "%R1H,%R0L"},
    {0xF00F, 0x200D, 0, 0, 0, "XTRCT", "%R1H,%R0L"},
    {0xF00F, 0x200E, 0, 0, 0, "MULU.W", "%R1H,%R0L"},
    {0xF00F, 0x200F, 0, 0, 0, "MULS.W", "%R1H,%R0L"},
    {0xF00F, 0x3000, 0, 0, 0, "CMP/EQ", "%R1H,%R0L"},
    {0xF00F, 0x3002, 0, 0, 0, "CMP/HS", "%R1H,%R0L"},
    {0xF00F, 0x3003, 0, 0, 0, "CMP/GE", "%R1H,%R0L"},
    {0xF00F, 0x3004, 0, 0, 0, "DIV1", "%R1H,%R0L"},
    {0xF00F, 0x3005, 0, 0, 0, "DMULU.L", "%R1H,%R0L"},
    {0xF00F, 0x3006, 0, 0, 0, "CMP/HI", "%R1H,%R0L"},
    {0xF00F, 0x3007, 0, 0, 0, "CMP/GT", "%R1H,%R0L"},
    {0xF00F, 0x3008, 0, 0, 0, "SUB", "%R1H,%R0L"},
    {0xF00F, 0x300A, 0, 0, 0, "SUBC", "%R1H,%R0L"},
    {0xF00F, 0x300B, 0, 0, 0, "SUBV", "%R1H,%R0L"},
    {0xF00F, 0x300C, 0, 0, 0, "ADD", "%R1H,%R0L"},
    {0xF00F, 0x300D, 0, 0, 0, "DMULS.L", "%R1H,%R0L"},
    {0xF00F, 0x300E, 0, 0, 0, "ADDC", "%R1H,%R0L"},
    {0xF00F, 0x300F, 0, 0, 0, "ADDV", "%R1H,%R0L"},
    {0xF0FF, 0x4000, 0, 0, 0, "SHLL", "%R0L"},
    {0xF0FF, 0x4001, 0, 0, 0, "SHLR", "%R0L"},
    {0xF0FF, 0x4002, 0, 0, 0, "STS.L", "MACH,@-%R0L"},
    {0xF0FF, 0x4003, 0, 0, 0, "STC.L", "SR,@-%R0L"},
    {0xF0FF, 0x4004, 0, 0, 0, "ROTL", "%R0L"},
    {0xF0FF, 0x4005, 0, 0, 0, "ROTR", "%R0L"},
    {0xF0FF, 0x4006, 0, 0, 0, "LDS.L", "@%R0L+,MACH"},
    {0xF0FF, 0x4007, 0, 0, 0, "LDC.L", "@%R0L+,SR"},
    {0xF0FF, 0x4008, 0, 0, 0, "SHLL2", "%R0L"},
    {0xF0FF, 0x4009, 0, 0, 0, "SHLR2", "%R0L"},
    {0xF0FF, 0x400A, 0, 0, 0, "LDS", "%R0L,MACH"},
    {0xF0FF, 0x400B, 0, 0, 0, "JSR", "@%R0L"},
    {0xF0FF, 0x400E, 0, 0, 0, "LDC", "%R0L,SR"},
    {0xF00F, 0x400F, 0, 0, 0, "MAC.W", "@%R1H+,@%R0L+"},
    {0xF0FF, 0x4010, 0, 0, 0, "DT", "%R0L"},
    {0xF0FF, 0x4011, 0, 0, 0, "CMP/PZ", "%R0L"},
    {0xF0FF, 0x4012, 0, 0, 0, "STS.L", "MACL,@-%R0L"},
    {0xF0FF, 0x4013, 0, 0, 0, "STC.L", "GBR,@-%R0L"},
    {0xF0FF, 0x4015, 0, 0, 0, "CMP/PL", "%R0L"},
    {0xF0FF, 0x4016, 0, 0, 0, "LDS.L", "@%R0L+,MACL"},
    {0xF0FF, 0x4017, 0, 0, 0, "LDC.L", "@%R0L+,GBR"},
    {0xF0FF, 0x4018, 0, 0, 0, "SHLL8", "%R0L"},
    {0xF0FF, 0x4019, 0, 0, 0, "SHLR8", "%R0L"},
    {0xF0FF, 0x401A, 0, 0, 0, "LDS", "%R0L,MACL"},
    {0xF0FF, 0x401B, 0, 0, 0, "TAS.B", "@%R0L"},
    {0xF0FF, 0x401E, 0, 0, 0, "LDC", "%R0L,GBR"},
    {0xF0FF, 0x4020, 0, 0, 0, "SHAL", "%R0L"},
    {0xF0FF, 0x4021, 0, 0, 0, "SHAR", "%R0L"},
    {0xF0FF, 0x4022, 0, 0, 0, "STS.L", "PR,@-%R0L"},
    {0xF0FF, 0x4023, 0, 0, 0, "STC.L", "VBR,@-%R0L"},
    {0xF0FF, 0x4024, 0, 0, 0, "ROTCL", "%R0L"},
    {0xF0FF, 0x4025, 0, 0, 0, "ROTCR", "%R0L"},
    {0xF0FF, 0x4026, 0, 0, 0, "LDS.L", "@%R0L+,PR"},
    {0xF0FF, 0x4027, 0, 0, 0, "LDC.L", "@%R0L+,VBR"},
    {0xF0FF, 0x4028, 0, 0, 0, "SHLL16", "%R0L"},
    {0xF0FF, 0x4029, 0, 0, 0, "SHLR16", "%R0L"},
    {0xF0FF, 0x402A, 0, 0, 0, "LDS", "%R0L,PR"},
    {0xF0FF, 0x402B, 0, 0, 0, "JMP", "@%R0L"},
    {0xF0FF, 0x402E, 0, 0, 0, "LDC", "%R0L,VBR"},
    {0xF000, 0x5000, 4, 0, 0, "MOV.L", "@(%I424LU,%R1H),%R0L"},
    {0xF00F, 0x6000, 0, 0, 0, "MOV.B", "@%R1H,%R0L"},
    {0xF00F, 0x6001, 0, 0, 0, "MOV.W", "@%R1H,%R0L"},
    {0xF00F, 0x6002, 0, 0, 0, "MOV.L", "@%R1H,%R0L"},
    {0xF00F, 0x6003, 0, 0, 0, "MOV", "%R1H,%R0L"},
    {0xF00F, 0x6004, 0, 0, 0, "MOV.B", "@%R1H+,%R0L"},
    {0xF00F, 0x6005, 0, 0, 0, "MOV.W", "@%R1H+,%R0L"},
    {0xF00F, 0x6006, 0, 0, 0, "MOV.L", "@%R1H+,%R0L"},
    {0xF00F, 0x6007, 0, 0, 0, "NOT", "%R1H,%R0L"},
    {0xF00F, 0x6008, 0, 0, 0, "SWAP.B", "%R1H,%R0L"},
    {0xF00F, 0x6009, 0, 0, 0, "SWAP.W", "%R1H,%R0L"},
    {0xF00F, 0x600A, 0, 0, 0, "NEGC", "%R1H,%R0L"},
    {0xF00F, 0x600B, 0, 0, 0, "NEG", "%R1H,%R0L"},
    {0xF00F, 0x600C, 0, 0, 0, "EXTU.B", "%R1H,%R0L"},
    {0xF00F, 0x600D, 0, 0, 0, "EXTU.W", "%R1H,%R0L"},
    {0xF00F, 0x600E, 0, 0, 0, "EXTS.B", "%R1H,%R0L"},
    {0xF00F, 0x600F, 0, 0, 0, "EXTS.W", "%R1H,%R0L"},
    {0xF000, 0x7000, 0, 0, 0, "ADD", "#%I801NS,%R0L"},
    {0xFF00, 0x8000, 1, 0, 0, "MOV.B", "R0,@(%I421BU,%R1H)"},
    {0xFF00, 0x8100, 2, 0, 0, "MOV.W", "R0,@(%I422WU,%R1H)"},
    {0xFF00, 0x8400, 1, 0, 0, "MOV.B", "@(%I421BU,%R1H),R0"},
    {0xFF00, 0x8500, 2, 0, 0, "MOV.W", "@(%I422WU,%R1H),R0"},
    {0xFF00, 0x8800, 0, 0, 0, "CMP/EQ", "#%I801NS,R0"},
    {0xFF00, 0x8900, 4, 1, 0, "BT", "%P8"},
    {0xFF00, 0x8B00, 4, 1, 0, "BF", "%P8"},
    {0xFF00, 0x8D00, 4, 1, 0, "BT/S", "%P8"},
    {0xFF00, 0x8F00, 4, 1, 0, "BF/S", "%P8"},
    {0xF000, 0x9000, 2, 1, 1, "MOV.W", "@(%T802WU,PC),%R0L"},
    {0xF000, 0xA000, 4, 1, 0, "BRA", "%PC"},
    {0xF000, 0xB000, 4, 1, 0, "BSR", "%PC"},
    {0xFF00, 0xC000, 1, 0, 0, "MOV.B", "R0,@(%I801BU,GBR)"},
    {0xFF00, 0xC100, 2, 0, 0, "MOV.W", "R0,@(%I802WU,GBR)"},
    {0xFF00, 0xC200, 4, 0, 0, "MOV.L", "R0,@(%I804LU,GBR)"},
    {0xFF00, 0xC300, 0, 0, 0, "TRAP", "#%I804NU"},
    {0xFF00, 0xC400, 1, 0, 0, "MOV.B", "@(%I801BU,GBR),R0"},
    {0xFF00, 0xC500, 2, 0, 0, "MOV.W", "@(%I802WU,GBR),R0"},
    {0xFF00, 0xC600, 4, 0, 0, "MOV.L", "@(%I804LU,GBR),R0"},
    {0xFF00, 0xC700, 4, 1, 1, "MOVA", "@(%T804LU,PC),R0"},
    {0xFF00, 0xC800, 0, 0, 0, "TST", "#%I801NU,R0"},
    {0xFF00, 0xC900, 0, 0, 0, "AND", "#%I801NU,R0"},
    {0xFF00, 0xCA00, 0, 0, 0, "XOR", "#%I801NU,R0"},
    {0xFF00, 0xCB00, 0, 0, 0, "OR", "#%I801NU,R0"},
    {0xFF00, 0xCC00, 1, 0, 0, "TST.B", "#%I801NU,@(R0,GBR)"},
    {0xFF00, 0xCD00, 1, 0, 0, "AND.B", "#%I801NU,@(R0,GBR)"},
    {0xFF00, 0xCE00, 1, 0, 0, "XOR.B", "#%I801NU,@(R0,GBR)"},
    {0xFF00, 0xCF00, 1, 0, 0, "OR.B", "#%I801NU,@(R0,GBR)"},
    {0xF000, 0xD000, 4, 1, 1, "MOV.L", "@(%T804LU,PC),%R0L"},
    {0xF000, 0xE000, 0, 0, 0, "MOV", "#%I801NU,%R0L"},
    {0x0000, 0x0000, 0, 0, 0, "Dummy", ""},
};

const DisasmEntry* findEntryLinear(uint16_t word)
{
    for (const DisasmEntry* e = disasmTable; e->mask != 0; ++e) {
        if ((word & e->mask) == e->code)
            return e;
    }
    return nullptr;
}

namespace {

// Row index + 1 for every word, 0 for none; filled on first use.
uint8_t lookup[65536];
bool lookupBuilt = false;

void buildLookup()
{
    for (uint32_t w = 0; w < 65536; ++w) {
        const DisasmEntry* e = findEntryLinear(static_cast<uint16_t>(w));
        lookup[w] = e ? static_cast<uint8_t>(e - disasmTable + 1) : 0;
    }
    lookupBuilt = true;
}

} // namespace

const DisasmEntry* findEntry(uint16_t word)
{
    if (!lookupBuilt)
        buildLookup();
    uint8_t row = lookup[word];
    return row ? &disasmTable[row - 1] : nullptr;
}

int formIndex(uint16_t word)
{
    const DisasmEntry* e = findEntry(word);
    return e ? static_cast<int>(e - disasmTable) : -1;
}
