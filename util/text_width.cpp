#include "util/text_width.h"

namespace plimod {
namespace {

constexpr wchar_t kWidthOffset = 0xFEE0;
constexpr wchar_t kIdeographicSpace = L'\u3000';

bool IsFullWidthAlnum(wchar_t c) {
  return (c >= L'\uFF10' && c <= L'\uFF19') || (c >= L'\uFF21' && c <= L'\uFF3A') ||
         (c >= L'\uFF41' && c <= L'\uFF5A');
}

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t HalfWidthAlnumChar(wchar_t c) {
  if (IsFullWidthAlnum(c)) return c - kWidthOffset;
  if (c == kIdeographicSpace) return L' ';
  return c;
}

}  // namespace

std::wstring ToHalfWidthAlnum(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = HalfWidthAlnumChar(c);
  return out;
}

std::wstring ToHalfWidthAlnumCopy(const std::wstring& text) { return ToHalfWidthAlnum(text); }

void toFullWidthLower(std::wstring& text) {
  for (wchar_t& c : text) {
    if (IsAsciiAlnum(c)) c += kWidthOffset;
    else if (c == kIdeographicSpace) c = L' ';
    if (c >= L'\uFF21' && c <= L'\uFF3A') c += L'\uFF41' - L'\uFF21';
  }
}

std::wstring ToHalfWidthForMatch(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) {
    // The minus sign is the decoder's form of what code page 932 writes as
    // U+FF0D: a service name such as ＢＳ−ＴＢＳ still matches the calendar's BS-TBS.
    if (c == L'\uFF0D' || c == L'\u2212' || c == L'-') c = L' ';
    else c = HalfWidthAlnumChar(c);
  }
  return out;
}

}  // namespace plimod
