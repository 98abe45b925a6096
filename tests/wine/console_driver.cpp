// Types keys into a Windows console, for the Wine check of the Windows build:
// a pipe gives the debugger a script, never keys, so its key detection is seen
// only in a console window of its own. The driver starts the program in a new
// console, attaches to it, and follows its steps; every wait is bounded.
//
//   console_driver SCREEN_FILE STEP... -- PROGRAM ARGUMENTS...
//
//   see:TEXT   wait until TEXT shows on the screen after what the last see found
//   type:TEXT  key presses for TEXT; \r is Enter
//   shift      a press and release of Shift alone, which yields no character
//   mark:FILE  create FILE (for whoever waits outside Wine), then go on
//
// Then it waits for the program to end and writes the screen to SCREEN_FILE.
// Exit status: the program's own, or 100 and up when a step failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStepTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;
constexpr SHORT kScreenWidth = 120;
constexpr SHORT kScreenHeight = 500; // enough that nothing scrolls away

HANDLE gIn = INVALID_HANDLE_VALUE;
HANDLE gOut = INVALID_HANDLE_VALUE;
std::string gLastScreen; // the console may be gone once the program ends

void pressKey(WORD virtualKey, char c)
{
    INPUT_RECORD r[2] = {};
    for (int i = 0; i < 2; ++i) {
        r[i].EventType = KEY_EVENT;
        r[i].Event.KeyEvent.bKeyDown = i == 0;
        r[i].Event.KeyEvent.wRepeatCount = 1;
        r[i].Event.KeyEvent.wVirtualKeyCode = virtualKey;
        r[i].Event.KeyEvent.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
        r[i].Event.KeyEvent.uChar.AsciiChar = c;
    }
    DWORD written = 0;
    WriteConsoleInputA(gIn, r, 2, &written);
}

// Keys for text, where the two characters \r are Enter.
void typeText(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const bool enter = text.compare(i, 2, "\\r") == 0;
        i += enter;
        pressKey(enter ? VK_RETURN : static_cast<WORD>(VkKeyScanA(text[i]) & 0xFF), enter ? '\r' : text[i]);
    }
}

// The screen as text: each row without its trailing blanks, rows joined by LF.
std::string screenText()
{
    std::vector<char> cells(static_cast<size_t>(kScreenWidth) * kScreenHeight);
    DWORD got = 0;
    ReadConsoleOutputCharacterA(gOut, cells.data(), static_cast<DWORD>(cells.size()), COORD {0, 0}, &got);
    std::string text;
    for (DWORD row = 0; row * kScreenWidth < got; ++row) {
        std::string line(cells.data() + row * kScreenWidth, kScreenWidth);
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    if (text.find_first_not_of('\n') != std::string::npos)
        gLastScreen = text;
    return text;
}

bool see(const std::string& needle, size_t* from)
{
    for (DWORD waited = 0; waited < kStepTimeoutMs; waited += kPollMs) {
        size_t at = screenText().find(needle, *from);
        if (at != std::string::npos) {
            *from = at + needle.size();
            return true;
        }
        Sleep(kPollMs);
    }
    return false;
}

// The new console is not ready the moment the process starts: until it is,
// attaching may succeed without a usable screen, so the screen is asked for
// its size before the attachment counts.
bool attach(DWORD pid)
{
    for (DWORD waited = 0; waited < kStepTimeoutMs; waited += kPollMs) {
        FreeConsole();
        if (AttachConsole(pid)) {
            gIn = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                OPEN_EXISTING, 0, nullptr);
            gOut = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                OPEN_EXISTING, 0, nullptr);
            CONSOLE_SCREEN_BUFFER_INFO info {};
            if (gIn != INVALID_HANDLE_VALUE && gOut != INVALID_HANDLE_VALUE &&
                GetConsoleScreenBufferInfo(gOut, &info)) {
                SetConsoleScreenBufferSize(gOut, COORD {kScreenWidth, kScreenHeight});
                return true;
            }
            for (HANDLE h : {gIn, gOut})
                if (h != INVALID_HANDLE_VALUE)
                    CloseHandle(h);
        }
        Sleep(kPollMs);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    int dashes = 1;
    while (dashes < argc && std::string(argv[dashes]) != "--")
        ++dashes;
    if (argc < 3 || dashes + 1 >= argc) {
        std::fprintf(stderr, "usage: console_driver SCREEN_FILE STEP... -- PROGRAM ARGUMENTS...\n");
        return 100;
    }
    std::string command;
    for (int i = dashes + 1; i < argc; ++i)
        command += std::string(i > dashes + 1 ? " " : "") + "\"" + argv[i] + "\"";

    // The driver's own messages go to a file: once attached, its standard
    // streams may be the program's console.
    std::FILE* log = std::fopen((std::string(argv[1]) + ".log").c_str(), "w");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
            &startup, &process)) {
        std::fprintf(
            log ? log : stderr, "console_driver: cannot start %s: error %lu\n", command.c_str(), GetLastError());
        return 101;
    }
    // Wine draws a console in the display its session began with: a session
    // begun without one has none to give.
    int status = attach(process.dwProcessId) ? 0 : 102;
    size_t from = 0;
    for (int i = 2; i < dashes && status == 0; ++i) {
        const std::string step = argv[i];
        if (step.rfind("see:", 0) == 0 && !see(step.substr(4), &from)) {
            status = 103;
        } else if (step.rfind("type:", 0) == 0) {
            typeText(step.substr(5));
        } else if (step == "shift") {
            pressKey(VK_SHIFT, 0);
        } else if (step.rfind("mark:", 0) == 0) {
            if (std::FILE* mark = std::fopen(step.substr(5).c_str(), "w"))
                std::fclose(mark);
        } else if (step.rfind("see:", 0) != 0) {
            status = 104;
        }
        if (status != 0 && log != nullptr)
            std::fprintf(log, "console_driver: step %s failed\n", step.c_str());
    }
    if (status == 0 && WaitForSingleObject(process.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0)
        status = 105;
    if (status != 0 && log != nullptr)
        std::fprintf(
            log, "console_driver: status %d (102: no console, no display?; 105: the program did not end)\n", status);
    if (std::FILE* screen = std::fopen(argv[1], "w")) {
        screenText();
        std::fputs(gLastScreen.c_str(), screen);
        std::fclose(screen);
    }
    if (status != 0) {
        TerminateProcess(process.hProcess, 1);
        return status;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
