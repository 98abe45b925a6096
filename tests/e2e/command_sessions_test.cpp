// Whole sessions from tests/sessions/*.txt: the real debugger reads the typed
// lines as a script and must print the file's text byte for byte. A file is
// what a user would see: after a prompt (">" or "ADDRESS:>") the rest of the
// line is what was typed, echoed by the debugger. Header lines come first:
//   # a comment                 #args -m examples/demo.map
//   #env LC_ALL=C.UTF-8         #sjis    (the text is compared in Shift-JIS)
//   #quillsim                   (also run against quillsim on its own device)
// In the text, {xHH} is one byte, {c*N} is c N times, [[text]] right after a
// prompt is typed but not echoed (a refused line), and a last line that ends
// with a prompt is where the input ended.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "child_process.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSessionDeadlineMs = 10000;

struct Session {
    std::vector<std::string> args, env = {"LC_ALL=C", "TERM=dumb"};
    bool sjis = false, quillsim = false;
    std::string script, expected;
};

std::string expand(const std::string& text)
{
    static const std::regex token(R"(\{x([0-9A-F]{2})\}|\{(.)\*([0-9]+)\})");
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
        out.append(last, (*it)[0].first);
        if ((*it)[1].matched)
            out += static_cast<char>(std::stoi((*it)[1].str(), nullptr, 16));
        else
            out.append(std::stoul((*it)[3].str()), (*it)[2].str()[0]);
        last = (*it)[0].second;
    }
    return out.append(last, text.cend());
}

std::string toShiftJis(std::string in)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(in.size() * 2, '\0');
    char *src = in.data(), *dst = out.data();
    size_t srcLeft = in.size(), dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

Session readSession(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    Session s;
    std::string line;
    std::vector<std::string> body;
    while (std::getline(file, line)) {
        if (body.empty() && line.starts_with("#")) {
            // "# ..." is a comment; "#args", "#env", "#sjis" and "#quillsim" set the session up.
            std::istringstream words(line.substr(1));
            std::string key, word;
            if (line.starts_with("# ") || !(words >> key))
                continue;
            while (words >> word)
                (key == "args" ? s.args : s.env).push_back(word);
            s.sjis |= key == "sjis";
            s.quillsim |= key == "quillsim";
            continue;
        }
        body.push_back(expand(s.sjis ? toShiftJis(line) : line));
    }
    static const std::regex prompt(R"(^(>|[0-9A-F]{6,8}:>)(\[\[(.*)\]\])?(.*)$)");
    for (size_t i = 0; i < body.size(); ++i) {
        std::smatch m;
        if (i + 1 == body.size() && body[i].ends_with(">")) {
            s.expected += body[i] + "\n";
        } else if (std::regex_match(body[i], m, prompt)) {
            s.script += (m[2].matched ? m[3].str() : m[4].str()) + "\n";
            s.expected += m[1].str() + m[4].str() + "\n";
        } else {
            s.expected += body[i] + "\n";
        }
    }
    return s;
}

void runSession(const Session& s, const std::string& port)
{
    std::vector<std::string> argv = {BF_BINARY_DIR "/brackenfell", "-c", port};
    argv.insert(argv.end(), s.args.begin(), s.args.end());
    std::string expected = s.expected;
    if (port != "sim")
        expected.replace(expected.find("Use port sim  "), 14, "Use port " + port + " "); // "sim" is padded
    Child bf;
    ASSERT_TRUE(startWithScript(&bf, argv, s.script, s.env));
    EXPECT_EQ(waitExit(&bf, kSessionDeadlineMs), 0);
    EXPECT_EQ(bf.out, expected); // shown as a diff of lines where they differ
}

// Every file, each in-process and, where it asks, on quillsim as well.
TEST(Sessions, PrintExactlyTheirTranscripts)
{
    ASSERT_EQ(chdir(BF_SOURCE_DIR), 0); // file names in sessions are relative to the source tree
    int files = 0;
    for (const auto& entry : fs::directory_iterator(BF_SOURCE_DIR "/tests/sessions")) {
        if (entry.path().extension() != ".txt")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const Session s = readSession(entry.path());
        ASSERT_FALSE(s.expected.empty());
        runSession(s, "sim");
        if (s.quillsim) {
            SCOPED_TRACE("on quillsim");
            Child board;
            const std::string device = startQuillsim(&board);
            ASSERT_FALSE(device.empty()) << board.out;
            runSession(s, device);
        }
    }
    EXPECT_GE(files, 10);
}

} // namespace
