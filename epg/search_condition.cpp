#include "epg/search_condition.h"

#include <cwchar>

#include "settings/ini_file.h"
#include "settings/ini_values.h"
#include "util/keys.h"
#include "util/split.h"
#include "util/text_normalize.h"
#include "util/text_width.h"

namespace plimod {
namespace {

bool ReadFlag(const ConditionKeyReader& read, const wchar_t* key, int defaultValue) {
  std::optional<std::wstring> value = read(key);
  return (value ? IniTextToInt(*value) : defaultValue) != 0;
}

std::wstring ReadWordValue(const ConditionKeyReader& read, const wchar_t* key) {
  std::wstring value = read(key).value_or(L"");
  if (value.size() > kConditionWordChars) value.resize(kConditionWordChars);
  return value;
}

void ReadTimeRange(const ConditionKeyReader& read, SearchCondition& condition) {
  std::optional<std::wstring> value = read(L"TIME");
  if (!value) return;
  int range[2] = {condition.timeFrom, condition.timeTo};
  ParseIniIntList(*value, range);
  condition.timeFrom = range[0];
  condition.timeTo = range[1];
}

void ReadBandRules(const ConditionKeyReader& read, SearchCondition& condition) {
  for (int band = 0; band < 4; ++band) {
    wchar_t modeKey[16];
    wchar_t listKey[16];
    std::swprintf(modeKey, 16, L"CH_%lc_MODE", static_cast<wint_t>(kBandLetters[band]));
    std::swprintf(listKey, 16, L"CH_%lc_LIST", static_cast<wint_t>(kBandLetters[band]));
    BandChannelRule& rule = condition.bands[static_cast<std::size_t>(band)];
    std::optional<std::wstring> mode = read(modeKey);
    rule.mode = mode ? IniTextToInt(*mode) : 1;
    rule.list = read(listKey);
  }
}

}  // namespace

SearchTermList PrepareSearchTerms(std::wstring_view value, std::wstring_view userList) {
  SearchTermList list;
  if (value.empty()) return list;
  if (value.front() == L'/') {
    list.onStoredTexts = true;
    list.terms.push_back(PrepareSearchWord(value));
    return list;
  }
  std::wstring normalized(value);
  NormalizeText(normalized, userList);
  std::vector<std::wstring> terms;
  SplitToVector(normalized, L' ', terms);
  if (terms.size() > kConditionTerms) terms.resize(kConditionTerms);
  for (const std::wstring& term : terms) list.terms.push_back(PrepareSearchWord(term));
  return list;
}

SearchCondition ParseSearchCondition(const ConditionKeyReader& read, std::wstring_view userList) {
  SearchCondition condition;
  condition.enabled = ReadFlag(read, L"ENABLE", 0);
  condition.searchTitle = ReadFlag(read, L"SEARCH_TITLE", 1);
  condition.searchExplanation = ReadFlag(read, L"SEARCH_EXPLANATION", 0);
  condition.searchDetail = ReadFlag(read, L"SEARCH_DETAIL", 0);
  condition.genre = read(L"GENRE").value_or(L"");
  condition.words = PrepareSearchTerms(ReadWordValue(read, L"WORD"), userList);
  condition.exclusiveWords = PrepareSearchTerms(ReadWordValue(read, L"EXCLUSIVEWORD"), userList);
  condition.week = read(L"WEEK");
  ReadTimeRange(read, condition);
  ReadBandRules(read, condition);
  return condition;
}

SearchCondition ReadSearchCondition(const IniSection& section, std::wstring_view userList) {
  return ParseSearchCondition([&](const wchar_t* key) { return section.GetString(nullptr, key); },
                              userList);
}

SearchCondition ReadSearchCondition(const IniFile& document, const std::wstring& sectionName,
                                    std::wstring_view userList) {
  return ParseSearchCondition(
      [&](const wchar_t* key) { return document.GetString(sectionName.c_str(), key); }, userList);
}

std::wstring SearchNormalizeList(const IniFile& settings) {
  std::wstring list = settings.GetString(L"SYSTEM", L"NORMALIZELIST").value_or(L"");
  toFullWidthLower(list);
  return list;
}

int SearchConditionCount(const IniFile& settings) {
  int count = settings.GetIntDefault(L"SYSTEM", L"CONDITIONCOUNT", kDefaultConditionCount);
  return count < 1 || count > kMaxConditionCount ? kDefaultConditionCount : count;
}

std::wstring SearchSectionName(int number) {
  wchar_t name[32];
  std::swprintf(name, 32, L"SEARCH_%02d", number);
  return name;
}

}  // namespace plimod
