// Common set-up for the shell tests: a scripted target, a fake console, fresh
// link state and captured console output.
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

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        setComPort(std::unique_ptr<Port>(port = new ScriptedPort));
        setConsole(std::unique_ptr<Console>(keyboard = new FakeConsole));
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
    }
    // Everything printed since SetUp; ends the capture.
    std::string output()
    {
        std::fflush(stdout);
        capturing = false;
        return testing::internal::GetCapturedStdout();
    }

    ScriptedPort* port = nullptr;
    FakeConsole* keyboard = nullptr;
    bool capturing = true;
};
