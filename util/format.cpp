#include "util/format.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/text_codec.h"

namespace plimod {
namespace {

using CutPoint = std::size_t (*)(std::string_view, std::size_t);

// Formats the whole output to find a cut that keeps characters whole, then
// drops a CR left at the end (it would lose its LF).
int FormatNarrow(char* buf, std::size_t size, const char* format, va_list args, CutPoint cut) {
  if (buf == nullptr || size == 0) return -1;
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(buf, size, format, args);
  if (n >= 0 && static_cast<std::size_t>(n) < size) {
    va_end(again);
    return n;
  }
  if (n < 0) {
    va_end(again);
    buf[0] = '\0';
    return -1;
  }
  std::string full(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(full.data(), full.size(), format, again);
  va_end(again);
  full.pop_back();
  std::size_t length = cut(full, size - 1);
  if (length > 0 && full[length - 1] == '\r') --length;
  full.copy(buf, length);
  buf[length] = '\0';
  return -1;
}

}  // namespace

int FormatWV(wchar_t* buf, std::size_t size, const wchar_t* format, va_list args) {
  if (buf == nullptr || size == 0) return -1;
  const int n = std::vswprintf(buf, size, format, args);
  if (n < 0) buf[size - 1] = L'\0';
  return n;
}

int FormatW(wchar_t* buf, std::size_t size, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatWV(buf, size, format, args);
  va_end(args);
  return n;
}

int FormatAV(char* buf, std::size_t size, const char* format, va_list args) {
  return FormatNarrow(buf, size, format, args, &Cp932CutPoint);
}

int FormatA(char* buf, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatAV(buf, size, format, args);
  va_end(args);
  return n;
}

int FormatUtf8V(char* buf, std::size_t size, const char* format, va_list args) {
  return FormatNarrow(buf, size, format, args, &Utf8CutPoint);
}

int FormatUtf8(char* buf, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatUtf8V(buf, size, format, args);
  va_end(args);
  return n;
}

}  // namespace plimod
