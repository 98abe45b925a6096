// A console fed from the test: lines to type, keys to press, and how many
// empty polls pass before the first key arrives.
#pragma once

#include <deque>
#include <string>

#include "shell/console.h"

class FakeConsole : public Console {
public:
    // A line the user types, pressed after `pollsBefore` calls of keyWaiting that say no.
    void typeLine(const std::string& line, int pollsBefore = 0);
    void pressKey(int key, int pollsBefore = 0);

    bool keyWaiting() override;
    int readKey() override;
    int readLine(char* buffer, int capacity) override;
    int waitFd() override { return -1; }

private:
    struct Entry {
        std::string text;
        int pollsBefore;
    };
    std::deque<Entry> lines_;
    std::deque<Entry> keys_;
};
