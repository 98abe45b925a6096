// The expression evaluator behind every command argument.
#pragma once

#include <cstdint>

extern int exprError;
constexpr uint32_t kExprErrorValue = 0xFFFFFFFF;

// The value of text; kExprErrorValue with exprError set to 1 on any error.
uint32_t evalExpression(const char* text);
