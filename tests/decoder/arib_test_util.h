#pragma once
// Helpers shared by the ARIB codec tests.

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace arib_test {

inline std::string Utf8(std::u16string_view text) {
  return plimod::WideToUtf8String(plimod::Utf16ToWide(text));
}

inline std::u16string Utf16(std::string_view utf8) { return plimod::WideToUtf16(plimod::Utf8ToWide(utf8)); }

inline std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> out;
  std::istringstream in{std::string(text)};
  std::string byte;
  while (in >> byte) out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

// Full-width forms of ASCII back to ASCII, the one width difference between
// the decoders compared here.
inline std::u16string Narrow(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFF01 + 0x21);
  }
  return text;
}

}  // namespace arib_test
