// Programming flash over quillsim's line held to 115200 baud, against the
// wire bound: the bytes the exchanges move (eight 16-byte MEM_WRITEs and one
// FLASH_WRITE per 128-byte piece, requests and replies) at 11,520 bytes/s.
// What lies above the bound is the host's and the simulator's turn-around.

#include <chrono>
#include <cstdio>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "quillsim_child.h"

namespace {

constexpr long kBaud = 115200;
constexpr int kPieces = 64; // 8 KB: blocks 2 and 3
constexpr uint32_t kWriteBuffer = 0xFFFFBF80;
// Frame sizes on the wire: payload + 5 (STX, LEN, CMD, CHK, ETX).
constexpr int kMemWriteBytes = (5 + 16 + 5) + (1 + 5);
constexpr int kFlashWriteBytes = (8 + 5) + (1 + 5);
constexpr int kEraseBytes = (1 + 5) + (1 + 5);

bool erase(int block)
{
    packetBegin(FLASH_ERASE);
    packetPutByte(static_cast<uint8_t>(block));
    packetEnd();
    sendPacket();
    return waitResponse(FLASH_ERASE) == 0 && packetGetByte() == 1;
}

bool programPiece(uint32_t destination)
{
    for (int part = 0; part < 8; ++part) {
        packetBegin(MEM_WRITE);
        packetPutLong(kWriteBuffer + static_cast<uint32_t>(part) * 16);
        packetPutByte(16);
        for (int i = 0; i < 16; ++i)
            packetPutByte(static_cast<uint8_t>(destination + static_cast<uint32_t>(part * 16 + i)));
        packetEnd();
        sendPacket();
        if (receivePacket() <= 0 || packetGetByte() != MEM_WRITE || packetGetByte() != 1)
            return false;
    }
    packetBegin(FLASH_WRITE);
    packetPutLong(kWriteBuffer);
    packetPutLong(destination);
    packetEnd();
    sendPacket();
    return waitResponse(FLASH_WRITE) == 0 && packetGetByte() == 1;
}

// Erases two blocks and programs them; the seconds taken, or -1 on failure.
double programBlocks(const char* baudOption, const char* baudValue)
{
    QuillsimChild quillsim(baudOption, baudValue);
    if (quillsim.path().empty() || !initCom(quillsim.path().c_str(), kBaud)) {
        std::printf("paced line: no quillsim device\n");
        return -1;
    }
    uint8_t major, minor, build;
    rxTimeout = 100; // a dead link fails the bench in a second instead of hanging it
    bool ok = getTargetVersion(&major, &minor, &build) || getTargetVersion(&major, &minor, &build);
    auto start = std::chrono::steady_clock::now();
    ok = ok && erase(2) && erase(3);
    for (int i = 0; ok && i < kPieces; ++i)
        ok = programPiece(0x2000 + static_cast<uint32_t>(i) * 128);
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    closeCom();
    if (!ok)
        std::printf("paced line: an exchange failed\n");
    return ok ? elapsed : -1;
}

} // namespace

int main()
{
    constexpr int exchanges = 2 + kPieces * 9;
    // The same exchanges unpaced: the round trip of host and simulator alone.
    double unpaced = programBlocks(nullptr, nullptr);
    double paced = programBlocks("--baud", "115200");
    if (unpaced < 0 || paced < 0)
        return 1;
    long bytes = 2L * kEraseBytes + kPieces * (8L * kMemWriteBytes + kFlashWriteBytes);
    double bound = bytes / (kBaud / 10.0);
    std::printf("paced line %ld baud: %d exchanges, %ld bytes on the wire in %.3f s; wire bound %.3f s; "
                "%.2f%% above it (target 2%%)\n",
        kBaud, exchanges, bytes, paced, bound, 100.0 * (paced / bound - 1));
    std::printf("above the bound: %.0f us per exchange; the same exchanges unpaced: %.0f us each\n",
        1e6 * (paced - bound) / exchanges, 1e6 * unpaced / exchanges);
    return 0;
}
