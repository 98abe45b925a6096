#ifndef _WIN32

#include "sim/flash_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace quill {

bool loadFlashFile(const char* path, MemoryMap& memory)
{
    FILE* f = fopen(path, "rb");
    if (f == nullptr) {
        if (errno == ENOENT)
            return true;
        fprintf(stderr, "quillsim: cannot open %s: %s\n", path, strerror(errno));
        return false;
    }
    // One byte more than flash tells a larger file from an exact one.
    static uint8_t image[kFlashSize + 1];
    size_t got = fread(image, 1, sizeof image, f);
    bool readError = ferror(f) != 0;
    fclose(f);
    if (readError) {
        fprintf(stderr, "quillsim: cannot read %s\n", path);
        return false;
    }
    if (got != kFlashSize) {
        fprintf(stderr, "quillsim: %s is not a flash image of %u bytes; not using it\n", path,
            static_cast<unsigned>(kFlashSize));
        return false;
    }
    memcpy(memory.flash(), image, kFlashSize);
    return true;
}

bool saveFlashFile(const char* path, const MemoryMap& memory)
{
    std::string temporary = std::string(path) + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        fprintf(stderr, "quillsim: cannot write beside %s: %s\n", path, strerror(errno));
        return false;
    }
    // mkstemp makes the file private; keep the mode the file had, or give
    // a new one the usual 0644.
    struct stat old;
    fchmod(fd, stat(path, &old) == 0 ? (old.st_mode & 07777) : 0644);
    const uint8_t* p = memory.flash();
    size_t left = kFlashSize;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        p += n;
        left -= static_cast<size_t>(n);
    }
    bool ok = close(fd) == 0 && left == 0 && rename(temporary.c_str(), path) == 0;
    if (!ok) {
        fprintf(stderr, "quillsim: cannot save flash to %s: %s\n", path, strerror(errno));
        unlink(temporary.c_str());
    }
    return ok;
}

} // namespace quill

#endif
