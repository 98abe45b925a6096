// loadSymbols on an arbitrary file, then the look-ups over what it stored.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "link/serial.h"

static std::string mapPath;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    mapPath = "/tmp/symbols_fuzz_" + std::to_string(getpid()) + ".map";
    std::freopen("/dev/null", "w", stdout);
    setComPort(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(mapPath.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    loadSymbols(mapPath.c_str());

    bool ok = symbolCount >= 0 && symbolCount <= kSymbolMax && symbolAreaUsed >= 0 &&
              symbolAreaUsed <= kSymbolAreaLimit + kSymbolNameMax && symbolFree == symbolArea + symbolAreaUsed;
    for (int i = 0; ok && i < symbolCount; ++i) {
        const char* name = symbolTable[i].name;
        ok = std::strlen(name) <= static_cast<size_t>(kSymbolNameMax) && isIdentifier(name) == 1 &&
             symbolExists(name) == 1 && nearestSymbol(symbolTable[i].address) != nullptr &&
             symbolAtAddress(symbolTable[i].address) != nullptr;
        // Every stored name is a name the evaluator can take as an operand.
        if (ok && !isExprFunction(name))
            ok = evalExpression(name) == symbolValue(name) && exprError == 0;
    }
    if (!ok)
        std::abort();
    return 0;
}
