// The register display and the R command's forms.
#pragma once

#include <cstdint>

// Room formatSR needs: four flag characters, "[M=15]" and the terminator.
constexpr int kSRTextSize = 16;

void dumpReg();
void formatSR(uint32_t sr, char* text);
// name is upper-cased in place.
void showReg(char* name);
void setReg(char* name, uint32_t value);
