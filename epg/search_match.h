#pragma once
// Whether an event matches a search condition (words, genres, day and
// hour), whether a channel is in its bands, and which saved condition of
// the settings ("SEARCH_01" ...) an event matches first.

#include <cstdint>
#include <vector>

#include "epg/epg_event.h"
#include "epg/search_condition.h"

namespace plimod {

class IniFile;
class IniSection;

// Word, genre, day and hour tests of the condition.
bool MatchSearchCondition(const SearchCondition& condition, const EpgEvent& event);
// Reads the section (and the user's normalise list from Settings()) first.
bool MatchSearchCondition(const IniSection& section, const EpgEvent& event);

// The condition's band mode and channel list for the service.
bool MatchChannelMode(const SearchCondition& condition, std::uint64_t serviceKey);
bool MatchChannelMode(const IniSection& section, std::uint64_t serviceKey);

// The enabled conditions among SEARCH_01 .. SEARCH_<CONDITIONCOUNT>, with
// their numbers, read once for a walk over many events.
struct NumberedCondition {
  int number = 0;
  SearchCondition condition;
};
using SearchConditionSet = std::vector<NumberedCondition>;
SearchConditionSet LoadSearchConditions(const IniFile& settings);

// The number of the first condition (by number) that accepts the event and
// its channel; 0 when none does.
std::uint32_t FirstMatchingCondition(const SearchConditionSet& conditions, const EpgEvent& event);
// On the first condition (by number) that accepts the event and its
// channel, stores the number in the event and gives true.
bool MatchAnySearchCondition(const SearchConditionSet& conditions, EpgEvent& event);
// The same with the conditions of Settings() read for this one call.
bool MatchAnySearchCondition(EpgEvent& event);

// The event's condition number, written and read atomically: the pages
// without EpgBusyFlag write it while holding the data lock only shared.
void SetConditionNumber(EpgEvent& event, std::uint32_t number);
std::uint32_t ConditionNumberOf(const EpgEvent& event);

}  // namespace plimod
