// Shared set-up for the target and command tests: a scripted monitor on the
// port, an empty cache, fresh command positions, a fake keyboard and console
// output capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "support/fake_console.h"
#include "support/scripted_port.h"
#include "target/memory.h"
#include "commands/command_line.h"
#include "commands/memory_commands.h"
#include "disasm/listing.h"
#include "shell/console.h"

inline Bytes be32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

inline Bytes memReadRequest(uint32_t address, uint8_t count)
{
    return frame(MEM_READ, be32(address) + Bytes{count});
}

// count bytes counting up from first.
inline Bytes pattern(int count, uint8_t first = 0)
{
    Bytes b;
    for (int i = 0; i < count; ++i)
        b.push_back(static_cast<uint8_t>(first + i));
    return b;
}

class TargetTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        setComPort(std::move(p));
        rxTimeout = 0;
        resetPacketBuffer();
        resetTargetInfo();
        clearMemCache();
        resetMemoryCommands();
        resetListing();
        setLineReader(inputLine);
        auto c = std::make_unique<FakeConsole>();
        keyboard = c.get();
        setConsole(std::move(c));
        testing::internal::CaptureStdout();
    }

    void TearDown() override
    {
        std::fflush(stdout);
        testing::internal::GetCapturedStdout();
        setComPort(nullptr);
        setConsole(nullptr);
    }

    // A typed command line, as the loop runs it; the handler's outcome.
    int run(const std::string& line)
    {
        ParsedLine parsed;
        parseLine(line.c_str(), &parsed);
        return dispatchCommand(&parsed);
    }

    // A fresh start for the next row of a table-driven test.
    void restart()
    {
        TearDown();
        SetUp();
    }

    // Everything printed since set-up or the previous call; capture goes on.
    std::string output()
    {
        std::fflush(stdout);
        std::string text = testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        return text;
    }

    ScriptedPort* port = nullptr;
    FakeConsole* keyboard = nullptr;
};
