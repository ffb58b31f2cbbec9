#pragma once
// The reservation list, the unrecordable list and the tuner slots, rebuilt
// together from the recorder in use and published whole as one snapshot.
// Pages, the automatic reservation, the mobile pages and the suspend query
// read them from several threads: each takes a snapshot (a shared pointer
// to lists that never change) and keeps it for the length of its work; a
// rebuild publishes a new one and leaves the old to its holders.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "epg/epg_event.h"
#include "recorder/lists/reserve_entry.h"

namespace plimod {

// One reservation that holds a tuner (text-file recorder mode). Times are
// seconds of local wall-clock time, 64-bit; end is inclusive.
struct TunerSlotEntry {
  std::uint64_t programKey = 0;
  std::int64_t start = 0;
  std::int64_t end = 0;
};

// Index 0: terrestrial services; 1: every other band.
using TunerSlotList = std::array<std::vector<TunerSlotEntry>, 2>;

// Look-ups of the lists, built once when they are loaded so that a page
// marking thousands of cells never walks them.
struct ReserveIndex {
  std::size_t entries = 0;  // reserveList.size() when built
  std::unordered_map<std::uint64_t, std::size_t> byProgramKey;  // the first entry of each key
  std::unordered_map<std::int32_t, std::size_t> byReserveId;    // the first entry of each id
};

struct ReserveLists {
  std::vector<ReserveEntry> reserveList;         // in the recorder's order
  std::vector<std::uint64_t> unrecordableList;  // programme keys
  TunerSlotList tunerSlots;
  // Kept by AddUnrecordableProgram and ClearTunerSlots with the list;
  // `unrecordableCounted` is the list's size as they left it.
  std::unordered_set<std::uint64_t> unrecordableKeys;
  std::size_t unrecordableCounted = 0;
  // Lists filled by hand (tests) and not indexed are walked instead.
  ReserveIndex index;
};

using ReserveSnapshot = std::shared_ptr<const ReserveLists>;

// The lists as last published (never null; empty before the first load).
ReserveSnapshot CurrentReserveLists();
void PublishReserveLists(ReserveSnapshot lists);

// The first entry of the service (only its low 48 bits count) with that
// event id; null when none. Valid as long as the lists are held.
const ReserveEntry* FindReserve(const ReserveLists& lists, std::uint64_t serviceKey, std::uint16_t eventId);
// The first entry with that reserve id; null when none.
const ReserveEntry* FindReserveById(const ReserveLists& lists, std::int32_t reserveId);
// (Re)builds the look-ups of FindReserve and FindReserveById.
void IndexReserveList(ReserveLists& lists);
// FindReserve for the event; when found, marks the event reserved (flag 4)
// and, for a disabled reservation, disabled (8). Bits are only ever set.
// The event is the caller's copy, or a stored one while the caller holds
// the store's lock exclusively.
const ReserveEntry* FindReserveForEvent(const ReserveLists& lists, EpgEvent& event);

inline constexpr std::uint32_t kEventReservedFlag = 4;
inline constexpr std::uint32_t kEventDisabledFlag = 8;

bool IsUnrecordableProgram(const ReserveLists& lists, std::uint64_t programKey);
// Appends without looking for a duplicate.
void AddUnrecordableProgram(ReserveLists& lists, std::uint64_t programKey);
// Empties both tuner-slot lists and the unrecordable list.
void ClearTunerSlots(ReserveLists& lists);

}  // namespace plimod
