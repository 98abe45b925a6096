#include "flash/flash.h"

#include <cstdint>
#include <cstdio>

#include "expr/expression.h"
#include "link/packet.h"
#include "link/transaction.h"

namespace {

constexpr int kLastBlock = 9;
// FW programs from target RAM below the loader's own write buffer, into flash
// above the monitor's block and below the piece that holds the user flag.
constexpr uint32_t kRamStart = 0xFFFFA000;
constexpr uint32_t kWriteBufferAddress = 0xFFFFBF80;
constexpr uint32_t kFlashPiece = 128;
constexpr uint32_t kFwLowest = 0x1000;
constexpr uint32_t kFwEnd = 0x1FF80;

}  // namespace

bool flashEraseCommand(const char* blockText)
{
    // An evaluation error gives 0xFFFFFFFF, which is -1 here and out of range.
    int32_t block = static_cast<int32_t>(evalExpression(blockText));
    if (block < 0 || block > kLastBlock) {
        std::printf("Invalid block number %s\n", blockText);
        return false;
    }
    packetBegin(FLASH_ERASE);
    packetPutByte(static_cast<uint8_t>(block));
    packetEnd();
    sendPacket();
    if (waitResponse(FLASH_ERASE) != 0) {
        std::printf("Error at Flash-ROM erase\n");
        return true;
    }
    if (packetGetByte() == 0)
        std::printf("Flash-ROM Erase Error. code = %02X\n", packetGetByte());
    return true;
}

bool flashWriteCommand(const char* sourceText, const char* destinationText)
{
    uint32_t source = evalExpression(sourceText);
    if (source < kRamStart || source >= kWriteBufferAddress) {
        std::printf("Error. Bad write-buffer address.\n");
        return false;
    }
    uint32_t destination = evalExpression(destinationText);
    if (destination % kFlashPiece != 0 || destination < kFwLowest || destination >= kFwEnd) {
        std::printf("Error. Bad flash-ROM address.\n");
        return false;
    }
    packetBegin(FLASH_WRITE);
    packetPutLong(source);
    packetPutLong(destination);
    packetEnd();
    sendPacket();
    int d = waitResponse(FLASH_WRITE);
    if (d != 0) {
        std::printf("Error at Flash-ROM write %d\n", d);
        return true;
    }
    if (packetGetByte() == 0)
        std::printf("Flash-ROM Write Error. code = %02X\n", packetGetByte());
    return true;
}

// Loading S-records and the user flag arrive with the board's flash model;
// until then the commands say so.

int loadMOT(const char*)
{
    std::printf("LO: loading S-records is not available in this build yet.\n");
    return 0;
}

int writeUserFlag()
{
    std::printf("USR: writing the user flag is not available in this build yet.\n");
    return 0;
}
