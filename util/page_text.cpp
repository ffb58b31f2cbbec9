#include "util/page_text.h"

#include "platform/text_codec.h"

namespace plimod {
namespace {

// The reference for a markup character, or null for any other.
const char* ReferenceFor(char c) {
  switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    default: return nullptr;
  }
}

}  // namespace

std::string PageText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  // Runs without a character to replace are copied whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (const char* reference = ReferenceFor(utf8[i])) {
      out.append(utf8, run, i - run);
      out += reference;
      run = i + 1;
    }
  }
  out.append(utf8, run, utf8.size() - run);
  return out;
}

std::string PageText(std::wstring_view text) { return PageText(WideToUtf8String(text)); }

}  // namespace plimod
