// loadSymbols on arbitrary text, read from memory, then the look-ups over
// what it stored.

#include "expr/expression.h"
#include "fuzz_support.h"

namespace {

// The stream's buffer, given rather than allocated for every input.
char streamBuffer[4096];

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    setComPort(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* f = fuzz::openInput(data, size);
    setvbuf(f, streamBuffer, _IOFBF, sizeof streamBuffer);
    loadSymbolsFrom(f);
    std::fclose(f);

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
