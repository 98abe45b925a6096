// LO and USR: an S-record file loaded into flash (erased block by block,
// then programmed piece by piece through the write buffer in target RAM) or
// straight into target RAM, and the user-program-first flag.
#pragma once

#include <cstdint>

// The largest RAM image: one writeMem carries a 16-bit count.
constexpr uint32_t kRamImageMax = 0xFFFF;

// Loads the file at path; 1 on success, 0 after a failure, each step
// printing its own message. A failed load leaves flash erased or programmed
// up to the failure.
int loadMOT(const char* path);

// Programs the flag's piece (127 bytes 0xFF, then 0x00); 1 on success.
int writeUserFlag();
