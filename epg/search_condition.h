#pragma once
// A search condition as kept in a settings section ("SEARCH_%02d", or any
// section with the same keys, such as an automatic reservation's), read
// once into a record so that many events can be tested against it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "epg/search_word.h"

namespace plimod {

class IniFile;
class IniSection;

inline constexpr std::size_t kConditionWordChars = 2047;
inline constexpr std::size_t kConditionTerms = 64;
inline constexpr int kDefaultConditionCount = 20;
inline constexpr int kMaxConditionCount = 999;

// The blank-separated alternatives of WORD or EXCLUSIVEWORD.
struct SearchTermList {
  // A value beginning with "/": one expression over the stored texts
  // rather than the normalised ones.
  bool onStoredTexts = false;
  std::vector<SearchWord> terms;
};

// CH_%c_MODE and CH_%c_LIST of one band.
struct BandChannelRule {
  int mode = 1;  // 0 band off, 1 all but the listed, 2 only the listed, else all
  std::optional<std::wstring> list;
};

struct SearchCondition {
  bool enabled = false;
  bool searchTitle = true;
  bool searchExplanation = false;
  bool searchDetail = false;
  std::wstring genre;  // genre names; empty when missing
  SearchTermList words;
  SearchTermList exclusiveWords;
  std::optional<std::wstring> week;  // present: the start day's letter must be in it
  int timeFrom = 0;
  int timeTo = 23;
  std::array<BandChannelRule, 4> bands;  // by band index (T, B, C, Z)
};

// Reads one key of the condition's section; nullopt when missing.
using ConditionKeyReader = std::function<std::optional<std::wstring>(const wchar_t* key)>;

// The record of a condition. `userList` is the user's normalise list as
// SearchNormalizeList gives it.
SearchCondition ParseSearchCondition(const ConditionKeyReader& read, std::wstring_view userList);
SearchCondition ReadSearchCondition(const IniSection& section, std::wstring_view userList);
SearchCondition ReadSearchCondition(const IniFile& document, const std::wstring& sectionName,
                                    std::wstring_view userList);

// SYSTEM/NORMALIZELIST of the settings, folded with toFullWidthLower.
std::wstring SearchNormalizeList(const IniFile& settings);
// SYSTEM/CONDITIONCOUNT, 20 unless it is 1 to 999.
int SearchConditionCount(const IniFile& settings);
// "SEARCH_%02d".
std::wstring SearchSectionName(int number);

// WORD or EXCLUSIVEWORD as terms: a value beginning with "/" is one
// expression; any other is normalised and split at blanks (at most 64).
SearchTermList PrepareSearchTerms(std::wstring_view value, std::wstring_view userList);

}  // namespace plimod
