#include "epg/search_match.h"

#include <array>
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

// An event's texts as conditions read them. With filters, each text is
// looked up and its unit filter built once, on first use, however many
// conditions read it; a walk of many conditions over one event gains, a
// single condition would only pay for the filters.
class SearchedEvent {
 public:
  SearchedEvent(const EpgEvent& event, bool filtered) : event_(event), filtered_(filtered) {}

  const EpgEvent& event() const { return event_; }

  bool AnyTermMatches(const SearchTermList& list, EventText which) {
    const std::size_t index = static_cast<std::size_t>(which);
    if (!filtered_) {
      const std::u16string_view text = event_.Text(which);
      for (const SearchWord& term : list.terms) {
        if (MatchPreparedWord(text, term)) return true;
      }
      return false;
    }
    if ((ready_ >> index & 1u) == 0) Prepare(index, which);
    for (const SearchWord& term : list.terms) {
      if (MatchPreparedWord(texts_[index], units_[index], term)) return true;
    }
    return false;
  }

 private:
  // Long texts hold most units anyway: their filter would seldom say no.
  static constexpr std::size_t kFilteredUnits = 256;

  void Prepare(std::size_t index, EventText which) {
    texts_[index] = event_.Text(which);
    if (texts_[index].size() <= kFilteredUnits) {
      units_[index].Add(texts_[index]);
    } else {
      units_[index].AddAll();
    }
    ready_ |= 1u << index;
  }

  const EpgEvent& event_;
  const bool filtered_;
  unsigned ready_ = 0;
  std::array<std::u16string_view, kEventTextCount> texts_{};
  std::array<UnitFilter, kEventTextCount> units_{};
};

bool AnyTermMatches(const SearchCondition& condition, const SearchTermList& list,
                    SearchedEvent& event) {
  if (list.terms.empty()) return false;
  const bool stored = list.onStoredTexts;
  if (condition.searchTitle &&
      event.AnyTermMatches(list, stored ? EventText::kTitle : EventText::kNormalizedTitle)) {
    return true;
  }
  if (condition.searchExplanation &&
      event.AnyTermMatches(list, stored ? EventText::kShortText
                                        : EventText::kNormalizedShortText)) {
    return true;
  }
  return condition.searchDetail &&
         event.AnyTermMatches(list, stored ? EventText::kExtendedText
                                           : EventText::kNormalizedExtendedText);
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

bool MatchSearchCondition(const SearchCondition& condition, SearchedEvent& searched) {
  const EpgEvent& event = searched.event();
  // Every test must pass; the cheap ones go first.
  if (!MatchWeek(condition, event) || !MatchHour(condition, event)) return false;
  const bool genreHit = HasGenreHit(condition.genre, event);
  if (!condition.genre.empty() && !genreHit) return false;
  if (condition.words.terms.empty()) {
    if (!genreHit) return false;
  } else if (!AnyTermMatches(condition, condition.words, searched)) {
    return false;
  }
  return !AnyTermMatches(condition, condition.exclusiveWords, searched);
}

}  // namespace

bool MatchSearchCondition(const SearchCondition& condition, const EpgEvent& event) {
  SearchedEvent searched(event, false);
  return MatchSearchCondition(condition, searched);
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

std::uint32_t FirstMatchingCondition(const SearchConditionSet& conditions, const EpgEvent& event) {
  const std::uint64_t serviceKey = EventServiceKey(event);
  SearchedEvent searched(event, true);
  for (const NumberedCondition& entry : conditions) {
    if (MatchChannelMode(entry.condition, serviceKey) &&
        MatchSearchCondition(entry.condition, searched)) {
      return static_cast<std::uint32_t>(entry.number);
    }
  }
  return 0;
}

bool MatchAnySearchCondition(const SearchConditionSet& conditions, EpgEvent& event) {
  const std::uint32_t number = FirstMatchingCondition(conditions, event);
  if (number == 0) return false;
  SetConditionNumber(event, number);
  return true;
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
