// The console on Windows: the C runtime's key test and raw key read, and line
// input with the console's own echo and editing.
#include <conio.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "shell/console_backend.h"

namespace {

// Cursor and function keys arrive as a prefix (0 or 0xE0) and a second code;
// both are taken so the second never reads as a key of its own.
constexpr int kKeyWithoutCharacter = 0xE0;

class WindowsConsole : public Console {
public:
    bool keyWaiting() override { return _kbhit() != 0; }
    int readKey() override
    {
        int c = _getch();
        if (c == 0 || c == 0xE0) {
            _getch();
            return kKeyWithoutCharacter;
        }
        return c;
    }
    int readLine(char* buffer, int capacity) override { return readStreamLine(stdin, buffer, capacity); }
    int waitFd() override { return -1; }
};

}  // namespace

std::unique_ptr<Console> makePlatformConsole()
{
    if (_isatty(_fileno(stdin)))
        return std::make_unique<WindowsConsole>();
    return makeScriptConsole();
}

bool consoleWantsUtf8()
{
    return false;
}
