// The loader talks to the monitor piece by piece and says where it stopped:
// every request it sends is awaited and checked before the next one, and a
// failure ends the load at once with the block or address it reached.
#include "flash/loader.h"

#include <cstdio>

#include "flash/load_image.h"
#include "flash/srecord.h"
#include "link/packet.h"
#include "link/transaction.h"
#include "target/memory.h"

namespace {

unsigned long ul(uint32_t value)
{
    return static_cast<unsigned long>(value);
}

// FLASH_ERASE of block with the loader's own messages.
int eraseBlock(int block)
{
    packetBegin(FLASH_ERASE);
    packetPutByte(static_cast<uint8_t>(block));
    packetEnd();
    Reply reply;
    if (exchange(FLASH_ERASE, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK) {
        std::printf("loadMOT:Error(Abnormal termination) at Flash-ROM Erase phase(block %d)\n", block);
        return 0;
    }
    if (packetGetByte() != 1) {
        std::printf("loadMOT:Error(Erase fail) at Flash-ROM Erase phase(block %d)\n", block);
        return 0;
    }
    return 1;
}

enum ProgramResult { PROGRAMMED, NO_REPLY, PROGRAM_FAILED };

// FLASH_WRITE of the write buffer to destination; on PROGRAM_FAILED *code
// holds the monitor's 16-bit error code.
ProgramResult programPiece(uint32_t destination, uint16_t* code)
{
    packetBegin(FLASH_WRITE);
    packetPutLong(writeBufferAddress);
    packetPutLong(destination);
    packetEnd();
    Reply reply;
    if (exchange(FLASH_WRITE, 0, WAIT_RESPONSE, &reply) != EXCHANGE_OK)
        return NO_REPLY;
    if (packetGetByte() != 1) {
        *code = packetGetWord();
        return PROGRAM_FAILED;
    }
    return PROGRAMMED;
}

// Stages piece in the write buffer and programs it at destination; a
// failure is reported under who's name. Programming a buffer that did not
// take the piece would put whatever it held before into flash, so a failed
// staging ends here.
int stageAndProgram(const char* who, const uint8_t* piece, uint32_t destination)
{
    if (!writeMem(writeBufferAddress, kFlashPiece, piece)) {
        std::printf("%s:Error(Buffer write fail) at Flash-ROM Write phase(%08lX)\n", who, ul(destination));
        return 0;
    }
    uint16_t code = 0;
    switch (programPiece(destination, &code)) {
    case PROGRAMMED:
        return 1;
    case NO_REPLY:
        std::printf("%s:Error(Abnormal termination) at Flash-ROM Write phase(%08lX)\n", who, ul(destination));
        return 0;
    case PROGRAM_FAILED:
        std::printf(
            "%s:Error(Write fail) at Flash-ROM Write phase(adrs=%08lX, code=%04X)\n", who, ul(destination), code);
        return 0;
    }
    return 0;
}

// One piece of the load, with its progress line.
int writePiece(const uint8_t* piece, uint32_t destination)
{
    std::printf("FlashWrite:Source Address = %08lX : Target Address=%08lX\r", ul(writeBufferAddress), ul(destination));
    std::fflush(stdout);
    return stageAndProgram("loadMOT", piece, destination);
}

// Both scans print the range they found the same way.
int scanRange(const char* path, uint32_t high, uint32_t* lowest, uint32_t* highest)
{
    if (!readMOTRange(path, 0, high, lowest, highest))
        return 0;
    std::printf("%s : %08lX - %08lX\n", path, ul(*lowest), ul(*highest));
    return 1;
}

// A set user flag would start the old program at the next reset, so its
// block is erased with the load. The flag's byte must be known for that: a
// failed read stops the load rather than erase block 9 on a guess.
int eraseUserFlagBlock()
{
    uint8_t flag = 0xFF;
    if (!readMem(kUserFlagAddress, 1, &flag)) {
        std::printf("loadMOT:Error(User-Flag read fail) at Flash-ROM Erase phase(adrs=%08lX)\n", ul(kUserFlagAddress));
        return 0;
    }
    int block = blockOf(kUserFlagAddress);
    if (flag == 0xFF || block < 0)
        return 1;
    if (!eraseBlock(block))
        return 0;
    std::printf("Block %d(USER-Flag) erased\n", block);
    return 1;
}

int loadFlash(const char* path)
{
    uint32_t lowest = 0;
    uint32_t highest = 0;
    if (!scanRange(path, kFlashEnd, &lowest, &highest))
        return 0;
    // loadMOT has refused a file that starts below block 2; a record that
    // runs past the end of flash still ends the load here.
    int first = blockOf(lowest);
    int last = blockOf(highest - 1);
    if (last < 0) {
        std::printf("Invalid address\n");
        return 0;
    }
    // Records beyond flash are left out; the first scan has said so.
    readMOTData(path, imageBuffer, kFlashLoadStart, kFlashEnd);
    std::printf("finished to load %s. Erase flash-ROM\n", path);

    for (int block = first; block <= last; ++block) {
        if (!eraseBlock(block))
            return 0;
    }
    std::printf("Block %d-%d erased\n", first, last);
    if (!eraseUserFlagBlock())
        return 0;

    // Up to the piece holding the last byte, and never past flash.
    uint32_t end = highest - kFlashLoadStart + kFlashPiece;
    for (uint32_t offset = 0; offset < end && kFlashLoadStart + offset < kFlashEnd; offset += kFlashPiece) {
        const uint8_t* piece = imageBuffer + offset;
        if (isBlankPiece(piece))
            continue;
        if (!writePiece(piece, kFlashLoadStart + offset))
            return 0;
    }
    return 1;
}

// A RAM image goes to the target in one writeMem, from the image buffer, so
// it must fit all three: target RAM, the buffer and the 16-bit count. An
// image that does not is refused before anything is written.
int loadRam(const char* path, uint32_t lowest, uint32_t highest)
{
    // A file without data gives lowest 0xFFFFFFFF and highest 0: nothing to
    // write. Any other end below the start comes from a record running past
    // the top of the address space.
    bool noData = lowest == 0xFFFFFFFF && highest == 0;
    if (noData || highest == lowest)
        return 1;
    if (highest < lowest) {
        std::printf("loadMOT:Error(Address wraps) %08lX - %08lX\n", ul(lowest), ul(highest));
        return 0;
    }
    uint32_t size = highest - lowest;
    if (size > kRamImageMax || size > kImageBufferSize) {
        std::printf("loadMOT:Error(RAM image too large) %08lX - %08lX is %lu bytes, more than %lu\n", ul(lowest),
            ul(highest), ul(size), ul(kRamImageMax));
        return 0;
    }
    if (lowest < kTargetRamStart || highest > kTargetRamEnd) {
        std::printf("loadMOT:Error(Out of RAM) %08lX - %08lX lies outside target RAM %08lX - %08lX\n", ul(lowest),
            ul(highest), ul(kTargetRamStart), ul(kTargetRamEnd));
        return 0;
    }
    readMOTData(path, imageBuffer, lowest, highest);
    if (!writeMem(lowest, static_cast<uint16_t>(size), imageBuffer)) {
        std::printf("loadMOT:Error(RAM write fail) at %08lX - %08lX\n", ul(lowest), ul(highest));
        return 0;
    }
    return 1;
}

} // namespace

int loadMOT(const char* path)
{
    std::printf("Flash-ROM write buffer address = %08lX\n", ul(writeBufferAddress));
    for (uint8_t& byte : imageBuffer)
        byte = 0xFF;

    uint32_t lowest = 0;
    uint32_t highest = 0;
    if (!scanRange(path, 0xFFFFFFFF, &lowest, &highest))
        return 0;

    int ok;
    if (lowest >= targetInfo.flashAreaAddress) {
        ok = loadRam(path, lowest, highest);
    } else {
        int first = blockOf(lowest);
        int last = blockOf(highest - 1);
        if (first < 2) {
            std::printf("Invalid address\n");
            return 0;
        }
        if (last < 0) {
            std::printf("This file contains out-of-flash block.\n");
            std::printf("Check highest address of flash-rom block.\n");
        }
        ok = loadFlash(path);
    }
    if (!ok)
        return 0;
    std::printf("\n");
    return 1;
}

int writeUserFlag()
{
    for (uint32_t i = 0; i < kFlashPiece; ++i)
        imageBuffer[i] = 0xFF;
    imageBuffer[kFlashPiece - 1] = 0x00;
    return stageAndProgram("writeUserFlag", imageBuffer, kUserFlagPiece);
}
