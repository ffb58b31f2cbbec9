#include "recorder/lists/reserve_list_patch.h"

#include <algorithm>

namespace plimod {

namespace {

bool Names(const ReserveEntry& entry, std::uint64_t programKey, std::int32_t reserveId) {
  return entry.ProgramKey() == programKey && (entry.reserveId == reserveId || entry.reserveId == kReserveIdNotKnown);
}

// The steps walk the list: its look-ups are rebuilt only after the change.
// The entry of the id comes before one without an id.
ReserveEntry* FindEntry(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId) {
  ReserveEntry* unnumbered = nullptr;
  for (ReserveEntry& entry : lists.reserveList) {
    if (!Names(entry, programKey, reserveId)) continue;
    if (entry.reserveId == reserveId) return &entry;
    if (unnumbered == nullptr) unnumbered = &entry;
  }
  return unnumbered;
}

bool HoldsProgramme(const ReserveLists& lists, std::uint64_t programKey) {
  return std::any_of(lists.reserveList.begin(), lists.reserveList.end(),
                     [programKey](const ReserveEntry& entry) { return entry.ProgramKey() == programKey; });
}

std::int64_t StartTicks(const ReserveEntry& entry) { return SystemTimeToTicks(entry.start).value_or(0); }

void ForgetUnrecordable(ReserveLists& lists, std::uint64_t programKey) {
  auto& keys = lists.unrecordableList;
  const bool counted = lists.unrecordableCounted == keys.size();
  keys.erase(std::remove(keys.begin(), keys.end(), programKey), keys.end());
  lists.unrecordableKeys.erase(programKey);
  if (counted) lists.unrecordableCounted = keys.size();
}

// The programme is unrecordable while one of its entries has the server's
// verdict.
void NoteVerdict(ReserveLists& lists, std::uint64_t programKey) {
  const bool flagged = std::any_of(lists.reserveList.begin(), lists.reserveList.end(), [programKey](const ReserveEntry& e) {
    return e.unrecordable != 0 && e.ProgramKey() == programKey;
  });
  if (!flagged) {
    ForgetUnrecordable(lists, programKey);
  } else if (!IsUnrecordableProgram(lists, programKey)) {
    AddUnrecordableProgram(lists, programKey);
  }
}

}  // namespace

void PutReserveEntry(ReserveLists& lists, const ReserveEntry& entry) {
  const std::uint64_t key = entry.ProgramKey();
  if (ReserveEntry* kept = FindEntry(lists, key, entry.reserveId)) {
    ReserveEntry put = entry;
    put.tunerKey = kept->tunerKey;
    put.tunerLabel = kept->tunerLabel;
    *kept = std::move(put);
  } else {
    InsertReserveEntry(lists, entry);
  }
  NoteVerdict(lists, key);
}

void InsertReserveEntry(ReserveLists& lists, const ReserveEntry& entry) {
  if (HoldsProgramme(lists, entry.ProgramKey())) return;
  const std::int64_t start = StartTicks(entry);
  auto& list = lists.reserveList;
  const auto later = std::find_if(list.begin(), list.end(),
                                  [start](const ReserveEntry& other) { return StartTicks(other) > start; });
  list.insert(later, entry);
}

void RemoveReserveEntry(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId) {
  auto& list = lists.reserveList;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const ReserveEntry& entry) { return Names(entry, programKey, reserveId); }),
             list.end());
  if (!HoldsProgramme(lists, programKey)) ForgetUnrecordable(lists, programKey);
}

void ChangeReserveEntry(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId,
                        const ReserveLine& line) {
  ReserveEntry* entry = FindEntry(lists, programKey, reserveId);
  if (entry == nullptr) return;
  ReserveEntry changed = ReserveEntryOfLine(line, programKey, reserveId);
  if (line.batchPath == kKeepRecorderValue) changed.batch = entry->batch;
  changed.comment = entry->comment;
  changed.tunerKey = entry->tunerKey;
  changed.tunerLabel = entry->tunerLabel;
  changed.unrecordable = entry->unrecordable;
  *entry = std::move(changed);
}

void SetReserveEntryMode(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId,
                         std::int32_t recordMode) {
  if (ReserveEntry* entry = FindEntry(lists, programKey, reserveId)) entry->recordMode = recordMode;
}

}  // namespace plimod
