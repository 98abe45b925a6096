// G and S: running and stepping the target program. Running arrives with the
// board's CPU; until then the commands say so.
#include <cstdio>

#include "commands/handlers.h"

int goCommand(CommandArgs&)
{
    std::printf("G: running the target is not available in this build yet.\n");
    return -1;
}

int stepCommand(CommandArgs&)
{
    std::printf("S: stepping the target is not available in this build yet.\n");
    return -1;
}
