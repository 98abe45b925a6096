#include "flash/flash.h"

#include <cstdio>

// Flash programming arrives with the board's flash model; until then the commands say so.

bool flashEraseCommand(const char*)
{
    std::printf("FE: flash erasing is not available in this build yet.\n");
    return false;
}

bool flashWriteCommand(const char*, const char*)
{
    std::printf("FW: flash programming is not available in this build yet.\n");
    return false;
}

int loadMOT(const char*)
{
    std::printf("LO: loading S-records is not available in this build yet.\n");
    return 0;
}

int writeUserFlag()
{
    return 0;
}
