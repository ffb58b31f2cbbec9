#include "epg/search_runner.h"

#include <algorithm>
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

// Adds the channel's hits; false once the list is full.
bool CollectChannel(const SearchCondition& condition, std::uint64_t serviceKey,
                    const EpgEventList& events, int days, std::int64_t nowTicks,
                    std::vector<FoundHit>& hits) {
  for (const auto& [eventId, event] : events) {
    if (!InWindow(event, days, nowTicks) || !MatchSearchCondition(condition, event)) continue;
    hits.push_back({ProgramKey(eventId, serviceKey), StartMinuteOf(event)});
    if (hits.size() >= kMaxSearchHits) return false;
  }
  return true;
}

}  // namespace

std::vector<SearchHit> RunSearchCondition(const SearchCondition& condition, int days,
                                          std::int64_t nowTicks) {
  std::vector<FoundHit> found;
  bool room = true;
  for (std::uint32_t band : kSearchedBands) {
    for (std::uint64_t serviceKey : ChannelsInDisplayOrder(band)) {
      if (!room) break;
      if (!MatchChannelMode(condition, serviceKey)) continue;
      auto events = EpgEventIndex->find(serviceKey);
      if (events == EpgEventIndex->end()) continue;
      room = CollectChannel(condition, serviceKey, events->second, days, nowTicks, found);
    }
  }
  // Inserting each hit behind those that start no later is a stable sort.
  std::stable_sort(found.begin(), found.end(), [](const FoundHit& a, const FoundHit& b) {
    return a.startMinute < b.startMinute;
  });
  std::vector<SearchHit> hits;
  hits.reserve(found.size());
  for (const FoundHit& hit : found) hits.push_back(hit.key);
  return hits;
}

std::vector<SearchHit> RunSearchCondition(const IniSection& section, int days) {
  const SearchCondition condition = ReadSearchCondition(section, SearchNormalizeList(Settings()));
  return RunSearchCondition(condition, days, LocalNowTicks());
}

}  // namespace plimod
