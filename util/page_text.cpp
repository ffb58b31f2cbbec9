#include "util/page_text.h"

#include "platform/text_codec.h"

namespace plimod {

std::string PageText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string PageText(std::wstring_view text) { return PageText(WideToUtf8String(text)); }

}  // namespace plimod
