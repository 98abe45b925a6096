// Map files for the symbol tests, written in the linker's exact columns.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "expr/symbols.h"

// "  name\n"
inline std::string nameLine(const std::string& name) { return "  " + name + "\n"; }

// 34 spaces, the address in characters 35-42, the extra in 51-52 (two
// digits, as the linker prints small sizes), text up to 61, the flag at 62.
inline std::string addressLine(uint32_t address, uint32_t extra = 0x24, char flag = 'g')
{
    char text[128];
    std::snprintf(text, sizeof text, "%34s%08X%8s%02X   func ,%c\n", "", address, "", extra, flag);
    return text;
}

inline std::string mapPath(const std::string& stem)
{
    return testing::TempDir() + "expr_" + std::to_string(getpid()) + "_" + stem + ".map";
}

inline std::string writeMap(const std::string& stem, const std::string& contents)
{
    std::string path = mapPath(stem);
    std::ofstream out(path, std::ios::binary);
    out << contents;
    return path;
}

// Loads contents as a map file; returns what the loader printed.
inline std::string loadMap(const std::string& contents, const std::string& stem = "map")
{
    std::string path = writeMap(stem, contents);
    testing::internal::CaptureStdout();
    loadSymbols(path.c_str());
    std::fflush(stdout);
    std::string printed = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    return printed;
}
