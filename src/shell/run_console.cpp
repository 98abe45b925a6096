// Keys for a running target come from the installed console, one by one and
// without echo; a script has none, so its lines are never sent to the
// program and G waits for the stop report. Ctrl-C is caught only while the
// run control asks for it (a board in this process, whose abort switch it
// presses); otherwise it ends the program as it always does.
#include "shell/run_console.h"

#include <csignal>

#include "shell/console.h"
#include "target/run_control.h"

namespace {

volatile std::sig_atomic_t gInterrupts = 0;

extern "C" void countInterrupt(int signal)
{
    gInterrupts = 1;
    // Some C runtimes put the default action back before calling a handler.
    std::signal(signal, countInterrupt);
}

class ShellRunConsole : public RunConsole {
public:
    int takeKey() override
    {
        Console* c = console();
        if (c == nullptr || c->scripted() || !c->keyWaiting())
            return kNoKey;
        return c->readKey();
    }

    int waitFd() override
    {
        Console* c = console();
        return c != nullptr && !c->scripted() ? c->waitFd() : -1;
    }

    void catchInterrupt(bool on) override
    {
        if (on == caught_)
            return;
        caught_ = on;
        gInterrupts = 0;
        if (on)
            previous_ = std::signal(SIGINT, countInterrupt);
        else
            std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
    }

    bool interrupted() override
    {
        if (!gInterrupts)
            return false;
        gInterrupts = 0;
        return true;
    }

private:
    bool caught_ = false;
    void (*previous_)(int) = SIG_DFL;
};

ShellRunConsole gShellRunConsole;

} // namespace

void installRunConsole()
{
    setRunConsole(&gShellRunConsole);
}
