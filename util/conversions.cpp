#include "util/conversions.h"

#include <cstring>

#include "platform/text_codec.h"

namespace plimod {
namespace {

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

template <typename Value, typename Text>
Value ParseHex(Text text) {
  Value value = 0;
  for (auto c : text) {
    const int digit = HexDigitValue(static_cast<wchar_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)));
    if (digit < 0) break;
    value = static_cast<Value>((value << 4) | static_cast<Value>(digit));
  }
  return value;
}

}  // namespace

std::size_t WideToUtf8Count(std::wstring_view text, char* out) {
  const std::string utf8 = WideToUtf8String(text);
  if (out) std::memcpy(out, utf8.data(), utf8.size());
  return utf8.size();
}

std::size_t WideToUtf8(std::wstring_view text, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return 0;
  std::size_t written = 0;
  for (std::size_t i = 0; i < text.size() && size - written > 4; ++i) {
    const std::string one = WideToUtf8String(text.substr(i, 1));
    std::memcpy(out + written, one.data(), one.size());
    written += one.size();
  }
  out[written] = '\0';
  return written;
}

std::string WideToUtf8(std::wstring_view text) { return WideToUtf8String(text); }

std::string WideToAnsi(std::wstring_view text) { return WideToCp932(text); }

std::wstring AnsiToWide(std::string_view text) { return Cp932ToWide(text); }

std::string AnsiToUtf8(std::string_view text) { return WideToUtf8String(Cp932ToWide(text)); }

std::uint64_t ParseHex64(std::string_view text) { return ParseHex<std::uint64_t>(text); }
std::uint64_t ParseHex64W(std::wstring_view text) { return ParseHex<std::uint64_t>(text); }
std::uint32_t ParseHex32(std::string_view text) { return ParseHex<std::uint32_t>(text); }
std::uint32_t ParseHex32W(std::wstring_view text) { return ParseHex<std::uint32_t>(text); }

}  // namespace plimod
