// Shared by the link tests: a scripted port in place, a clean frame buffer,
// receives without a time limit; stdout capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "link/packet.h"
#include "link/serial.h"
#include "link/transaction.h"
#include "support/scripted_port.h"

class LinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto port = std::make_unique<ScriptedPort>();
        port_ = port.get();
        setComPort(std::move(port));
        resetPacketBuffer();
        rxTimeout = 0;
    }
    void TearDown() override
    {
        setComPort(nullptr);
        rxTimeout = 0;
    }

    ScriptedPort* port_ = nullptr;
};

template <typename F>
std::string captureStdout(F body)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    body();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
