// The command-line options and the start-up settings they fill.
#pragma once

constexpr int kNameCapacity = 100;  // port and map file names: at most 99 characters

struct StartupSettings {
    char portName[kNameCapacity];
    long baudRate;
    char mapFile[kNameCapacity];
};

// "com1", 19200, no map file.
void defaultSettings(StartupSettings* settings);

// Scans argv[1..argc-1] as options, printing a message for each refused value,
// or prints the usage lines when there are no arguments at all.
void scanOptions(int argc, char** argv, StartupSettings* settings);
