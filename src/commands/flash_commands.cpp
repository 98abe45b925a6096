// FE and FW, which check their arguments against the board's flash before
// anything is sent, and LO and USR, which load a file and write the user flag.
#include <cstdint>
#include <cstdio>

#include "commands/handlers.h"
#include "expr/expression.h"
#include "flash/flash.h"
#include "flash/loader.h"

namespace {

// FW reaches the flash above the monitor's block and below the user flag's piece.
constexpr uint32_t kFwLowest = 0x1000;

} // namespace

int flashEraseCommand(CommandArgs& args)
{
    if (args.argc != 1) {
        std::printf("No effective parameter(s)\n");
        return -1;
    }
    // An evaluation error gives 0xFFFFFFFF, which is -1 here and out of range.
    int32_t block = static_cast<int32_t>(evalExpression(args.first));
    if (block < 0 || block > kLastFlashBlock) {
        std::printf("Invalid block number %s\n", args.first);
        return -1;
    }
    flashErase(block);
    return 0;
}

int flashWriteCommand(CommandArgs& args)
{
    if (args.argc != 2) {
        std::printf("Error FlashROM address missing\n");
        return -1;
    }
    // The source lies in target RAM below the loader's own write buffer.
    uint32_t source = evalExpression(args.first);
    if (source < kTargetRamStart || source >= writeBufferAddress) {
        std::printf("Error. Bad write-buffer address.\n");
        return -1;
    }
    uint32_t destination = evalExpression(args.second);
    if (destination % kFlashPiece != 0 || destination < kFwLowest || destination >= kUserFlagPiece) {
        std::printf("Error. Bad flash-ROM address.\n");
        return -1;
    }
    flashWrite(source, destination);
    return 0;
}

// LO and USR report their outcome and leave the repeat text alone (the
// table's rule), so an empty line never starts a second load.

int loadCommand(CommandArgs& args)
{
    if (!loadMOT(args.first)) {
        std::printf("Error loading %s\n", args.first);
        return -1;
    }
    std::printf("Finished to load %s\n", args.first);
    return 0;
}

int userFlagCommand(CommandArgs&)
{
    std::printf("Precede user program execution. Write flag.\n");
    if (!writeUserFlag()) {
        std::printf("Fail to write flag.\n");
        return -1;
    }
    std::printf("Succeed.\n");
    return 0;
}
