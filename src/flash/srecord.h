// Motorola S-record files: a range pass and a data pass, each of which opens,
// reads and closes the file by itself. Messages name the reader "readMOT".
#pragma once

#include <cstdint>
#include <cstdio>

// A line is read in pieces of at most this many characters; a longer
// physical line arrives as several pieces, each handled as a line.
constexpr int kMotLineMax = 255;

// The lowest start and highest end (exclusive) of the data records that
// reach into [low, high]. 1 on success; 0 when the file cannot be opened
// (lowest and highest untouched then) or a record is invalid (the values
// found before it are still given).
int readMOTRange(const char* path, uint32_t low, uint32_t high, uint32_t* lowest, uint32_t* highest);
// Copies the data of every record lying wholly inside [base, limit) to
// buffer[address - base]. 0 when the file cannot be opened, a record is
// invalid, or some record was left out for lying outside the bounds. The
// buffer holds limit - base bytes; nothing is ever stored outside it.
int readMOTData(const char* path, uint8_t* buffer, uint32_t base, uint32_t limit);

// The same passes over a stream the caller opened and closes.
int readMOTRangeFrom(std::FILE* file, uint32_t low, uint32_t high, uint32_t* lowest, uint32_t* highest);
int readMOTDataFrom(std::FILE* file, uint8_t* buffer, uint32_t base, uint32_t limit);

// digits hex digits of line from position, most significant first; 0 when
// the line is shorter than position + digits.
uint32_t hexField(const char* line, int position, int digits);
// 0-15 for a hex digit of either case, 0 for any other character.
int hexDigit(char c);
// Ends the line at its first CR or LF.
void cutLineEnd(char* line);
