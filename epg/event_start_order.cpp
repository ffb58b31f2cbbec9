#include "epg/event_start_order.h"

#include <algorithm>
#include <map>
#include <vector>

#include "epg/epg_index.h"

namespace plimod {
namespace {

struct StartEntry {
  std::int64_t start = 0;
  std::uint16_t eventId = 0;
};

struct ServiceStartOrder {
  std::vector<StartEntry> entries;  // by start, then event id
  std::int64_t longest = 0;         // the longest duration, in ticks
};

struct StartOrder {
  const EpgEventMap* events = nullptr;  // the maps it was built from
  std::map<std::uint64_t, ServiceStartOrder> services;
};

// Never destroyed: a store that goes away at exit still detaches from it.
StartOrder& CurrentOrder() {
  static StartOrder* order = new StartOrder;
  return *order;
}

ServiceStartOrder OrderOf(const EpgEventList& events) {
  ServiceStartOrder order;
  order.entries.reserve(events.size());
  for (const auto& [eventId, event] : events) {
    order.entries.push_back({EventStartTicks(event), eventId});
    order.longest = std::max(order.longest, std::int64_t{event.durationSeconds} * kTicksPerSecond);
  }
  std::stable_sort(order.entries.begin(), order.entries.end(),
                   [](const StartEntry& a, const StartEntry& b) { return a.start < b.start; });
  return order;
}

}  // namespace

void RebuildEventStartOrder() {
  StartOrder order;
  order.events = EpgEventIndex;
  for (const auto& [serviceKey, events] : *EpgEventIndex) order.services.emplace(serviceKey, OrderOf(events));
  std::swap(CurrentOrder(), order);
}

void ForEachEventNear(std::uint64_t serviceKey, std::int64_t from, std::int64_t to,
                      const std::function<void(const EpgEvent&)>& visit) {
  const auto events = EpgEventIndex->find(serviceKey);
  if (events == EpgEventIndex->end()) return;
  const StartOrder& current = CurrentOrder();
  const auto order = current.services.find(serviceKey);
  if (current.events != EpgEventIndex || order == current.services.end() ||
      order->second.entries.size() != events->second.size()) {
    for (const auto& [eventId, event] : events->second) visit(event);
    return;
  }
  const std::vector<StartEntry>& entries = order->second.entries;
  auto it = std::lower_bound(entries.begin(), entries.end(), from - order->second.longest,
                             [](const StartEntry& entry, std::int64_t start) { return entry.start < start; });
  for (; it != entries.end() && it->start < to; ++it) {
    const auto event = events->second.find(it->eventId);
    if (event != events->second.end() && EventStartTicks(event->second) == it->start) visit(event->second);
  }
}

}  // namespace plimod
