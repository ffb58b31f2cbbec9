#include "epg/search_runner.h"

#include <algorithm>
#include <span>
#include <utility>
#include <tuple>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "epg/search_match.h"
#include "settings/settings.h"
#include "util/keys.h"

namespace plimod {
namespace {

constexpr std::uint32_t kSearchedBands[] = {kBandTerrestrial, kBandBs, kBandCs};

struct FoundHit {
  SearchHit key;
  std::tuple<int, int, int, int, int> startMinute;  // year, month, day, hour, minute
};

std::tuple<int, int, int, int, int> StartMinuteOf(const EpgEvent& event) {
  const SystemTime& t = event.start;
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute};
}

bool InWindow(const EpgEvent& event, int days, std::int64_t nowTicks) {
  const std::int64_t start = EventStartTicks(event);
  if (start < nowTicks) return false;
  return days <= 0 || start <= nowTicks + std::int64_t{days} * kTicksPerDay;
}

// Tests each event of the channel against the conditions in `searching`
// (those that take the channel and still have room), in the channel's order.
void CollectChannel(std::span<const SearchCondition> conditions,
                    const std::vector<std::size_t>& searching, std::uint64_t serviceKey,
                    const EpgEventList& events, int days, std::int64_t nowTicks,
                    std::vector<std::vector<FoundHit>>& found) {
  for (const auto& [eventId, event] : events) {
    if (!InWindow(event, days, nowTicks)) continue;
    for (std::size_t i : searching) {
      std::vector<FoundHit>& hits = found[i];
      if (hits.size() >= kMaxSearchHits || !MatchSearchCondition(conditions[i], event)) continue;
      hits.push_back({ProgramKey(eventId, serviceKey), StartMinuteOf(event)});
    }
  }
}

std::vector<SearchHit> SortedHits(std::vector<FoundHit>& found) {
  // Inserting each hit behind those that start no later is a stable sort.
  std::stable_sort(found.begin(), found.end(), [](const FoundHit& a, const FoundHit& b) {
    return a.startMinute < b.startMinute;
  });
  std::vector<SearchHit> hits;
  hits.reserve(found.size());
  for (const FoundHit& hit : found) hits.push_back(hit.key);
  return hits;
}

}  // namespace

std::vector<std::vector<SearchHit>> RunSearchConditions(std::span<const SearchCondition> conditions,
                                                        int days, std::int64_t nowTicks) {
  std::vector<std::vector<FoundHit>> found(conditions.size());
  std::vector<std::size_t> searching;
  for (std::uint32_t band : kSearchedBands) {
    for (std::uint64_t serviceKey : ChannelsInDisplayOrder(band)) {
      searching.clear();
      for (std::size_t i = 0; i < conditions.size(); ++i) {
        if (found[i].size() < kMaxSearchHits && MatchChannelMode(conditions[i], serviceKey)) {
          searching.push_back(i);
        }
      }
      if (searching.empty()) continue;
      auto events = EpgEventIndex->find(serviceKey);
      if (events == EpgEventIndex->end()) continue;
      CollectChannel(conditions, searching, serviceKey, events->second, days, nowTicks, found);
    }
  }
  std::vector<std::vector<SearchHit>> hits;
  hits.reserve(found.size());
  for (std::vector<FoundHit>& one : found) hits.push_back(SortedHits(one));
  return hits;
}

std::vector<SearchHit> RunSearchCondition(const SearchCondition& condition, int days,
                                          std::int64_t nowTicks) {
  return std::move(RunSearchConditions(std::span(&condition, 1), days, nowTicks).front());
}

std::vector<SearchHit> RunSearchCondition(const IniSection& section, int days) {
  const SearchCondition condition = ReadSearchCondition(section, SearchNormalizeList(Settings()));
  return RunSearchCondition(condition, days, LocalNowTicks());
}

}  // namespace plimod
