// SH-2 programs for the board, built in the test run with GNU binutils for SH
// (a missing tool fails the test, never skips it), as raw flash images from 0.
#pragma once

#include <cstdint>
#include <string>

// source (assembly whose code starts at 0) assembled and linked into image.
bool assembleFlashImage(const std::string& source, const std::string& image);
// The S-records of srec, whose data starts at base, as an image from 0 with
// 0xFF (erased flash) everywhere they put nothing.
bool srecordToFlashImage(const std::string& srec, uint32_t base, const std::string& image);
