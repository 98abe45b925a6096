// Shared set-up for the target-service tests: a scripted monitor on the port,
// an empty cache, fresh command positions, and console output capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/fake_console.h"
#include "link/packet.h"
#include "link/serial.h"
#include "support/scripted_port.h"
#include "shell/console.h"
#include "target/memory.h"
#include "target/memory_commands.h"

inline Bytes be32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

inline Bytes be16(uint16_t v)
{
    return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// MEM_READ request for count bytes at address.
inline Bytes memReadRequest(uint32_t address, uint8_t count)
{
    return frame(MEM_READ, be32(address) + Bytes{count});
}

inline Bytes memReadReply(const Bytes& data)
{
    return frame(MEM_READ, data);
}

inline Bytes memWriteRequest(uint32_t address, const Bytes& data)
{
    return frame(MEM_WRITE, be32(address) + Bytes{static_cast<uint8_t>(data.size())} + data);
}

inline Bytes memWriteReply(uint8_t status = 1)
{
    return frame(MEM_WRITE, {status});
}

// count bytes counting up from first.
inline Bytes pattern(int count, uint8_t first = 0)
{
    Bytes b;
    for (int i = 0; i < count; ++i)
        b.push_back(static_cast<uint8_t>(first + i));
    return b;
}

// The last line of text, with its line feed: the evaluator may print a line of
// its own before a command's message.
inline std::string lastLine(const std::string& text)
{
    if (text.empty())
        return text;
    size_t end = text.size() - 1;
    size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    return start == std::string::npos || start >= end ? text : text.substr(start + 1);
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
        clearMemCache();
        resetMemoryCommands();
        auto c = std::make_unique<FakeConsole>();
        keyboard = c.get();
        setConsole(std::move(c));
        testing::internal::CaptureStdout();
        capturing = true;
    }

    void TearDown() override
    {
        if (capturing) {
            std::fflush(stdout);
            testing::internal::GetCapturedStdout();
        }
        setComPort(nullptr);
    }

    // A fresh start for the next row of a table-driven test.
    void restart()
    {
        TearDown();
        SetUp();
    }

    // Everything printed since set-up or the previous call.
    std::string output()
    {
        std::fflush(stdout);
        std::string text = testing::internal::GetCapturedStdout();
        capturing = false;
        testing::internal::CaptureStdout();
        capturing = true;
        return text;
    }

    ScriptedPort* port = nullptr;
    FakeConsole* keyboard = nullptr;
    bool capturing = false;
};
