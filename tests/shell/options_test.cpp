#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/options.h"

namespace {

struct OptionCase {
    const char* what;
    std::vector<std::string> args;  // after the program name
    std::string port;
    long baud;
    std::string map;
    std::string printed;
};

const std::string kCom99 = "COM" + std::string(96, '9');
const std::string kTooLongPort = "com port name too long (at most 99 characters)\n";

const OptionCase kCases[] = {
    {"no arguments: usage with the program path, defaults kept", {}, "com1", 19200, "",
     "usage: ./brackenfell [-option[ -option ..]] <target file>\n"
     " -m filename  : load symbol from map file\n"
     " -c <channel> : use COM port <channel>. ex. -c com1\n"
     " -s <speed>   : use com port baud rate <speed>. ex. -s 19200\n"},
    {"port is upper-cased", {"-c", "com3"}, "COM3", 19200, "", ""},
    {"COM anywhere in the name", {"-c", "xcom10"}, "XCOM10", 19200, "", ""},
    {"device path verbatim, COM not needed", {"-c", "/dev/ttyUSB0"}, "/dev/ttyUSB0", 19200, "", ""},
    {"sim in any case", {"-c", "SiM"}, "sim", 19200, "", ""},
    {"sim-like name is not sim", {"-c", "simx"}, "com1", 19200, "", "unknown com port name\n"},
    {"later port wins, refused one keeps it", {"-c", "com2", "-c", "com4", "-c", "lpt1"}, "COM4", 19200, "",
     "unknown com port name\n"},
    {"speed: blanks, sign and leading digits", {"-s", "  -9600baud"}, "com1", -9600, "", ""},
    {"non-numeric speed ignored", {"-s", "fast"}, "com1", 19200, "", ""},
    {"speed beyond a long saturates", {"-s", "99999999999999999999999"}, "com1", LONG_MAX, "", ""},
    {"speed is decimal, not hex", {"-s", "0x100"}, "com1", 0, "", ""},
    {"map takes the next option as its value", {"-m", "-c", "com3"}, "com1", 19200, "-c", ""},
    {"port missing", {"-c"}, "com1", 19200, "", "com port name missing\n"},
    {"map missing", {"-m"}, "com1", 19200, "", "map file name missing\n"},
    {"missing value ends the scan", {"-c", "com2", "-s"}, "COM2", 19200, "", "speed parameter missing.\n"},
    {"case-sensitive, attached values and others ignored", {"-C", "com3", "-ccom3", "-s9600", "target.abs"},
     "com1", 19200, "", ""},
    {"99-character names fit", {"-c", kCom99, "-m", std::string(99, 'm')}, kCom99, 19200, std::string(99, 'm'), ""},
    {"100-character names refused, earlier kept",
     {"-c", "com2", "-c", kCom99 + "9", "-c", "/" + std::string(99, 'd'), "-m", "a.map", "-m", std::string(100, 'm')},
     "COM2", 19200, "a.map", kTooLongPort + kTooLongPort + "map file name too long (at most 99 characters)\n"},
};

TEST(Options, EachRuleOfTheScan)
{
    for (OptionCase c : kCases) {
        SCOPED_TRACE(c.what);
        c.args.insert(c.args.begin(), "./brackenfell");
        std::vector<char*> argv;
        for (std::string& a : c.args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        StartupSettings s;
        defaultSettings(&s);
        testing::internal::CaptureStdout();
        scanOptions(static_cast<int>(c.args.size()), argv.data(), &s);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(s.portName, c.port);
        EXPECT_EQ(s.baudRate, c.baud);
        EXPECT_EQ(s.mapFile, c.map);
    }
}

}  // namespace
