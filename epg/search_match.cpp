#include "epg/search_match.h"

#include <atomic>
#include <string_view>

#include "epg/genre_names.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "util/keys.h"

namespace plimod {
namespace {

constexpr std::wstring_view kWeekLetters = L"日月火水木金土";
// Starts before 05:00 count as hours 24-28 of the previous broadcast day
// when the condition's range reaches past midnight.
constexpr int kBroadcastDayStartHour = 5;

// Whether the event has a genre the condition names; false when it names none.
bool HasGenreHit(const std::wstring& genreText, const EpgEvent& event) {
  if (genreText.empty()) return false;
  for (const GenreBytes& genre : event.genres) {
    std::wstring_view name = GenreName(genre[0]);
    if (!name.empty() && genreText.find(name) != std::wstring::npos) return true;
  }
  return false;
}

bool AnyTermMatchesText(const SearchTermList& list, std::u16string_view text) {
  for (const SearchWord& term : list.terms) {
    if (MatchPreparedWord(text, term)) return true;
  }
  return false;
}

bool AnyTermMatches(const SearchCondition& condition, const SearchTermList& list,
                    const EpgEvent& event) {
  if (list.terms.empty()) return false;
  const bool stored = list.onStoredTexts;
  if (condition.searchTitle &&
      AnyTermMatchesText(list, event.Text(stored ? EventText::kTitle
                                                 : EventText::kNormalizedTitle))) {
    return true;
  }
  if (condition.searchExplanation &&
      AnyTermMatchesText(list, event.Text(stored ? EventText::kShortText
                                                 : EventText::kNormalizedShortText))) {
    return true;
  }
  return condition.searchDetail &&
         AnyTermMatchesText(list, event.Text(stored ? EventText::kExtendedText
                                                    : EventText::kNormalizedExtendedText));
}

bool MatchWeek(const SearchCondition& condition, const EpgEvent& event) {
  if (!condition.week) return true;
  if (event.start.wDayOfWeek >= kWeekLetters.size()) return false;
  return condition.week->find(kWeekLetters[event.start.wDayOfWeek]) != std::wstring::npos;
}

bool MatchHour(const SearchCondition& condition, const EpgEvent& event) {
  int hour = event.start.wHour;
  if (hour < kBroadcastDayStartHour && (condition.timeFrom > 23 || condition.timeTo > 23))
    hour += 24;
  return condition.timeFrom <= hour && hour <= condition.timeTo;
}

std::uint64_t EventServiceKey(const EpgEvent& event) {
  return ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
}

}  // namespace

bool MatchSearchCondition(const SearchCondition& condition, const EpgEvent& event) {
  // Every test must pass; the cheap ones go first.
  if (!MatchWeek(condition, event) || !MatchHour(condition, event)) return false;
  const bool genreHit = HasGenreHit(condition.genre, event);
  if (!condition.genre.empty() && !genreHit) return false;
  if (condition.words.terms.empty()) {
    if (!genreHit) return false;
  } else if (!AnyTermMatches(condition, condition.words, event)) {
    return false;
  }
  return !AnyTermMatches(condition, condition.exclusiveWords, event);
}

bool MatchSearchCondition(const IniSection& section, const EpgEvent& event) {
  return MatchSearchCondition(ReadSearchCondition(section, SearchNormalizeList(Settings())), event);
}

bool MatchChannelMode(const SearchCondition& condition, std::uint64_t serviceKey) {
  const BandChannelRule& rule = condition.bands[static_cast<std::size_t>(BandIndexOf(serviceKey))];
  const bool listed =
      rule.list && rule.list->find(ChannelKeyText(serviceKey)) != std::wstring::npos;
  switch (rule.mode) {
    case 0: return false;
    case 1: return !listed;
    case 2: return listed;
    default: return true;
  }
}

bool MatchChannelMode(const IniSection& section, std::uint64_t serviceKey) {
  return MatchChannelMode(ReadSearchCondition(section, L""), serviceKey);
}

SearchConditionSet LoadSearchConditions(const IniFile& settings) {
  SearchConditionSet conditions;
  const std::wstring userList = SearchNormalizeList(settings);
  const int count = SearchConditionCount(settings);
  for (int number = 1; number <= count; ++number) {
    const std::wstring name = SearchSectionName(number);
    if (!settings.HasSection(name.c_str())) continue;
    if (settings.GetIntDefault(name.c_str(), L"ENABLE", 0) == 0) continue;
    conditions.push_back({number, ReadSearchCondition(settings, name, userList)});
  }
  return conditions;
}

bool MatchAnySearchCondition(const SearchConditionSet& conditions, EpgEvent& event) {
  const std::uint64_t serviceKey = EventServiceKey(event);
  for (const NumberedCondition& entry : conditions) {
    if (MatchChannelMode(entry.condition, serviceKey) &&
        MatchSearchCondition(entry.condition, event)) {
      SetConditionNumber(event, static_cast<std::uint32_t>(entry.number));
      return true;
    }
  }
  return false;
}

bool MatchAnySearchCondition(EpgEvent& event) {
  return MatchAnySearchCondition(LoadSearchConditions(Settings()), event);
}

void SetConditionNumber(EpgEvent& event, std::uint32_t number) {
  std::atomic_ref<std::uint32_t>(event.conditionNumber).store(number, std::memory_order_relaxed);
}

std::uint32_t ConditionNumberOf(const EpgEvent& event) {
  // atomic_ref needs a non-const object; the load does not change it.
  auto& field = const_cast<std::uint32_t&>(event.conditionNumber);
  return std::atomic_ref<std::uint32_t>(field).load(std::memory_order_relaxed);
}

}  // namespace plimod
