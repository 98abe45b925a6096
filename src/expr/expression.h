// The expression evaluator behind every command argument.
//
// A recursive-descent parser over one shared token stream with one token of
// look-ahead and one of push-back. The function handlers read their own
// argument from the same stream, so nested parses share the scanner state.
#pragma once

#include <cstdint>

extern int exprError;
constexpr uint32_t kExprErrorValue = 0xFFFFFFFF;

// The value of text; kExprErrorValue with exprError set to 1 on any error.
uint32_t evalExpression(const char* text);

// A command argument: stores its value and returns true, or prints errorFormat
// with the argument text and returns false, leaving *value as it was.
bool evalArgument(const char* text, const char* errorFormat, uint32_t* value);

// Token texts hold at most this many characters; a longer token is an error.
constexpr int kTokenMax = 63;
constexpr int kTokenBuffer = kTokenMax + 1;

enum TokenKind {
    TOKEN_NONE = 0,  // nothing scanned yet
    TOKEN_END = 1,
    TOKEN_MULTIPLY = 2,
    TOKEN_DIVIDE = 3,
    TOKEN_ADD = 4,
    TOKEN_SUBTRACT = 5,
    TOKEN_OPEN = 6,
    TOKEN_CLOSE = 7,
    TOKEN_DECIMAL = 8,
    TOKEN_HEX = 9,
    TOKEN_NAME = 10,
    TOKEN_REGISTER = 11,
    TOKEN_ERROR = -1,
};

// Scanner (scanner.cpp). Buffers passed in hold kTokenBuffer bytes.
void startScan(const char* text);
int scanToken(char* text);
int nextToken(char* text);
void pushBackToken(int kind, const char* text);

bool isLetter(char c);
bool isDigit(char c);
bool isNameChar(char c);
bool isHexDigit(char c);
// The value of a hexadecimal digit, either case.
int hexDigitValue(char c);

// Text to number; a value too large for 32 bits saturates at 0xFFFFFFFF.
uint32_t convertDecimal(const char* text);
// Accepts a leading "0x" or "0X"; "0x" alone is 0.
uint32_t convertHex(const char* text);

// Grammar (expression.cpp).
uint32_t parseExpr();
uint32_t parseTerm();
uint32_t parsePrimary();

struct ExprFunction {
    uint32_t (*handler)();  // nullptr ends the table
    const char* name;
};
extern const ExprFunction exprFuncTable[];

int isExprFunction(const char* name);
// The handler's value, or 0 when no row has that name.
uint32_t callExprFunction(const char* name);
