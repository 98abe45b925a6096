#include "support/case_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

std::vector<CaseLine> readCases(const std::string& path)
{
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << "no case file " << path;
    std::vector<CaseLine> cases;
    std::string text;
    for (int n = 1; std::getline(in, text); ++n) {
        if (text.empty() || text[0] == '#')
            continue;
        if (text.ends_with(" |"))
            text += ' '; // an empty last field
        CaseLine c {n, {}};
        for (size_t start = 0;;) {
            size_t bar = text.find(" | ", start);
            c.fields.push_back(unescape(text.substr(start, bar - start)));
            if (bar == std::string::npos)
                break;
            start = bar + 3;
        }
        cases.push_back(c);
    }
    return cases;
}

std::string unescape(const std::string& text)
{
    static const std::string from = "nrt\\", to = "\n\r\t\\";
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t escape = i + 1 < text.size() && text[i] == '\\' ? from.find(text[i + 1]) : std::string::npos;
        if (i + 3 < text.size() && text[i] == '\\' && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else if (escape != std::string::npos) {
            out += to[escape];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Bytes hexToBytes(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        const size_t star = token.find('*');
        const int count = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
        bytes.insert(bytes.end(), count, static_cast<uint8_t>(std::stoi(token.substr(0, star), nullptr, 16)));
    }
    return bytes;
}

long long number(const std::string& text)
{
    return std::stoll(text, nullptr, text.rfind("0x", 0) == 0 ? 16 : 10);
}
