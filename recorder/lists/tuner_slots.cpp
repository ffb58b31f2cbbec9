#include "recorder/lists/tuner_slots.h"

#include <algorithm>
#include <optional>

#include "util/keys.h"

namespace plimod {

namespace {

constexpr int kThreeBand = 2;

std::size_t SlotListOf(std::uint64_t programKey) { return BandIndexOf(ServiceKeyOf(programKey)) == 0 ? 0 : 1; }

void DropEndedBefore(TunerSlotList& slots, std::int64_t start) {
  for (auto& list : slots) {
    std::erase_if(list, [start](const TunerSlotEntry& entry) { return entry.end < start; });
  }
}

void MarkUnrecordable(ReserveLists& lists, std::uint64_t programKey) {
  if (!IsUnrecordableProgram(lists, programKey)) AddUnrecordableProgram(lists, programKey);
}

// What is left of each band's own tuners and of the three-band tuners once
// the reservations still running have theirs; a band short of its own takes
// three-band tuners.
struct FreeTuners {
  std::array<int, 2> own{};
  int shared = 0;
  bool borrowed = false;
};

FreeTuners CountFreeTuners(const TunerSlotList& slots, const TunerCounts& counts) {
  FreeTuners free;
  free.shared = counts[kThreeBand];
  for (std::size_t band = 0; band < slots.size(); ++band) {
    const int busy = static_cast<int>(slots[band].size());
    if (counts[band] < busy) {
      free.shared -= busy - counts[band];
      free.own[band] = 0;
      free.borrowed = counts[kThreeBand] > 0;
    } else {
      free.own[band] = counts[band] - busy;
    }
  }
  return free;
}

}  // namespace

TunerCounts ReadTunerCounts(const IniFile& settings, const TunerCounts& detected) {
  TunerCounts counts{};
  settings.GetIntList(L"EPGDATACAP", L"TUNERCOUNT", counts);
  if (counts == TunerCounts{}) return detected;
  return counts;
}

bool PlaceInTunerSlot(ReserveLists& lists, const TunerCounts& counts, std::uint64_t programKey,
                      const SystemTime& start, std::int64_t durationSeconds) {
  const std::optional<std::int64_t> ticks = SystemTimeToTicks(start);
  if (!ticks) return true;
  TunerSlotEntry entry;
  entry.programKey = programKey;
  entry.start = *ticks / kTicksPerSecond;
  entry.end = entry.start + durationSeconds - 1;

  DropEndedBefore(lists.tunerSlots, entry.start);
  const FreeTuners free = CountFreeTuners(lists.tunerSlots, counts);
  const std::size_t band = SlotListOf(programKey);
  const bool found = free.own[band] > 0 || free.shared > 0;
  if (!found) {
    for (std::size_t list = 0; list < lists.tunerSlots.size(); ++list) {
      if (list != band && !free.borrowed) continue;
      for (const TunerSlotEntry& busy : lists.tunerSlots[list]) MarkUnrecordable(lists, busy.programKey);
    }
    MarkUnrecordable(lists, programKey);
  }
  // Appended after the test, so it never counts against itself.
  lists.tunerSlots[band].push_back(entry);
  return found;
}

}  // namespace plimod
