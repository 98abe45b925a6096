// The program's entry: options, banner, port, symbols, target identification,
// then the command loop. Exit status 0 in every case.
#pragma once

struct StartupSettings;

int runBrackenfell(int argc, char** argv);

// The pieces of the start-up, in order.
void printBanner(const StartupSettings& settings);
// Both version requests, the two area queries and the closing lines.
void identifyTarget();
