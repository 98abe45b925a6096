// PLACEHOLDER: replaced by target services.
#include "target/registers.h"
int lookupReg(char*) { return -1; }
uint32_t readReg(int) { return 0xFFFFFFFF; }
void writeReg(int, uint32_t) {}
void dumpReg() {}
void formatSR(uint32_t, char* t) { t[0] = 0; }
void showReg(char*) {}
void setReg(char*, uint32_t) {}
