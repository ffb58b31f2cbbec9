#pragma once
// The folded form in which search words and programme texts are compared.
// A normalise list is a text of blank-separated groups; each group folds
// every later character into its first one.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plimod {

// One fold step, from -> to, in the order the list gives them.
using NormalizePairs = std::vector<std::pair<wchar_t, wchar_t>>;

// The fold steps of a list: at most 256 groups (runs of blanks count as
// one); groups of one character fold nothing.
NormalizePairs ParseNormalizeList(std::wstring_view list);

// Applies the steps in order, in place: each step replaces every `from`
// left in the text by `to`.
void ApplyNormalizePairs(std::wstring& text, const NormalizePairs& pairs);

// ParseNormalizeList then ApplyNormalizePairs.
void ApplyNormalizeList(std::wstring& text, std::wstring_view list);

// The list applied after the user's: full-width and typographic signs fold
// to ASCII, except "<" and ">", which fold into "＜" and "＞".
std::wstring_view BuiltInNormalizeList();

// In place: the user's list, the built-in list, then toFullWidthLower.
void NormalizeText(std::wstring& text, std::wstring_view userList);

// The first 8191 characters of the text, normalised.
std::wstring NormalizedCopy(std::wstring_view text, std::wstring_view userList);

// NormalizedCopy followed by escapeSearchWord as one lookup per UTF-16 unit,
// for the import, which forms thousands of texts with one list.
class SearchFormTable {
 public:
  explicit SearchFormTable(std::wstring_view userList);
  // False when the user's list names characters beyond U+FFFF or surrogates;
  // callers then take the wide path.
  bool Usable() const { return usable_; }
  // The search form of the text's first 8191 characters, written to `out`
  // (replacing what it held).
  void Form(std::u16string_view text, std::u16string& out) const;

 private:
  std::vector<char16_t> map_;
  bool usable_ = true;
};

// In place: every blank becomes "+", then every "&" becomes "＆", so that a
// blank and an ampersand can be written inside one search term.
void escapeSearchWord(std::wstring& text);

}  // namespace plimod
