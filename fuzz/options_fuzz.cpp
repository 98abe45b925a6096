// scanOptions on an arbitrary argument vector: the input's NUL-separated
// pieces are argv[1] onwards. Whatever the options say, the settings keep
// terminated names that fit their fields, and a refused value leaves the
// field it was meant for as it was.
#include <vector>

#include "fuzz_support.h"
#include "shell/options.h"

namespace {

bool terminatedWithin(const char* field)
{
    return std::memchr(field, '\0', kNameCapacity) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The pieces live in one copy of the input with a NUL after its end.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::vector<char*> argv {const_cast<char*>("brackenfell")};
    for (size_t start = 0; start < size;) {
        argv.push_back(text.data() + start);
        start += std::strlen(text.data() + start) + 1;
    }
    argv.push_back(nullptr);

    StartupSettings settings;
    defaultSettings(&settings);
    // Poisoned beyond the defaults, so a name copied without its NUL shows.
    std::memset(settings.portName + 5, 'P', kNameCapacity - 5);
    std::memset(settings.mapFile + 1, 'M', kNameCapacity - 1);
    scanOptions(static_cast<int>(argv.size()) - 1, argv.data(), &settings);
    if (!terminatedWithin(settings.portName) || !terminatedWithin(settings.mapFile))
        std::abort();

    // A port name other than the default came from a -c value: "sim", a
    // device path, or an upper-cased name with COM in it.
    const char* port = settings.portName;
    if (std::strcmp(port, "com1") != 0 && std::strcmp(port, "sim") != 0 && port[0] != '/' &&
        std::strstr(port, "COM") == nullptr)
        std::abort();
    return 0;
}
