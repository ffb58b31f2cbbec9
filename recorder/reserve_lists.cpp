#include "recorder/reserve_lists.h"

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
  for (const ReserveEntry& entry : lists.reserveList) {
    if (entry.eventId == eventId && ServiceKeyOf(entry.serviceKey) == service) return &entry;
  }
  return nullptr;
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
  const auto& keys = lists.unrecordableList;
  return std::find(keys.begin(), keys.end(), programKey) != keys.end();
}

void AddUnrecordableProgram(ReserveLists& lists, std::uint64_t programKey) {
  lists.unrecordableList.push_back(programKey);
}

void ClearTunerSlots(ReserveLists& lists) {
  for (auto& slots : lists.tunerSlots) slots.clear();
  lists.unrecordableList.clear();
}

}  // namespace plimod
