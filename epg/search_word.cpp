#include "epg/search_word.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <exception>
#include <mutex>
#include <set>

#include "platform/text_codec.h"
#include "util/conversions.h"
#include "util/log.h"
#include "util/split.h"
#include "util/text_regex.h"

namespace plimod {
namespace {

// A mistyped expression is reported once, not once per event it is tried on.
void LogInvalidPatternOnce(const std::wstring& pattern) {
  static std::mutex mutex;
  static std::set<std::wstring> logged;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!logged.insert(pattern).second) return;
  }
  LogWrite("search word: invalid regular expression \"%s\" matches nothing\n",
           WideToUtf8(pattern).c_str());
}

std::wstring PatternOf(std::wstring_view word) {
  std::wstring_view pattern = word.substr(1);
  if (!pattern.empty() && pattern.back() == L'/') pattern.remove_suffix(1);
  return std::wstring(pattern);
}

bool FirstMatchNotEmpty(std::wstring_view text, const boost::wregex& re) {
  if (re.empty()) return false;
  boost::wcmatch m;
  try {
    if (!boost::regex_search(text.data(), text.data() + text.size(), m, re)) return false;
  } catch (const std::exception&) {
    return false;  // gave up on a pathological text
  }
  return m.length(0) > 0;
}

// Where `part` first occurs in `text`, or npos. The search's inner loop: it
// tests eight positions at a time for the part's first and last units and
// compares the rest only there.
std::size_t FindUnits(std::u16string_view text, std::u16string_view part) {
  const std::size_t n = part.size();
  if (n == 0) return 0;
  if (n > text.size()) return std::u16string_view::npos;
  const std::size_t lastStart = text.size() - n;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi16(static_cast<short>(part.front()));
  const __m128i last = _mm_set1_epi16(static_cast<short>(part.back()));
  for (; i + 8 <= lastStart + 1; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + n - 1));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, last))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      const std::size_t at = i + bit / 2;
      if (text.substr(at + 1, n - 1) == part.substr(1)) return at;
      mask &= ~(3u << bit);
    }
  }
#endif
  for (; i <= lastStart; ++i) {
    if (text[i] == part.front() && text.substr(i, n) == part) return i;
  }
  return std::u16string_view::npos;
}

bool IsQuantifier(wchar_t c) { return c == L'*' || c == L'+' || c == L'?'; }

// Past the class that starts at `i` ("[...]"), or npos for one this reader
// does not follow (nested classes, escapes, no end).
std::size_t ClassEnd(std::wstring_view pattern, std::size_t i) {
  std::size_t j = i + 1;
  if (j < pattern.size() && pattern[j] == L'^') ++j;
  if (j < pattern.size() && pattern[j] == L']') ++j;  // a leading "]" is a member
  for (; j < pattern.size() && pattern[j] != L']'; ++j) {
    if (pattern[j] == L'[' || pattern[j] == L'\\') return std::wstring_view::npos;
  }
  return j < pattern.size() ? j + 1 : std::wstring_view::npos;
}

// The BMP characters (surrogates aside) that stand as literals outside any
// quantifier that allows none of them. Only plain expressions are read:
// literals, ".", "^", "$", classes and the quantifiers "*", "+", "?" (lazy
// or possessive too). Anything else (groups, alternatives, escapes,
// counted repeats) gives no characters, and the expression alone decides.
std::u16string RequiredUnits(std::wstring_view pattern) {
  std::u16string required;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const wchar_t c = pattern[i];
    bool literal = false;
    if (c == L'[') {
      i = ClassEnd(pattern, i);
      if (i == std::wstring_view::npos) return {};
    } else if (c == L'.' || c == L'^' || c == L'$') {
      ++i;
    } else if (std::wstring_view(L"\\()|{}]*+?").find(c) != std::wstring_view::npos) {
      return {};
    } else {
      literal = true;
      ++i;
    }
    bool optional = false;
    if (i < pattern.size() && IsQuantifier(pattern[i])) {
      optional = pattern[i] != L'+';
      ++i;
      if (i < pattern.size() && (pattern[i] == L'?' || pattern[i] == L'+')) ++i;
    }
    const auto code = static_cast<char32_t>(c);
    const bool oneUnit = code < 0xD800 || (code >= 0xE000 && code < 0x10000);
    if (literal && !optional && oneUnit) required.push_back(static_cast<char16_t>(code));
  }
  return required;
}

bool HasEveryUnit(std::u16string_view text, std::u16string_view units) {
  for (const char16_t unit : units) {
    if (text.find(unit) == std::u16string_view::npos) return false;
  }
  return true;
}

}  // namespace

std::vector<std::wstring> SplitWordParts(std::wstring_view word, std::size_t maxParts) {
  std::vector<std::wstring> parts;
  SplitToVector(word, L'&', parts);
  if (parts.size() > maxParts) parts.resize(maxParts);
  return parts;
}

SearchWord PrepareSearchWord(std::wstring_view word, std::size_t maxParts) {
  SearchWord prepared;
  if (!word.empty() && word.front() == L'/') {
    prepared.isRegex = true;
    std::wstring pattern = PatternOf(word);
    if (!CompileRegex(pattern, prepared.regex)) LogInvalidPatternOnce(pattern);
    prepared.requiredUnits = RequiredUnits(pattern);
    prepared.neededUnits.Add(prepared.requiredUnits);
    return prepared;
  }
  prepared.parts = SplitWordParts(word, maxParts);
  for (const std::wstring& part : prepared.parts) {
    prepared.parts16.push_back(WideToUtf16(part));
    prepared.neededUnits.Add(prepared.parts16.back());
  }
  return prepared;
}

bool MatchPreparedWord(std::wstring_view text, const SearchWord& word) {
  if (word.isRegex) return FirstMatchNotEmpty(text, word.regex);
  std::wstring_view head = text.substr(0, kSearchTextChars);
  for (const std::wstring& part : word.parts) {
    if (head.find(part) == std::wstring_view::npos) return false;
  }
  return true;
}

bool MatchPreparedWord(std::u16string_view text, const SearchWord& word) {
  if (word.isRegex) {
    if (!HasEveryUnit(text, word.requiredUnits)) return false;
    // Expressions work on wide text; few conditions are expressions.
    thread_local std::wstring wide;
    wide = Utf16ToWide(text);
    return FirstMatchNotEmpty(wide, word.regex);
  }
  std::u16string_view head = text.substr(0, Utf16PrefixUnits(text, kSearchTextChars));
  for (const std::u16string& part : word.parts16) {
    if (FindUnits(head, part) == std::u16string_view::npos) return false;
  }
  return true;
}

bool MatchSearchWord(std::wstring_view text, std::wstring_view word) {
  return MatchPreparedWord(text, PrepareSearchWord(word));
}

}  // namespace plimod
