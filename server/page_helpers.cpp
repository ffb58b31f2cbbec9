#include "server/page_helpers.h"

#include <cstdlib>

namespace plimod {

const char* SelectedAttr(bool selected) { return selected ? " selected=selected" : ""; }

const char* CheckedAttr(bool checked) { return checked ? " checked" : ""; }

const char* CheckedAttrIf(int value) { return CheckedAttr(value != 0); }

int StringToInt(const std::string& text) { return text.empty() ? 0 : std::atoi(text.c_str()); }

std::string IntToString(int value) { return std::to_string(value); }

namespace {

// Length of the sequence a lead byte begins; 0 when it cannot begin one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 0;
}

}  // namespace

std::wstring DecodeUtf8(std::string_view text, std::size_t max_chars) {
  static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size() && out.size() < max_chars) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead == 0) break;
    std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) break;
    char32_t code = lead & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out += static_cast<wchar_t>(code);
    i += length;
  }
  return out;
}

void ShortenToWidth(std::wstring& text, int width) {
  int columns = 0;
  std::size_t keep = 0;
  while (keep < text.size() && columns < width) {
    wchar_t c = text[keep];
    bool narrow = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);
    if (narrow) {
      if (c == L'\r' && columns + 1 == width) break;
      columns += 1;
    } else if (columns + 1 == width) {
      text[keep] = L'.';
      columns += 1;
    } else {
      columns += 2;
    }
    ++keep;
  }
  text.resize(keep);
}

}  // namespace plimod
