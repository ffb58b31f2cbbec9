#include "util/text_regex.h"

#include <exception>

namespace plimod {
namespace {

const wchar_t kRegexErrorText[] = L"[regexerr]";

// Leftmost match; false also for an expression that failed to compile and
// when matching gives up (too complex).
bool SearchFirst(const std::wstring& text, const boost::wregex& re, boost::wsmatch& m) {
  if (re.empty()) return false;
  try {
    return boost::regex_search(text, m, re);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

// Fixed rather than global, so the helpers behave the same before and after
// start-up sets the locale.
const std::locale& Utf8ClassLocale() {
  static const std::locale loc = [] {
    try {
      return std::locale("C.UTF-8");
    } catch (const std::exception&) {
      return std::locale::classic();
    }
  }();
  return loc;
}

bool CompileRegex(const std::wstring& pattern, boost::wregex& out) {
  try {
    boost::wregex re;
    re.imbue(Utf8ClassLocale());
    re.assign(pattern, boost::regex_constants::perl);
    out.swap(re);
    return true;
  } catch (const std::exception&) {
    out = boost::wregex();
    return false;
  }
}

bool RegexErase(std::wstring& text, const boost::wregex& re) {
  boost::wsmatch m;
  if (!SearchFirst(text, re, m)) return false;
  std::size_t group = re.mark_count() > 0 ? 1 : 0;
  if (!m[group].matched) return true;
  std::size_t pos = static_cast<std::size_t>(m.position(group));
  std::size_t len = static_cast<std::size_t>(m.length(group));
  text.erase(pos, len);
  return true;
}

bool RegexErase(std::wstring& text, const std::wstring& pattern) {
  boost::wregex re;
  return CompileRegex(pattern, re) && RegexErase(text, re);
}

std::size_t RegexEraseAll(std::wstring& text, const boost::wregex& re) {
  std::size_t erases = 0;
  for (;;) {
    std::size_t before = text.size();
    if (!RegexErase(text, re) || text.size() == before) return erases;
    ++erases;
  }
}

std::size_t RegexEraseAll(std::wstring& text, const std::wstring& pattern) {
  boost::wregex re;
  return CompileRegex(pattern, re) ? RegexEraseAll(text, re) : 0;
}

std::wstring RegexExtract(const std::wstring& text, const std::wstring& pattern) {
  boost::wregex re;
  if (!CompileRegex(pattern, re)) return kRegexErrorText;
  boost::wsmatch m;
  try {
    if (!boost::regex_search(text, m, re)) return L"";
  } catch (const std::exception&) {
    return kRegexErrorText;  // gave up on the text: reported like a bad pattern
  }
  return m.str(0);
}

bool RegexExtractGroups(const std::wstring& text, const std::wstring& pattern,
                        std::vector<std::wstring>& out) {
  boost::wregex re;
  boost::wsmatch m;
  if (!CompileRegex(pattern, re) || !SearchFirst(text, re, m)) return false;
  std::vector<std::wstring> groups;
  if (re.mark_count() == 0) {
    groups.push_back(m.str(0));
  } else {
    for (std::size_t i = 1; i <= re.mark_count(); ++i)
      groups.push_back(m[i].matched ? m.str(i) : std::wstring());
  }
  out.swap(groups);
  return true;
}

}  // namespace plimod
