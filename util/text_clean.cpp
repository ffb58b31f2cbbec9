#include "util/text_clean.h"

#include <algorithm>
#include <locale>

#include "util/text_regex.h"

namespace plimod {
namespace {

// The same class as "\s" in the regex helpers.
bool IsTrimmable(wchar_t c) {
  static const std::ctype<wchar_t>& ctype = std::use_facet<std::ctype<wchar_t>>(Utf8ClassLocale());
  return c == L'\u3000' || ctype.is(std::ctype_base::space, c);
}

}  // namespace

std::wstring ReplaceChar(std::wstring& text, wchar_t from, wchar_t to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

// Trims the ends only: the multi-line "^"/"$" of the regex syntax would also
// strip blanks before inner line breaks and fold blank lines together.
void TrimSpaces(std::wstring& text) {
  std::size_t end = text.size();
  while (end > 0 && IsTrimmable(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && IsTrimmable(text[begin])) ++begin;
  text = text.substr(begin, end - begin);
}

}  // namespace plimod
