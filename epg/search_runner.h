#pragma once
// Runs one search condition over the whole EPG store and gives its hits in
// start order.

#include <cstdint>
#include <span>
#include <vector>

#include "epg/search_condition.h"

namespace plimod {

class IniSection;

// One hit: the programme key (event id << 48 | service key).
using SearchHit = std::uint64_t;

inline constexpr std::size_t kMaxSearchHits = 1000;

// Walks the terrestrial, BS and CS channels in display order and each
// channel's events in event-id order; keeps events that start from `nowTicks`
// on (and, when days > 0, no later than days * 24 h after it) and match the
// condition. Stops at the 1000th hit. The hits are ordered by start minute;
// equal starts keep the walk's order. Reads EpgEventIndex: the caller holds
// EpgBusyFlag or the EPG data lock.
std::vector<SearchHit> RunSearchCondition(const SearchCondition& condition, int days,
                                          std::int64_t nowTicks);
// Each condition's hits as RunSearchCondition gives them, from one walk over
// the store: each event is tested against every condition in turn.
std::vector<std::vector<SearchHit>> RunSearchConditions(std::span<const SearchCondition> conditions,
                                                        int days, std::int64_t nowTicks);
// The same for a condition section, from the local time now.
std::vector<SearchHit> RunSearchCondition(const IniSection& section, int days);

}  // namespace plimod
