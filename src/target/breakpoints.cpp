// PLACEHOLDER: replaced by target services.
#include "target/breakpoints.h"
const CodeName breakModeTable[] = {{0, nullptr}};
const char* codeToName(int, const CodeName*) { return nullptr; }
int readBreakpoint(int, uint16_t*, uint32_t*, uint32_t*) { return 0; }
int writeBreakpoint(int, uint16_t, uint32_t, uint32_t) { return 0; }
int clearBreakpoint(int) { return 0; }
int breakSetCommand(int, char*, char*) { return -1; }
void breakClearCommand(char*) {}
