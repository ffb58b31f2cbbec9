#include "util/text_token.h"

namespace plimod {

std::size_t SkipPrefix(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix ? prefix.size() : 0;
}

std::size_t ParseQuotedToken(std::wstring_view text, std::wstring& out, std::size_t capacity) {
  std::size_t start = SkipPrefix(text, L"'");
  std::size_t close = text.find(L'\'', start);
  if (close == std::wstring_view::npos || close - start >= capacity) return start;
  out.assign(text.substr(start, close - start));
  return close + 1;
}

}  // namespace plimod
