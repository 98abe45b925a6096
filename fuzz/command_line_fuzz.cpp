// Arbitrary typed lines through the command loop's steps: each line is cut
// into a command and its arguments and run, and an empty line repeats what
// the last command left behind. The commands run against the in-process
// board; a command that asks for more lines (the interactive write) reads
// the input's next ones. The tokenizer keeps the command's name and
// arguments inside the line buffer, and commands that loop over exchanges
// stop at the first failed one once the board's budget is spent.

#include "commands/handlers.h"
#include "commands/memory_commands.h"
#include "disasm/listing.h"
#include "expr/expression.h"
#include "fuzz_support.h"
#include "link/transaction.h"
#include "target/memory.h"
#include "target/run_control.h"

namespace {

// Exchanges one input may make: a few commands' worth.
constexpr int kExchangeBudget = 24;

// A listing of thousands of lines spends the exchange budget in its first
// hundred or so and repeats the same failed read for the rest: such inputs
// cost as much as a thousand others and held the fuzzer to about 1,400
// inputs a second. So a listing is skipped once the line is dead, and one
// asking for more than kListingCap lines by a plain number is skipped too;
// a count above the command's own limit still reaches its refusal.
constexpr uint32_t kListingCap = 256;

bool wastedListing(const ParsedLine& parsed, const fuzz::BoardPort& port)
{
    if (parsed.command == nullptr || parsed.command->handler != disasmCommand)
        return false;
    if (port.dead())
        return true;
    if (parsed.args.argc < 2)
        return false;
    const char* count = parsed.args.second;
    if (count[std::strspn(count, "0123456789abcdefABCDEFxX+-*/() ")] != '\0')
        return false;
    const uint32_t value = evalExpression(count);
    return exprError == 0 && value > kListingCap && value <= kMaxDaCount;
}

quill::Board* board = nullptr;

bool insideText(const ParsedLine& parsed, const char* text)
{
    return text >= parsed.text && text < parsed.text + sizeof parsed.text;
}

void checkParsed(const ParsedLine& parsed)
{
    const CommandArgs& a = parsed.args;
    if (a.argc < 0 || a.argc > 4 || a.first == nullptr || a.second == nullptr)
        std::abort();
    if (std::memchr(parsed.text, '\0', sizeof parsed.text) == nullptr)
        std::abort();
    // An argument that was given lies in the line; one that was not is empty.
    if ((a.argc >= 1 ? !insideText(parsed, a.first) : a.first[0] != '\0') ||
        (a.argc >= 2 ? !insideText(parsed, a.second) : a.second[0] != '\0'))
        std::abort();
}

// The user while G or S waits: a stop report that has not come after a few
// polls will not come (the line may be dead past the exchange budget), so
// Escape gives the prompt back, as a user would press it.
class EscapingConsole : public RunConsole {
public:
    int takeKey() override { return ++polls_ % 4 == 0 ? 0x1B : kNoKey; }
    int waitFd() override { return -1; }
    void catchInterrupt(bool) override { }
    bool interrupted() override { return false; }

private:
    unsigned polls_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    board = new quill::Board;
    // Symbols in RAM and flash with names as long as the table takes, so
    // arguments can name them and listings print them.
    std::string map;
    for (uint32_t address : {0x1000u, 0x1002u, 0xFFFFA000u, 0xFFFFA010u, 0xFFFFBF80u, 0u})
        map += fuzz::mapPair(fuzz::longName('_', address), address);
    fuzz::loadMap(map, 6);
    setLineReader(fuzz::readFuzzLine);
    static EscapingConsole console;
    setRunConsole(&console);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::BoardPort* port = fuzz::connect(*board, kExchangeBudget);
    resetTargetInfo();
    resetMemoryCommands();
    resetListing();
    clearMemCache();
    fuzz::serveLines(data, size);

    char input[kLineCapacity];
    char repeatLine[kLineCapacity] = "";
    ParsedLine parsed;
    parseLine("", &parsed);
    for (int length; (length = fuzz::readFuzzLine(input, sizeof input)) != kLineInputEnd;) {
        if (length < 0)
            continue;
        if (input[0] == '\0')
            std::memcpy(input, repeatLine, sizeof input);
        if (input[0] != '\0')
            parseLine(input, &parsed);
        checkParsed(parsed);
        if (wastedListing(parsed, *port)) {
            parseLine("", &parsed);
            continue;
        }
        const int outcome = dispatchCommand(&parsed);
        if (const char* text = repeatTextFor(parsed.command, outcome))
            std::snprintf(repeatLine, sizeof repeatLine, "%s", text);
        if (isQuitCommand(parsed.command))
            break;
    }
    setComPort(nullptr);
    return 0;
}
