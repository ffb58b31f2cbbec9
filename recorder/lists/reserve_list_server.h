#pragma once
// The reservation lists of the reservation server: its reservations (and
// recording results) in its order, each with the tuner it is planned on,
// and the server's own verdicts of what cannot be recorded.

#include <vector>

#include "recorder/lists/reserve_lists.h"
#include "recorder/base/reserve_row.h"

namespace plimod {

// One of the server's rows as the pages show it, without its tuner (only
// the tuners' listing tells that).
ReserveEntry ServerReserveEntry(const ReserveRow& row);

void AddServerReservations(ReserveLists& lists, const std::vector<ReserveRow>& rows,
                           const std::vector<TunerReserveRow>& tuners);

}  // namespace plimod
