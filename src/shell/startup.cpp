#include "shell/startup.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "commands/help_text.h"
#include "expr/symbols.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "shell/command_loop.h"
#include "shell/console.h"
#include "shell/console_backend.h"
#include "shell/options.h"
#include "target/memory.h"

namespace {

constexpr int kVersionMajor = 0;
constexpr int kVersionMinor = 1;
constexpr int kBuild = 1;
constexpr int kFirstRequestPolls = 1000;  // about ten seconds of silence

const char* const kStars = "********************************************************************\n";

void printArea(const char* label, uint32_t address, uint32_t size)
{
    uint32_t last = address + size - 1;
    std::printf("%s%08lX - %08lX (size = %08lX)\n", label, static_cast<unsigned long>(address),
                static_cast<unsigned long>(last), static_cast<unsigned long>(size));
}

}  // namespace

void printBanner(const StartupSettings& settings)
{
    std::printf("%s", kStars);
    std::printf("\n");
    std::printf("Tarnwick SH7125 Brackenfell Ver %d.%d(build %d)\n", kVersionMajor, kVersionMinor, kBuild);
    std::printf("Host debugger for programs in SH7125 flash, over the quillmon serial monitor\n");
    std::printf("Use port %-4s speed %6ld\n", settings.portName, settings.baudRate);
    std::printf("\n");
}

void identifyTarget()
{
    TargetInfo& t = targetInfo;
    rxTimeout = kFirstRequestPolls;
    if (!getTargetVersion(&t.versionMajor, &t.versionMinor, &t.versionBuild))
        std::printf("No responce from target. Push RESET or ABORT Switch.\n");
    // Asked again even after an answer, and this time without a limit: a
    // silent board holds the program here until it is reset.
    rxTimeout = 0;
    if (getTargetVersion(&t.versionMajor, &t.versionMinor, &t.versionBuild))
        std::printf("Target Board(SH7125) quillmon Ver %d.%d(build %d)\n", t.versionMajor, t.versionMinor,
                    t.versionBuild);
    else
        std::printf("Can't read Target Board Version.\n");

    if (getFlashArea(&t.flashAreaAddress, &t.flashAreaSize))
        printArea("Flash-program/data address = ", t.flashAreaAddress, t.flashAreaSize);
    else
        std::printf("Can't read Target Board Flash-ROM programming area\n");
    if (getUserArea(&t.userAreaAddress, &t.userAreaSize))
        printArea("User data address =          ", t.userAreaAddress, t.userAreaSize);
    else
        std::printf("Can't read Target Board User RAM area\n");

    // The flash area's start to the user area's end; a failed query left zeros.
    uint32_t last = t.userAreaAddress + t.userAreaSize - 1;
    uint32_t size = t.flashAreaSize + t.userAreaSize;
    std::printf("Total User RAM Area =        %08lX - %08lX (size = %08lX)\n",
                static_cast<unsigned long>(t.flashAreaAddress), static_cast<unsigned long>(last),
                static_cast<unsigned long>(size));

    std::printf("\n");
    std::printf("Enter 'HELP' for usage.\n");
    std::printf("\n");
    std::printf("%s", kStars);
}

int runBrackenfell(int argc, char** argv)
{
    StartupSettings settings;
    defaultSettings(&settings);
    rxTimeout = 0;
    clearMemCache();
    // Taken over at once, so that keys typed during start-up wait for the prompt.
    if (console() == nullptr)
        initConsole();
    if (helpEncoding() == HelpEncoding::Unset)
        setHelpEncoding(consoleWantsUtf8() ? HelpEncoding::Utf8 : HelpEncoding::ShiftJis);
    scanOptions(argc, argv, &settings);
    printBanner(settings);

    if (!initCom(settings.portName, settings.baudRate)) {
        std::printf("initCom() returns with error.\n");
        std::fflush(stdout);
        return 0;
    }
    if (std::strlen(settings.mapFile) > 1)
        loadSymbols(settings.mapFile);
    identifyTarget();
    std::fflush(stdout);

    commandLoop();
    closeCom();
    if (console() != nullptr)
        console()->restore();
    std::fflush(stdout);
    return 0;
}
