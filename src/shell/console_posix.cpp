// The console on POSIX: a terminal with line editing and history, or a script
// on a pipe or file.
//
// A single key press must be seen before Enter (the run control forwards keys
// to the target one by one), so while the program is not reading a line the
// terminal is kept without canonical input and without echo. A line after the
// loop's own prompt is read with the line editor (history, cursor keys), which
// gets the terminal as it was found; any other line is edited in place. Whatever
// happens, the terminal is put back on exit and on the signals that end the program.
#include <errno.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <string>
#include <vector>

#ifdef BF_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

#include "shell/completion.h"
#include "shell/console_backend.h"

namespace {

// A cursor or function key arrives as an escape sequence; it is reported as one
// code that is not the abort key, so pressing an arrow never stops the target.
constexpr int kKeyWithoutCharacter = 0xE0;
constexpr int kEscapeSequenceMs = 25;

termios gFound;
bool gHaveFound = false;
bool gKeyMode = false;

void restoreTerminal()
{
    if (gHaveFound)
        tcsetattr(STDIN_FILENO, TCSANOW, &gFound);
    gKeyMode = false;
}

void restoreAndDie(int signal)
{
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void enterKeyMode()
{
    if (!gHaveFound || gKeyMode)
        return;
    termios t = gFound;
    t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &t);
    gKeyMode = true;
}

bool inputReady(int timeoutMs)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

void guardTerminal()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    std::atexit(restoreTerminal);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = restoreAndDie;
    sigemptyset(&action.sa_mask);
    // A signal the program was started with ignored (nohup, a background
    // job) stays ignored.
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction previous;
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(s, &action, nullptr);
    }
}

void echoToTerminal(const char* text, size_t length);

#ifdef BF_HAVE_LIBEDIT
// The editor's own Tab completes file names and, finding none, drops the Tab
// and rings the bell. Here Tab only ever adds to the word before the cursor:
// the rest of its one completion, the common start of several (a second Tab
// lists them), or, with nothing to complete, the Tab itself as a separator.
int tabAtPrompt(int /*count*/, int /*key*/)
{
    const int end = rl_point;
    int start = end;
    while (start > 0 && std::strchr(kCompletionWordBreaks, rl_line_buffer[start - 1]) == nullptr)
        --start;
    const std::vector<std::string> words = completeWord(rl_line_buffer, start, end);
    const size_t typed = static_cast<size_t>(end - start);
    if (words.size() == 1 || words[0].size() > typed) {
        rl_insert_text(words[0].c_str() + typed);
    } else {
        std::string list = "\n";
        for (size_t i = 1; i < words.size(); ++i)
            list += words[i] + (i + 1 < words.size() ? "  " : "\n");
        echoToTerminal(list.c_str(), list.size());
    }
    // The editor redraws the prompt and line from the start of the screen line.
    echoToTerminal("\r", 1);
    rl_forced_update_display();
    return 0;
}

void setUpCompletion()
{
    rl_add_defun("brackenfell-tab", tabAtPrompt, '\t');
}

int readEdited(const char* prompt, char* buffer, int capacity)
{
    restoreTerminal();
    // The prompt is on the screen already; the editor draws it again in the
    // same place so that it knows where the typed text starts.
    std::fputs("\r", stdout);
    std::fflush(stdout);
    char* line = readline(prompt);
    enterKeyMode();
    buffer[0] = '\0';
    if (line == nullptr)
        return INPUT_END;
    size_t length = std::strlen(line);
    if (length >= static_cast<size_t>(capacity)) {
        std::free(line);
        return INPUT_TOO_LONG;
    }
    if (length > 0)
        add_history(line);
    std::memcpy(buffer, line, length + 1);
    std::free(line);
    return static_cast<int>(length);
}
#endif

// Echo goes to the terminal the keys come from, even when the output is
// sent elsewhere; the output stream was flushed before the line was read.
void echoToTerminal(const char* text, size_t length)
{
    if (write(STDIN_FILENO, text, length) < 0 && write(STDOUT_FILENO, text, length) < 0)
        return;  // nothing to show it on
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Rubs out the last character shown, and the bytes it took.
void eraseLast(std::string* line)
{
    if (line->empty())
        return;
    while (line->size() > 1 && isContinuationByte(line->back()))
        line->pop_back();
    line->pop_back();
    echoToTerminal("\b \b", 3);
}

// The line input used when the text before the cursor is not known (a prompt
// printed by someone else, target output on the line): the terminal stays in
// the key mode and this edits with relative moves only, so nothing already
// on the screen is redrawn or overwritten. Enter ends the line, Ctrl+D on an
// empty line ends the input; erase, kill-line and word-erase work; cursor and
// function keys are ignored.
int readPlain(char* buffer, int capacity)
{
    enterKeyMode();
    std::string line;
    buffer[0] = '\0';
    for (;;) {
        unsigned char c = 0;
        ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || (c == gFound.c_cc[VEOF] && line.empty())) {
            if (!line.empty())
                break;
            return INPUT_END;
        }
        if (c == '\n' || c == '\r') {
            echoToTerminal("\r\n", 2);
            break;
        }
        if (c == gFound.c_cc[VERASE] || c == '\b') {
            eraseLast(&line);
        } else if (c == gFound.c_cc[VKILL]) {
            while (!line.empty())
                eraseLast(&line);
        } else if (c == gFound.c_cc[VWERASE]) {
            while (!line.empty() && line.back() == ' ')
                eraseLast(&line);
            while (!line.empty() && line.back() != ' ')
                eraseLast(&line);
        } else if (c == KEY_ESC) {
            // The rest of a cursor or function key's sequence, if it is one.
            unsigned char next = 0;
            while (inputReady(kEscapeSequenceMs) && read(STDIN_FILENO, &next, 1) == 1)
                if (next >= 0x40 && next <= 0x7E && next != '[' && next != 'O')
                    break;
        } else if (c >= 0x20 || c == '\t') {
            line.push_back(static_cast<char>(c));
            echoToTerminal(reinterpret_cast<const char*>(&c), 1);
        }
    }
    if (line.size() >= static_cast<size_t>(capacity))
        return INPUT_TOO_LONG;
    std::memcpy(buffer, line.c_str(), line.size() + 1);
    return static_cast<int>(line.size());
}

class TerminalConsole : public Console {
public:
    TerminalConsole()
    {
        gHaveFound = tcgetattr(STDIN_FILENO, &gFound) == 0;
        guardTerminal();
#ifdef BF_HAVE_LIBEDIT
        // The editor sets itself up here and looks at the terminal as it is
        // now: with echo off it would decide it cannot edit.
        using_history();
        setUpCompletion();
#endif
        // From now on keys typed ahead arrive one by one, never as a cooked line.
        enterKeyMode();
    }
    ~TerminalConsole() override
    {
        restoreTerminal();
        gHaveFound = false;  // nothing of ours is left to undo at exit
    }

    bool keyWaiting() override
    {
        enterKeyMode();
        return inputReady(0);
    }

    int readKey() override
    {
        enterKeyMode();
        unsigned char c = 0;
        if (read(STDIN_FILENO, &c, 1) != 1)
            return KEY_ESC;
        // The terminal turns Enter into a line feed; the target expects the
        // carriage return that the key itself sends.
        if (c == '\n')
            return '\r';
        if (c != KEY_ESC || !inputReady(kEscapeSequenceMs))
            return c;
        // The rest of the sequence: parameters, then one final byte 0x40..0x7E.
        unsigned char next = 0;
        if (read(STDIN_FILENO, &next, 1) == 1 && (next == '[' || next == 'O')) {
            for (int i = 0; i < 8 && inputReady(kEscapeSequenceMs); ++i) {
                if (read(STDIN_FILENO, &next, 1) != 1 || (next >= 0x40 && next <= 0x7E))
                    break;
            }
        }
        return kKeyWithoutCharacter;
    }

    int readLine(char* buffer, int capacity) override
    {
#ifdef BF_HAVE_LIBEDIT
        // The editor redraws the prompt, so it must know it; and it needs the
        // terminal for its output too, or it stops editing and no longer sees Ctrl+D.
        if (promptKnown_ && isatty(STDOUT_FILENO))
            return readEdited(prompt_.c_str(), buffer, capacity);
#endif
        return readPlain(buffer, capacity);
    }

    void setPrompt(const char* text) override
    {
        promptKnown_ = text != nullptr;
        prompt_ = text ? text : "";
    }

    int waitFd() override { return STDIN_FILENO; }
    void restore() override { restoreTerminal(); }

private:
    bool promptKnown_ = false;
    std::string prompt_;
};

}  // namespace

std::unique_ptr<Console> makePlatformConsole()
{
    if (isatty(STDIN_FILENO))
        return std::make_unique<TerminalConsole>();
    return makeScriptConsole();
}

bool consoleWantsUtf8()
{
    // Only the character set is asked for; the rest of the program keeps the
    // "C" locale so that upper-casing and number formats do not depend on it.
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = previous ? previous : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = nl_langinfo(CODESET);
        utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}
