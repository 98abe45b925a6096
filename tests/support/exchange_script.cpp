#include "support/exchange_script.h"

#include <fstream>
#include <sstream>

#include "support/case_file.h"

namespace {

// "{tmp}" names the test's temporary folder.
std::string withTmp(std::string text)
{
    for (size_t at; (at = text.find("{tmp}")) != std::string::npos;)
        text.replace(at, 5, testing::TempDir());
    return text;
}

int codeOf(const std::string& token)
{
    for (const CommandCodeName* row = commandCodeTable; row->code >= 0; ++row)
        if (token == row->name)
            return row->code;
    return std::stoi(token, nullptr, 16);
}

// "NAME payload" as a frame, "raw bytes" as they are; the delay from "+N".
Bytes wireBytes(const std::string& text, int* delayPolls = nullptr)
{
    std::istringstream in(text);
    std::string first;
    if (!(in >> first))
        return {};
    if (first[0] == '+' && delayPolls != nullptr) {
        *delayPolls = std::stoi(first.substr(1));
        if (!(in >> first))
            return {};
    }
    std::string bytes;
    std::getline(in, bytes);
    if (first == "raw")
        return hexToBytes(bytes);
    return frame(static_cast<uint8_t>(codeOf(first)), hexToBytes(bytes));
}

} // namespace

void ExchangeTest::runFile(const std::string& path, const ScriptVerbs& verbs)
{
    std::ifstream in(path);
    ASSERT_TRUE(in.good()) << "no exchange file " << path;
    struct Step {
        int line = 0;
        std::string command, printed;
        bool checkOutcome = false;
        int outcome = 0;
        long pollsLow = -1, pollsHigh = -1;
    } step;
    Bytes request;
    auto finish = [&] {
        if (step.line == 0)
            return;
        SCOPED_TRACE(testing::Message() << path << ":" << step.line << ": " << step.command);
        int outcome = 0;
        if (step.command[0] == '@') {
            const size_t blank = step.command.find(' ');
            const auto verb = verbs.find(step.command.substr(1, blank - 1));
            if (verb == verbs.end()) {
                ADD_FAILURE() << "no such verb";
            } else {
                outcome = verb->second(blank == std::string::npos ? "" : step.command.substr(blank + 1));
            }
        } else {
            outcome = run(step.command);
        }
        // Out of the capture, so that a failure's message is seen.
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), step.printed);
        if (step.checkOutcome) {
            EXPECT_EQ(outcome, step.outcome);
        }
        EXPECT_TRUE(port->finished());
        if (step.pollsLow >= 0) {
            EXPECT_GE(port->polls(), step.pollsLow);
            EXPECT_LE(port->polls(), step.pollsHigh);
        }
        testing::internal::CaptureStdout();
        step = Step {};
    };
    std::string text;
    for (int n = 1; std::getline(in, text); ++n) {
        if (text.empty() || text[0] == '#')
            continue;
        const std::string rest = text.size() > 3 ? text.substr(3) : "";
        if (text.starts_with("==")) {
            finish();
            restart();
        } else if (text.starts_with("> ")) {
            finish();
            step.line = n;
            step.command = withTmp(text.substr(2));
            const size_t arrow = step.command.rfind(" => ");
            if (arrow != std::string::npos) {
                step.checkOutcome = true;
                step.outcome = std::stoi(step.command.substr(arrow + 4));
                step.command.resize(arrow);
            }
        } else if (text.starts_with("->")) {
            request = wireBytes(rest);
        } else if (text.starts_with("<-")) {
            int delay = 0;
            const Bytes reply = wireBytes(rest, &delay);
            port->expect(request, reply, delay);
        } else if (text.starts_with(">>")) {
            keyboard->typeLine(rest);
        } else if (text.starts_with("timeout ")) {
            finish(); // it holds for the commands that follow
            rxTimeout = std::stoi(text.substr(8));
        } else if (text.starts_with("polls ")) {
            std::istringstream(text.substr(6)) >> step.pollsLow >> step.pollsHigh;
        } else {
            const bool lineEnd = !(text.ends_with('\\') && !text.ends_with("\\\\"));
            step.printed += withTmp(unescape(lineEnd ? text : text.substr(0, text.size() - 1))) + (lineEnd ? "\n" : "");
        }
    }
    finish();
}
