#include "epg/epg_index.h"

#include "epg/event_start_order.h"

namespace plimod {
namespace {
EpgEventMap emptyEventMap;
}  // namespace

EpgEventMap* EpgEventIndex = &emptyEventMap;
std::map<std::uint64_t, std::wstring> ServiceMap;

void DetachEpgEventIndex(const EpgEventMap& events) {
  if (EpgEventIndex != &events) return;
  EpgEventIndex = &emptyEventMap;
  // The order named the maps going away; a later map at their address must not pass for them.
  RebuildEventStartOrder();
}

std::shared_mutex& EpgDataLock() {
  static std::shared_mutex lock;
  return lock;
}

}  // namespace plimod
