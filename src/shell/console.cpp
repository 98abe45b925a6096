// The console operations every subsystem uses, over whichever backend is installed.
#include "shell/console.h"

#include <cstdint>
#include <cstdio>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "shell/console_backend.h"

namespace {

std::unique_ptr<Console> gConsole;

constexpr int kPromptCapacity = 32;
char gPrompt[kPromptCapacity];
bool gPromptShown = false;

// Shows one byte the target sent while the prompt waits, and answers an
// unasked frame (the target announcing a restart) with the version exchange.
// Keeps *before, the text known to stand before the cursor, up to date.
void serveTargetByte(const char** before)
{
    uint8_t byte = 0;
    if (comRead(&byte, 1) != 1)
        return;
    std::fputc(byte, stdout);
    *before = byte == '\n' ? "" : nullptr;
    if (scanPacketByte(byte) == 3) {
        getTargetVersion(&targetInfo.versionMajor, &targetInfo.versionMinor, &targetInfo.versionBuild);
        std::printf("\n>");
        std::fflush(stdout);
        *before = ">";
    }
}

}  // namespace

int readStreamLine(std::FILE* stream, char* buffer, int capacity)
{
    int length = 0;
    bool tooLong = false;
    int c = EOF;
    while ((c = std::fgetc(stream)) != EOF && c != '\n') {
        // A CR LF line end is a line end, even when the line fills the buffer.
        if (c == '\r') {
            int next = std::fgetc(stream);
            if (next == '\n' || next == EOF) {
                c = '\n';
                break;
            }
            std::ungetc(next, stream);
        }
        if (length < capacity - 1)
            buffer[length] = static_cast<char>(c);
        else
            tooLong = true;
        ++length;
    }
    if (c == EOF && length == 0)
        return INPUT_END;
    if (tooLong) {
        buffer[0] = '\0';
        return INPUT_TOO_LONG;
    }
    buffer[length] = '\0';
    return length;
}

void initConsole()
{
    setConsole(makePlatformConsole());
}

void setConsole(std::unique_ptr<Console> c)
{
    if (gConsole)
        gConsole->restore();
    gConsole = std::move(c);
}

Console* console()
{
    return gConsole.get();
}

bool keyWaiting()
{
    return gConsole && gConsole->keyWaiting();
}

int readKey()
{
    return gConsole ? gConsole->readKey() : KEY_ESC;
}

void showPrompt(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
    std::snprintf(gPrompt, sizeof gPrompt, "%s", text);
    gPromptShown = true;
}

int inputLine(char* buffer, int capacity)
{
    buffer[0] = '\0';
    const char* before = gPromptShown ? gPrompt : nullptr;
    gPromptShown = false;
    if (!gConsole)
        return INPUT_END;
    if (gConsole->scripted()) {
        while (comAvailable() > 0)
            serveTargetByte(&before);
    } else {
        while (!gConsole->keyWaiting()) {
            // A device that went away (negative count) has nothing more to show.
            if (comAvailable() > 0) {
                serveTargetByte(&before);
                continue;
            }
            std::fflush(stdout);
            comIdle(gConsole->waitFd());
        }
    }
    std::fflush(stdout);
    gConsole->setPrompt(before);
    int length = gConsole->readLine(buffer, capacity);
    if (length == INPUT_TOO_LONG) {
        buffer[0] = '\0';
        std::printf("Input line too long (at most %d characters).\n", capacity - 1);
    } else if (length < 0) {
        buffer[0] = '\0';
    }
    return length;
}

namespace {

class ScriptConsole : public Console {
public:
    bool keyWaiting() override { return false; }
    int readKey() override { return KEY_ESC; }
    int readLine(char* buffer, int capacity) override
    {
        int length = readStreamLine(stdin, buffer, capacity);
        if (length >= 0)
            std::printf("%s\n", buffer);
        return length;
    }
    int waitFd() override { return -1; }
    bool scripted() override { return true; }
};

}  // namespace

std::unique_ptr<Console> makeScriptConsole()
{
    return std::make_unique<ScriptConsole>();
}
