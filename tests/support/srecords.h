// S-record lines for tests, with a correct count and checksum.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One S-record of type 1, 2 or 3 (2, 3 or 4 address bytes), ending in CR LF.
inline std::string srec(int type, uint32_t address, const std::vector<uint8_t>& data)
{
    int addressBytes = type + 1;
    std::vector<uint8_t> body {static_cast<uint8_t>(addressBytes + data.size() + 1)};
    for (int i = addressBytes - 1; i >= 0; --i)
        body.push_back(static_cast<uint8_t>(address >> (8 * i)));
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = "S" + std::to_string(type);
    char hex[3];
    for (uint8_t b : body) {
        sum += b;
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFF);
    return line + hex + "\r\n";
}

// size bytes from address as S2 records of 32 data bytes, byte i being (i * 7 + seed).
inline std::string srecImage(uint32_t address, uint32_t size, uint8_t seed = 0)
{
    std::string text;
    for (uint32_t done = 0; done < size; done += 32) {
        std::vector<uint8_t> data;
        for (uint32_t i = done; i < size && i < done + 32; ++i)
            data.push_back(static_cast<uint8_t>(i * 7 + seed));
        text += srec(2, address + done, data);
    }
    return text;
}
