#include "util/text_clean.h"

#include <algorithm>
#include <exception>
#include <locale>

namespace plimod {
namespace {

const std::ctype<wchar_t>& Utf8Ctype() {
  static const std::locale loc = [] {
    try {
      return std::locale("C.UTF-8");
    } catch (const std::exception&) {
      return std::locale::classic();
    }
  }();
  return std::use_facet<std::ctype<wchar_t>>(loc);
}

bool IsTrimmable(wchar_t c) {
  return c == L'\u3000' || Utf8Ctype().is(std::ctype_base::space, c);
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
