// PLACEHOLDER: replaced by the link layer.
#include "link/transaction.h"
TargetInfo targetInfo;
void resetTargetInfo() {}
int waitResponse(uint8_t) { return -1; }
int getTargetVersion(uint8_t*, uint8_t*, uint8_t*) { return 0; }
int getFlashArea(uint32_t*, uint32_t*) { return 0; }
int getUserArea(uint32_t*, uint32_t*) { return 0; }
