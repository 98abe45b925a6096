// Talking to a board the way the host does: bytes in, bytes out. Requests
// are built with the test support's own frame builder, not the board's, so
// a fault in either framing shows up.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "sim/board.h"
#include "support/scripted_port.h"

inline Bytes be32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

inline Bytes be16(uint16_t v)
{
    return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

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

// Everything the board has sent and the host not yet read.
inline Bytes drain(quill::Board& board)
{
    Bytes out(board.pendingToHost());
    out.resize(board.takeToHost(out.data(), out.size()));
    return out;
}

inline Bytes exchange(quill::Board& board, const Bytes& request)
{
    board.receiveFromHost(request.data(), request.size());
    return drain(board);
}

// A board just switched on, its power-on announcement already read.
class BoardTest : public testing::Test {
protected:
    void SetUp() override
    {
        board = std::make_unique<quill::Board>();
        drain(*board);
    }
    Bytes send(const Bytes& request) { return exchange(*board, request); }

    std::unique_ptr<quill::Board> board;
};
