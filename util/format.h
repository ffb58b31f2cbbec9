#pragma once
// Bounded printf into fixed buffers. They return the formatter's count, or
// -1 when the output was cut; a cut output is always terminated.

#include <cstdarg>
#include <cstddef>

namespace plimod {

// Wide printf (use "%ls" for wide strings). On a cut the last character of
// the buffer becomes NUL.
int FormatW(wchar_t* buf, std::size_t size, const wchar_t* format, ...);
int FormatWV(wchar_t* buf, std::size_t size, const wchar_t* format, va_list args);

// Narrow printf for CP932 buffers. On a cut: the last byte becomes NUL, a
// lone CP932 lead byte left at the end goes, and a CR just before the
// buffer's last byte goes too.
int FormatA(char* buf, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int FormatAV(char* buf, std::size_t size, const char* format, va_list args);

// The same for UTF-8 buffers: a cut never leaves a partial sequence; the CR
// rule is kept.
int FormatUtf8(char* buf, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int FormatUtf8V(char* buf, std::size_t size, const char* format, va_list args);

}  // namespace plimod
