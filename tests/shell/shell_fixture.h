// Common set-up for the shell tests: a scripted target, a fake console, fresh
// link state and captured console output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/fake_console.h"
#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "support/scripted_port.h"
#include "shell/console.h"

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        setComPort(std::move(p));
        auto c = std::make_unique<FakeConsole>();
        keyboard = c.get();
        setConsole(std::move(c));
        resetPacketBuffer();
        resetTargetInfo();
        rxTimeout = 0;
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        if (capturing)
            output();
        setComPort(nullptr);
        setConsole(nullptr);
        rxTimeout = 0;
    }
    // Everything printed since SetUp; ends the capture.
    std::string output()
    {
        std::fflush(stdout);
        capturing = false;
        return testing::internal::GetCapturedStdout();
    }

    static Bytes request(uint8_t command) { return frame(command); }

    ScriptedPort* port = nullptr;
    FakeConsole* keyboard = nullptr;
    bool capturing = true;
};
