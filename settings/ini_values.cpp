#include "settings/ini_values.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>

namespace plimod {
namespace {

constexpr std::size_t kIntListMaxChars = 1023;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::size_t SkipBlanks(std::wstring_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

}  // namespace

namespace {

wchar_t SanitizedChar(wchar_t c) {
  return static_cast<std::uint32_t>(c) < 0x20 && c != L'\t' ? L' ' : c;
}

}  // namespace

std::wstring SanitizeIniText(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = SanitizedChar(c);
  return out;
}

bool SameIniText(std::wstring_view stored, std::wstring_view query) {
  if (stored.size() != query.size()) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] != SanitizedChar(query[i])) return false;
  }
  return true;
}

int IniTextToInt(std::wstring_view text) {
  std::size_t pos = SkipBlanks(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
    negative = text[pos] == L'-';
    ++pos;
  }
  long long magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = std::min(magnitude * 10 + (text[pos] - L'0'), 1LL << 32);
  }
  long long value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int ParseIniIntList(std::wstring_view text, std::span<int> values) {
  std::size_t pos = SkipBlanks(text, 0);
  if (pos == text.size()) return 0;
  int count = 0;
  while (static_cast<std::size_t>(count) < values.size()) {
    pos = SkipBlanks(text, pos);
    values[count++] = IniTextToInt(text.substr(pos));
    while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == L'-')) ++pos;
    pos = SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != L',') break;
    ++pos;
  }
  return count;
}

std::wstring FormatIniIntList(std::span<const int> values) {
  std::wstring text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::wstring item = (i == 0 ? L"" : L",") + std::to_wstring(values[i]);
    if (text.size() + item.size() > kIntListMaxChars) break;
    text += item;
  }
  return text;
}

int CopyIniValue(const std::optional<std::wstring>& value, wchar_t* buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = L'\0';
  if (!value) return -1;
  if (buffer == nullptr) return static_cast<int>(value->size());
  if (size <= 0) return 0;
  std::size_t length = std::min(value->size(), static_cast<std::size_t>(size - 1));
  std::wmemcpy(buffer, value->data(), length);
  buffer[length] = L'\0';
  return static_cast<int>(length);
}

}  // namespace plimod
