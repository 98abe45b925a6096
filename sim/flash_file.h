// quillsim's flash kept in a file, so that it survives a restart of the
// simulator as a board's flash survives a power cycle. The file is the raw
// 128 KB of flash, byte 0 first.
#pragma once

#include "sim/memory_map.h"

namespace quill {

// Fills flash from path. A missing file is no error: flash stays as it is
// and the file appears at the first save. A file of any other size than the
// flash is refused (with a message on stderr), so that a wrongly named file
// is never overwritten by the saves that follow.
bool loadFlashFile(const char* path, MemoryMap& memory);

// Writes flash to a temporary file beside path and renames it over path, so
// the file always holds one whole image, the old or the new. False, with a
// message on stderr, when that fails; the old file is then left as it was.
bool saveFlashFile(const char* path, const MemoryMap& memory);

} // namespace quill
