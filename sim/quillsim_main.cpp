// quillsim: a simulated SH7125 board with its resident monitor, served on a
// pseudo-terminal so that the debugger can open it like a serial port.
#include <stdio.h>
#include <string.h>

#include <memory>
#include <vector>

#include "sim/board.h"
#include "sim/pty_server.h"

namespace {

void usage(FILE* out, const char* program)
{
    fprintf(out,
            "usage: %s --pty [--link PATH] [--flash FILE] [--once]\n"
            "  --pty         serve the board on a new pseudo-terminal; its device\n"
            "                path is the first line written to standard output\n"
            "  --link PATH   also make PATH a symbolic link to that device (removed on exit)\n"
            "  --flash FILE  load FILE, a raw binary image, into flash at address 0\n"
            "  --once        exit when the host closes the device, instead of waiting\n"
            "                for the next host\n"
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

}  // namespace

int main(int argc, char** argv)
{
    quill::PtyOptions options;
    const char* flashPath = nullptr;
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
    if (flashPath != nullptr && !loadImage(*board, flashPath))
        return 1;
    return quill::servePty(*board, options);
}
