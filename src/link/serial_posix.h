// What the termios backend checks after setting a device up.
#pragma once

#include <termios.h>

// The settings the line to the monitor needs: raw bytes (no echo, no line
// editing, no CR/LF rewriting, no signal characters), 8 data bits, no parity,
// one stop bit, no hardware or software flow control, receiver on, at speed.
bool isRaw8N1(const termios& t, speed_t speed);
