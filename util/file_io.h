#pragma once
// File access in the program's terms. All paths are wide text; descriptors
// are close-on-exec and owned by UniqueFd.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <sys/types.h>

#include "platform/file.h"
#include "util/memory_block.h"

namespace plimod {

// Opens an existing file for reading. While the open fails because another
// program holds the file (never on Linux, where nothing locks files
// mandatorily), it retries every 100 ms, 10 times at most.
UniqueFd OpenRead(std::wstring_view path);
// Creates or truncates a file for writing.
UniqueFd CreateWrite(std::wstring_view path);
// Opens or creates a file for reading and writing, positioned at its end.
UniqueFd OpenAppend(std::wstring_view path);
void CloseFile(UniqueFd& fd);

// One read / one write; the count done, -1 on failure.
ssize_t ReadBytes(int fd, void* buf, std::size_t count);
ssize_t WriteBytes(int fd, const void* buf, std::size_t count);
// Writes a 16-bit value little-endian (the UTF-16LE byte-order mark).
bool WriteU16(int fd, std::uint16_t value);
// Formats into 4096 bytes (longer output is cut) and writes it; the bytes
// written, 0 on failure.
std::size_t WriteFormatted(int fd, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The file size when below 4 GB, else 0 (also 0 on failure).
std::uint32_t FileSize32(int fd);

// The whole file in a new block one byte longer than the file, NUL at the
// end. Null for a missing, unreadable or empty file; `size` (when given)
// still gets the file size (0 when it cannot be opened).
Block ReadWholeFile(std::wstring_view path, std::size_t* size);

}  // namespace plimod
