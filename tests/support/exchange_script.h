// Exchanges with a scripted monitor kept as text, in the order a user sees
// them: what is typed, the frames on the wire, the console text.
//
//   == title                 a fresh start: empty cache, clean positions
//   > db 0x1000 0x30         a command line as the loop runs it;
//   > fe 3 => -1             "=> N" also checks the handler's outcome
//   > @verb args             a call the test file supplies (not a command)
//   -> MEM_READ 00 00 10 00 10   a frame the host must send next: a code
//                            name or hex code, then the payload
//   <- MEM_READ 41 42 ...    the board's reply to it; "<- +N ..." offers it
//                            after N empty polls, "<- raw 02 1E" gives bytes
//                            as they are, "<-" alone gives nothing
//   >> 2                     a line typed when the command asks for one
//   timeout 5                empty polls a receive waits in the commands that
//                            follow (0, the start: no limit)
//   polls 5321 5322          the port has been polled that many times (a range)
//   anything else            the console text, line by line
//
// Hex bytes may be repeated: "FF*112". Text takes the escapes \r, \t, \xNN
// and a doubled backslash; a line ending in a lone backslash has no line end.
// "{tmp}" in a command or the console text is the test's temporary folder.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "support/target_fixture.h"

using ScriptVerbs = std::map<std::string, std::function<int(const std::string& args)>>;

class ExchangeTest : public TargetTest {
protected:
    // Runs every case of the file; failures name the file's line.
    void runFile(const std::string& path, const ScriptVerbs& verbs = {});
};
