// Talking to a board the way the host does: bytes in, bytes out. Requests
// are built with the test support's own frame builder, not the board's, so
// a fault in either framing shows up.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "sim/board.h"
#include "support/scripted_port.h"

inline Bytes be32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

// A board just switched on, its power-on announcement already read. send()
// gives it the host's bytes and returns all it has sent and the host not read.
class BoardTest : public testing::Test {
protected:
    void SetUp() override { send({}); }
    Bytes send(const Bytes& request)
    {
        board->receiveFromHost(request.data(), request.size());
        Bytes out(board->pendingToHost());
        out.resize(board->takeToHost(out.data(), out.size()));
        return out;
    }

    std::unique_ptr<quill::Board> board = std::make_unique<quill::Board>();
};
