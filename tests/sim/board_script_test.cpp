// Board scripts: each file in tests/sim/scripts/ holds cases that drive a
// simulated board through what a host and a user can do to it (request
// bytes, the clock, the reset and abort switches) and compare what it sends
// back byte for byte. Requests are framed by the test support, not by the
// board, so a fault in either framing shows.
//
// One command a line; `#` starts a comment. Addresses, bytes and register
// values are hex: a token of 2n digits is n bytes, big-endian, and `BYTES*N`
// is N (decimal) copies of them. Slice and millisecond counts are decimal.
//
//   case NAME             a board just switched on, its announcement read
//   > CMD PAYLOAD...      a request frame          >raw BYTES...  bytes as they are
//   < CMD PAYLOAD...      a reply frame expected   <raw BYTES...  bytes expected
//   advance MS, run SLICES (while the program runs), reset, power, abort
//   exec                  EXEC, then slices until the program stops (at most 1000)
//   set ADDR BYTES...     memory changed behind the monitor's back
//   expect ADDR BYTES...  memory must hold these bytes
//   same ADDR ADDR COUNT  two ranges must hold the same bytes
//   pattern               flash byte i = i*13+5, RAM byte i = i*7+1
//   mark, unchanged       flash and RAM kept, then compared with what was kept
//   reg NAME=VALUE...     registers set (r0-r15 pc sr gbr vbr mach macl pr)
//   check NAME=VALUE...   registers must hold these values
//   image SIZE ok|refused a flash image of SIZE bytes 5A
//   changes N             how often flash told its owner it changed
//
// `;` separates commands on one line, so that a table row fits a line.
// What the board sent must equal the `<` lines since the last comparison;
// the comparison is made before every other command but the switches, and
// at the end of a case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/board.h"
#include "support/scripted_port.h"

namespace {

using namespace quill;

// The names of the monitor's register numbers 0-22.
const std::string kRegisterNames[kRegisterCount] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r10",
    "r11", "r12", "r13", "r14", "r15", "sr", "gbr", "vbr", "mach", "macl", "pr", "pc"};

// Empty when the two agree; else the sizes and where they part.
std::string difference(const Bytes& got, const Bytes& want)
{
    if (got == want)
        return "";
    size_t at = std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
    auto from = [at](const Bytes& b) {
        return hexBytes(Bytes(b.begin() + at, b.begin() + std::min(at + 16, b.size())));
    };
    return std::to_string(got.size()) + " bytes, not " + std::to_string(want.size()) + "; from byte " +
        std::to_string(at) + ": " + from(got) + " instead of " + from(want);
}

class BoardScript : public testing::TestWithParam<const char*> {
protected:
    std::string where() const { return std::string(GetParam()) + ".txt:" + std::to_string(line_); }

    uint32_t number(const std::string& token, int base = 16)
    {
        char* end = nullptr;
        unsigned long v = strtoul(token.c_str(), &end, base);
        if (token.empty() || *end != 0)
            ADD_FAILURE() << where() << ": not a number: " << token;
        return static_cast<uint32_t>(v);
    }

    Bytes bytes(std::istream& in)
    {
        Bytes out;
        for (std::string t; in >> t;) {
            size_t star = t.find('*');
            uint32_t times = star == std::string::npos ? 1 : number(t.substr(star + 1), 10);
            t = t.substr(0, star);
            if (t.size() % 2 != 0)
                ADD_FAILURE() << where() << ": odd number of digits: " << t;
            for (; times > 0; --times)
                for (size_t i = 0; i + 1 < t.size(); i += 2)
                    out.push_back(static_cast<uint8_t>(number(t.substr(i, 2))));
        }
        return out;
    }

    // count bytes of flash or RAM from address, or null when they are not all in one.
    uint8_t* at(uint32_t address, uint32_t count)
    {
        for (auto [base, size, start] : {std::tuple {kFlashBase, kFlashSize, board_->memory().flash()},
                 std::tuple {kRamBase, kRamSize, board_->memory().ram()}})
            if (count > 0 && address - base < size && count <= size - (address - base))
                return start + (address - base);
        ADD_FAILURE() << where() << ": not in flash or RAM";
        return nullptr;
    }

    void take()
    {
        const size_t had = got_.size();
        got_.resize(had + board_->pendingToHost());
        got_.resize(had + board_->takeToHost(got_.data() + had, got_.size() - had));
    }

    // What the board sent since the last comparison must be what was expected.
    void compare()
    {
        take();
        EXPECT_EQ(difference(got_, want_), "") << where();
        got_.clear();
        want_.clear();
    }

    Bytes snapshot()
    {
        return Bytes(board_->memory().flash(), board_->memory().flash() + kFlashSize) +
            Bytes(board_->memory().ram(), board_->memory().ram() + kRamSize);
    }

    void registers(std::istream& in, bool set)
    {
        for (std::string t; in >> t;) {
            size_t eq = t.find('=');
            int n = static_cast<int>(
                std::find(kRegisterNames, kRegisterNames + kRegisterCount, t.substr(0, eq)) - kRegisterNames);
            uint32_t held = 0;
            if (eq == std::string::npos || n == kRegisterCount)
                ADD_FAILURE() << where() << ": no register " << t;
            else if (set)
                writeRegister(board_->registers(), n, number(t.substr(eq + 1)));
            else if (readRegister(board_->registers(), n, held) && held != number(t.substr(eq + 1)))
                ADD_FAILURE() << where() << ": " << t.substr(0, eq) << " holds " << std::hex << std::uppercase << held;
        }
    }

    void command(const std::string& word, std::istringstream& in)
    {
        if (word == "<" || word == "<raw") {
            Bytes b = bytes(in);
            want_ = want_ + (word == "<raw" ? b : frame(b.at(0), Bytes(b.begin() + 1, b.end())));
            return;
        }
        // The switches leave unread replies on the line: compared after them.
        if (board_ != nullptr && word != "reset" && word != "power" && word != "abort")
            compare();
        std::string a, b, c;
        if (word == "case") {
            board_ = std::make_unique<Board>();
            board_->flash().onChange([this] { ++changes_; });
            changes_ = 0;
            take(); // the announcement is not compared
            got_.clear();
        } else if (word == ">" || word == ">raw") {
            Bytes sent = bytes(in);
            if (word == ">")
                sent = frame(sent.at(0), Bytes(sent.begin() + 1, sent.end()));
            board_->receiveFromHost(sent.data(), sent.size());
        } else if (word == "advance" && in >> a) {
            board_->advance(static_cast<int>(number(a, 10)));
        } else if ((word == "run" && in >> a) || word == "exec") {
            if (word == "exec")
                board_->receiveFromHost(frame(0x41).data(), 5);
            for (uint32_t i = word == "exec" ? 1000 : number(a, 10); i > 0 && board_->busy(); --i) {
                board_->advance(1);
                take();
            }
        } else if (word == "reset" || word == "power" || word == "abort") {
            word == "reset" ? board_->reset() : word == "power" ? board_->powerOn() : board_->abortSwitch();
        } else if ((word == "set" || word == "expect") && in >> a) {
            Bytes data = bytes(in);
            uint8_t* p = at(number(a), static_cast<uint32_t>(data.size()));
            if (p != nullptr && word == "set") {
                std::copy(data.begin(), data.end(), p);
            } else if (p != nullptr) {
                EXPECT_EQ(difference(Bytes(p, p + data.size()), data), "") << where();
            }
        } else if (word == "reg" || word == "check") {
            registers(in, word == "reg");
        } else if (word == "same" && in >> a >> b >> c) {
            uint8_t* x = at(number(a), number(c));
            uint8_t* y = at(number(b), number(c));
            if (x != nullptr && y != nullptr) {
                EXPECT_EQ(difference(Bytes(x, x + number(c)), Bytes(y, y + number(c))), "") << where();
            }
        } else if (word == "pattern") {
            for (uint32_t i = 0; i < kFlashSize; ++i)
                board_->memory().flash()[i] = static_cast<uint8_t>(i * 13 + 5);
            for (uint32_t i = 0; i < kRamSize; ++i)
                board_->memory().ram()[i] = static_cast<uint8_t>(i * 7 + 1);
        } else if (word == "mark") {
            marked_ = snapshot();
        } else if (word == "unchanged") {
            EXPECT_TRUE(snapshot() == marked_) << where();
        } else if (word == "image" && in >> a >> b) {
            Bytes image(number(a), 0x5A);
            EXPECT_EQ(board_->loadFlashImage(image.data(), image.size()), b == "ok") << where();
        } else if (word == "changes" && in >> a) {
            EXPECT_EQ(changes_, static_cast<int>(number(a, 10))) << where();
        } else {
            ADD_FAILURE() << where() << ": cannot read '" << word << "'";
        }
    }

    std::unique_ptr<Board> board_;
    Bytes got_, want_, marked_;
    int changes_ = 0;
    int line_ = 0;
};
TEST_P(BoardScript, Runs)
{
    std::ifstream file(BF_SOURCE_DIR "/tests/sim/scripts/" + std::string(GetParam()) + ".txt");
    ASSERT_TRUE(file) << GetParam();
    int cases = 0;
    for (std::string text; std::getline(file, text);) {
        ++line_;
        std::istringstream row(text.substr(0, text.find('#')));
        for (std::string part; std::getline(row, part, ';');) {
            std::istringstream in(part);
            std::string word;
            if (!(in >> word))
                continue;
            if (word != "case" && board_ == nullptr)
                FAIL() << where() << ": a command before the first case";
            cases += word == "case";
            command(word, in);
        }
    }
    if (board_ != nullptr)
        compare();
    EXPECT_GT(cases, 0);
}

INSTANTIATE_TEST_SUITE_P(Sim, BoardScript, testing::Values("monitor", "flash", "run_control", "cpu"),
    [](const testing::TestParamInfo<const char*>& param) { return std::string(param.param); });

} // namespace
