// Map files for the symbol tests, in the linker's exact columns.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "expr/symbols.h"

inline std::string nameLine(const std::string& name) { return "  " + name + "\n"; }

// 34 spaces, the address at 35, the extra (0x24) at 51, the flag at 62.
inline std::string addressLine(uint32_t address, char flag = 'g')
{
    char text[80];
    std::snprintf(text, sizeof text, "%34s%08X%8s24   func ,%c\n", "", address, "", flag);
    return text;
}

inline std::string mapPath() { return testing::TempDir() + "expr_" + std::to_string(getpid()) + ".map"; }

// Loads contents as a map file; returns what the loader printed.
inline std::string loadMap(const std::string& contents)
{
    const std::string path = mapPath();
    std::ofstream(path, std::ios::binary) << contents;
    testing::internal::CaptureStdout();
    loadSymbols(path.c_str());
    std::fflush(stdout);
    std::string printed = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    return printed;
}
