// Common set-up for the link tests: a scripted port in place, a clean frame
// buffer and target record, receives without a time limit.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
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
        resetTargetInfo();
        rxTimeout = 0;
    }
    void TearDown() override
    {
        setComPort(nullptr);
        rxTimeout = 0;
    }

    static Bytes frameBytes() { return Bytes(packetBuffer.frame, packetBuffer.frame + packetBuffer.frame[1] + 3); }

    ScriptedPort* port_ = nullptr;
};

// Test names for table rows: the row's name with every other character as '_'.
template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& param)
{
    std::string name = param.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

// Runs `body` with stdout captured and returns what it printed.
template <typename F>
std::string captureStdout(F body)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    body();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
