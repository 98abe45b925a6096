// The target's flash as the loader sees it: the host image a load is
// assembled in, and the 128-byte pieces it is programmed in.
#pragma once

#include <cstdint>

#include "flash/flash.h"

// Blocks 0 and 1 hold the monitor; a load starts above them.
constexpr uint32_t kFlashLoadStart = 0x2000;
constexpr uint32_t kFlashEnd = 0x20000;
// The last flash byte: not 0xFF asks the monitor to start the user program first.
constexpr uint32_t kUserFlagAddress = 0x1FFFF;
constexpr uint32_t kImageBufferSize = 0x20000;

// In a flash load byte i stands for flash address kFlashLoadStart + i; in a
// RAM load for the image's lowest address + i.
extern uint8_t imageBuffer[kImageBufferSize];

// Whether all kFlashPiece bytes read 0xFF, the erased value.
bool isBlankPiece(const uint8_t* piece);
