// Tab at the prompt of a terminal session: command names and map symbols are
// completed, and where nothing completes, the Tab stays as a word separator.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

constexpr int kDeadlineMs = 5000;

TEST(TabAtThePrompt, CompletesCommandsAndSymbolsAndOtherwiseSeparates)
{
    struct Row {
        const char* keys;
        const char* shown; // what the session must show after the keys
    };
    // The demo's symbols: _start 0x2008, _show_count 0x202E, _put_decimal,
    // _puts, _putc 0x20AC. Flash is erased, so every byte reads FF.
    const Row rows[] = {
        {"Db\t0x1000,,4\r", "\n001000 FF FF FF FF    "}, // the command, then a blank
        {"db\t0x1000\t2\r", "\n001000 FF FF    "}, // nothing to complete: a separator
        {"da _sh\t\r", "\n0000202E      _show_count:"}, // a unique symbol
        {"db _sta\t+2,,1\r", "\n00200A FF    "}, // no blank after it: the expression goes on
        {"db _start\t2\r", "\n002008 FF FF    "}, // a whole symbol: the Tab separates
        {"db _p\t\t", "_put_decimal  _puts  _putc\r\n"}, // the common start, then the list
        {"c\r", "\n0020AC FF FF    "}, // the size of the dump before
        {"d\t", "DB  DW  DL  DA\r\n"},
    };
    Child bf;
    ASSERT_TRUE(
        startOnTerminal(&bf, {BF_BINARY_DIR "/brackenfell", "-c", "sim", "-m", BF_SOURCE_DIR "/examples/demo.map"},
            {"LC_ALL=C", "TERM=dumb"}));
    ASSERT_TRUE(readUntil(&bf, "\r\n>", kDeadlineMs)) << bf.out;
    for (const Row& row : rows) {
        const size_t from = bf.out.size();
        sendText(&bf, row.keys);
        EXPECT_TRUE(readUntil(&bf, row.shown, kDeadlineMs, from)) << row.keys << ":\n" << bf.out.substr(from);
    }
    sendText(&bf, "\x15q\r"); // Ctrl+U drops the "D" left by the last row
    EXPECT_EQ(waitExit(&bf, kDeadlineMs), 0) << bf.out;
    EXPECT_EQ(bf.out.find('\a'), std::string::npos) << "no bell";
}

} // namespace
