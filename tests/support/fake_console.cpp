#include "fake_console.h"

#include <cstring>

void FakeConsole::typeLine(const std::string& line, int pollsBefore)
{
    lines_.push_back({line, pollsBefore});
}

void FakeConsole::pressKey(int key, int pollsBefore)
{
    keys_.push_back({std::string(1, static_cast<char>(key)), pollsBefore});
}

bool FakeConsole::keyWaiting()
{
    std::deque<Entry>& q = !keys_.empty() ? keys_ : lines_;
    if (q.empty())
        return false;
    if (q.front().pollsBefore > 0) {
        --q.front().pollsBefore;
        return false;
    }
    return true;
}

int FakeConsole::readKey()
{
    if (keys_.empty())
        return KEY_ESC;
    int key = static_cast<unsigned char>(keys_.front().text[0]);
    keys_.pop_front();
    return key;
}

int FakeConsole::readLine(char* buffer, int capacity)
{
    if (lines_.empty())
        return INPUT_END;
    std::string line = lines_.front().text;
    lines_.pop_front();
    if (static_cast<int>(line.size()) >= capacity) {
        buffer[0] = '\0';
        return INPUT_TOO_LONG;
    }
    std::memcpy(buffer, line.c_str(), line.size() + 1);
    return static_cast<int>(line.size());
}
