#include "recorder/base/recorder_text.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "util/text_clean.h"

namespace plimod {
namespace {

template <typename Char>
std::basic_string<Char> Clean(std::basic_string_view<Char> text) {
  static constexpr Char kLt[] = {'&', 'l', 't', ';', 0};
  static constexpr Char kGt[] = {'&', 'g', 't', ';', 0};
  std::basic_string<Char> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::basic_string_view<Char> rest = text.substr(i);
    if (rest.starts_with(kLt) || rest.starts_with(kGt)) {
      out.push_back(rest[1] == 'l' ? Char('<') : Char('>'));
      i += 3;
    } else if (static_cast<unsigned long>(static_cast<std::make_unsigned_t<Char>>(text[i])) <
               0x20) {
      out.push_back(Char(' '));
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

std::string CleanRecorderText(std::string_view cp932) { return Clean(cp932); }
std::wstring CleanRecorderText(std::wstring_view text) { return Clean(text); }

void StripQuotes(std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.find('"', 1) == text.size() - 1) {
    text = text.substr(1, text.size() - 2);
  }
}

void RemoveControlChars(std::wstring& text, std::size_t n) {
  std::erase_if(text, [](wchar_t c) { return static_cast<std::uint32_t>(c) < 0x20; });
  if (n >= 1 && n < text.size()) text.resize(n);
}

void TabsToBlanks(std::wstring& text) { ReplaceChar(text, L'\t', L' '); }

}  // namespace plimod
