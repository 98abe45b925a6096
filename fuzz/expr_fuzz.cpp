// evalExpression on arbitrary text, its register and memory reads answered
// by the in-process board at once.

#include "expr/expression.h"
#include "fuzz_support.h"
#include "target/memory.h"

namespace {

// Exchanges one input may make: enough for every read a long expression asks for.
constexpr int kExchangeBudget = 64;

quill::Board* board = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    board = new quill::Board;
    // A few symbols so names, near() and the symbol-before-hex rule are reached.
    fuzz::loadMap(fuzz::mapPair("_main", 0x1000) + fuzz::mapPair("ABC", 0x1200) + fuzz::mapPair("memB", 0x1400) +
            fuzz::mapPair("x", 0x1600) + fuzz::mapPair("x", 0x1800),
        5);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::connect(*board, kExchangeBudget);
    clearMemCache();
    std::string text(reinterpret_cast<const char*>(data), size);
    uint32_t value = evalExpression(text.c_str());
    // The flag is 0 or 1, and an error always gives the error value.
    if (exprError < 0 || exprError > 1 || (exprError && value != kExprErrorValue))
        std::abort();
    setComPort(nullptr);
    return 0;
}
