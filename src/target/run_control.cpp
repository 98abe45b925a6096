#include "target/run_control.h"

#include <cstdio>

// Running the target arrives with the board's CPU; until then the commands say so.

int execTarget()
{
    return -1;
}

int goTarget()
{
    std::printf("G: running the target is not available in this build yet.\n");
    return -1;
}

int stepTarget(int, const char*)
{
    std::printf("S: stepping the target is not available in this build yet.\n");
    return -1;
}
