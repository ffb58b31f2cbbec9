#include "epg/search_word.h"

#include <exception>
#include <mutex>
#include <set>

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
    return prepared;
  }
  prepared.parts = SplitWordParts(word, maxParts);
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

bool MatchSearchWord(std::wstring_view text, std::wstring_view word) {
  return MatchPreparedWord(text, PrepareSearchWord(word));
}

}  // namespace plimod
