#include "recorder/srv/srv_wire_text.h"

#include "platform/text_codec.h"

namespace plimod {

std::size_t WireUnitCount(std::wstring_view text) {
  std::size_t units = 0;
  for (wchar_t c : text) {
    const auto value = static_cast<std::uint32_t>(c);
    units += value >= 0x10000 && value <= 0x10FFFF ? 2 : 1;
  }
  return units;
}

void WriteWireUnits(std::wstring_view text, std::uint8_t* out) {
  for (char16_t unit : WideToUtf16(text)) {
    *out++ = static_cast<std::uint8_t>(unit & 0xFF);
    *out++ = static_cast<std::uint8_t>(unit >> 8);
  }
}

std::wstring ReadWireUnits(const std::uint8_t* bytes, std::size_t unitCount) {
  std::u16string units;
  for (std::size_t i = 0; i < unitCount; ++i) {
    const char16_t unit = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  std::wstring text = Utf16ToWide(units);
  // Pairs are joined by now, so what is left in the surrogate range is alone.
  for (wchar_t& c : text) {
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
  }
  return text;
}

}  // namespace plimod
