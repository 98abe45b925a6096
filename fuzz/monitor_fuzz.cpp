// The board's side of the line: arbitrary bytes from the host into the
// monitor's frame parser alone, then into a powered board whose monitor
// carries out every request it finds. The first byte chooses where the line
// falls silent, so half-received frames are given up as well as completed.
// Whatever comes in, the parser never holds more than a frame, every frame
// it hands out was on the line whole, and the board answers only in whole,
// well-formed frames.
#include <algorithm>

#include "fuzz_support.h"
#include "sim/frame.h"

namespace {

quill::Board* board = nullptr;

// A frame the parser handed out must stand, rebuilt, somewhere in the input.
// memmem rather than a loop here: code in this file is instrumented for
// coverage, and a loop over the input for every frame cost more than the
// parser itself.
bool seenInInput(const quill::Frame& frame, const uint8_t* data, size_t size)
{
    uint8_t built[quill::kFrameMax];
    const int n = quill::buildFrame(frame.command, frame.payload, frame.length, built);
    return n > 0 && memmem(data, size, built, static_cast<size_t>(n)) != nullptr;
}

void parserAlone(const uint8_t* data, size_t size, uint8_t silences)
{
    quill::FrameParser parser;
    quill::Frame frame;
    for (size_t i = 0; i < size; ++i) {
        if (parser.push(data[i])) {
            while (parser.next(frame))
                if (frame.length > quill::kPayloadMax || !seenInInput(frame, data, size))
                    std::abort();
        }
        if (parser.held() < 0 || parser.held() > quill::kFrameMax)
            std::abort();
        if ((silences >> (i % 8)) & 1) {
            parser.abandonPartial();
            while (parser.next(frame))
                if (!seenInInput(frame, data, size))
                    std::abort();
        }
    }
}

// Everything the board sent must be whole frames, back to back, that the
// host's recogniser accepts.
void checkReplies()
{
    resetPacketBuffer();
    uint8_t chunk[256];
    int last = 3;
    while (size_t n = board->takeToHost(chunk, sizeof chunk)) {
        for (size_t i = 0; i < n; ++i) {
            last = scanPacketByte(chunk[i]);
            if (last <= 0)
                std::abort();
        }
    }
    if (last != 3)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceStdout();
    board = new quill::Board;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t silences = data[0];
    ++data;
    --size;
    parserAlone(data, size, silences);

    fuzz::freshBoard(*board);
    checkReplies();
    // In pieces of 1 to 8 bytes; after a piece whose bit is set the line
    // stays quiet long enough for the monitor to give up a partial frame.
    size_t pos = 0;
    for (int piece = 0; pos < size; ++piece) {
        const size_t length = std::min<size_t>(size - pos, 1 + (piece * 3 + silences) % 8);
        board->receiveFromHost(data + pos, length);
        pos += length;
        // EXEC hands the line to the program; the abort switch hands it
        // back, and the monitor reports the stop. No instruction runs: a
        // slice of the CPU costs far more than an input.
        if (board->programActive())
            board->abortSwitch();
        if ((silences >> (piece % 8)) & 1)
            board->advance(quill::kFrameSilenceMs);
        checkReplies();
    }
    board->advance(quill::kFrameSilenceMs);
    checkReplies();
    // The next input gets erased flash again if this one may have changed it.
    if (std::memchr(data, quill::code::FLASH_ERASE, size) || std::memchr(data, quill::code::FLASH_WRITE, size))
        fuzz::flashTouched = true;
    return 0;
}
