#pragma once
// One search word against one text. A word that begins with "/" is a
// regular expression (between the leading "/" and an optional trailing
// one); any other word is a list of parts joined by "&", each of which must
// occur in the text. Words and texts are compared as they stand: callers
// hand in normalised forms where folding is wanted.

#include <boost/regex.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plimod {

// Only this many leading characters of a text count for "&" parts.
inline constexpr std::size_t kSearchTextChars = 2047;
inline constexpr std::size_t kSearchWordParts = 256;

// Which UTF-16 units a text holds, by their low eight bits: a quick "no" for
// a word with a character the text lacks, before any search.
class UnitFilter {
 public:
  void Add(std::u16string_view text) {
    for (const char16_t unit : text) bits_[(unit >> 6) & 3] |= std::uint64_t{1} << (unit & 63);
  }
  // Every unit is taken as present (a filter that never says no).
  void AddAll() { bits_.fill(~std::uint64_t{0}); }
  bool MayHoldAll(const UnitFilter& needed) const {
    std::uint64_t missing = 0;
    for (std::size_t i = 0; i < bits_.size(); ++i) missing |= needed.bits_[i] & ~bits_[i];
    return missing == 0;
  }

 private:
  std::array<std::uint64_t, 4> bits_{};
};

// A word prepared once for many texts.
struct SearchWord {
  bool isRegex = false;
  // Empty when the expression did not compile: it then matches nothing.
  boost::wregex regex;
  std::vector<std::wstring> parts;
  // The parts again as UTF-16, for the store's texts.
  std::vector<std::u16string> parts16;
  // Characters every match of the expression contains, so a stored text
  // without one of them is passed over without running the expression.
  std::u16string requiredUnits;
  // The units of every part, or the required units of an expression.
  UnitFilter neededUnits;
};

// Splits at "&" (runs count as one; at most `maxParts` parts) or compiles
// the expression. An expression that does not compile is logged once.
SearchWord PrepareSearchWord(std::wstring_view word, std::size_t maxParts = kSearchWordParts);

// A regular expression matches when its first match is not empty; parts
// match when each occurs within the first 2047 characters (a word without
// parts matches).
bool MatchPreparedWord(std::wstring_view text, const SearchWord& word);

// The same for a text as the store holds it (UTF-16); characters, not
// units, count towards the 2047.
bool MatchPreparedWord(std::u16string_view text, const SearchWord& word);

// The same, told which units the whole text holds: a word needing one it
// lacks fails at once.
inline bool MatchPreparedWord(std::u16string_view text, const UnitFilter& textUnits,
                              const SearchWord& word) {
  return textUnits.MayHoldAll(word.neededUnits) && MatchPreparedWord(text, word);
}

// PrepareSearchWord then MatchPreparedWord.
bool MatchSearchWord(std::wstring_view text, std::wstring_view word);

// The "&" parts of a word, at most `maxParts` (runs of "&" count as one).
std::vector<std::wstring> SplitWordParts(std::wstring_view word, std::size_t maxParts);

}  // namespace plimod
