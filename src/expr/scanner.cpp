// The token scanner of the expression evaluator. One program-wide stream:
// function arguments are parsed from the same stream as the text around them.
#include <cstring>

#include "expr/expression.h"

namespace {

const char* cursor = "";
int lookKind = TOKEN_NONE;
int pushedBack = 0;
char lookText[kTokenBuffer];

// Takes characters from the cursor while accept() holds. Returns false (and
// leaves the text empty) when the run does not fit a token buffer: the input
// line can be longer than a token, and a cut token would be a different value.
bool takeRun(char* text, int length, bool (*accept)(char))
{
    while (accept(*cursor)) {
        if (length >= kTokenMax) {
            text[0] = '\0';
            return false;
        }
        text[length++] = *cursor++;
    }
    text[length] = '\0';
    return true;
}

int errorToken(char* text)
{
    exprError = 1;
    text[0] = '\0';
    return TOKEN_ERROR;
}

}  // namespace

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '_'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int hexDigitValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

static uint32_t convert(const char* text, uint32_t base)
{
    uint64_t value = 0;
    for (; *text; ++text) {
        value = value * base + static_cast<uint32_t>(hexDigitValue(*text));
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

uint32_t convertDecimal(const char* text) { return convert(text, 10); }

uint32_t convertHex(const char* text)
{
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    return convert(text, 16);
}

void startScan(const char* text)
{
    cursor = text;
    lookKind = TOKEN_NONE;
    pushedBack = 0;
    lookText[0] = '\0';
}

int scanToken(char* text)
{
    while (*cursor == ' ' || *cursor == '\t')
        ++cursor;

    text[0] = '\0';
    char c = *cursor;
    switch (c) {
    case '\0': return TOKEN_END;
    case '(': ++cursor; std::strcpy(text, "("); return TOKEN_OPEN;
    case ')': ++cursor; std::strcpy(text, ")"); return TOKEN_CLOSE;
    case '*': ++cursor; std::strcpy(text, "*"); return TOKEN_MULTIPLY;
    case '/': ++cursor; std::strcpy(text, "/"); return TOKEN_DIVIDE;
    case '+': ++cursor; std::strcpy(text, "+"); return TOKEN_ADD;
    case '-': ++cursor; std::strcpy(text, "-"); return TOKEN_SUBTRACT;
    default: break;
    }

    if (c == '@') {
        ++cursor;
        if (!isLetter(*cursor) && *cursor != '_')
            return errorToken(text);
        if (!takeRun(text, 0, isNameChar))
            return errorToken(text);
        return TOKEN_REGISTER;
    }

    if (isDigit(c)) {
        if (c == '0' && (cursor[1] == 'x' || cursor[1] == 'X')) {
            text[0] = cursor[0];
            text[1] = cursor[1];
            cursor += 2;
            if (!takeRun(text, 2, isHexDigit))
                return errorToken(text);
            return TOKEN_HEX;
        }
        if (!takeRun(text, 0, isHexDigit))
            return errorToken(text);
        for (const char* p = text; *p; ++p)
            if (!isDigit(*p))
                return TOKEN_HEX;
        return TOKEN_DECIMAL;
    }

    if (isLetter(c) || c == '_') {
        if (!takeRun(text, 0, isNameChar))
            return errorToken(text);
        return TOKEN_NAME;
    }

    return errorToken(text);
}

int nextToken(char* text)
{
    if (pushedBack) {
        pushedBack = 0;
        std::strcpy(text, lookText);
        return lookKind;
    }
    if (lookKind == TOKEN_END || lookKind == TOKEN_ERROR) {
        std::strcpy(text, lookText);
        return lookKind;
    }
    lookKind = scanToken(lookText);
    std::strcpy(text, lookText);
    return lookKind;
}

void pushBackToken(int kind, const char* text)
{
    lookKind = kind;
    if (text != lookText) {
        std::strncpy(lookText, text, kTokenMax);
        lookText[kTokenMax] = '\0';
    }
    pushedBack = 1;
}
