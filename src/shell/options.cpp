#include "shell/options.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void printUsage(const char* program)
{
    std::printf("usage: %s [-option[ -option ..]] <target file>\n", program);
    std::printf(" -m filename  : load symbol from map file\n");
    std::printf(" -c <channel> : use COM port <channel>. ex. -c com1\n");
    std::printf(" -s <speed>   : use com port baud rate <speed>. ex. -s 19200\n");
}

// Copies text into a name field; a name that would not fit is refused and the
// earlier value kept, rather than cut short into a different device or file.
bool storeName(char* field, const char* text, const char* what)
{
    if (std::strlen(text) >= kNameCapacity) {
        std::printf("%s too long (at most %d characters)\n", what, kNameCapacity - 1);
        return false;
    }
    std::strcpy(field, text);
    return true;
}

bool equalsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

void setPort(StartupSettings* settings, const char* value)
{
    // A device path names the device itself: upper-casing it would name another file.
    if (value[0] == '/') {
        storeName(settings->portName, value, "com port name");
        return;
    }
    if (equalsIgnoringCase(value, "sim")) {
        storeName(settings->portName, "sim", "com port name");
        return;
    }
    char upper[kNameCapacity];
    if (std::strlen(value) >= kNameCapacity) {
        storeName(settings->portName, value, "com port name");
        return;
    }
    size_t i = 0;
    for (; value[i]; ++i)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(value[i])));
    upper[i] = '\0';
    if (std::strstr(upper, "COM") == nullptr) {
        std::printf("unknown com port name\n");
        return;
    }
    std::strcpy(settings->portName, upper);
}

// Leading blanks, a sign and the leading digits, the rest ignored; a number
// too large for a long gives the largest long rather than undefined behaviour,
// and the port then refuses that rate.
void setBaud(StartupSettings* settings, const char* value)
{
    char* end = nullptr;
    long baud = std::strtol(value, &end, 10);
    if (end != value)
        settings->baudRate = baud;
}

}  // namespace

void defaultSettings(StartupSettings* settings)
{
    std::strcpy(settings->portName, "com1");
    settings->baudRate = 19200;
    settings->mapFile[0] = '\0';
}

void scanOptions(int argc, char** argv, StartupSettings* settings)
{
    if (argc < 2) {
        printUsage(argc > 0 && argv[0] ? argv[0] : "");
        return;
    }
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        bool isMap = std::strcmp(option, "-m") == 0;
        bool isSpeed = std::strcmp(option, "-s") == 0;
        bool isPort = std::strcmp(option, "-c") == 0;
        if (!isMap && !isSpeed && !isPort)
            continue;
        if (i + 1 >= argc) {
            if (isMap)
                std::printf("map file name missing\n");
            else if (isSpeed)
                std::printf("speed parameter missing.\n");
            else
                std::printf("com port name missing\n");
            return;
        }
        const char* value = argv[++i];
        if (isMap)
            storeName(settings->mapFile, value, "map file name");
        else if (isSpeed)
            setBaud(settings, value);
        else
            setPort(settings, value);
    }
}
