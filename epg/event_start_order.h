#pragma once
// Each service's events in start order, so that a page showing a span of
// time visits only the events near it instead of every event of a channel.
//
// The order is rebuilt whole after every change of the store's maps (a load,
// an expiry, the store going away), by the code that changes them and under
// EpgDataLock held exclusively; it is read as EpgEventIndex is (EpgBusyFlag
// or the lock held shared). It names events by id, and each is looked up
// again and checked before use, so an order that lags behind the maps
// (between a merge and the rebuild, or maps filled by hand) gives no stale
// event.

#include <cstdint>
#include <functional>

#include "epg/epg_event.h"

namespace plimod {

// Rebuilds the order from *EpgEventIndex. The caller holds EpgDataLock()
// exclusively.
void RebuildEventStartOrder();

// Calls `visit` with every event of the service whose start lies in
// [from - longest duration of the service, to) (ticks), in start order:
// every event that may overlap [from, to), and some that do not. Where the
// order does not cover the service's events as they stand, every event of
// the service is visited, in event-id order.
void ForEachEventNear(std::uint64_t serviceKey, std::int64_t from, std::int64_t to,
                      const std::function<void(const EpgEvent&)>& visit);

}  // namespace plimod
