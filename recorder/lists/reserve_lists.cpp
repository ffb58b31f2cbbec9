#include "recorder/lists/reserve_lists.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "util/keys.h"

namespace plimod {

namespace {

std::mutex& PublishMutex() {
  static std::mutex mutex;
  return mutex;
}

ReserveSnapshot& Published() {
  static ReserveSnapshot lists = std::make_shared<const ReserveLists>();
  return lists;
}

bool Indexed(const ReserveLists& lists) {
  return !lists.reserveList.empty() && lists.index.entries == lists.reserveList.size();
}

}  // namespace

ReserveSnapshot CurrentReserveLists() {
  std::lock_guard lock(PublishMutex());
  return Published();
}

void PublishReserveLists(ReserveSnapshot lists) {
  if (!lists) lists = std::make_shared<const ReserveLists>();
  std::lock_guard lock(PublishMutex());
  // The old lists go when their last reader lets go, not under the lock.
  std::swap(Published(), lists);
}

const ReserveEntry* FindReserve(const ReserveLists& lists, std::uint64_t serviceKey, std::uint16_t eventId) {
  const std::uint64_t service = ServiceKeyOf(serviceKey);
  if (Indexed(lists)) {
    const auto found = lists.index.byProgramKey.find(ProgramKey(eventId, service));
    return found == lists.index.byProgramKey.end() ? nullptr : &lists.reserveList[found->second];
  }
  for (const ReserveEntry& entry : lists.reserveList) {
    if (entry.eventId == eventId && ServiceKeyOf(entry.serviceKey) == service) return &entry;
  }
  return nullptr;
}

const ReserveEntry* FindReserveById(const ReserveLists& lists, std::int32_t reserveId) {
  if (Indexed(lists)) {
    const auto found = lists.index.byReserveId.find(reserveId);
    return found == lists.index.byReserveId.end() ? nullptr : &lists.reserveList[found->second];
  }
  for (const ReserveEntry& entry : lists.reserveList) {
    if (entry.reserveId == reserveId) return &entry;
  }
  return nullptr;
}

void IndexReserveList(ReserveLists& lists) {
  ReserveIndex index;
  index.entries = lists.reserveList.size();
  index.byProgramKey.reserve(index.entries);
  index.byReserveId.reserve(index.entries);
  for (std::size_t i = 0; i < lists.reserveList.size(); ++i) {
    const ReserveEntry& entry = lists.reserveList[i];
    index.byProgramKey.emplace(entry.ProgramKey(), i);  // emplace keeps the first
    index.byReserveId.emplace(entry.reserveId, i);
  }
  lists.index = std::move(index);
}

const ReserveEntry* FindReserveForEvent(const ReserveLists& lists, EpgEvent& event) {
  const ReserveEntry* entry =
      FindReserve(lists, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId), event.eventId);
  if (entry != nullptr) {
    event.displayFlags |= kEventReservedFlag;
    if (entry->Disabled()) event.displayFlags |= kEventDisabledFlag;
  }
  return entry;
}

bool IsUnrecordableProgram(const ReserveLists& lists, std::uint64_t programKey) {
  if (lists.unrecordableCounted == lists.unrecordableList.size()) return lists.unrecordableKeys.contains(programKey);
  // Filled by hand, past AddUnrecordableProgram.
  const auto& keys = lists.unrecordableList;
  return std::find(keys.begin(), keys.end(), programKey) != keys.end();
}

void AddUnrecordableProgram(ReserveLists& lists, std::uint64_t programKey) {
  lists.unrecordableList.push_back(programKey);
  lists.unrecordableKeys.insert(programKey);
  lists.unrecordableCounted = lists.unrecordableList.size();
}

void ClearTunerSlots(ReserveLists& lists) {
  for (auto& slots : lists.tunerSlots) slots.clear();
  lists.unrecordableList.clear();
  lists.unrecordableKeys.clear();
  lists.unrecordableCounted = 0;
}

}  // namespace plimod
