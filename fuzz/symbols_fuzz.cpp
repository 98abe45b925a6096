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

namespace {

std::string mapPath;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

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

    check(symbolCount >= 0 && symbolCount <= kSymbolMax);
    check(symbolAreaUsed >= 0 && symbolAreaUsed <= kSymbolAreaLimit + kSymbolNameMax);
    check(symbolFree == symbolArea + symbolAreaUsed);
    for (int i = 0; i < symbolCount; ++i) {
        const char* name = symbolTable[i].name;
        size_t length = std::strlen(name);
        check(length >= 1 && length <= static_cast<size_t>(kSymbolNameMax));
        check(isIdentifier(name) == 1);
        check(symbolExists(name) == 1);
        const char* nearest = nearestSymbol(symbolTable[i].address);
        check(nearest != nullptr);
        const char* exact = symbolAtAddress(symbolTable[i].address);
        check(exact != nullptr);
        // Every stored name is a name the evaluator can take as an operand.
        if (!isExprFunction(name)) {
            uint32_t value = evalExpression(name);
            check(exprError == 0 && value == symbolValue(name));
        }
    }
    return 0;
}
