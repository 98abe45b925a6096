// The grammar of the expression evaluator and its built-in functions.
#include <cstdio>
#include <cstring>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "target/memory.h"
#include "target/registers.h"

int exprError = 0;

uint32_t parseExpr()
{
    char text[kTokenBuffer];
    uint32_t value = parseTerm();
    for (;;) {
        int kind = nextToken(text);
        if (kind == TOKEN_ADD) {
            value += parseTerm();
        } else if (kind == TOKEN_SUBTRACT) {
            value -= parseTerm();
        } else {
            pushBackToken(kind, text);
            return value;
        }
    }
}

uint32_t parseTerm()
{
    char text[kTokenBuffer];
    uint32_t value = parsePrimary();
    for (;;) {
        int kind = nextToken(text);
        if (kind == TOKEN_MULTIPLY) {
            value *= parsePrimary();
        } else if (kind == TOKEN_DIVIDE) {
            uint32_t divisor = parsePrimary();
            // No quotient exists; the caller sees the error value instead of
            // the program dying on a trap.
            if (divisor == 0)
                exprError = 1;
            else
                value /= divisor;
        } else {
            pushBackToken(kind, text);
            return value;
        }
    }
}

static bool allHexDigits(const char* text)
{
    for (; *text; ++text)
        if (!isHexDigit(*text))
            return false;
    return true;
}

uint32_t parsePrimary()
{
    char text[kTokenBuffer];
    switch (nextToken(text)) {
    case TOKEN_DECIMAL:
        return convertDecimal(text);
    case TOKEN_HEX:
        return convertHex(text);
    case TOKEN_NAME:
        if (isExprFunction(text))
            return callExprFunction(text);
        if (symbolExists(text))
            return symbolValue(text);
        if (allHexDigits(text))
            return convertHex(text);
        exprError = 1;
        return 0;
    case TOKEN_OPEN: {
        uint32_t value = parseExpr();
        if (nextToken(text) != TOKEN_CLOSE)
            exprError = 1;
        return value;
    }
    case TOKEN_REGISTER: {
        int number = lookupReg(text);
        if (number == -1) {
            exprError = 1;
            return 0;
        }
        uint32_t value;
        readReg(number, &value);  // a failed read has been reported and reads as 0xFFFFFFFF
        return value;
    }
    default:
        exprError = 1;
        return 0;
    }
}

// The steps every function shares: "(" argument ")", with the argument
// resolved by lookup() only when the evaluation is still sound.
static uint32_t callWithArgument(const char* name, uint32_t (*lookup)(uint32_t))
{
    char text[kTokenBuffer];
    if (nextToken(text) != TOKEN_OPEN) {
        std::printf("Error. %s() can not find parameter\n", name);
        exprError = 1;
        return 0;
    }
    uint32_t argument = parseExpr();
    if (exprError)
        return 0;
    uint32_t value = lookup(argument);
    if (nextToken(text) != TOKEN_CLOSE) {
        std::printf("Error. %s() can not find end-of-parameter\n", name);
        exprError = 1;
        return 0;
    }
    return value;
}

// All three widths read four bytes. A read that failed (and has been
// reported) fails the expression: a value nobody read must never be written
// to the target or taken for an address.
static uint32_t readLongAt(uint32_t address)
{
    uint8_t bytes[4] = {0, 0, 0, 0};
    if (!readMem(address, 4, bytes)) {
        exprError = 1;
        return 0;
    }
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

static uint32_t nearValue(uint32_t value)
{
    const char* name = nearestSymbol(value);
    return name ? symbolValue(name) : 0;
}

static uint32_t exprMemB() { return callWithArgument("memB", readLongAt) >> 24; }
static uint32_t exprMemW() { return callWithArgument("memW", readLongAt) >> 16; }
static uint32_t exprMemL() { return callWithArgument("memL", readLongAt); }
static uint32_t exprNear() { return callWithArgument("near", nearValue); }

const ExprFunction exprFuncTable[] = {
    {exprMemB, "memB"},
    {exprMemW, "memW"},
    {exprMemL, "memL"},
    {exprNear, "near"},
    {nullptr, nullptr},
};

int isExprFunction(const char* name)
{
    for (const ExprFunction* row = exprFuncTable; row->handler; ++row)
        if (std::strcmp(row->name, name) == 0)
            return 1;
    return 0;
}

uint32_t callExprFunction(const char* name)
{
    for (const ExprFunction* row = exprFuncTable; row->handler; ++row)
        if (std::strcmp(row->name, name) == 0)
            return row->handler();
    return 0;
}

uint32_t evalExpression(const char* text)
{
    startScan(text);
    exprError = 0;
    uint32_t value = parseExpr();
    return exprError ? kExprErrorValue : value;
}

bool evalArgument(const char* text, const char* errorFormat, uint32_t* value)
{
    uint32_t v = evalExpression(text);
    if (exprError) {
        std::printf(errorFormat, text);
        return false;
    }
    *value = v;
    return true;
}
