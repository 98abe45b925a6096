// The user's console: line input that keeps serving the link while no key is
// pressed, and the abort key.
#pragma once

#include <memory>

constexpr int KEY_ESC = 0x1B;

// inputLine results besides the line length.
constexpr int INPUT_END = -1;       // end of console input
constexpr int INPUT_TOO_LONG = -2;  // the line did not fit; refused with a message, buffer empty

class Console {
public:
    virtual ~Console() = default;
    // A key press is waiting; nothing is consumed.
    virtual bool keyWaiting() = 0;
    // The next key, without echo or editing.
    virtual int readKey() = 0;
    // One line with echo and editing, without its line feed; INPUT_END or INPUT_TOO_LONG.
    virtual int readLine(char* buffer, int capacity) = 0;
    // Descriptor to wait on for the next key, or -1 when there is none to wait on.
    virtual int waitFd() = 0;
    // Puts the terminal back as it was found.
    virtual void restore() {}
    // The text before the cursor when readLine is called next, for an editor
    // that redraws it; nullptr when it is not known.
    virtual void setPrompt(const char* text) { (void)text; }
    // Lines come from a script, not a person: nothing is ever "pressed", so the
    // prompt only shows what the target already sent before the next line is read.
    virtual bool scripted() { return false; }
};

// Picks the backend for the standard input (terminal or script); installs it.
void initConsole();
void setConsole(std::unique_ptr<Console> console);
Console* console();

bool keyWaiting();
int readKey();
// Prints a prompt (no line feed) and flushes it; the next inputLine then knows
// what stands before the cursor. A prompt printed otherwise is left alone.
void showPrompt(const char* text);
// Echoes target output and answers unasked frames until a key is pressed, then reads the line.
int inputLine(char* buffer, int capacity);
