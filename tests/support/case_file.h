// Test cases kept as text, one case a line: fields separated by " | ", lines
// starting with '#' and blank lines skipped. Fields may hold C escapes
// (\n \r \t \\ \xNN) for bytes a text file cannot show.
#pragma once

#include <string>
#include <vector>

#include "support/scripted_port.h"

struct CaseLine {
    int line; // in the file, for failure messages
    std::vector<std::string> fields;
    const std::string& operator[](size_t i) const { return fields.at(i); }
};

// The cases in the file at path; a missing file fails the running test.
std::vector<CaseLine> readCases(const std::string& path);
std::string unescape(const std::string& text);
// "02 02 12 EC 03" as bytes; "FF*112" stands for 112 of them.
Bytes hexToBytes(const std::string& text);
// A field as a number: decimal, or hexadecimal after 0x.
long long number(const std::string& text);
