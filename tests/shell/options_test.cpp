#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/options.h"

namespace {

struct Scan {
    std::string port;
    long baud;
    std::string map;
    std::string printed;
};

Scan scan(std::vector<std::string> args)
{
    args.insert(args.begin(), "./brackenfell");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    StartupSettings s;
    defaultSettings(&s);
    testing::internal::CaptureStdout();
    scanOptions(static_cast<int>(args.size()), argv.data(), &s);
    std::fflush(stdout);
    return {s.portName, s.baudRate, s.mapFile, testing::internal::GetCapturedStdout()};
}

struct OptionCase {
    const char* what;
    std::vector<std::string> args;
    const char* port;
    long baud;
    const char* map;
    const char* printed;
};

const OptionCase kCases[] = {
    {"port is upper-cased", {"-c", "com3"}, "COM3", 19200, "", ""},
    {"port without COM refused", {"-c", "lpt1"}, "com1", 19200, "", "unknown com port name\n"},
    {"COM anywhere in the name", {"-c", "xcom10"}, "XCOM10", 19200, "", ""},
    {"device path kept verbatim", {"-c", "/dev/ttyUSB0"}, "/dev/ttyUSB0", 19200, "", ""},
    {"device path without COM", {"-c", "/tmp/pts"}, "/tmp/pts", 19200, "", ""},
    {"sim in any case", {"-c", "SiM"}, "sim", 19200, "", ""},
    {"sim-like name is not sim", {"-c", "simx"}, "com1", 19200, "", "unknown com port name\n"},
    {"later port wins", {"-c", "com2", "-c", "com4"}, "COM4", 19200, "", ""},
    {"refused port keeps earlier", {"-c", "com2", "-c", "lpt1"}, "COM2", 19200, "", "unknown com port name\n"},
    {"port value may start with minus", {"-c", "-com5"}, "-COM5", 19200, "", ""},
    {"port missing", {"-c"}, "com1", 19200, "", "com port name missing\n"},
    {"decimal speed", {"-s", "57600"}, "com1", 57600, "", ""},
    {"speed digits only are decimal", {"-s", "1000"}, "com1", 1000, "", ""},
    {"speed with blanks and tail", {"-s", "  9600baud"}, "com1", 9600, "", ""},
    {"negative speed kept", {"-s", "-5"}, "com1", -5, "", ""},
    {"non-numeric speed ignored", {"-s", "fast"}, "com1", 19200, "", ""},
    {"sign alone is not a number", {"-s", "+"}, "com1", 19200, "", ""},
    {"speed beyond a long saturates", {"-s", "99999999999999999999999"}, "com1", LONG_MAX, "", ""},
    {"hex speed is not hex", {"-s", "0x100"}, "com1", 0, "", ""},
    {"speed missing", {"-s"}, "com1", 19200, "", "speed parameter missing.\n"},
    {"map file", {"-m", "app.map"}, "com1", 19200, "app.map", ""},
    {"map takes the next option as its value", {"-m", "-c", "com3"}, "com1", 19200, "-c", ""},
    {"map missing", {"-m"}, "com1", 19200, "", "map file name missing\n"},
    {"missing value ends the scan", {"-c", "com2", "-s"}, "COM2", 19200, "", "speed parameter missing.\n"},
    {"options are case-sensitive", {"-C", "com3", "-M", "x.map", "-S", "9600"}, "com1", 19200, "", ""},
    {"value attached is not an option", {"-ccom3", "-s9600"}, "com1", 19200, "", ""},
    {"other arguments ignored", {"target.abs", "-x"}, "com1", 19200, "", ""},
    {"all three", {"-s", "38400", "-m", "a.map", "-c", "com7"}, "COM7", 38400, "a.map", ""},
};

TEST(Options, EachRuleOfTheScan)
{
    for (const OptionCase& c : kCases) {
        SCOPED_TRACE(c.what);
        Scan s = scan(c.args);
        EXPECT_EQ(s.port, c.port);
        EXPECT_EQ(s.baud, c.baud);
        EXPECT_EQ(s.map, c.map);
        EXPECT_EQ(s.printed, c.printed);
    }
}

TEST(Options, NoArgumentsPrintsUsageWithProgramPathAndKeepsDefaults)
{
    char program[] = "/opt/bin/brackenfell";
    char* argv[] = {program, nullptr};
    StartupSettings s;
    defaultSettings(&s);
    testing::internal::CaptureStdout();
    scanOptions(1, argv, &s);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "usage: /opt/bin/brackenfell [-option[ -option ..]] <target file>\n"
              " -m filename  : load symbol from map file\n"
              " -c <channel> : use COM port <channel>. ex. -c com1\n"
              " -s <speed>   : use com port baud rate <speed>. ex. -s 19200\n");
    EXPECT_STREQ(s.portName, "com1");
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_STREQ(s.mapFile, "");
}

TEST(Options, NamesLongerThan99CharactersAreRefusedAndEarlierValueKept)
{
    std::string com99 = "COM" + std::string(96, '9');
    std::string com100 = "COM" + std::string(97, '9');
    std::string path100 = "/" + std::string(99, 'd');
    std::string map99(99, 'm');
    std::string map100(100, 'm');

    Scan fits = scan({"-c", com99, "-m", map99});
    EXPECT_EQ(fits.port, com99);
    EXPECT_EQ(fits.map, map99);
    EXPECT_EQ(fits.printed, "");

    Scan tooLong = scan({"-c", "com2", "-c", com100, "-c", path100, "-m", "a.map", "-m", map100});
    EXPECT_EQ(tooLong.port, "COM2");
    EXPECT_EQ(tooLong.map, "a.map");
    EXPECT_EQ(tooLong.printed,
              "com port name too long (at most 99 characters)\n"
              "com port name too long (at most 99 characters)\n"
              "map file name too long (at most 99 characters)\n");
}

}  // namespace
