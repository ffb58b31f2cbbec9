#include "util/page_text.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace plimod {

std::string PageText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  // Runs without a character to replace are copied whole.
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t special = std::min(utf8.find_first_of("<>\"'", pos), utf8.size());
    out.append(utf8, pos, special - pos);
    if (special == utf8.size()) break;
    switch (utf8[special]) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += "&#39;"; break;
    }
    pos = special + 1;
  }
  return out;
}

std::string PageText(std::wstring_view text) { return PageText(WideToUtf8String(text)); }

}  // namespace plimod
