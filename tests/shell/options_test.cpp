// The command-line options: every case of options.txt.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "shell/options.h"
#include "support/case_file.h"

namespace {

TEST(Options, EveryCaseOfTheFile)
{
    for (const CaseLine& c : readCases(BF_SOURCE_DIR "/tests/shell/options.txt")) {
        SCOPED_TRACE(testing::Message() << "options.txt line " << c.line);
        std::vector<std::string> args {"./brackenfell"};
        std::istringstream words(c[0]);
        for (std::string word; std::getline(words, word, ' ');)
            if (!word.empty())
                args.push_back(word);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        StartupSettings s;
        defaultSettings(&s);
        testing::internal::CaptureStdout();
        scanOptions(static_cast<int>(args.size()), argv.data(), &s);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c[4]);
        EXPECT_EQ(s.portName, c[1]);
        EXPECT_EQ(s.baudRate, c[2] == "LONG_MAX" ? LONG_MAX : number(c[2]));
        EXPECT_EQ(s.mapFile, c[3]);
    }
}

} // namespace
