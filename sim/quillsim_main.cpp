// quillsim: a simulated SH7125 board with its resident monitor, served on a
// pseudo-terminal so that the debugger can open it like a serial port.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <vector>

#include "sim/board.h"
#include "sim/flash_file.h"
#include "sim/pty_server.h"

namespace {

void usage(FILE* out, const char* program)
{
    fprintf(out,
            "usage: %s --pty [--link PATH] [--flash FILE] [--flash-file PATH] [--baud RATE] [--once]\n"
            "       [--fault KIND] [--fault-fifo PATH]\n"
            "  --pty         serve the board on a new pseudo-terminal; its device\n"
            "                path is the first line written to standard output\n"
            "  --link PATH   also make PATH a symbolic link to that device (removed on exit)\n"
            "  --flash FILE  load FILE, a raw binary image, into flash at address 0\n"
            "  --flash-file PATH\n"
            "                keep flash in PATH (128 KB, raw): read at start when it\n"
            "                exists, rewritten after every erase and program\n"
            "  --baud RATE   hold the line to RATE bits/s, ten bits per byte (1200-4000000)\n"
            "  --once        exit when the host closes the device, instead of waiting\n"
            "                for the next host\n"
            "  --fault KIND  a fault on the line from the start, one of: off,\n"
            "                drop:RATE[:SEED], garble:RATE[:SEED] (RATE 0-1 per byte, either\n"
            "                way), bad-checksum, restart-request, restart-reply (once each),\n"
            "                silent, hangup\n"
            "  --fault-fifo PATH\n"
            "                make PATH a FIFO; each line written to it (a KIND as above,\n"
            "                blanks allowed for ':') sets the fault anew\n"
            "  --help        show this text\n"
            "SIGUSR1 presses the board's reset switch, SIGUSR2 its abort switch (NMI);\n"
            "SIGTERM and SIGINT stop the simulator.\n",
            program);
}

bool loadImage(quill::Board& board, const char* path)
{
    FILE* f = fopen(path, "rb");
    if (f == nullptr) {
        fprintf(stderr, "quillsim: cannot open %s\n", path);
        return false;
    }
    std::vector<uint8_t> image;
    uint8_t buf[4096];
    size_t n;
    // One byte past the flash is enough to know the image is too large.
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && image.size() <= quill::kFlashSize)
        image.insert(image.end(), buf, buf + n);
    bool readError = ferror(f) != 0;
    fclose(f);
    if (readError) {
        fprintf(stderr, "quillsim: cannot read %s\n", path);
        return false;
    }
    if (!board.loadFlashImage(image.data(), image.size())) {
        fprintf(stderr, "quillsim: %s is larger than the flash (%u bytes)\n", path,
                static_cast<unsigned>(quill::kFlashSize));
        return false;
    }
    return true;
}

bool parseBaud(const char* text, long& baud)
{
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1200 || value > 4000000)
        return false;
    baud = value;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    quill::PtyOptions options;
    const char* flashPath = nullptr;
    const char* flashFile = nullptr;
    bool pty = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            usage(stdout, argv[0]);
            return 0;
        }
        if (strcmp(a, "--pty") == 0) {
            pty = true;
        } else if (strcmp(a, "--once") == 0) {
            options.once = true;
        } else if ((strcmp(a, "--link") == 0 || strcmp(a, "--flash") == 0) && i + 1 < argc) {
            (a[2] == 'l' ? options.linkPath : flashPath) = argv[++i];
        } else if (strcmp(a, "--fault") == 0 && i + 1 < argc) {
            options.fault = argv[++i];
        } else if (strcmp(a, "--fault-fifo") == 0 && i + 1 < argc) {
            options.faultFifo = argv[++i];
        } else if (strcmp(a, "--flash-file") == 0 && i + 1 < argc) {
            flashFile = argv[++i];
        } else if (strcmp(a, "--baud") == 0 && i + 1 < argc && parseBaud(argv[i + 1], options.baud)) {
            ++i;
        } else {
            fprintf(stderr, "quillsim: unknown or incomplete option %s\n", a);
            usage(stderr, argv[0]);
            return 2;
        }
    }
    if (!pty) {
        usage(stderr, argv[0]);
        return 2;
    }
    // Large (flash and RAM images): kept off the stack.
    auto board = std::make_unique<quill::Board>();
    if (flashFile != nullptr) {
        if (!quill::loadFlashFile(flashFile, board->memory()))
            return 1;
        // Switched on with that flash: vectors and the user flag count now.
        board->line().disconnect();
        board->powerOn();
    }
    if (flashPath != nullptr && !loadImage(*board, flashPath))
        return 1;
    if (flashFile != nullptr) {
        // The file holds what flash holds from the start, an image loaded over it included.
        if (!quill::saveFlashFile(flashFile, board->memory()))
            return 1;
        board->flash().onChange([&board, flashFile] { quill::saveFlashFile(flashFile, board->memory()); });
    }
    return quill::servePty(*board, options);
}
